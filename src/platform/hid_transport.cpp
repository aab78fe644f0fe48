#include "platform/hid_transport.h"

namespace hid {
namespace {

const Transport* chosen = nullptr;

}  // namespace

void use(const Transport& transport) { chosen = &transport; }
const Transport& active() { return *chosen; }

}  // namespace hid
