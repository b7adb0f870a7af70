// The commands and brain of KilnXcmd. Each command is a global object of its
// class, exported under the command's name (kiln.cpp lists them in order).
#ifndef TESSERA_KILN_COMMANDS_H_
#define TESSERA_KILN_COMMANDS_H_

#include "kit/plugin/plugin.h"

// Declares a command class whose Run is defined in a kiln source file.
#define KILN_COMMAND(Class)                                                              \
  class Class final : public egXCmd {                                                    \
   public:                                                                               \
    MK_DESTROYING_DESTRUCTOR(Class)                                                      \
    int32_t Run(int32_t argc, const char** argv, egActorInstance* instance,              \
                egTrigActor* actor, egTrigDetector* detector) override;                  \
  };

// Object flags and variables (object_state.cpp).
KILN_COMMAND(SetObjFlagCmd)
KILN_COMMAND(IfObjFlagCmd)
KILN_COMMAND(SetObjVarCmd)
KILN_COMMAND(IfObjVarCmd)
KILN_COMMAND(CaseObjVarCmd)
KILN_COMMAND(TransObjVarCmd)

// Record kinds of the contexts that these commands keep.
constexpr int32_t kObjectFlagRecord = 1001;
constexpr int32_t kObjectVariableRecord = 1002;

#endif  // TESSERA_KILN_COMMANDS_H_
