// setup.exe: the setup program as the player runs it. It takes no
// command-line arguments; whatever the command line holds is ignored.
#include "setup/win32/setup_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunSetupProgram(instance, nullptr);
}
