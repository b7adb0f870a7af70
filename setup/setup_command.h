// The command-line setup: the setup program's start-up without its dialog,
// for machines without the Windows graphics platform.
//
// It reads the settings of init/win_init.dat, detects the hardware that a
// hardware profile describes (profiles/README.md), restores the saved device
// choice or makes the default one, applies the changes given as options in
// their order (each as the matching control of the dialog would), shows what
// the Basic, Expert and Network pages would show, and with --accept writes
// init/dev_mode.dat and init/win_init.dat as OK would. Without --accept it
// writes nothing but the detection log, as Cancel. `setup --help` explains
// the options.
#ifndef TESSERA_SETUP_SETUP_COMMAND_H_
#define TESSERA_SETUP_SETUP_COMMAND_H_

#include <string>
#include <vector>

// Exit codes of RunSetupCommand.
enum SetupExitCode {
  kSetupOk = 0,
  kSetupFailed = 1,  // nothing suitable found, or the device choice not saved
  kSetupUsage = 2,   // a wrong option or value; nothing written
};

// Runs the command with `args` (without the program name). What the pages
// show and progress lines go to `out`; message boxes (captioned with the
// program title) and errors to `err`.
int RunSetupCommand(const std::vector<std::string>& args, std::string* out, std::string* err);

#endif  // TESSERA_SETUP_SETUP_COMMAND_H_
