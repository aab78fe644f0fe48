#include "seams/hid_transport.h"

namespace hid {
namespace {

// Until a program chooses its transport there is no bus: nothing is listed, opened or
// exchanged, so a call made too early fails as a missing unit would rather than crashing.
const Operations kNoBus{
    [](void*, std::vector<std::wstring>&) { return false; },
    [](void*, const std::wstring&) { return kInvalidHandle; },
    [](void*, Handle, std::uint16_t&, std::uint16_t&) { return false; },
    [](void*, Handle, std::uint32_t&, std::uint32_t&) { return false; },
    [](void*, Handle, const std::uint8_t*, std::size_t) { return false; },
    [](void*, Handle, std::uint8_t*, std::size_t) { return false; },
    [](void*, Handle) {},
    [](void*) -> std::uint32_t { return 0; },
};

Transport chosen{&kNoBus, nullptr, Reach::RealUnits};

}  // namespace

void use(const Transport& transport) { chosen = transport; }
const Transport& active() { return chosen; }

}  // namespace hid
