// The commands of ScriptXcmd: Python (runs a script file of the script
// directory), PythonBrain (gives a scene object a Python brain) and
// BrainParams (sends parameters to an object's brain).
#ifndef TESSERA_SCRIPT_COMMANDS_H_
#define TESSERA_SCRIPT_COMMANDS_H_

#include "kit/plugin/plugin.h"

namespace script {

// Python FILE [ARGS...]: runs FILE of the script directory as the main
// program with sys.argv = [FILE, ARGS...]; returns cvar.JustOneFrame as the
// script left it (1 unless the script sets it), or 1 when it cannot run.
class PythonCmd final : public egXCmd {
 public:
  MK_DESTROYING_DESTRUCTOR(PythonCmd)
  // Shuts the interpreter down if it is still up.
  ~PythonCmd();
  int32_t Run(int32_t argc, const char** argv, egActorInstance* instance, egTrigActor* actor,
              egTrigDetector* detector) override;
};

// PythonBrain Object PythonModule
class PythonBrainCmd final : public egXCmd {
 public:
  MK_DESTROYING_DESTRUCTOR(PythonBrainCmd)
  int32_t Run(int32_t argc, const char** argv, egActorInstance* instance, egTrigActor* actor,
              egTrigDetector* detector) override;
};

// BrainParams Object [PARAMS...]
class BrainParamsCmd final : public egXCmd {
 public:
  MK_DESTROYING_DESTRUCTOR(BrainParamsCmd)
  int32_t Run(int32_t argc, const char** argv, egActorInstance* instance, egTrigActor* actor,
              egTrigDetector* detector) override;
};

}  // namespace script

#endif  // TESSERA_SCRIPT_COMMANDS_H_
