// The seven script modules of ScriptXcmd, in the order in which the
// interpreter's start-up creates them and its shutdown releases them:
// SceneAPIc, mkTypesc, mkUtilc, egBrainc, egGameControllerc, mkRegistryc,
// ktFlocksc. SceneAPIc is the scene interface (scene_module.cpp); the
// others are rows of native functions in their own files, bound by the
// binder of functions.h.
#ifndef TESSERA_SCRIPT_MODULES_MODULES_H_
#define TESSERA_SCRIPT_MODULES_MODULES_H_

#include "kit/host/host.h"
#include "script/modules/swig.h"

namespace script {

constexpr int kModuleCount = 7;

// The modules in start-up order.
ScriptModule* const* Modules();
// Constructs every table of the modules (kept in function-local statics).
// The plug-in calls it before it constructs its exported objects, so that
// the tables outlive them: the objects' destructors shut the interpreter
// down and release the tables.
void ConstructModuleTables();
// The module of that name, or null.
ScriptModule* FindModule(const char* name);

// The other six modules (types_module.cpp, util_module.cpp,
// host_modules.cpp, flocks_module.cpp).
ScriptModule& TypesModule();
ScriptModule& UtilModule();
ScriptModule& BrainModule();
ScriptModule& ControllerModule();
ScriptModule& RegistryModule();
ScriptModule& FlocksModule();

// The equivalences of mkUtilc and ktFlocksc: the scalar set, then each
// class's name and "_class_" alias, then derived classes where their bases
// are expected.
void RegisterUtilEquivalences(TypeTable& table);
void RegisterFlockEquivalences(TypeTable& table);

// Declare the types of the objects that the modules make for scripts as
// owned by the live-object register.
void DeclareTypesModuleObjects();
void DeclareUtilModuleObjects();
void DeclareFlocksModuleObjects();

// SceneAPIc and its three variables.
ScriptModule& SceneModule();
// The scene interface that every SceneAPIc function calls (set at start-up).
void SetSceneModuleApi(egSceneApi* api);
egSceneApi* SceneModuleApi();

// The variables that the Python command sets and reads (cvar.JustOneFrame,
// cvar.TheDetector, cvar.TheActor).
struct SceneVariables {
  mkBool32 justOneFrame = 1;
  egTrigDetector* theDetector = nullptr;
  egTrigActor* theActor = nullptr;
};
SceneVariables& SceneModuleVariables();

}  // namespace script

#endif  // TESSERA_SCRIPT_MODULES_MODULES_H_
