#include <gtest/gtest.h>

#include "adapters/sim/scenario.h"
#include "base/format_text.h"
#include "res/controls.h"
#include "res/message_ids.h"
#include "shared/scenario_outcomes.h"
#include "support/fixture.h"
#include "ui/device_change.h"
#include "ui/main_view.h"
#include "ui/main_window.h"
#include "ui/unit_status.h"
#include "ui/update_report.h"

namespace {

// The view is what a front end without controls prints: it must hold what the dialog's
// controls hold, whatever wrote them last.
void expectViewShowsTheDialog() {
  const MainView& view = mainView();
  const struct {
    int label, value;
  } rows[] = {{ctl::kUnitLabel, ctl::kUnitVersionText},
              {ctl::kEscLoaderLabel, ctl::kEscLoaderVersionText},
              {ctl::kEscLabel, ctl::kEscVersionText}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(view.rows[i].label, rec::text(rows[i].label)) << "row " << i;
    EXPECT_EQ(view.rows[i].value, rec::text(rows[i].value)) << "row " << i;
  }
  EXPECT_EQ(view.hint, rec::text(ctl::kHintBox));
  EXPECT_EQ(view.updateEnabled, rec::enabled(ctl::kUpdateButton));
}

class MainViewTest : public UpdaterTest {
 protected:
  void assess(const std::string& scenario, rec::Language language = rec::Language::English) {
    UpdaterTest::SetUp();
    rec::reset(language);
    vclock::setImage(vclock::sampleImage(8192));  // past the 100th block, where a row fails
    ASSERT_TRUE(sim::loadScenario(bus(), scenario, ""));
    setRowLabels();
    const outcomes::AtStart* start = outcomes::rowOf(outcomes::kAtStart, scenario);
    if (start != nullptr && start->boxText != 0) rec::scriptBox(dlg::Answer::GoOn);  // the box that explains it
    assessReadiness(discoverUnit());
  }
};

TEST_F(MainViewTest, EachAssessmentIsShownInTheViewAsInTheDialog) {
  for (const auto language : {rec::Language::English, rec::Language::German}) {
    for (const outcomes::AtStart& row : outcomes::kAtStart) {
      SCOPED_TRACE(row.scenario);
      assess(row.scenario, language);
      expectViewShowsTheDialog();
      EXPECT_EQ(mainView().readiness, row.readiness);
      EXPECT_EQ(mainView().updateEnabled, row.updateEnabled);
      EXPECT_EQ(mainView().rows[2].value, utf8ToWide(row.escVersion));
      EXPECT_EQ(mainView().rows[1].label, rec::catalogueText(msg::kEscLoaderLabel, language));
    }
  }
}

TEST_F(MainViewTest, TheOutcomeOfAnUpdateIsShownInTheViewAsInTheDialog) {
  for (const outcomes::AfterUpdate& row : outcomes::kAfterUpdate) {
    SCOPED_TRACE(row.scenario);
    assess(row.scenario);
    const std::size_t sentBefore = bus().commands().size();
    rec::scriptBox(dlg::Answer::GoOn);  // the warning before the update, or the refusal
    rec::scriptBox(dlg::Answer::GoOn);  // the failure box, where there is one
    updateAndReport();
    expectViewShowsTheDialog();
    EXPECT_FALSE(mainView().updateEnabled);
    EXPECT_EQ(mainView().readiness, Readiness::Ready) << "the assessment the update started from";
    EXPECT_EQ(mainView().hint.substr(0, rec::catalogueText(row.hint).size()), rec::catalogueText(row.hint));
    EXPECT_EQ(mainView().rows[2].value, utf8ToWide(row.escVersion));
    const std::vector<UnitCommand> sent = bus().commands();
    if (row.lastSent) {
      ASSERT_GT(sent.size(), sentBefore);
      EXPECT_EQ(sent.back(), *row.lastSent);
    } else {
      EXPECT_EQ(sent.size(), sentBefore);
    }
  }
}

// A unit found again while the failure box is open enables Update; the failure hint that
// follows the box leaves it so, in the dialog and in the view.
TEST_F(MainViewTest, AnAssessmentNestedInABoxKeepsItsUpdateButtonInTheView) {
  assess("ready");
  bus().setFault(sim::faultAtCommand(sim::FaultKind::WrongResultByte, UnitCommand::SetSystemLock));
  rec::scriptBox(dlg::Answer::GoOn);
  rec::scriptBox(dlg::Answer::GoOn, [] {
    const DeviceBroadcast arrival{kDeviceTypeInterface, sim::unitPath()};
    handleDeviceChange(kDeviceArrival, &arrival);
  });
  updateAndReport();
  expectViewShowsTheDialog();
  EXPECT_TRUE(mainView().updateEnabled);
  EXPECT_EQ(mainView().hint, rec::catalogueText(msg::kUpdateFailedHint));
}

}  // namespace
