// Exchange files and reports as a user might hand them in: the replay reads any bytes, and
// whatever it accepts drives a whole discovery and identity query through the core, and then
// the dialog session its events tell, while its run and outcome are written out as a replay
// tells them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "link/unit_device.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/exchange/json_line.h"
#include "adapters/exchange/session_report.h"
#include "adapters/linux/hidraw.h"

namespace {

std::string writeTemporaryFile(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/replay-fuzz-" + std::to_string(getpid()) + ".jsonl";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return "";
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = writeTemporaryFile(data, size);
  std::string error;
  replay::Replay replay;
  if (path.empty() || !replay.load(path, error)) return 0;
  hid::use(replay.transport());
  const replay::Recording& report = replay.recording();
  jsonl::line(report.run);
  jsonl::line(report.outcome);
  discoverUnit();
  resetDevice();
  for (const replay::Event& line : report.events) {
    session::Event event;
    dlg::BoxKind kind;
    dlg::Answer answer;
    if (record::sessionEventOf(line.fields, event)) session::handle(event);
    record::answerOf(line.fields, kind, answer);
  }
  resetDevice();
  replay.mismatch();
  return 0;
}
