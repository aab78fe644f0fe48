#pragma once
// The HID transport seam: one table of operations per backend, chosen when the program starts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hid {

using Handle = std::intptr_t;
constexpr Handle kInvalidHandle = -1;  // all bits set, as the platform's invalid handle

// How long one report's write or read may take before it fails with the platform's timeout
// error. Far above any legitimate reply, so no working unit is ever cut off: the slowest one
// known, to the erase, is read after its own 1,000 ms pause, and the ESC then gets 4,000 ms
// more. A unit that stops answering thus ends in the failure report, not a frozen program.
constexpr std::uint32_t kReportTimeoutMs = 30000;

// One transport's operations as a table of plain functions: a backend (the platform's bus,
// the simulated unit, a recorder in front of another transport, a replay in place of one)
// provides one, and the program's entry or a test chooses which one the core talks to.
// Every operation is handed the backend's own state as its context, so that backends of one
// kind live side by side, each with its own last error.
struct Operations {
  // Paths of the present HID interfaces in the platform's stable enumeration order.
  // False when the set of interfaces cannot be obtained at all.
  bool (*listInterfaces)(void* context, std::vector<std::wstring>& paths);

  // Opens an interface for reading and writing, shared; kInvalidHandle on failure.
  Handle (*openInterface)(void* context, const std::wstring& path);

  bool (*readAttributes)(void* context, Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);

  // The capabilities' output and input report byte lengths, report id included.
  bool (*readReportLengths)(void* context, Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);

  // Writes one whole output report / reads the next whole input report, each waiting at
  // most kReportTimeoutMs.
  bool (*writeReport)(void* context, Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool (*readReport)(void* context, Handle handle, std::uint8_t* bytes, std::size_t length);

  void (*closeInterface)(void* context, Handle handle);

  // The platform's error code of this backend's last failed call, taken when it failed.
  std::uint32_t (*lastError)(void* context);
};

// Where a transport's requests go: to real units (the platform's bus), or to a stand-in that
// no ESC is behind (the simulated unit, a replay). What must never reach an ESC may go to a
// stand-in.
enum class Reach { RealUnits, StandIn };

// A backend's table with the context its operations are called with: what the core talks
// through. The members only hand each call on.
struct Transport {
  const Operations* operations;
  void* context;
  Reach reach;

  bool listInterfaces(std::vector<std::wstring>& paths) const { return operations->listInterfaces(context, paths); }
  Handle openInterface(const std::wstring& path) const { return operations->openInterface(context, path); }
  bool readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) const {
    return operations->readAttributes(context, handle, vendorId, productId);
  }
  bool readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) const {
    return operations->readReportLengths(context, handle, outputLength, inputLength);
  }
  bool writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) const {
    return operations->writeReport(context, handle, bytes, length);
  }
  bool readReport(Handle handle, std::uint8_t* bytes, std::size_t length) const {
    return operations->readReport(context, handle, bytes, length);
  }
  void closeInterface(Handle handle) const { operations->closeInterface(context, handle); }
  std::uint32_t lastError() const { return operations->lastError(context); }
};

// The transport of a backend object that has the eight operations above as member functions
// of the same names: one table for its class, the object as the context.
template <typename Backend>
Transport transportOf(Backend& backend, Reach reach = Reach::RealUnits) {
  static const Operations operations{
      [](void* b, std::vector<std::wstring>& paths) { return static_cast<Backend*>(b)->listInterfaces(paths); },
      [](void* b, const std::wstring& path) { return static_cast<Backend*>(b)->openInterface(path); },
      [](void* b, Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
        return static_cast<Backend*>(b)->readAttributes(handle, vendorId, productId);
      },
      [](void* b, Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
        return static_cast<Backend*>(b)->readReportLengths(handle, outputLength, inputLength);
      },
      [](void* b, Handle handle, const std::uint8_t* bytes, std::size_t length) {
        return static_cast<Backend*>(b)->writeReport(handle, bytes, length);
      },
      [](void* b, Handle handle, std::uint8_t* bytes, std::size_t length) {
        return static_cast<Backend*>(b)->readReport(handle, bytes, length);
      },
      [](void* b, Handle handle) { static_cast<Backend*>(b)->closeInterface(handle); },
      [](void* b) { return static_cast<Backend*>(b)->lastError(); },
  };
  return {&operations, &backend, reach};
}

// Chooses the transport every later call of the core goes through; its backend must outlive
// them.
void use(const Transport& transport);
const Transport& active();

}  // namespace hid
