#include <gtest/gtest.h>

#include <clocale>

#include "res/controls.h"
#include "res/message_ids.h"
#include "support/fixture.h"
#include "base/format_text.h"
#include "ui/device_change.h"
#include "ui/unit_status.h"

namespace {

const std::wstring kKeyboardPath =
    L"\\\\?\\HID#VID_046D&PID_C31C#7&1B2C3D4&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// The simulated bus posts its arrival and removal events to the handler, as the platform would.
class DeviceChangeTest : public UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    postBusEventsToHandler();
  }
  void TearDown() override {
    unregisterDeviceNotifications();
    UpdaterTest::TearDown();
  }

  void postBusEventsToHandler() {
    bus().setDeviceChangeHook([](std::uint32_t event, const std::wstring& path) {
      const DeviceBroadcast record{kDeviceTypeInterface, path};
      EXPECT_EQ(handleDeviceChange(event, &record), 1);
    });
  }

  // A unit that is open and ready, as after a successful assessment; the record is cleared.
  void openReadyUnit(const std::wstring& path = sim::unitPath()) {
    bus().addUnit(sim::UnitModel{}, 1, path);
    assessReadiness(discoverUnit());
    ASSERT_TRUE(unitDevice.isOpen());
    rec::reset();
  }

  void addKeyboard() {
    sim::Device keyboard;
    keyboard.path = kKeyboardPath;
    keyboard.vendorId = 0x046D;
    keyboard.productId = 0xC31C;
    bus().addDevice(keyboard);
  }

  static void expectPanelWithoutUnit() {
    for (int id : {ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText}) {
      EXPECT_EQ(rec::text(id), L"0.0.0") << id;
      EXPECT_FALSE(rec::enabled(id)) << id;
    }
  }
};

bool sameRecord(const UnitDevice& a, const UnitDevice& b) {
  return a.handle == b.handle && a.devicePath == b.devicePath && a.productId == b.productId;
}

TEST_F(DeviceChangeTest, RegistrationIsReleasedExactlyOnce) {
  EXPECT_TRUE(registerDeviceNotifications());
  EXPECT_EQ(rec::registrations(), 1);
  EXPECT_TRUE(rec::boxes().empty());
  unregisterDeviceNotifications();
  unregisterDeviceNotifications();
  EXPECT_EQ(rec::unregistrations(), 1);
}

TEST_F(DeviceChangeTest, RefusedRegistrationIsToldInOneErrorBox) {
  for (rec::Language language : {rec::Language::English, rec::Language::German}) {
    rec::reset(language);
    rec::refuseRegistration(true);
    EXPECT_FALSE(registerDeviceNotifications());
    ASSERT_EQ(rec::boxes().size(), 1u);
    EXPECT_EQ(rec::boxes()[0].text, rec::catalogueText(msg::kRegistrationFailed, language));
    EXPECT_EQ(rec::boxes()[0].caption, rec::catalogueText(msg::kRegistrationFailedCaption, language));
    EXPECT_EQ(rec::boxes()[0].kind, dlg::BoxKind::RegistrationFailed);
    unregisterDeviceNotifications();
    EXPECT_EQ(rec::unregistrations(), 0) << "nothing is held";
  }
}

TEST_F(DeviceChangeTest, ArrivalOfAReadyUnitFillsTheDialog) {
  bus().addUnit();
  bus().updateDevice(sim::unitPath(), [](sim::Device& d) { d.present = false; });
  bus().plug(sim::unitPath());
  EXPECT_TRUE(unitDevice.isOpen());
  EXPECT_EQ(rec::text(ctl::kHintBox), rec::catalogueText(msg::kReady));
  EXPECT_TRUE(rec::enabled(ctl::kUpdateButton));
  EXPECT_EQ(rec::text(ctl::kUnitVersionText), L"2.3");
  EXPECT_EQ(rec::text(ctl::kUnitLabel), L"ROUNDEL");
}

TEST_F(DeviceChangeTest, ArrivalOfAUnitNotReadyShowsItsOutcome) {
  sim::UnitModel wrongMode;
  wrongMode.mode = 1;
  bus().addUnit(wrongMode);
  bus().plug(sim::unitPath());
  EXPECT_FALSE(unitDevice.isOpen());
  EXPECT_EQ(bus().device(sim::unitPath()).closes, 1);
  EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(msg::kWrongMode));
  EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
  expectPanelWithoutUnit();
}

TEST_F(DeviceChangeTest, ArrivalWithoutAnIdentifiedUnitChangesNothingVisible) {
  addKeyboard();
  bus().plug(kKeyboardPath);
  EXPECT_TRUE(rec::calls().empty());
  EXPECT_TRUE(sameRecord(unitDevice, UnitDevice{})) << "the record stays reset";

  // A unit whose identification fails stays open, silently, and blocks further arrivals.
  sim::UnitModel mute;
  mute.capabilitiesFail = true;
  bus().addUnit(mute);
  bus().plug(sim::unitPath());
  EXPECT_TRUE(rec::calls().empty());
  EXPECT_TRUE(unitDevice.isOpen());
  const int keyboardOpens = bus().device(kKeyboardPath).opens;
  bus().plug(kKeyboardPath);
  EXPECT_EQ(bus().device(sim::unitPath()).opens, 1);
  EXPECT_EQ(bus().device(kKeyboardPath).opens, keyboardOpens) << "no discovery while a unit is open";
}

TEST_F(DeviceChangeTest, ArrivalWhileAUnitIsOpenIsIgnored) {
  openReadyUnit();
  const UnitDevice before = unitDevice;
  bus().addUnit(sim::UnitModel{}, 2, sim::unitPath(1));
  bus().plug(sim::unitPath(1));
  EXPECT_TRUE(rec::calls().empty());
  EXPECT_TRUE(sameRecord(unitDevice, before));
  EXPECT_EQ(bus().device(sim::unitPath(1)).opens, 0) << "a second unit is not opened";
}

TEST_F(DeviceChangeTest, RemovalOfTheOpenUnitGivesItUp) {
  for (rec::Language language : {rec::Language::English, rec::Language::German}) {
    freshBus();
    postBusEventsToHandler();
    openReadyUnit();
    rec::reset(language);
    dlg::enableControl(ctl::kUpdateButton, true);  // as the ready unit left it
    bus().unplug(sim::unitPath());
    EXPECT_FALSE(unitDevice.isOpen());
    EXPECT_EQ(bus().device(sim::unitPath()).closes, 1);
    EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
    expectPanelWithoutUnit();
    EXPECT_EQ(rec::text(ctl::kUnitLabel), L"Firmware ?:") << "the label keeps its text";
    EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(msg::kConnectionLost, language));
    const std::vector<std::string> calls = rec::calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "enable 1002 0") << "Update disabled before the panel and the hint";
    EXPECT_EQ(calls.back().rfind("text 40004 ", 0), 0u) << "the hint comes last";
  }
}

TEST_F(DeviceChangeTest, RemovalOfAnythingElseChangesNothing) {
  addKeyboard();
  bus().addUnit(sim::UnitModel{}, 2, sim::unitPath(1));
  bus().unplug(sim::unitPath(1));  // no unit open
  bus().unplug(kKeyboardPath);
  EXPECT_TRUE(rec::calls().empty());

  bus().plug(kKeyboardPath);
  openReadyUnit();
  const UnitDevice before = unitDevice;
  bus().unplug(kKeyboardPath);
  EXPECT_TRUE(rec::calls().empty());
  EXPECT_TRUE(sameRecord(unitDevice, before));
}

TEST_F(DeviceChangeTest, PathsMatchOnlyUpToTheCaseOfAToZ) {
  // A locale that knows the case of every letter, so that folding by locale would show.
  const std::string previousLocale = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C.UTF-8");
  const std::wstring path = L"\\\\?\\HID#VID_21B8&PID_0001#Az@[`{\u00C4";
  struct Case {
    std::wstring other;
    bool same;
  } cases[] = {
      {path, true},
      {L"\\\\?\\hid#vid_21b8&pid_0001#aZ@[`{\u00C4", true},
      {L"\\\\?\\HID#VID_21B8&PID_0001#Az@[`{\u00E4", false},  // non-ASCII letters keep their case
      {L"\\\\?\\HID#VID_21B8&PID_0001#Az`[`{\u00C4", false},  // '@' and '`' are not letters
      {L"\\\\?\\HID#VID_21B8&PID_0001#Az@{`{\u00C4", false},  // nor are '[' and '{'
      {path + L"0", false},
      {path.substr(0, path.size() - 1), false},
      {L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(samePath(path, c.other), c.same) << wideToUtf8(c.other);
    EXPECT_EQ(samePath(c.other, path), c.same) << wideToUtf8(c.other);
  }
  EXPECT_TRUE(samePath(L"", L""));
  std::setlocale(LC_CTYPE, previousLocale.c_str());
}

TEST_F(DeviceChangeTest, RemovalRecordNamesTheUnitUnderThePathRule) {
  struct Case {
    std::wstring name;
    bool removes;
  } cases[] = {
      {L"\\\\?\\hid#vid_21b8&pid_0001#7&2a5f3c1&0&0#{4D1E55B2-F16F-11CF-88CB-001111000030}", true},
      {sim::unitPath() + L"#", false},
      {sim::unitPath().substr(1), false},
  };
  for (const Case& c : cases) {
    freshBus();
    openReadyUnit();
    const DeviceBroadcast record{kDeviceTypeInterface, c.name};
    EXPECT_EQ(handleDeviceChange(kDeviceRemoveComplete, &record), 1);
    EXPECT_EQ(unitDevice.isOpen(), !c.removes) << wideToUtf8(c.name);
    EXPECT_EQ(rec::calls().empty(), !c.removes) << wideToUtf8(c.name);
  }
}

TEST_F(DeviceChangeTest, EventsOtherThanInterfaceArrivalAndRemovalDoNothing) {
  struct Case {
    std::uint32_t event;
    std::uint32_t deviceType;
    bool nullRecord;
    std::int32_t answer;
  } cases[] = {
      {0x0007, kDeviceTypeInterface, false, 0},  // device nodes changed
      {0x8001, kDeviceTypeInterface, false, 0},  // query remove
      {0x0007, kDeviceTypeInterface, true, 0},
      {kDeviceArrival, 2, false, 1},  // a volume
      {kDeviceRemoveComplete, 2, false, 1},
      {kDeviceArrival, kDeviceTypeInterface, true, 1},
      {kDeviceRemoveComplete, kDeviceTypeInterface, true, 1},
  };
  for (bool unitOpen : {false, true}) {
    for (const Case& c : cases) {
      freshBus();
      resetDevice();
      if (unitOpen) {
        openReadyUnit();
      } else {
        bus().addUnit();
        rec::reset();
      }
      const UnitDevice before = unitDevice;
      const DeviceBroadcast record{c.deviceType, sim::unitPath()};
      EXPECT_EQ(handleDeviceChange(c.event, c.nullRecord ? nullptr : &record), c.answer) << std::hex << c.event;
      EXPECT_TRUE(rec::calls().empty()) << std::hex << c.event << " type " << c.deviceType;
      EXPECT_TRUE(sameRecord(unitDevice, before)) << std::hex << c.event << " type " << c.deviceType;
      EXPECT_EQ(bus().device(sim::unitPath()).opens, unitOpen ? 1 : 0) << "no discovery";
    }
  }
}

// While the incompatibility box is open the unit is already given up: the user unplugs it,
// swaps the ESC and plugs it back in, and a nested discovery and assessment run.
TEST_F(DeviceChangeTest, UnitSwappedWhileTheIncompatibilityBoxIsOpen) {
  sim::UnitModel incompatible;
  incompatible.esc.typeCode = 0x12345678;
  bus().addUnit(incompatible);
  std::size_t callsBeforeRemoval = 0;
  std::size_t callsAfterRemoval = 0;
  rec::scriptBox(dlg::Answer::GoOn, [&] {
    callsBeforeRemoval = rec::calls().size();
    bus().unplug(sim::unitPath());
    callsAfterRemoval = rec::calls().size();
    bus().updateDevice(sim::unitPath(), [](sim::Device& d) { d.unit.esc.typeCode = 0x0A06403C; });
    bus().plug(sim::unitPath());
    EXPECT_EQ(rec::text(ctl::kHintBox), rec::catalogueText(msg::kReady)) << "the nested assessment";
  });
  assessReadiness(discoverUnit());

  EXPECT_EQ(callsAfterRemoval, callsBeforeRemoval) << "the removal found no unit open";
  EXPECT_EQ(rec::boxes().size(), 1u);
  EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(msg::kIncompatibleHint)) << "the outer assessment's own hint";
  EXPECT_EQ(rec::callsStartingWith("enable 1002"), (std::vector<std::string>{"enable 1002 0", "enable 1002 1"}));
  EXPECT_TRUE(rec::enabled(ctl::kUpdateButton)) << "kept as the nested assessment set it";
  EXPECT_TRUE(unitDevice.isOpen());
  EXPECT_EQ(bus().device(sim::unitPath()).opens, 2);

  // The outer assessment ends with its own panel refresh, after its hint.
  const std::vector<std::string>& calls = rec::calls();
  const std::vector<std::string> tail(calls.end() - 10, calls.end());
  EXPECT_EQ(tail.front(), "enable 40013 1");
  EXPECT_EQ(tail.back(), "text 40010 ROUNDEL");
  EXPECT_EQ(calls[calls.size() - 11].rfind("text 40004 ", 0), 0u);
}

}  // namespace
