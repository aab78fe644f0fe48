#include <gtest/gtest.h>

#include "base/little_endian.h"
#include "seams/hid_transport.h"
#include "res/controls.h"
#include "res/message_ids.h"
#include "support/fixture.h"
#include "ui/unit_status.h"
#include "update/readiness.h"

namespace {

class ReadinessTest : public UpdaterTest {
 protected:
  // Discovers the unit on the bus (if any) and assesses it with the Update button enabled
  // beforehand, so that disabling it shows.
  void discoverAndAssess() {
    const std::int32_t result = discoverUnit();
    dlg::enableControl(ctl::kUpdateButton, true);
    assessReadiness(result);
  }
};

void setEscTypeCode(std::uint32_t typeCode) {
  le::write32(unitDevice.escLoaderInfo.data(), typeCode);
}

TEST_F(ReadinessTest, FirstApplicableOutcomeWins) {
  struct Case {
    std::int32_t discoverResult;
    std::uint8_t unitMode;
    std::uint16_t escState;
    std::uint32_t typeCode;
    Readiness expected;
  } cases[] = {
      {-4, 1, 2, 0, Readiness::NoUnit},
      {-1, 0, 3, 0x111F403C, Readiness::NoUnit},
      {0x0E01, 0, 3, 0x111F403C, Readiness::NoUnit},
      {0, 1, 3, 0x111F403C, Readiness::WrongMode},
      {0, 0, 2, 0, Readiness::NoUpdatableEsc},
      {0, 0, 0x0103, 0x111F403C, Readiness::NoUpdatableEsc},
      {0, 0, 3, 0, Readiness::EscIncompatible},
      {0, 0, 3, 0x111F403D, Readiness::EscIncompatible},
      {0, 0, 3, 0x3C401F11, Readiness::EscIncompatible},  // the right bytes, the wrong order
      {0, 0, 3, 0x111F403C, Readiness::Ready},
      {0, 0, 3, 0x0A06403C, Readiness::Ready},
  };
  for (const Case& c : cases) {
    unitDevice.unitMode = c.unitMode;
    unitDevice.escState = c.escState;
    setEscTypeCode(c.typeCode);
    EXPECT_EQ(classifyReadiness(c.discoverResult), c.expected)
        << c.discoverResult << " mode " << int{c.unitMode} << " state " << c.escState << std::hex << " type "
        << c.typeCode;
  }
}

TEST_F(ReadinessTest, ReadyUnitIsKeptWithUpdateEnabled) {
  for (std::uint32_t typeCode : {0x111F403Cu, 0x0A06403Cu}) {
    freshBus();
    rec::reset();
    sim::UnitModel unit;
    unit.esc.typeCode = typeCode;
    bus().addUnit(unit);
    discoverAndAssess();
    EXPECT_EQ(rec::text(ctl::kHintBox), rec::catalogueText(msg::kReady)) << "the ready text alone";
    EXPECT_TRUE(rec::enabled(ctl::kUpdateButton));
    EXPECT_TRUE(unitDevice.isOpen());
    EXPECT_EQ(bus().device(sim::unitPath()).closes, 0);
    EXPECT_EQ(rec::text(ctl::kUnitVersionText), L"2.3") << "panel refreshed from the unit";
    EXPECT_EQ(rec::text(ctl::kEscVersionText), L"3.4");
    EXPECT_TRUE(rec::enabled(ctl::kEscLabel));
    EXPECT_TRUE(rec::boxes().empty());
  }
}

TEST_F(ReadinessTest, UnitNotReadyIsGivenUpWithItsHint) {
  struct Case {
    const char* name;
    bool attached;
    sim::UnitModel unit;
    std::uint16_t statusId;
  };
  sim::UnitModel wrongMode;
  wrongMode.mode = 1;
  sim::UnitModel noEsc;
  noEsc.esc.state = 2;
  const Case cases[] = {
      {"no unit", false, {}, msg::kNoUnit},
      {"wrong mode", true, wrongMode, msg::kWrongMode},
      {"no updatable ESC", true, noEsc, msg::kNoUpdatableEsc},
  };
  for (rec::Language language : {rec::Language::English, rec::Language::German}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      freshBus();
      rec::reset(language);
      if (c.attached) bus().addUnit(c.unit);
      dlg::setControlText(ctl::kHintBox, L"previous hint");
      discoverAndAssess();
      EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(c.statusId, language));
      EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
      EXPECT_FALSE(unitDevice.isOpen());
      if (c.attached) {
        EXPECT_EQ(bus().device(sim::unitPath()).closes, 1) << "the unit's handle is closed";
      }
      for (int id : {ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText}) {
        EXPECT_EQ(rec::text(id), L"0.0.0") << id;
      }
      EXPECT_FALSE(rec::enabled(ctl::kUnitLabel)) << "panel greyed";
      EXPECT_TRUE(rec::boxes().empty());
    }
  }
}

// A unit that stops answering during the identity: each query waits the transport's bound
// once, then the unit is given up as no unit, and nothing more is asked of it.
TEST_F(ReadinessTest, AUnitSilentDuringIdentificationIsGivenUpAfterTheBoundedWait) {
  for (unsigned exchange : {1u, 3u}) {
    SCOPED_TRACE(::testing::Message() << "silent from exchange " << exchange);
    SetUp();
    bus().addUnit();
    bus().setFault(sim::faultAtExchange(sim::FaultKind::Silent, exchange));
    discoverAndAssess();
    EXPECT_EQ(vclock::pauses(), std::vector<std::uint32_t>{hid::kReportTimeoutMs});
    EXPECT_EQ(vclock::now(), 30000u);
    EXPECT_EQ(bus().requests().size(), exchange) << "nothing is asked after the silent query";
    EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(msg::kNoUnit, rec::Language::English));
    EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
    EXPECT_FALSE(unitDevice.isOpen());
    EXPECT_EQ(bus().device(sim::unitPath()).closes, 1);
    EXPECT_TRUE(rec::boxes().empty());
  }
}

TEST_F(ReadinessTest, IncompatibleEscIsExplainedInABoxOpenedAfterTheUnitIsGivenUp) {
  for (rec::Language language : {rec::Language::English, rec::Language::German}) {
    freshBus();
    rec::reset(language);
    sim::UnitModel unit;
    unit.esc.loaderErrorReport = true;  // loader info missing: type code 0
    bus().addUnit(unit);
    bool unitOpenWhileBoxShown = true;
    bool updateEnabledWhileBoxShown = true;
    rec::scriptBox(dlg::Answer::GoOn, [&] {
      unitOpenWhileBoxShown = unitDevice.isOpen();
      updateEnabledWhileBoxShown = rec::enabled(ctl::kUpdateButton);
    });
    discoverAndAssess();

    ASSERT_EQ(rec::boxes().size(), 1u);
    std::wstring expected = rec::catalogueText(msg::kIncompatible, language);
    expected.replace(expected.find(L"%s"), 2, L"SPINDRA 60 LV");
    EXPECT_EQ(rec::boxes()[0].text, expected);
    EXPECT_EQ(rec::boxes()[0].caption, rec::catalogueText(msg::kIncompatibleCaption, language));
    EXPECT_EQ(rec::boxes()[0].kind, dlg::BoxKind::EscIncompatible);
    EXPECT_FALSE(unitOpenWhileBoxShown);
    EXPECT_FALSE(updateEnabledWhileBoxShown);
    EXPECT_EQ(bus().device(sim::unitPath()).closes, 1);

    EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(msg::kIncompatibleHint, language));
    EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
    EXPECT_EQ(rec::text(ctl::kEscVersionText), L"0.0.0");
    EXPECT_EQ(rec::calls().back(), "enable 40011 0") << "the panel refresh comes last";
  }
}

TEST_F(ReadinessTest, LongestHintComesOutWhole) {
  rec::reset(rec::Language::German);
  appendHint(msg::kIncompatibleHint);
  const std::wstring expected = rec::hintText(msg::kIncompatibleHint, rec::Language::German);
  EXPECT_EQ(expected.size(), 212u + 4u + 778u);
  EXPECT_EQ(rec::text(ctl::kHintBox), expected);
}

}  // namespace
