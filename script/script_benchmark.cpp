// The cost of the scripting paths, with ScriptXcmd loaded into the stage
// (the scene interface answered without a call trace):
// - a Python brain's Update(0.5) forwarded to a trivial method, beside the
//   same call made by formatting its text and running it;
// - a SceneAPIc function with two pointer arguments, beside a plain
//   extension function that takes two strings.
#include <benchmark/benchmark.h>

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "stage/quiet_api.h"
#include "stage/stage.h"

namespace {

namespace fs = std::filesystem;

PyObject* PlainTwoStrings(PyObject*, PyObject* args) {
  const char* a;
  const char* b;
  if (!PyArg_ParseTuple(args, "ss:Plain", &a, &b)) return nullptr;
  Py_RETURN_NONE;
}
PyMethodDef kPlain = {"Plain", PlainTwoStrings, METH_VARARGS, nullptr};

// The stage with ScriptXcmd, its interpreter started on the quiet interface,
// and one Python brain for the object Zovezi.1.
struct Fixture {
  Fixture() {
    const fs::path dir = fs::temp_directory_path() / "script_benchmark";
    fs::create_directories(dir / "python");
    std::ofstream(dir / "python" / "idle.py")
        << "class Idle:\n    n = 0\n    def Update(self, t): self.n += 1\n"
           "def brain(me): return Idle()\n";
    fs::current_path(dir);
    std::string error;
    if (!stage.LoadPlugin(SCRIPTXCMD_PLUGIN_PATH, &error))
      std::fprintf(stderr, "%s\n", error.c_str());
    stage::SceneDescription scene;
    std::vector<std::string> errors;
    stage::ParseScene("object Zovezi.1\n", &scene, &errors);
    stage.Build(scene, &errors);
    quiet = std::make_unique<stage::QuietSceneApi>(stage.model());
    egBrainClassDll* manager = stage.model().FindBrainClass("PythonMgr");
    manager->fSceneApi = quiet.get();
    manager->Prepare();
    brain = manager->MakeBrain("idle.py", "Zovezi.1");
  }
  stage::Stage stage;
  std::unique_ptr<stage::QuietSceneApi> quiet;
  egBrainDll* brain = nullptr;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_BrainUpdateForwarded(benchmark::State& state) {
  egBrainDll* brain = Shared().brain;
  for (auto _ : state) benchmark::DoNotOptimize(brain->Update(0.5f));
}
BENCHMARK(BM_BrainUpdateForwarded);

void BM_BrainUpdateAsText(benchmark::State& state) {
  Shared();
  char text[256];
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%s.%s(%f)", "Zovezi_1", "Update", 0.5);
    benchmark::DoNotOptimize(PyRun_SimpleString(text));
  }
}
BENCHMARK(BM_BrainUpdateAsText);

void CallFunction(benchmark::State& state, PyObject* function, PyObject* args) {
  for (auto _ : state) {
    PyObject* result = PyObject_Call(function, args, nullptr);
    Py_XDECREF(result);
  }
}

void BM_SceneFunctionTwoPointers(benchmark::State& state) {
  Shared();
  PyObject* module = PyImport_ImportModule("SceneAPIc");
  PyObject* function = PyObject_GetAttrString(module, "SoundEmitterAddSound");
  PyObject* args = Py_BuildValue("(ss)", "_10000_egSoundSource_p", "_20000_mkSoundObject_p");
  CallFunction(state, function, args);
  Py_DECREF(args);
  Py_DECREF(function);
  Py_DECREF(module);
}
BENCHMARK(BM_SceneFunctionTwoPointers);

void BM_PlainFunctionTwoStrings(benchmark::State& state) {
  Shared();
  PyObject* function = PyCFunction_New(&kPlain, nullptr);
  PyObject* args = Py_BuildValue("(ss)", "_10000_egSoundSource_p", "_20000_mkSoundObject_p");
  CallFunction(state, function, args);
  Py_DECREF(args);
  Py_DECREF(function);
}
BENCHMARK(BM_PlainFunctionTwoStrings);

}  // namespace

BENCHMARK_MAIN();
