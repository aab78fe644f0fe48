// The program's entry. The product runs once per computer, a second start bringing the first
// one forward, or saying that it runs where it cannot be reached (another user session); such
// a start makes nothing, not even a report. It reads no environment. Its one use of the command
// line is a report for support (--report, --record FILE; see report_request.h). The
// simulated-unit build talks to no real unit, so any number of copies may run; it first sets
// up its bus from the scenario it is given.
#include <windows.h>

#include "link/unit_device.h"
#include "adapters/win32/common_controls.h"
#include "adapters/win32/program_handles.h"
#include "adapters/win32/system_library.h"
#include "programs/windows/main_dialog.h"
#include "programs/windows/program_report.h"
#ifdef SPINDRA_SIMULATED_UNIT
#include "programs/windows/simulated_unit_program.h"
#else
#include "adapters/win32/win32_hid.h"
#include "adapters/win32/single_instance.h"
#include "ui/main_window.h"
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  win32::restrictDllSearchToSystem();
  // An update keeps the dialog from its messages for most of a minute; Windows must not
  // offer to end the program then and leave the ESC half-written.
  DisableProcessWindowsGhosting();
  moduleInstance = instance;
#ifndef SPINDRA_SIMULATED_UNIT
  if (!win32::claimOnlyInstance()) {
    if (!bringRunningMainDialogForward()) tellUpdaterRunsElsewhere();
    return 0;
  }
  win32::UsbBus usbBus;
  hid::use(usbBus.transport());
#endif
  win32::initCommonControls();
#ifdef SPINDRA_SIMULATED_UNIT
  if (!startSimulatedBus()) return 2;
#endif
  ProgramReport report(arguments);
  resetDevice();
  runMainDialog();
  return 0;
}
