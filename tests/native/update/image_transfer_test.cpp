#include <gtest/gtest.h>

#include <algorithm>

#include "seams/hid_transport.h"
#include "support/fixture.h"
#include "update/image_transfer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::string>;

// A unit whose ESC has just been erased and addressed, ready to take blocks.
class ImageTransferTest : public UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    bus().addUnit();
    ASSERT_EQ(discoverUnit(), 0);
    bus().updateDevice(sim::unitPath(), [](sim::Device& d) {
      d.unit.systemLock = true;
      d.unit.writeProtected = false;
      d.unit.erased = true;
      d.unit.addressSet = true;
      std::fill(d.unit.flash.begin(), d.unit.flash.end(), 0xFF);
    });
    bus().clearRequests();
    vclock::reset();
  }

  TransferResult send(const Bytes& image) {
    return transferImage(sys::FirmwareImage{image.data(), static_cast<std::uint32_t>(image.size())});
  }

  std::vector<Bytes> blockRequests() {
    std::vector<Bytes> blocks;
    for (const sim::LoggedRequest& r : bus().requests()) {
      EXPECT_EQ(r.command(), UnitCommand::WriteBlock);
      blocks.push_back(r.bytes);
    }
    return blocks;
  }

  Bytes flash() { return bus().device(sim::unitPath()).unit.flash; }

  // The image at the start of flash and erased cells after it.
  void expectFlashHolds(const Bytes& image) {
    Bytes expected(sim::kFlashSize, 0xFF);
    std::copy(image.begin(), image.end(), expected.begin());
    EXPECT_TRUE(flash() == expected);
  }
};

// The request of one block: header, data bytes, zero after them.
Bytes blockRequest(const Bytes& data) {
  Bytes request(60, 0);
  request[0] = 1;
  request[1] = 0x1B;
  request[2] = static_cast<std::uint8_t>(data.size());
  std::copy_n(data.begin(), std::min<std::size_t>(data.size(), request.size() - 4), request.begin() + 4);
  return request;
}

Bytes padded(Bytes bytes, std::size_t size) {
  bytes.resize(size, 0xFF);
  return bytes;
}

// The request of a staged final block: byte 2 counts the data, the whole 48-byte staging
// buffer with its 0xFF padding follows.
Bytes stagedBlockRequest(const Bytes& tail, std::size_t dataBytes) {
  Bytes request = blockRequest(padded(tail, 48));
  request[2] = static_cast<std::uint8_t>(dataBytes);
  return request;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) {
  return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

// The window opens at the transfer's start, before any block, with the pauses of all blocks ahead.
Calls started(const std::string& start) { return {"open progress", "progress Writing " + start}; }

Calls joined(Calls head, const Calls& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(ImageTransferTest, NinetySixBytesGoAsTwoFullBlocksStraightFromTheImage) {
  const Bytes image = vclock::sampleImage(96);
  const TransferResult outcome = send(image);

  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(blockRequests(),
            (std::vector<Bytes>{blockRequest(slice(image, 0, 48)), blockRequest(slice(image, 48, 48))}));
  EXPECT_EQ(rec::calls(), joined(started("0/96 40ms"), {"progress Writing 48/96 40ms", "progress Writing 96/96 20ms",
                                                         "close progress"}));
  EXPECT_EQ(rec::progressPositions(), (std::vector<unsigned>{0, 50, 100}));
  EXPECT_EQ(vclock::pauses(), (std::vector<std::uint32_t>{20, 20})) << "a pause after every block";
  expectFlashHolds(image);
}

// The unit needs its 20 ms after answering; time the exchange itself takes does not count.
TEST_F(ImageTransferTest, ThePauseAfterABlockRunsFromTheUnitsReply) {
  constexpr std::uint32_t kExchangeMs = 3;
  bus().setReplyFilter([](std::vector<std::uint8_t>&) { vclock::advance(kExchangeMs); });
  send(vclock::sampleImage(3 * 48));
  const std::vector<sim::LoggedRequest> sent = bus().requests();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].time - sent[0].time, kExchangeMs + 20);
  EXPECT_EQ(sent[2].time - sent[1].time, kExchangeMs + 20);
}

TEST_F(ImageTransferTest, TheFinalPartialBlockIsPaddedWithFFAndLosesNoByte) {
  struct Case {
    std::size_t size;
    std::size_t finalDataBytes;  // byte 2 of the final request: whole words, rounded up
  } cases[] = {{100, 4}, {98, 4}, {1, 4}, {47, 48}, {140, 44}};
  for (const Case& c : cases) {
    SetUp();
    const Bytes image = vclock::sampleImage(c.size);
    ASSERT_EQ(send(image).result, 0) << c.size;

    const std::vector<Bytes> blocks = blockRequests();
    const std::size_t fullBlocks = c.size / 48;
    ASSERT_EQ(blocks.size(), fullBlocks + 1) << c.size;
    const Bytes tail = slice(image, 48 * fullBlocks, c.size % 48);
    EXPECT_EQ(blocks.back(), stagedBlockRequest(tail, c.finalDataBytes)) << c.size;
    EXPECT_EQ(rec::progressPositions().back(), 100u) << c.size;
    expectFlashHolds(image);
  }
}

TEST_F(ImageTransferTest, AnEmptyImageSendsNothingButStillOpensAndClosesTheWindow) {
  EXPECT_EQ(send(Bytes{}).result, 0);
  EXPECT_TRUE(bus().requests().empty());
  EXPECT_EQ(rec::calls(), joined(started("0/0 0ms"), {"close progress"}));
  EXPECT_EQ(rec::progressPositions(), std::vector<unsigned>{0}) << "no division by the empty image's size";
  EXPECT_TRUE(vclock::pauses().empty());
}

TEST_F(ImageTransferTest, ProgressIsTruncatedInUnsignedArithmetic) {
  send(vclock::sampleImage(7 * 48));
  EXPECT_EQ(rec::progressPositions(), (std::vector<unsigned>{0, 14, 28, 42, 57, 71, 85, 100}));
}

TEST_F(ImageTransferTest, AFailedBlockStopsTheTransferClosesTheWindowAndHandsBackItsLastError) {
  struct Case {
    const char* name;
    sim::Fault fault;
    ExchangeResult result;
    std::uint32_t systemError;
    std::size_t blocksSent;
    std::size_t pauses;
    Calls afterStart;
  } cases[] = {
      {"write fails at the first block", sim::faultAtCommand(sim::FaultKind::WriteFails, UnitCommand::WriteBlock, 1),
       -2, sim::kErrorGeneralFailure, 0, 0, {"close progress"}},
      {"reply lost at the first block", sim::faultAtCommand(sim::FaultKind::ReadFails, UnitCommand::WriteBlock, 1),
       -3, sim::kErrorGeneralFailure, 1, 0, {"close progress"}},
      {"unit refuses the second block",
       sim::faultAtCommand(sim::FaultKind::ErrorReport, UnitCommand::WriteBlock, 2, 0xC0DE0042),
       static_cast<ExchangeResult>(0xC0DE0042), 2, 2, 1, {"progress Writing 48/144 60ms", "close progress"}},
  };
  for (const Case& c : cases) {
    SetUp();
    rec::reset();
    hid::active().openInterface(L"no such device");  // leaves last error 2, to tell a stale value from a fresh one
    bus().setFault(c.fault);
    const TransferResult outcome = send(vclock::sampleImage(3 * 48));
    EXPECT_EQ(outcome.result, c.result) << c.name;
    EXPECT_EQ(outcome.systemError, c.systemError) << c.name;
    EXPECT_EQ(blockRequests().size(), c.blocksSent) << c.name << ": nothing is sent after the failed block";
    EXPECT_EQ(rec::calls(), joined(started("0/144 60ms"), c.afterStart)) << c.name;
    EXPECT_EQ(vclock::pauses().size(), c.pauses) << c.name << ": no pause after the failed block";
  }
}

}  // namespace
