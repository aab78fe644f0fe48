#include "programs/windows/simulated_unit_program.h"

#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/sim/scenario.h"
#include "adapters/sim/simulated_unit.h"
#include "adapters/win32/hid_library.h"
#include "adapters/win32/program_handles.h"

namespace {

using Record = std::vector<std::uint8_t>;

// A relay window on the dialog's thread hands each event to the dialog as WM_DEVICECHANGE.
constexpr UINT kDeliverNow = WM_APP + 1;       // sent from another thread; the record is the sender's
constexpr UINT kDeliverQueued = WM_APP + 2;    // posted; the relay owns the record
HWND relayWindow = nullptr;
DWORD dialogThread = 0;

std::optional<sim::Bus> bus;

Record broadcastRecord(const std::wstring& path) {
  constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  const std::size_t nameBytes = (path.size() + 1) * sizeof(wchar_t);
  Record bytes(std::max(kNameOffset + nameBytes, sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)), 0);
  auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
  record->dbcc_size = static_cast<DWORD>(kNameOffset + nameBytes);
  record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  win32::hidInterfaceClass(record->dbcc_classguid);
  std::memcpy(bytes.data() + kNameOffset, path.c_str(), nameBytes);
  return bytes;
}

LRESULT deliverToDialog(WPARAM event, const Record& record) {
  if (mainDialog == nullptr) return 0;
  return SendMessageW(mainDialog, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
}

LRESULT CALLBACK relayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kDeliverNow:
      return deliverToDialog(wParam, *reinterpret_cast<const Record*>(lParam));
    case kDeliverQueued: {
      std::unique_ptr<Record> record(reinterpret_cast<Record*>(lParam));
      return deliverToDialog(wParam, *record);
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void announceDeviceChange(std::uint32_t event, const std::wstring& path) {
  auto record = std::make_unique<Record>(broadcastRecord(path));
  if (GetCurrentThreadId() != dialogThread) {
    SendMessageW(relayWindow, kDeliverNow, event, reinterpret_cast<LPARAM>(record.get()));
    return;
  }
  // The bus announces from inside the dialog thread's own exchange with the unit (a unit
  // pulled out mid-command): like the platform, deliver when the thread next takes messages.
  if (PostMessageW(relayWindow, kDeliverQueued, event, reinterpret_cast<LPARAM>(record.get()))) record.release();
}

bool createRelayWindow() {
  // A process that runs the program more than once (the end-to-end tests) keeps its relay.
  if (relayWindow != nullptr) return dialogThread == GetCurrentThreadId();
  WNDCLASSW relayClass{};
  relayClass.lpfnWndProc = relayProc;
  relayClass.hInstance = moduleInstance;
  relayClass.lpszClassName = L"SpindraSimulatedBusRelay";
  if (RegisterClassW(&relayClass) == 0) return false;
  relayWindow = CreateWindowExW(0, relayClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, moduleInstance,
                                nullptr);
  dialogThread = GetCurrentThreadId();
  return relayWindow != nullptr;
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

bool startSimulatedBus() {
  const std::string scenario = environmentValue("SPINDRA_SIM_SCENARIO");
  const std::string escVersion = environmentValue("SPINDRA_SIM_ESC_VERSION");
  // The seam never keeps the bus of a start before: it is gone.
  bus.emplace();
  hid::use(bus->transport());
  if (!sim::setUp(*bus, scenario, escVersion, announceDeviceChange)) {
    std::fprintf(stderr, "unknown SPINDRA_SIM_SCENARIO '%s' or SPINDRA_SIM_ESC_VERSION '%s'\nscenarios: %s\n",
                 scenario.c_str(), escVersion.c_str(), sim::scenarioNames(",\n").c_str());
    return false;
  }
  return createRelayWindow();
}

sim::Bus& simulatedBus() { return *bus; }
