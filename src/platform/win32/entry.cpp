// The program's entry. The product takes no arguments and reads no environment; the
// simulated-unit build first sets up its bus from the scenario it is given.
#include <windows.h>

#include "link/unit_device.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/program_handles.h"
#include "platform/win32/system_library.h"
#include "ui/main_dialog.h"
#ifdef SPINDRA_SIMULATED_UNIT
#include "platform/win32/simulated_bus.h"
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win32::restrictDllSearchToSystem();
  win32::initCommonControls();
  moduleInstance = instance;
#ifdef SPINDRA_SIMULATED_UNIT
  if (!startSimulatedBus()) return 2;
#endif
  resetDevice();
  runMainDialog();
  return 0;
}
