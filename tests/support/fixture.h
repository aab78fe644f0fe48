#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "link/unit_device.h"
#include "adapters/sim/simulated_bus.h"
#include "support/recording_dialog.h"
#include "support/virtual_clock.h"

// Every native test starts from an empty simulated bus of its own behind the hid:: seam, a
// fresh dialog, time 0 and no unit open.
class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetDevice();
    freshBus();
    bus().setClock(vclock::now);
    rec::reset();
    vclock::reset();
  }
  void TearDown() override { resetDevice(); }

  // Puts a new, empty bus without a clock behind the hid:: seam in place of the one before.
  sim::Bus& freshBus() {
    bus_ = std::make_unique<sim::Bus>();
    hid::use(bus_->transport());
    return *bus_;
  }

  sim::Bus& bus() { return *bus_; }

 private:
  std::unique_ptr<sim::Bus> bus_;
};
