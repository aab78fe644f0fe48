#include <gtest/gtest.h>

#include "link/unit_protocol.h"
#include "support/fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes head(const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

class UnitProtocolTest : public UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    bus().addUnit();
    ASSERT_EQ(discoverUnit(), 0);
    bus().clearRequests();
  }
  Bytes lastRequest() { return bus().requests().back().bytes; }
};

struct RequestCase {
  const char* name;
  Report (*build)();
  Bytes expected;  // bytes 0.. of the request; everything after them is zero
};

TEST_F(UnitProtocolTest, EveryCommandSendsExactlyTheTableBytesAndZeroElsewhere) {
  const RequestCase cases[] = {
      {"QueryState", queryStateRequest, {1, 0x08, 0}},
      {"ReadUnitMemory", readUnitMemoryRequest, {1, 0x0A, 12, 0, 0x00, 0xFC, 0x01, 0x08}},
      {"SetSystemLock 1", [] { return setSystemLockRequest(true); }, {1, 0x0B, 1, 1}},
      {"SetSystemLock 0", [] { return setSystemLockRequest(false); }, {1, 0x0B, 1, 0}},
      {"ReadEscInfo", readEscInfoRequest, {1, 0x1D, 8, 0, 32, 0, 0, 0, 0xE0, 0xFF, 0xFF, 0xFF}},
      {"EraseFirmware", eraseFirmwareRequest, {1, 0x1E, 4, 0, 0xE9, 0xC3, 0x17, 0x5A}},
      {"SetWriteAddress", setWriteAddressRequest, {1, 0x1F, 9, 1, 0, 0, 0, 0, 0xE9, 0xC3, 0x17, 0x5A}},
      {"SetWriteProtection 0", [] { return setWriteProtectionRequest(false); }, {1, 0x20, 1, 0}},
      {"SetWriteProtection 1", [] { return setWriteProtectionRequest(true); }, {1, 0x20, 1, 1}},
      {"ReadEscLoaderInfo", readEscLoaderInfoRequest, {1, 0x22}},
  };
  for (const RequestCase& c : cases) {
    Report reply;
    ASSERT_EQ(exchange(c.build(), reply), 0) << c.name;
    Bytes sent = lastRequest();
    ASSERT_EQ(sent.size(), 60u) << c.name;
    Bytes expected = c.expected;
    expected.resize(60, 0);
    EXPECT_EQ(sent, expected) << c.name;
  }
}

TEST_F(UnitProtocolTest, WriteBlockCarriesUpToFourteenWordsAndRefusesMore) {
  Bytes block(60);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i + 1);
  writeBlock(block.data(), 56, 14);
  Bytes sent = lastRequest();
  EXPECT_EQ(head(sent, 4), (Bytes{1, 0x1B, 56, 0}));
  EXPECT_EQ(Bytes(sent.begin() + 4, sent.end()), head(block, 56));

  // A staged final block: 3 words of data, then its padding up to the block's end.
  Bytes staged(48, 0xFF);
  std::copy(block.begin(), block.begin() + 12, staged.begin());
  writeBlock(staged.data(), staged.size(), 3);
  sent = lastRequest();
  EXPECT_EQ(sent[2], 12);
  EXPECT_EQ(Bytes(sent.begin() + 4, sent.begin() + 52), staged);
  EXPECT_EQ(Bytes(sent.begin() + 52, sent.end()), Bytes(8, 0)) << "bytes after the block are zero";

  const std::size_t before = bus().requests().size();
  EXPECT_EQ(writeBlock(block.data(), 60, 15), -1);
  EXPECT_EQ(writeBlock(block.data(), 8, 3), -1) << "more words than the block holds";
  EXPECT_EQ(bus().requests().size(), before);
}

TEST_F(UnitProtocolTest, StandardStatusTakesTheLittleEndianCodeOfAnErrorReport) {
  struct Case {
    std::uint32_t code;
    ExchangeResult expected;
  } cases[] = {{0, 0}, {0x0A0B0C0D, 0x0A0B0C0D}, {0xFFFFFFFD, -3}};
  for (const Case& c : cases) {
    bus().setFault(sim::faultAtExchange(sim::FaultKind::ErrorReport, 1, c.code));
    Report reply;
    ASSERT_EQ(exchange(setWriteAddressRequest(), reply), 0);
    EXPECT_EQ(reply.u8(1), 0xFF);
    EXPECT_EQ(standardStatus(reply), c.expected) << std::hex << c.code;
  }
}

TEST_F(UnitProtocolTest, TransportFailuresGiveMinusTwoAndMinusThree) {
  Report reply;
  bus().setFault(sim::faultAtExchange(sim::FaultKind::WriteFails, 1));
  EXPECT_EQ(exchange(queryStateRequest(), reply), -2);
  bus().setFault(sim::faultAtExchange(sim::FaultKind::ReadFails, 1));
  EXPECT_EQ(exchange(queryStateRequest(), reply), -3);
  EXPECT_TRUE(unitDevice.isOpen()) << "a failed exchange leaves the unit open";
}

TEST_F(UnitProtocolTest, EraseWaitsASecondBetweenWritingAndReading) {
  // The unit accepts the erase only when locked and unprotected.
  Report reply;
  exchange(setSystemLockRequest(true), reply);
  exchange(setWriteProtectionRequest(false), reply);
  bus().clearRequests();
  EXPECT_EQ(eraseFirmware(), 0);
  EXPECT_EQ(vclock::pauses(), std::vector<std::uint32_t>{1000});
  EXPECT_EQ(bus().requests().at(0).time, 0u) << "the pause comes after the write";
  EXPECT_EQ(bus().device(sim::unitPath()).unit.flash[0], 0xFF);
}

TEST_F(UnitProtocolTest, EraseReturnsAtOnceWhenNothingCouldBeWritten) {
  bus().setFault(sim::faultAtExchange(sim::FaultKind::WriteFails, 1));
  EXPECT_EQ(eraseFirmware(), -2);
  resetDevice();
  EXPECT_EQ(eraseFirmware(), -1);
  EXPECT_TRUE(vclock::pauses().empty());
}

TEST_F(UnitProtocolTest, EraseRefusedByTheUnitYieldsItsCode) {
  EXPECT_EQ(eraseFirmware(), static_cast<ExchangeResult>(sim::kCodeRefused));
}

TEST_F(UnitProtocolTest, NothingReachesTheDeviceWithoutAnOpenUnit) {
  resetDevice();
  Report reply;
  Bytes block(48, 0);
  EXPECT_EQ(exchange(queryStateRequest(), reply), -1);
  EXPECT_EQ(writeBlock(block.data(), block.size(), 12), -1);
  EXPECT_EQ(eraseFirmware(), -1);
  EXPECT_TRUE(bus().requests().empty());
}

TEST_F(UnitProtocolTest, ShortOrEmptyReportLengthsNeverReachPastTheBuffers) {
  for (std::uint32_t length : {0u, 2u, 16u}) {
    bus().updateDevice(sim::unitPath(), [&](sim::Device& d) { d.unit.inputReportLength = length; });
    unitDevice.inputReportLength = length;
    Report reply;
    ASSERT_EQ(exchange(queryStateRequest(), reply), 0);
    EXPECT_EQ(reply.size(), 60u);
    for (std::size_t i = std::max<std::size_t>(length, 1); i < 60; ++i) {
      ASSERT_EQ(reply.u8(i), 0) << "byte " << i << " was not delivered and reads as zero";
    }
    EXPECT_EQ(reply.u32(200), 0u) << "reads past the buffer give zero";
  }
}

TEST_F(UnitProtocolTest, ARequestLongerThanTheUnitsOutputReportIsNotSent) {
  bus().updateDevice(sim::unitPath(), [](sim::Device& d) { d.unit.outputReportLength = 20; });
  unitDevice.outputReportLength = 20;
  Bytes block(48, 0x5A);
  Report reply;
  EXPECT_EQ(exchange(setWriteAddressRequest(), reply), 0) << "12 bytes fit";
  EXPECT_EQ(exchange(writeBlockRequest(block.data(), 16, 4), reply), 0) << "20 bytes fit";
  EXPECT_EQ(lastRequest().size(), 20u);
  const std::size_t before = bus().requests().size();
  EXPECT_EQ(writeBlock(block.data(), block.size(), 12), -1) << "52 bytes do not";
  EXPECT_EQ(bus().requests().size(), before);
}

TEST_F(UnitProtocolTest, LongerReportsGetBuffersOfTheirOwnLength) {
  bus().updateDevice(sim::unitPath(), [](sim::Device& d) {
    d.unit.outputReportLength = 65;
    d.unit.inputReportLength = 65;
  });
  unitDevice.outputReportLength = 65;
  unitDevice.inputReportLength = 65;
  Report reply;
  ASSERT_EQ(exchange(queryStateRequest(), reply), 0);
  EXPECT_EQ(lastRequest().size(), 65u);
  EXPECT_EQ(reply.size(), 65u);
}

}  // namespace
