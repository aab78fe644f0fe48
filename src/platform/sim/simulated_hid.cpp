// The simulated bus behind the hid:: seam, for the tests and the simulated-unit build.
#include "platform/hid_transport.h"
#include "platform/sim/simulated_unit.h"

namespace hid {

bool listInterfaces(std::vector<std::wstring>& paths) { return sim::listInterfaces(paths); }
Handle openInterface(const std::wstring& path) { return sim::openInterface(path); }
bool readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  return sim::readAttributes(handle, vendorId, productId);
}
bool readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  return sim::readReportLengths(handle, outputLength, inputLength);
}
bool writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) {
  return sim::writeReport(handle, bytes, length);
}
bool readReport(Handle handle, std::uint8_t* bytes, std::size_t length) {
  return sim::readReport(handle, bytes, length);
}
void closeInterface(Handle handle) { sim::closeInterface(handle); }
std::uint32_t lastError() { return sim::lastError(); }

}  // namespace hid
