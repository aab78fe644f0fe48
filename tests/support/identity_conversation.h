#pragma once
// A transport asked for the identity of its first interface, call by call, as text to
// compare: what one transport answers against what another did.
#include <string>
#include <vector>

#include "base/hex_text.h"
#include "link/unit_protocol.h"
#include "seams/hid_transport.h"

namespace talk {

inline std::vector<Report> identityRequests() {
  return {queryStateRequest(), readEscInfoRequest(), readEscLoaderInfoRequest()};
}

inline std::string hex(const Report& report, std::size_t length) { return hextext::fromBytes(report.data(), length); }

// What the host does and is told while it identifies the first interface, one line per
// call, failures with the transport's last error.
inline std::vector<std::string> conversation(const hid::Transport& t, const std::vector<Report>& requests) {
  std::vector<std::string> seen;
  auto outcome = [&](const std::string& what, bool ok) {
    seen.push_back(what + (ok ? "" : " failed, error " + std::to_string(t.lastError())));
  };
  std::vector<std::wstring> paths;
  outcome("list", t.listInterfaces(paths) && !paths.empty());
  if (paths.empty()) return seen;
  const hid::Handle handle = t.openInterface(paths[0]);
  outcome("open", handle != hid::kInvalidHandle);
  std::uint16_t vendor = 0, product = 0;
  std::uint32_t output = 0, input = 0;
  outcome("ids", t.readAttributes(handle, vendor, product));
  outcome("lengths", t.readReportLengths(handle, output, input));
  seen.push_back(std::to_string(vendor) + ":" + std::to_string(product) + " " + std::to_string(output) + "/" +
                 std::to_string(input));
  for (const Report& request : requests) {
    outcome("write " + hex(request, output), t.writeReport(handle, request.data(), output));
    Report reply(input);
    const bool read = t.readReport(handle, reply.data(), input);
    outcome("read " + (read ? hex(reply, input) : ""), read);
  }
  t.closeInterface(handle);
  return seen;
}

}  // namespace talk
