#include <gtest/gtest.h>

#include "support/fixture.h"
#include "base/format_text.h"

namespace {

class DiscoveryTest : public UpdaterTest {};

sim::Device otherDevice(const std::wstring& path, std::uint16_t vendorId, std::uint16_t productId) {
  sim::Device d;
  d.path = path;
  d.vendorId = vendorId;
  d.productId = productId;
  return d;
}

void expectResetState() {
  EXPECT_FALSE(unitDevice.isOpen());
  EXPECT_TRUE(unitDevice.devicePath.empty());
  EXPECT_EQ(unitDevice.productId, 0);
  EXPECT_EQ(unitDevice.outputReportLength, 0u);
  EXPECT_EQ(unitDevice.escFirmwareVersion(), 0) << "reads 0, not 0xFFFF, after a reset";
}

TEST_F(DiscoveryTest, NoDevicePresentGivesMinusFourAndTheResetState) {
  EXPECT_EQ(discoverUnit(), -4);
  expectResetState();
}

TEST_F(DiscoveryTest, UnlistableInterfacesGiveMinusOne) {
  bus().addUnit();
  bus().setListingFails(true);
  EXPECT_EQ(discoverUnit(), -1);
  expectResetState();
}

TEST_F(DiscoveryTest, NonMatchingDevicesAreOpenedClosedAndSkipped) {
  bus().addDevice(otherDevice(L"kbd", 0x046D, 1));
  bus().addDevice(otherDevice(L"wrong-product", 0x21B8, 3));
  sim::Device locked = otherDevice(L"held-exclusively", 0x21B8, 1);
  locked.openable = false;
  bus().addDevice(locked);
  sim::Device mute = otherDevice(L"no-attributes", 0x21B8, 1);
  mute.attributesReadable = false;
  bus().addDevice(mute);
  bus().addUnit(sim::UnitModel{}, 2);

  EXPECT_EQ(discoverUnit(), 0);
  EXPECT_EQ(unitDevice.devicePath, sim::unitPath());
  EXPECT_EQ(unitDevice.productId, 2);
  for (const wchar_t* path : {L"kbd", L"wrong-product", L"no-attributes"}) {
    const sim::Device d = bus().device(path);
    EXPECT_EQ(d.opens, 1) << wideToUtf8(path);
    EXPECT_EQ(d.closes, 1) << wideToUtf8(path);
  }
  for (const sim::LoggedRequest& r : bus().requests()) EXPECT_EQ(r.path, sim::unitPath());
}

TEST_F(DiscoveryTest, TheFirstOfTwoUnitsIsTakenAndTheOtherNeverOpened) {
  bus().addUnit(sim::UnitModel{}, 1, sim::unitPath(0));
  bus().addUnit(sim::UnitModel{}, 2, sim::unitPath(1));
  EXPECT_EQ(discoverUnit(), 0);
  EXPECT_EQ(unitDevice.devicePath, sim::unitPath(0));
  EXPECT_EQ(bus().device(sim::unitPath(1)).opens, 0);
}

TEST_F(DiscoveryTest, AUnitThatFailsIdentificationStaysOpen) {
  bus().addUnit();
  bus().setFault(sim::faultAtCommand(sim::FaultKind::ReadFails, UnitCommand::QueryState));
  EXPECT_EQ(discoverUnit(), -3);
  EXPECT_TRUE(unitDevice.isOpen());
  EXPECT_EQ(unitDevice.devicePath, sim::unitPath());
}

TEST_F(DiscoveryTest, ResetClosesOnceAndIsHarmlessWhenRepeated) {
  bus().addUnit();
  ASSERT_EQ(discoverUnit(), 0);
  resetDevice();
  resetDevice();
  expectResetState();
  EXPECT_EQ(bus().device(sim::unitPath()).closes, 1);
}

TEST_F(DiscoveryTest, ANewDiscoveryGivesThePreviousUnitUp) {
  bus().addUnit();
  ASSERT_EQ(discoverUnit(), 0);
  ASSERT_EQ(discoverUnit(), 0);
  const sim::Device d = bus().device(sim::unitPath());
  EXPECT_EQ(d.opens, 2);
  EXPECT_EQ(d.closes, 1);
}

}  // namespace
