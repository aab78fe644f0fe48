#include <gtest/gtest.h>

#include "link/unit_identity.h"
#include "support/fixture.h"
#include "support/request_log.h"

namespace {

using sim::FaultKind;

class IdentityTest : public UpdaterTest {
 protected:
  // Discovers the unit described by model and returns the discovery's result.
  std::int32_t identify(const sim::UnitModel& model, std::uint16_t productId = 1) {
    bus().addUnit(model, productId);
    return discoverUnit();
  }
};

TEST_F(IdentityTest, ReadyUnitFillsEveryEscField) {
  sim::UnitModel model;
  model.firmwareVersion = 0x01020304;
  model.infoWord = 0xCAFEF00D;
  model.esc.stateAux = 0x0102;
  model.esc.firmwareVersion = 0x0304;
  model.esc.typeCode = 0x0A06403C;
  model.esc.loaderVersion = 0x00000207;
  model.outputReportLength = 60;
  model.inputReportLength = 61;
  EXPECT_EQ(identify(model), 0);
  EXPECT_COMMANDS(bus(), {UnitCommand::QueryState, UnitCommand::ReadEscInfo, UnitCommand::ReadEscLoaderInfo});
  EXPECT_EQ(unitDevice.outputReportLength, 60u);
  EXPECT_EQ(unitDevice.inputReportLength, 61u);
  EXPECT_EQ(unitDevice.unitMode, 0);
  EXPECT_EQ(unitDevice.unitFirmwareVersion, 0x01020304u);
  EXPECT_EQ(unitDevice.unitInfoWord, 0xCAFEF00Du);
  EXPECT_EQ(unitDevice.escState, 3);
  EXPECT_EQ(unitDevice.escStateAux, 0x0102);
  EXPECT_EQ(unitDevice.escFirmwareVersion(), 0x0304);
  EXPECT_EQ(unitDevice.escTypeCode(), 0x0A06403Cu);
  EXPECT_EQ(unitDevice.escLoaderVersion(), 0x00000207u);
  EXPECT_EQ(unitDevice.modeByteA, 0);
}

TEST_F(IdentityTest, WrongModeReadsTheUnitMemoryAndNothingOfTheEsc) {
  sim::UnitModel model;
  model.mode = 1;
  model.modeByteA = 0xA1;
  model.modeWordB = 0xB2B1;
  model.modeDwordC = 0xC4C3C2C1;
  model.modeDwordD = 0xD4D3D2D1;
  model.modeByteE = 0xE1;
  model.firmwareVersion = 0x00000109;
  model.infoWord = 0x77;
  EXPECT_EQ(identify(model), 0);
  EXPECT_COMMANDS(bus(), {UnitCommand::QueryState, UnitCommand::ReadUnitMemory});
  EXPECT_EQ(unitDevice.unitMode, 1);
  EXPECT_EQ(unitDevice.modeByteA, 0xA1);
  EXPECT_EQ(unitDevice.modeWordB, 0xB2B1);
  EXPECT_EQ(unitDevice.modeDwordC, 0xC4C3C2C1u);
  EXPECT_EQ(unitDevice.modeDwordD, 0xD4D3D2D1u);
  EXPECT_EQ(unitDevice.modeByteE, 0xE1);
  EXPECT_EQ(unitDevice.unitFirmwareVersion, 0x00000109u);
  EXPECT_EQ(unitDevice.unitInfoWord, 0x77u);
  EXPECT_EQ(unitDevice.escState, 0) << "stays 0 although the model's ESC is attached";
  EXPECT_EQ(unitDevice.escTypeCode(), 0u);
}

TEST_F(IdentityTest, NoUpdatableEscAsksNothingMore) {
  sim::UnitModel model;
  model.esc.state = 2;
  EXPECT_EQ(identify(model), 0);
  EXPECT_COMMANDS(bus(), {UnitCommand::QueryState});
  EXPECT_EQ(unitDevice.escState, 2);
  EXPECT_EQ(unitDevice.escTypeCode(), 0u);
}

TEST_F(IdentityTest, ErrorReportsOfTheEscQueries) {
  struct Case {
    const char* name;
    bool infoError;
    std::uint16_t infoCode;
    bool loaderError;
    std::uint16_t loaderCode;
    std::int32_t result;
    std::size_t commandsSent;
    std::uint16_t escVersion;
    std::uint32_t typeCode;
  } cases[] = {
      {"info code 0 goes on without data", true, 0, false, 0, 0, 3, 0, 0x111F403C},
      {"info code 5 stops", true, 5, false, 0, 5, 2, 0, 0},
      {"loader code 0 succeeds without a type", false, 0, true, 0, 0, 3, 0x0304, 0},
      {"loader code 0x1234", false, 0, true, 0x1234, 0x1234, 3, 0x0304, 0},
      {"16-bit code only", true, 0xFFFF, false, 0, 0xFFFF, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SetUp();
    sim::UnitModel model;
    model.esc.infoErrorReport = c.infoError;
    model.esc.infoErrorCode = c.infoCode;
    model.esc.loaderErrorReport = c.loaderError;
    model.esc.loaderErrorCode = c.loaderCode;
    EXPECT_EQ(identify(model), c.result) << c.name;
    EXPECT_EQ(bus().commands().size(), c.commandsSent) << c.name;
    EXPECT_EQ(unitDevice.escFirmwareVersion(), c.escVersion) << c.name;
    EXPECT_EQ(unitDevice.escTypeCode(), c.typeCode) << c.name;
    EXPECT_TRUE(unitDevice.isOpen()) << c.name;
  }
}

TEST_F(IdentityTest, ErrorCodesAreReadFromSixteenBitsOnly) {
  // The ESC queries carry 16-bit codes: bytes 6 and 7 of the error report are not part of it.
  bus().addUnit();
  bus().setFault(sim::faultAtCommand(FaultKind::ErrorReport, UnitCommand::ReadEscInfo, 1, 0x00070005));
  EXPECT_EQ(discoverUnit(), 5);
}

TEST_F(IdentityTest, TransportFailuresAtEachQuery) {
  struct Case {
    FaultKind kind;
    UnitCommand command;
    std::uint8_t mode;
    std::int32_t result;
  } cases[] = {
      {FaultKind::WriteFails, UnitCommand::QueryState, 0, -2},
      {FaultKind::ReadFails, UnitCommand::QueryState, 0, -3},
      {FaultKind::WriteFails, UnitCommand::ReadEscInfo, 0, -2},
      {FaultKind::ReadFails, UnitCommand::ReadEscInfo, 0, -3},
      {FaultKind::WriteFails, UnitCommand::ReadEscLoaderInfo, 0, -2},
      {FaultKind::ReadFails, UnitCommand::ReadEscLoaderInfo, 0, -3},
      {FaultKind::WriteFails, UnitCommand::ReadUnitMemory, 1, -2},
      {FaultKind::ReadFails, UnitCommand::ReadUnitMemory, 1, -3},
  };
  for (const Case& c : cases) {
    SetUp();
    sim::UnitModel model;
    model.mode = c.mode;
    bus().addUnit(model);
    bus().setFault(sim::faultAtCommand(c.kind, c.command));
    EXPECT_EQ(discoverUnit(), c.result) << static_cast<int>(c.command);
    EXPECT_TRUE(unitDevice.isOpen());
  }
}

TEST_F(IdentityTest, RefusedCapabilitiesSendNothing) {
  sim::UnitModel model;
  model.capabilitiesFail = true;
  EXPECT_EQ(identify(model), -1);
  EXPECT_TRUE(bus().requests().empty());
}

TEST_F(IdentityTest, ReportLengthsBeyondSixteenBitsSendNothing) {
  for (std::uint32_t length : {0x10000u, 0xFFFFFFFFu}) {
    SetUp();
    sim::UnitModel model;
    model.inputReportLength = length;
    EXPECT_EQ(identify(model), -1) << length;
    EXPECT_TRUE(bus().requests().empty()) << length;
  }
  SetUp();
  sim::UnitModel model;
  model.outputReportLength = 0xFFFF;
  model.inputReportLength = 0xFFFF;
  EXPECT_EQ(identify(model), 0) << "the longest length a HID device can report still works";
}

TEST_F(IdentityTest, WithoutAnOpenUnitTheQueryFailsAtOnce) {
  EXPECT_EQ(identifyUnit(), -1);
  EXPECT_TRUE(bus().requests().empty());
}

}  // namespace
