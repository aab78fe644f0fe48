#include "platform/linux/hid_adapter.h"

#include "platform/linux/hidraw.h"
#include "text/format_text.h"

namespace hidio {
namespace {

// Device paths are UTF-8 on Linux and wide in the core.
bool listHidraw(std::vector<std::wstring>& paths) {
  std::vector<std::string> nodes;
  if (!hidraw::listInterfaces(hidraw::Roots{}, nodes)) return false;
  paths.clear();
  for (const std::string& node : nodes) paths.push_back(utf8ToWide(node));
  return true;
}

hid::Handle openHidraw(const std::wstring& path) { return hidraw::openInterface(hidraw::Roots{}, wideToUtf8(path)); }

const Transport kHidraw{listHidraw,          openHidraw,         hidraw::readAttributes, hidraw::readReportLengths,
                        hidraw::writeReport, hidraw::readReport, hidraw::closeInterface, hidraw::lastError};

Transport active = kHidraw;

}  // namespace

void use(const Transport& transport) { active = transport; }
const Transport& hidrawTransport() { return kHidraw; }

}  // namespace hidio

namespace hid {

bool listInterfaces(std::vector<std::wstring>& paths) { return hidio::active.listInterfaces(paths); }
Handle openInterface(const std::wstring& path) { return hidio::active.openInterface(path); }
bool readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  return hidio::active.readAttributes(handle, vendorId, productId);
}
bool readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  return hidio::active.readReportLengths(handle, outputLength, inputLength);
}
bool writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) {
  return hidio::active.writeReport(handle, bytes, length);
}
bool readReport(Handle handle, std::uint8_t* bytes, std::size_t length) {
  return hidio::active.readReport(handle, bytes, length);
}
void closeInterface(Handle handle) { hidio::active.closeInterface(handle); }
std::uint32_t lastError() { return hidio::active.lastError(); }

}  // namespace hid
