#include <gtest/gtest.h>

#include "res/controls.h"
#include "support/fixture.h"
#include "ui/version_panel.h"

namespace {

class VersionPanelTest : public UpdaterTest {};

TEST_F(VersionPanelTest, ValuesOfAnOpenUnit) {
  struct Case {
    std::uint32_t unitVersion;
    std::uint32_t loaderVersion;
    std::uint16_t escVersion;
    std::uint16_t productId;
    const wchar_t* unitText;
    const wchar_t* loaderText;
    const wchar_t* escText;
    const wchar_t* unitName;
  } cases[] = {
      {0x00000305, 0x00000102, 0x0305, 1, L"3.5", L"1.2", L"3.5", L"ROUNDEL"},
      {0x00030500, 0x0A000000, 0xFFFF, 2, L"3.5", L"10.0.0", L"----------", L"DOCK-BOX"},
      {0x01020304, 0x00000100, 0x0A0B, 7, L"1.3.4", L"1.0", L"10.11", L"DOCK-BOX"},
      {0x01020300, 0x00000000, 0x0000, 0, L"2.3", L"0.0", L"0.0", L"DOCK-BOX"},
      {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFE, 1, L"255.255.255", L"255.255.255", L"255.254", L"ROUNDEL"},
  };
  for (const Case& c : cases) {
    freshBus();
    sim::UnitModel unit;
    unit.firmwareVersion = c.unitVersion;
    unit.esc.loaderVersion = c.loaderVersion;
    unit.esc.firmwareVersion = c.escVersion;
    bus().addUnit(unit, c.productId == 1 ? 1 : 2);
    ASSERT_EQ(discoverUnit(), 0);
    unitDevice.productId = c.productId;  // names for product ids the bus would never match
    rec::reset();
    refreshVersionPanel();
    EXPECT_EQ(rec::text(ctl::kUnitVersionText), c.unitText) << std::hex << c.unitVersion;
    EXPECT_EQ(rec::text(ctl::kEscLoaderVersionText), c.loaderText) << std::hex << c.loaderVersion;
    EXPECT_EQ(rec::text(ctl::kEscVersionText), c.escText) << std::hex << c.escVersion;
    EXPECT_EQ(rec::text(ctl::kUnitLabel), c.unitName) << c.productId;
    EXPECT_EQ(rec::callsStartingWith("enable"),
              (std::vector<std::string>{"enable 40013 1", "enable 40014 1", "enable 40015 1", "enable 40010 1",
                                        "enable 1005 1", "enable 40011 1"}));
  }
}

TEST_F(VersionPanelTest, NoUnitShowsZerosGreyedAndKeepsTheLabels) {
  bus().addUnit(sim::UnitModel{}, 2);
  ASSERT_EQ(discoverUnit(), 0);
  refreshVersionPanel();
  resetDevice();
  rec::reset();
  dlg::setControlText(ctl::kUnitLabel, L"DOCK-BOX");
  refreshVersionPanel();
  EXPECT_EQ(rec::calls(), (std::vector<std::string>{
                              "text 40010 DOCK-BOX", "text 40013 0.0.0", "text 40014 0.0.0", "text 40015 0.0.0",
                              "enable 40013 0", "enable 40014 0", "enable 40015 0", "enable 40010 0",
                              "enable 1005 0", "enable 40011 0"}));
  EXPECT_EQ(rec::text(ctl::kUnitLabel), L"DOCK-BOX") << "the removed unit's name stays, greyed";
}

}  // namespace
