// ScriptXcmd: the Python scripting plug-in. Three commands (Python,
// PythonBrain, BrainParams), one brain class (PythonMgr), and the creation
// and release routines of four script modules, exported by name.
#include "script/brains.h"
#include "script/commands.h"
#include "script/interpreter.h"
#include "script/modules/modules.h"

namespace {

// Constructed before the exported objects, so that the module tables outlive
// them. PythonMgr's destructor shuts the interpreter down; this object's runs
// at once after that of the Python command, the first exported object, and
// shuts it down in case it is still up.
struct ModuleTables {
  ModuleTables() { script::ConstructModuleTables(); }
  ~ModuleTables() { script::ShutdownInterpreter(); }
} gModuleTables;

// Creates the module in the running interpreter; nothing while it is down
// (the start-up creates every module).
void InitModule(const char* name) {
  script::ScriptModule* module = script::FindModule(name);
  if (module == nullptr || !script::InterpreterUp()) return;
  if (!module->Create()) script::PrintPythonError();
}

void FiniModule(const char* name) {
  if (script::ScriptModule* module = script::FindModule(name)) module->Release();
}

}  // namespace

// The command rows are in script/commands.h.
using script::BrainParamsCmd;
using script::PythonBrainCmd;
using script::PythonCmd;
#define SCRIPT_BRAIN_CLASSES(X) X(PythonMgr, script::PythonMgr)

MK_EXPORT_XCMDS(SCRIPT_XCMDS)
MK_EXPORT_BRAIN_CLASSES(SCRIPT_BRAIN_CLASSES)
MK_EXPORT_XCMD_VERSIONS()
MK_EXPORT_BRAIN_VERSIONS()

#define SCRIPT_MODULE_ENTRIES(Name)                 \
  extern "C" MK_EXPORT void MK_CDECL init##Name() { \
    InitModule(#Name);                              \
  }                                                 \
  extern "C" MK_EXPORT void MK_CDECL fini##Name() { \
    FiniModule(#Name);                              \
  }
SCRIPT_MODULE_ENTRIES(ktFlocksc)
SCRIPT_MODULE_ENTRIES(mkRegistryc)
SCRIPT_MODULE_ENTRIES(egBrainc)
SCRIPT_MODULE_ENTRIES(egGameControllerc)
