#include "ui/session.h"

#include "link/unit_device.h"
#include "ui/device_change.h"
#include "ui/main_view.h"
#include "ui/unit_status.h"
#include "ui/update_report.h"

namespace session {
namespace {

Listener listener = nullptr;
bool updatePressed = false;
Outcome last;

void tell(const Event& event) {
  if (listener) listener(event);
}

bool isInterfaceChange(std::uint32_t event, const DeviceBroadcast& record) {
  return carriesBroadcastRecord(event) && record.deviceType == kDeviceTypeInterface;
}

}  // namespace

void setListener(Listener newListener) { listener = newListener; }

void start() {
  tell({EventKind::Start, {}});
  assessReadiness(discoverUnit());
}

std::int32_t deviceChange(std::uint32_t event, const DeviceBroadcast& record) {
  if (isInterfaceChange(event, record)) {
    tell({event == kDeviceArrival ? EventKind::Arrival : EventKind::Removal, record.name});
  }
  return handleDeviceChange(event, &record);
}

void pressUpdate() {
  tell({EventKind::PressUpdate, {}});
  updatePressed = true;
  last.readiness = mainView().readiness;
  last.update = updateAndReport();
  last.updateRun = true;
}

void pressClose() {
  tell({EventKind::PressClose, {}});
  giveUpUnit();
}

void handle(const Event& event) {
  switch (event.kind) {
    case EventKind::Start: start(); return;
    case EventKind::Arrival:
    case EventKind::Removal:
      deviceChange(event.kind == EventKind::Arrival ? kDeviceArrival : kDeviceRemoveComplete,
                   DeviceBroadcast{kDeviceTypeInterface, event.path});
      return;
    case EventKind::PressUpdate: pressUpdate(); return;
    case EventKind::PressClose: pressClose(); return;
  }
}

Outcome outcome() {
  if (updatePressed) return last;
  Outcome now;
  now.readiness = mainView().readiness;
  return now;
}

void reset() {
  updatePressed = false;
  last = Outcome{};
}

}  // namespace session
