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
// the simulated unit, a recorder in front of another table, a replay in place of one)
// provides one, and the program's entry or a test chooses which one the core talks to.
struct Transport {
  // Paths of the present HID interfaces in the platform's stable enumeration order.
  // False when the set of interfaces cannot be obtained at all.
  bool (*listInterfaces)(std::vector<std::wstring>& paths);

  // Opens an interface for reading and writing, shared; kInvalidHandle on failure.
  Handle (*openInterface)(const std::wstring& path);

  bool (*readAttributes)(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);

  // The capabilities' output and input report byte lengths, report id included.
  bool (*readReportLengths)(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);

  // Writes one whole output report / reads the next whole input report, each waiting at
  // most kReportTimeoutMs.
  bool (*writeReport)(Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool (*readReport)(Handle handle, std::uint8_t* bytes, std::size_t length);

  void (*closeInterface)(Handle handle);

  // The platform's error code of the last failed call on this thread.
  std::uint32_t (*lastError)();
};

// Chooses the transport every later call of the core goes through; it must outlive them.
void use(const Transport& transport);
const Transport& active();

}  // namespace hid
