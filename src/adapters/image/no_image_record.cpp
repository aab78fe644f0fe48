// The product built without an image: it carries none, so there is nothing on record.
#include "seams/system.h"

namespace sys {

ImageRecord recordedImage() { return {}; }

}  // namespace sys
