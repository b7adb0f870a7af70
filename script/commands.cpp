#include "script/commands.h"

#include <cstdio>

#include "kit/host/scene_geometry.h"
#include "kit/plugin/command.h"
#include "script/interpreter.h"
#include "script/modules/modules.h"
#include "script/platform.h"
#include "script/text.h"

namespace script {

namespace {

bool SetArgv(int32_t argc, const char** argv) {
  PyRef list(PyList_New(argc));
  if (!list) return false;
  for (int32_t i = 0; i < argc; ++i) {
    PyObject* text = HostTextToPython(argv[i]);
    if (text == nullptr) return false;
    PyList_SetItem(list.get(), i, text);
  }
  return PySys_SetObject("argv", list.get()) == 0;
}

}  // namespace

int32_t PythonCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor* actor,
                       egTrigDetector* detector) {
  const bool up = EnsureInterpreter(fSceneApi);
  SceneVariables& variables = SceneModuleVariables();
  variables.theDetector = detector;
  variables.theActor = actor;
  if (!ktArgumentsFit(fSceneApi, kRow, argc, argv)) return 1;
  if (!up) return 1;
  char path[kPathSize];
  if (!BuildScriptPath(argv[0], path) || !CanOpen(path)) {
    ktWarn(fSceneApi, "Python: can't open file '%s%s'", kScriptDirectory, argv[0]);
    return 1;
  }
  if (!SetArgv(argc, argv)) {
    PrintPythonError();
    return 1;
  }
  variables.justOneFrame = 1;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    ktWarn(fSceneApi, "Python: can't open file '%s'", path);
    return 1;
  }
  const int result = RunMainFile(file, path);
  if (result != 0) ktWarn(fSceneApi, "Python: error returned %d", result);
  return variables.justOneFrame;
}

int32_t PythonBrainCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                            egTrigDetector*) {
  if (!PythonRuntimeFound(fSceneApi)) return 1;
  if (!ktArgumentsFit(fSceneApi, kRow, argc, argv)) return 1;
  mkSceneObject* object = ktVariableObject(fSceneApi, argv[0]);
  if (object != nullptr) {
    fSceneApi->BrainSetToPythonBrain(reinterpret_cast<egPhysicalSceneObject*>(object), argv[1]);
  } else {
    ktWarn(fSceneApi, "PythonBrain: %s not found (or not physical object)", argv[0]);
  }
  return 1;
}

int32_t BrainParamsCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                            egTrigDetector*) {
  if (!PythonRuntimeFound(fSceneApi)) return 1;
  if (!ktArgumentsFit(fSceneApi, kRow, argc, argv)) return 1;
  mkSceneObject* object = ktVariableObject(fSceneApi, argv[0]);
  if (object != nullptr) {
    fSceneApi->BrainSendParams(reinterpret_cast<egPhysicalSceneObject*>(object), argc - 1,
                               argv + 1);
  } else {
    ktWarn(fSceneApi, "BrainParameters: %s not found (or not physical object)", argv[0]);
  }
  return 1;
}

}  // namespace script
