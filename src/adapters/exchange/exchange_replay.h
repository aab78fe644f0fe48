#pragma once
// A transport that answers from an exchange file (see exchange_file.h) instead of a
// device. Every call must be the one recorded next, with the same arguments and, for
// a write, the same bytes; the first call that differs fails, and so does every call
// after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adapters/exchange/recorded_calls.h"
#include "seams/hid_transport.h"

namespace replay {

class Replay {
 public:
  // Reads and checks the whole file before anything is answered, and starts over from its
  // first call. False with a message naming the line for a file that cannot be read or is
  // not an exchange file.
  bool load(const std::string& path, std::string& error);

  // The operations of the hid:: seam, answered from the recording.
  bool listInterfaces(std::vector<std::wstring>& paths);
  hid::Handle openInterface(const std::wstring& path);
  bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void closeInterface(hid::Handle handle);
  std::uint32_t lastError() const { return lastError_; }

  // What the file holds beside the calls: the run, the events, the outcome, and what was
  // left out of it with a warning.
  const Recording& recording() const { return recording_; }

  // A stand-in: no ESC is behind a replay.
  hid::Transport transport();

  // From now on, once every recorded call is made, a close is no difference: the report of a
  // dialog session may end while the session still holds the unit (the page's is taken
  // whenever the user saves it), and the replay gives the unit up at its end all the same.
  void acceptCloseAfterEnd() { closeAfterEndAccepted_ = true; }

  // Asked when the run is over: empty when it made exactly the recorded calls; otherwise
  // the first difference, or the recorded calls it never made.
  std::string mismatch() const;

 private:
  const Call* expect(exchangefile::Operation operation);
  const Call* expectOn(exchangefile::Operation operation, hid::Handle handle);
  bool diverge(const std::string& message);

  Recording recording_;
  std::size_t next_ = 0;
  std::string divergence_;
  std::uint32_t lastError_ = 0;
  bool closeAfterEndAccepted_ = false;
};

}  // namespace replay
