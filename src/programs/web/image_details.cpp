#include "programs/web/image_details.h"

#include "adapters/web/embedded_image.h"
#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "base/format_text.h"
#include "base/hex_text.h"
#include "base/sha256.h"
#include "seams/dialog.h"
#include "seams/system.h"
#include "ui/main_window.h"

namespace web {

// The digest of the bytes carried, not of the build's record of them: what the page would
// write. For an image that is sound it is the one configuring printed.
void showImageDetails() {
  const Sha256Digest digest = sha256(kEmbeddedImage, kEmbeddedImageSize);
  const std::wstring hex = utf8ToWide(hextext::fromBytes(digest.data(), digest.size()));
  const std::wstring text =
      sys::recordedImage().placeholder
          ? formatText(pageText(PageText::PlaceholderDetails), {hex}, dlg::kTextCapacity)
          : formatText(pageText(PageText::ImageDetails), {imageVersionText(), hex}, dlg::kTextCapacity);
  postToPage(message::kElementText, element::kImageDetails, 0, text);
}

}  // namespace web
