#pragma once
#include <gtest/gtest.h>

#include "link/unit_device.h"
#include "adapters/sim/simulated_unit.h"
#include "support/recording_dialog.h"
#include "support/virtual_clock.h"

// Every native test starts from an empty simulated bus behind the hid:: seam, a fresh dialog, time 0 and no unit open.
class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetDevice();
    sim::resetBus();
    hid::use(sim::transport());
    sim::setClock(vclock::now);
    rec::reset();
    vclock::reset();
  }
  void TearDown() override { resetDevice(); }
};
