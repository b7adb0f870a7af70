// The command-line setup program (see setup_command.h).
#include <cstdio>
#include <string>
#include <vector>

#include "setup/setup_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  int code = RunSetupCommand(args, &out, &err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return code;
}
