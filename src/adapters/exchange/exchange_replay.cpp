#include "adapters/exchange/exchange_replay.h"

#include <algorithm>
#include <cerrno>

#include "base/format_text.h"
#include "base/hex_text.h"

namespace replay {
namespace {

using exchangefile::nameOf;
using exchangefile::Operation;

std::string hexByte(std::uint8_t b) { return "0x" + hextext::fromBytes(&b, 1); }

std::string lineOf(const Call& call) { return "line " + std::to_string(call.line); }
std::string at(const Call& call) { return lineOf(call) + ": "; }

}  // namespace

bool Replay::load(const std::string& path, std::string& error) {
  *this = Replay{};
  return readRecording(path, recording_, error);
}

bool Replay::listInterfaces(std::vector<std::wstring>& paths) {
  const Call* call = expect(Operation::List);
  if (!call) return false;
  paths = call->paths;
  return call->ok;
}

hid::Handle Replay::openInterface(const std::wstring& path) {
  const Call* call = expect(Operation::Open);
  if (!call) return hid::kInvalidHandle;
  if (call->path != path) {
    diverge(at(*call) + "open of \"" + wideToUtf8(call->path) + "\" recorded, this run opens \"" + wideToUtf8(path) +
            "\"");
    return hid::kInvalidHandle;
  }
  return call->handle;
}

bool Replay::readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const Call* call = expectOn(Operation::Attributes, handle);
  if (!call || !call->ok) return false;
  vendorId = call->vendorId;
  productId = call->productId;
  return true;
}

bool Replay::readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const Call* call = expectOn(Operation::Lengths, handle);
  if (!call || !call->ok) return false;
  outputLength = call->outputLength;
  inputLength = call->inputLength;
  return true;
}

bool Replay::writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const Call* call = expectOn(Operation::Write, handle);
  if (!call) return false;
  if (length != call->data.size()) {
    return diverge(at(*call) + "a report of " + std::to_string(call->data.size()) +
                   " bytes recorded, this run writes " + std::to_string(length) + " bytes");
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (bytes[i] != call->data[i]) {
      return diverge(at(*call) + "the report differs from the recording at byte " + std::to_string(i) + " (recorded " +
                     hexByte(call->data[i]) + ", this run " + hexByte(bytes[i]) + "); recorded " +
                     hextext::fromBytes(call->data.data(), call->data.size()) + ", this run " +
                     hextext::fromBytes(bytes, length));
    }
  }
  return call->ok;
}

bool Replay::readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const Call* call = expectOn(Operation::Read, handle);
  if (!call) return false;
  if (length != call->length) {
    return diverge(at(*call) + "a read of " + std::to_string(call->length) + " bytes recorded, this run reads " +
                   std::to_string(length) + " bytes");
  }
  if (!call->ok) return false;
  std::copy(call->data.begin(), call->data.end(), bytes);
  return true;
}

void Replay::closeInterface(hid::Handle handle) {
  if (closeAfterEndAccepted_ && divergence_.empty() && next_ == recording_.calls.size()) return;
  expectOn(Operation::Close, handle);
}

hid::Transport Replay::transport() { return hid::transportOf(*this, hid::Reach::StandIn); }

std::string Replay::mismatch() const {
  if (!divergence_.empty()) return divergence_;
  if (next_ == recording_.calls.size()) return "";
  const Call& first = recording_.calls[next_];
  return "this run ended before " + lineOf(first) + " (" + nameOf(first.operation) + "); " +
         std::to_string(recording_.calls.size() - next_) + " recorded calls were not made";
}

// The recorded call this run must make now, when it is of this kind; nullptr once the
// run has diverged.
const Call* Replay::expect(Operation operation) {
  if (!divergence_.empty()) return nullptr;
  if (next_ == recording_.calls.size()) {
    const std::size_t lastLine = recording_.calls.empty() ? 1 : recording_.calls.back().line;
    diverge("the recording ends after line " + std::to_string(lastLine) + ", this run goes on with " +
            nameOf(operation));
    return nullptr;
  }
  const Call& call = recording_.calls[next_];
  if (call.operation != operation) {
    diverge(at(call) + "the recording has " + nameOf(call.operation) + ", this run calls " + nameOf(operation));
    return nullptr;
  }
  ++next_;
  lastError_ = call.error;
  return &call;
}

// The same, for a call on an open interface: the handle must be the recorded one too.
const Call* Replay::expectOn(Operation operation, hid::Handle handle) {
  const Call* call = expect(operation);
  if (!call || handle == call->handle) return call;
  diverge(at(*call) + nameOf(operation) + " on handle " + std::to_string(call->handle) +
          " recorded, this run uses handle " + std::to_string(handle));
  return nullptr;
}

bool Replay::diverge(const std::string& message) {
  if (divergence_.empty()) divergence_ = message;
  lastError_ = EPROTO;
  return false;
}

}  // namespace replay
