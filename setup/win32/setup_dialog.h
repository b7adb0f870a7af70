// The setup program's dialog, shared by setup.exe and the test-only
// setup_autotest.exe, which are built from the same code and resources.
//
// RunSetupProgram is the whole program: the single-instance test, the
// settings read, the dialog, its message loop and, on OK, the two files.
// setup.exe runs it without a driver and takes no command-line arguments; a
// driver is how a test works the dialog's controls as a player would.
#ifndef TESSERA_SETUP_WIN32_SETUP_DIALOG_H_
#define TESSERA_SETUP_WIN32_SETUP_DIALOG_H_

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

class SystemApi;

enum { kBasicPage, kExpertPage, kNetworkPage, kPageCount };

// The dialog's windows, valid from the first tick until the program ends.
struct SetupWindows {
  HWND fMain;
  HWND fTabs;
  HWND fPages[kPageCount];
};

// Works the dialog from a timer that starts when the dialog is shown.
class SetupDialogDriver {
 public:
  // One tick of the timer, every 700 ms while the message loop runs.
  // `system` is the platform that detection asked.
  virtual void Tick(const SetupWindows& windows, SystemApi& system) = 0;

 protected:
  ~SetupDialogDriver() = default;
};

// Reads the settings, runs the dialog until it ends and returns the exit
// code. With a driver, an OK whose device file could not be saved gives a
// debugger line instead of the message box, so that nothing waits for a
// player. `driver` may be null; it is not owned.
int RunSetupProgram(HINSTANCE instance, SetupDialogDriver* driver);

#endif  // TESSERA_SETUP_WIN32_SETUP_DIALOG_H_
