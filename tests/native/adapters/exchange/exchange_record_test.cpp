#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "link/unit_protocol.h"
#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/exchange/json_line.h"
#include "support/fixture.h"
#include "support/identity_conversation.h"
#include "support/temp_dir.h"

namespace {

using talk::conversation;
using talk::identityRequests;

class ExchangeRecordTest : public UpdaterTest {
 protected:
  std::vector<std::string> recordIdentity() {
    record::Recorder recorder;
    EXPECT_TRUE(recorder.start(file, bus().transport()));
    std::vector<std::string> seen = conversation(recorder.transport(), identityRequests());
    EXPECT_TRUE(recorder.finish());
    freshBus();  // from here on, nothing but the file can answer
    return seen;
  }

  void loadReplay() {
    std::string error;
    ASSERT_TRUE(replay.load(file, error)) << error;
  }

  TempDir dir;
  std::string file = dir.path("exchanges.jsonl");
  replay::Replay replay;
};

TEST_F(ExchangeRecordTest, ARecordedIdentityQueryReplaysByteForByte) {
  bus().addUnit();
  const std::vector<std::string> recorded = recordIdentity();
  ASSERT_EQ(recorded.size(), 11u);
  EXPECT_EQ(recorded[4], "8632:1 60/60");
  EXPECT_EQ(recorded[10].substr(0, 29), "read 022200003c401f1102010000") << "type code and loader version";

  loadReplay();
  EXPECT_EQ(conversation(replay.transport(), identityRequests()), recorded);
  EXPECT_EQ(replay.mismatch(), "");
}

TEST_F(ExchangeRecordTest, EveryCallIsOneTimestampedJsonLine) {
  bus().addUnit();
  recordIdentity();
  std::istringstream lines(dir.read("exchanges.jsonl"));
  std::vector<std::string> ops;
  std::int64_t lastMs = 0;
  for (std::string line; std::getline(lines, line);) {
    jsonl::Object object;
    std::string error;
    ASSERT_TRUE(jsonl::parseObject(line, object, error)) << error << ": " << line;
    ASSERT_TRUE(object["ms"].is_number_integer()) << line;
    ASSERT_TRUE(object["op"].is_string()) << line;
    EXPECT_GE(object["ms"].get<std::int64_t>(), lastMs);
    lastMs = object["ms"].get<std::int64_t>();
    ops.push_back(object["op"].get<std::string>());
  }
  EXPECT_EQ(ops, (std::vector<std::string>{"begin", "list", "open", "attributes", "lengths", "write", "read", "write",
                                           "read", "write", "read", "close"}));
}

TEST_F(ExchangeRecordTest, ADifferentRequestFailsAndNamesTheLineAndByte) {
  bus().addUnit();
  recordIdentity();
  loadReplay();
  const std::vector<std::string> seen =
      conversation(replay.transport(), {queryStateRequest(), readUnitMemoryRequest(), readEscLoaderInfoRequest()});
  ASSERT_EQ(seen.size(), 11u);
  EXPECT_EQ(seen[7].substr(0, 10), "write 010a");
  EXPECT_NE(seen[7].find("failed, error " + std::to_string(EPROTO)), std::string::npos);
  EXPECT_NE(seen[10].find("failed"), std::string::npos) << "nothing is answered after a difference";
  EXPECT_EQ(replay.mismatch().substr(0, 94),
            "line 8: the report differs from the recording at byte 1 (recorded 0x1d, this run 0x0a); record");
}

TEST_F(ExchangeRecordTest, CallsOfAnotherKindOrPathOrLengthAreDifferencesToo) {
  bus().addUnit();
  recordIdentity();
  const hid::Transport& t = replay.transport();
  std::vector<std::wstring> paths;
  std::uint16_t vendor = 0, product = 0;
  std::uint8_t buffer[64] = {};

  loadReplay();
  t.readAttributes(3, vendor, product);
  EXPECT_EQ(replay.mismatch(), "line 2: the recording has list, this run calls attributes");

  loadReplay();
  t.listInterfaces(paths);
  EXPECT_EQ(t.openInterface(L"/dev/hidraw9"), hid::kInvalidHandle);
  EXPECT_EQ(replay.mismatch().substr(0, 37), "line 3: open of \"\\\\?\\HID#VID_21B8&PID");

  loadReplay();
  t.listInterfaces(paths);
  const hid::Handle handle = t.openInterface(paths.at(0));
  t.readAttributes(handle, vendor, product);
  std::uint32_t output = 0, input = 0;
  t.readReportLengths(handle, output, input);
  EXPECT_FALSE(t.writeReport(handle, buffer, 64));
  EXPECT_EQ(replay.mismatch(), "line 6: a report of 60 bytes recorded, this run writes 64 bytes");

  loadReplay();
  t.listInterfaces(paths);
  t.openInterface(paths.at(0));
  EXPECT_EQ(replay.mismatch(), "this run ended before line 4 (attributes); 9 recorded calls were not made");
}

TEST_F(ExchangeRecordTest, FailuresAndTheirErrorCodesReplayToo) {
  bus().addUnit();
  bus().setFault(sim::faultAtExchange(sim::FaultKind::ReadFails, 2));
  const std::vector<std::string> recorded = recordIdentity();
  EXPECT_EQ(recorded[8], "read  failed, error " + std::to_string(sim::kErrorGeneralFailure));

  loadReplay();
  EXPECT_EQ(conversation(replay.transport(), identityRequests()), recorded);
  EXPECT_EQ(replay.mismatch(), "");
}

TEST_F(ExchangeRecordTest, ARecordingThatCannotBeCreatedIsRefused) {
  record::Recorder recorder;
  EXPECT_FALSE(recorder.start(dir.path("missing/exchanges.jsonl"), bus().transport()));
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(ExchangeRecordTest, FilesThatAreNotRecordedExchangesAreRefusedWithTheirLine) {
  const std::string header = R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":1})";
  const struct {
    std::string contents;
    std::string error;
  } cases[] = {
      {"", "empty, not a file of recorded exchanges"},
      {"hello\n", "line 1: column 1: syntax error while parsing value - invalid literal; last read: 'h'"},
      {R"({"ms":0,"op":"begin","format":"other","version":1})", "line 1: not a file of recorded exchanges"},
      {R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":3})",
       "line 1: version 3 comes from a newer program; this one reads versions 1 to 2"},
      {R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":0})", "line 1: version 0 is not supported"},
      {R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":2})", "line 1: \"run\" is missing"},
      {R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":2,"run":[]})",
       "line 1: \"run\" must be an object"},
      {R"({"ms":0,"op":"list","ok":true,"paths":[],"error":0})",
       "line 1: not a file of recorded exchanges: it does not start with a \"begin\" line"},
      {header + "\n\n",
       "line 2: column 1: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {header + "\n" + R"({"ms":1,"op":"wri)" + "\n",
       "line 2: column 18: syntax error while parsing value - invalid string: missing closing quote; last read: "
       "'\"wri'"},
      {header + "\n" + R"({"ms":1,"op":"close","handle":3,"error":5,"platform":5})",
       "line 2: \"platform\" must be a string"},
      {header + "\n" + R"({"ms":1,"op":"event","what":"arrival"})", "line 2: \"event\" is missing"},
      {header + "\n" + R"({"ms":1,"op":"outcome","readiness":"NoUnit"})" + "\n" + R"({"ms":1,"op":"close","handle":3,"error":0})",
       "line 3: a line after the outcome"},
      {header + "\n" + R"({"ms":1,"op":"erase","handle":3,"ok":true,"error":0})", "line 2: unknown \"op\" \"erase\""},
      {header + "\n" + R"({"op":"close","handle":3,"error":0})", "line 2: \"ms\" is missing"},
      {header + "\n" + R"({"ms":1,"op":"close","handle":"3","error":0})", "line 2: \"handle\" must be an integer"},
      {header + "\n" + R"({"ms":1,"op":"close","handle":3.5,"error":0})", "line 2: \"handle\" must be an integer"},
      {header + "\n" + R"({"ms":1,"op":"close","handle":-2,"error":0})", "line 2: \"handle\" is out of range"},
      {header + "\n" + R"({"ms":1,"op":"close","handle":3,"error":18446744073709551615})",
       "line 2: \"error\" is out of range"},
      {header + "\n" + R"({"ms":1,"op":"close","handle":3,"handle":4,"error":0})",
       "line 2: \"handle\" is given twice"},
      {header + "\n" + R"({"ms":1,"op":"list","ok":true,"paths":["/dev/hidraw0",7],"error":0})",
       "line 2: \"paths\" must be an array of strings"},
      {header + "\n" + R"(["ms",1])", "line 2: column 1: expected an object"},
      {header + "\n" + R"({"ms":1,"op":"write","handle":3,"ok":true,"data":"0108f","error":0})",
       "line 2: \"data\" is not a string of hex byte pairs"},
      {header + "\n" + R"({"ms":1,"op":"read","handle":3,"length":3,"ok":true,"data":"0102","error":0})",
       "line 2: \"data\" does not hold \"length\" bytes"},
      {header + "\n" + R"({"ms":1,"op":"attributes","handle":3,"ok":true,"vendor":65536,"product":1,"error":0})",
       "line 2: \"vendor\" is out of range"},
  };
  for (const auto& c : cases) {
    dir.write("bad.jsonl", c.contents);
    std::string error;
    EXPECT_FALSE(replay.load(dir.path("bad.jsonl"), error)) << c.contents;
    EXPECT_EQ(error, dir.path("bad.jsonl") + (c.error[0] == 'l' ? " " : ": ") + c.error) << c.contents;
  }
  std::string error;
  EXPECT_FALSE(replay.load(dir.path("none.jsonl"), error));
  EXPECT_EQ(error, dir.path("none.jsonl") + ": No such file or directory");
}

// A report as a front end writes it into memory: the run first, the events among the calls in
// the order they came, the outcome last; and read back as a replay reads it.
TEST_F(ExchangeRecordTest, AReportInMemoryHoldsTheRunEventsPlatformWordsAndOutcome) {
  bus().addUnit();
  bus().setFault(sim::faultAtExchange(sim::FaultKind::ReadFails, 2));
  record::MemorySink sink;
  record::Recorder recorder;
  record::Run run;
  run.frontEnd = "page";
  run.imageSha256 = "ab";
  run.browser = "Chromium";
  run.browserVersion = "120";
  run.started = "2026-12-10T19:31:05Z";
  recorder.start(sink, bus().transport(), run);
  recorder.describeErrorsWith([](std::uint32_t error) { return "error number " + std::to_string(error); });
  recorder.event("arrival", {{"path", "unit-1"}});
  const std::vector<std::string> recorded = conversation(recorder.transport(), identityRequests());
  recorder.event("press", {{"control", "Update"}});
  recorder.outcome({{"readiness", "Ready"}});
  ASSERT_TRUE(recorder.finish());

  const std::string text = sink.text();
  EXPECT_EQ(text.substr(0, text.find('\n')),
            R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":2,"run":{"frontEnd":"page",)"
            R"("imageSha256":"ab","platform":{"browser":"Chromium","browserVersion":"120"},)"
            R"("started":"2026-12-10T19:31:05Z"}})");
  const std::string failedRead = ",\"error\":" + std::to_string(sim::kErrorGeneralFailure) + ",\"platform\":\"error number " +
                                 std::to_string(sim::kErrorGeneralFailure) + "\"}";
  EXPECT_NE(text.find(failedRead), std::string::npos) << text;
  EXPECT_EQ(text.find("\"error\":0,\"platform\""), std::string::npos) << "only a failed call has words";

  dir.write("exchanges.jsonl", text);
  freshBus();
  loadReplay();
  const replay::Recording& report = replay.recording();
  EXPECT_EQ(report.version, 2);
  EXPECT_FALSE(report.run.contains("browser")) << "the platform's fields stay in their object";
  EXPECT_EQ(report.run["platform"]["browser"], "Chromium");
  ASSERT_EQ(report.events.size(), 2u);
  EXPECT_EQ(report.events[0].line, 2u);
  EXPECT_EQ(report.events[0].fields["event"], "arrival");
  EXPECT_EQ(report.events[1].fields["control"], "Update");
  EXPECT_EQ(report.outcome["readiness"], "Ready");
  EXPECT_TRUE(report.warnings.empty());
  EXPECT_EQ(conversation(replay.transport(), identityRequests()), recorded) << "events are not calls";
  EXPECT_EQ(replay.mismatch(), "");
}

// A front end whose transport changes while its run goes on (the page that takes the unit over
// from another tab) keeps one report; a failed call the platform has no words for gets none.
TEST_F(ExchangeRecordTest, AReportGoesOnThroughAnotherTransportWithWordsOnlyWhereThereAreAny) {
  sim::Bus noUnit;
  bus().addUnit();
  bus().setFault(sim::faultAtExchange(sim::FaultKind::ReadFails, 2));
  record::MemorySink sink;
  record::Recorder recorder;
  recorder.start(sink, noUnit.transport());
  recorder.describeErrorsWith([](std::uint32_t) { return std::string(); });
  std::vector<std::wstring> paths;
  EXPECT_TRUE(recorder.transport().listInterfaces(paths));
  EXPECT_TRUE(paths.empty());
  recorder.passTo(bus().transport());
  const std::vector<std::string> recorded = conversation(recorder.transport(), identityRequests());
  ASSERT_TRUE(recorder.finish());

  const std::string text = sink.text();
  EXPECT_NE(text.find("\"error\":" + std::to_string(sim::kErrorGeneralFailure)), std::string::npos) << text;
  EXPECT_EQ(text.find("\"platform\":\""), std::string::npos) << text;
  EXPECT_EQ(text.find("\"op\":\"begin\""), text.rfind("\"op\":\"begin\"")) << "one begin line";
  dir.write("exchanges.jsonl", text);
  freshBus();
  loadReplay();
  std::vector<std::wstring> replayedPaths;
  EXPECT_TRUE(replay.listInterfaces(replayedPaths));
  EXPECT_TRUE(replayedPaths.empty());
  EXPECT_EQ(conversation(replay.transport(), identityRequests()), recorded);
  EXPECT_EQ(replay.mismatch(), "");
}

TEST_F(ExchangeRecordTest, ALastLineCutOffIsLeftOutWithAWarning) {
  bus().addUnit();
  recordIdentity();
  std::string text = dir.read("exchanges.jsonl");
  text.resize(text.size() - 5);  // inside the close, without its newline
  dir.write("exchanges.jsonl", text);
  loadReplay();
  EXPECT_EQ(replay.recording().warnings,
            (std::vector<std::string>{"line 12 is cut off and left out: column 41: syntax error while parsing "
                                      "object key - invalid string: missing closing quote; last read: '\"error'; "
                                      "expected string literal"}));
  conversation(replay.transport(), identityRequests());
  EXPECT_EQ(replay.mismatch(), "the recording ends after line 11, this run goes on with close");
}

TEST(JsonLineTest, ALineIsOneObjectWithEachKeyOnce) {
  jsonl::Object object;
  std::string error;
  ASSERT_TRUE(jsonl::parseObject(R"( { "a" : "x\"\\\/\n\u00e9\ud83d\ude00" , "b":-12, "c":[ ] } )", object, error))
      << error;
  EXPECT_EQ(object["a"], "x\"\\/\n\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(object["b"], -12);
  EXPECT_TRUE(object["c"].empty());

  const struct {
    const char* line;
    const char* error;
  } refused[] = {
      {"", "column 1: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {R"({"a":1,})", "column 8: syntax error while parsing object key - unexpected '}'; expected string literal"},
      {R"({"a":1,"a":2})", "\"a\" is given twice"},
      {R"("a")", "column 1: expected an object"},
      {R"({"a":"\ud800"})", "column 13: syntax error while parsing value - invalid string: surrogate U+D800..U+DBFF "
                            "must be followed by U+DC00..U+DFFF; last read: '\"\\ud800\"'"},
      {R"({"a":1} x)",
       "column 9: syntax error while parsing value - invalid literal; last read: '1} x'; expected end of input"},
  };
  for (const auto& c : refused) {
    EXPECT_FALSE(jsonl::parseObject(c.line, object, error)) << c.line;
    EXPECT_EQ(error, c.error) << c.line;
  }
}

TEST(JsonLineTest, WrittenLinesKeepTheirKeyOrderAndReadBackUnchanged) {
  const std::string awkward = "C:\\\"quoted\"\r\n\x01 \xC3\xA4";
  const jsonl::Object written = {{"path", awkward}, {"n", -9}, {"ok", false}, {"paths", {awkward, ""}}};
  const std::string line = jsonl::line(written);
  const std::string quoted = R"("C:\\\"quoted\"\r\n\u0001 )" "\xC3\xA4\"";
  EXPECT_EQ(line, R"({"path":)" + quoted + R"(,"n":-9,"ok":false,"paths":[)" + quoted + R"(,""]})");
  jsonl::Object object;
  std::string error;
  ASSERT_TRUE(jsonl::parseObject(line, object, error)) << error << ": " << line;
  EXPECT_EQ(object, written);
}

TEST(JsonLineTest, BytesThatAreNotUtf8AreWrittenAsReplacementCharacters) {
  EXPECT_EQ(jsonl::line({{"path", "/dev/\xFFhid"}}), "{\"path\":\"/dev/\xEF\xBF\xBDhid\"}");
}

}  // namespace
