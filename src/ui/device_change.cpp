#include "ui/device_change.h"

#include "link/unit_device.h"
#include "seams/dialog.h"
#include "res/message_ids.h"
#include "ui/unit_status.h"

namespace {

// The registration for HID interface events; 0 while none is held.
std::uintptr_t deviceNotification = 0;

bool isInterfaceEvent(const DeviceBroadcast* record) {
  return record != nullptr && record->deviceType == kDeviceTypeInterface;
}

wchar_t lowerAsciiLetter(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Any interface arriving may be the unit, so a discovery runs whenever none is open.
void handleArrival(const DeviceBroadcast* record) {
  if (!isInterfaceEvent(record) || unitDevice.isOpen()) return;
  if (discoverUnit() != 0) return;  // not reported: the previous hint stays
  assessReadiness(0);
}

void handleRemoval(const DeviceBroadcast* record) {
  if (!isInterfaceEvent(record) || !unitDevice.isOpen() || !samePath(record->name, unitDevice.devicePath)) return;
  giveUpUnit();
  appendHint(msg::kConnectionLost);
}

}  // namespace

bool registerDeviceNotifications() {
  deviceNotification = dlg::registerHidNotifications();
  if (deviceNotification != 0) return true;
  const std::wstring caption = dlg::loadText(msg::kRegistrationFailedCaption);
  dlg::ask(dlg::BoxKind::RegistrationFailed, dlg::loadText(msg::kRegistrationFailed), caption);
  return false;
}

void unregisterDeviceNotifications() {
  if (deviceNotification == 0) return;
  dlg::unregisterHidNotifications(deviceNotification);
  deviceNotification = 0;
}

std::int32_t handleDeviceChange(std::uint32_t event, const DeviceBroadcast* record) {
  switch (event) {
    case kDeviceArrival: handleArrival(record); return 1;
    case kDeviceRemoveComplete: handleRemoval(record); return 1;
    default: return 0;
  }
}

bool samePath(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAsciiLetter(a[i]) != lowerAsciiLetter(b[i])) return false;
  }
  return true;
}
