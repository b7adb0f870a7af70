// The cost of the scripting paths, with ScriptXcmd loaded into the stage
// (the scene interface answered without a call trace):
// - a Python brain's Update(0.5) forwarded to a trivial method, beside the
//   same call made by formatting its text and running it;
// - a SceneAPIc function with two pointer arguments, beside a plain
//   extension function that takes two strings;
// - one flock frame of 30 boids (FlockIt and AvoidBlockers per boid, the
//   result becoming the next velocity) steered by a script through
//   ktFlocksc, beside the same frame done natively by the boid library
//   (stage/boids/frame_fixture.h: the same objects on the stage's model).
#include <benchmark/benchmark.h>

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "stage/boids/frame_fixture.h"
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
           "mine = 'NULL'\n"
           "def brain(me):\n    global mine\n    mine = me\n    return Idle()\n";
    fs::current_path(dir);
    std::string error;
    if (!stage.LoadPlugin(SCRIPTXCMD_PLUGIN_PATH, &error))
      std::fprintf(stderr, "%s\n", error.c_str());
    stage::SceneDescription scene;
    std::vector<std::string> errors;
    stage::ParseScene("object Zovezi.1\nemitter Hum\n", &scene, &errors);
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

// A sound emitter and a scene object as the host hands them to scripts (a
// pointer string built by hand would be refused).
PyObject* TwoHostObjects() {
  PyObject* globals = PyModule_GetDict(PyImport_AddModule("__main__"));
  PyObject* ran = PyRun_String(
      "import SceneAPIc\n"
      "two_objects = (SceneAPIc.GetSoundSourceByID('Hum'), "
      "SceneAPIc.GetSceneObjectByID('Zovezi.1'))\n",
      Py_file_input, globals, globals);
  Py_XDECREF(ran);
  PyObject* args = PyDict_GetItemString(globals, "two_objects");
  Py_XINCREF(args);
  return args;
}

void BM_SceneFunctionTwoPointers(benchmark::State& state) {
  Shared();
  PyObject* module = PyImport_ImportModule("SceneAPIc");
  PyObject* function = PyObject_GetAttrString(module, "SoundEmitterSetSceneObject");
  PyObject* args = TwoHostObjects();
  CallFunction(state, function, args);
  Py_DECREF(args);
  Py_DECREF(function);
  Py_DECREF(module);
}
BENCHMARK(BM_SceneFunctionTwoPointers);

void BM_PlainFunctionTwoStrings(benchmark::State& state) {
  Shared();
  PyObject* function = PyCFunction_New(&kPlain, nullptr);
  PyObject* args = TwoHostObjects();
  CallFunction(state, function, args);
  Py_DECREF(args);
  Py_DECREF(function);
}
BENCHMARK(BM_PlainFunctionTwoStrings);

// The scene of FlockFrame, and a script that keeps the same 30 boids, their
// velocities and both results in ktFlocksc objects.
const char kFlockScene[] =
    "object Rock0 at 19 0.5 0 radius 1.5\nobject Rock1 at 19 3.5 0 radius 1.5\n"
    "object Rock2 at 19 6.5 0 radius 1.5\nobject Rock3 at 19 9.5 0 radius 1.5\n"
    "object Pond at 60 10 0\nobject Tree at -40 5 2\n";
const char kFlockScript[] =
    "import ktFlocksc as K, mkTypesc as T, SceneAPIc\n"
    "def flock_setup(api):\n"
    "    global flock, boids, velocities, steer, avoid, direction\n"
    "    flock = K.new_ktFlock(api)\n"
    "    boids = []\n"
    "    for i in range(30):\n"
    "        b = K.new_ktBoid(SceneAPIc.GetObjKeyByID('Zovezi%d' % i), flock, api)\n"
    "        K.ktFlock_AddTo(flock, b); K.ktBoid_SetInFlock(b, 1); boids.append(b)\n"
    "    K.ktFlock_AddAvoidObjects(flock, ['Rock0', 'Rock1', 'Rock2', 'Rock3'])\n"
    "    K.ktFlock_AddGatheringPlaces(flock, ['Pond', 'Tree'])\n"
    "    x = T.new_mkVector3(1, 0, 0)\n"
    "    velocities = [K.new_ktVelocityVector() for i in range(30)]\n"
    "    for v in velocities: K.ktVelocityVector_Set(v, x, 0.5)\n"
    "    steer = K.new_ktInfluenceVector(); avoid = K.new_ktInfluenceVector()\n"
    "    direction = T.new_mkVector3(0, 0, 0)\n"
    "def flock_step():\n"
    "    FlockIt, Avoid = K.ktBoid_FlockIt, K.ktBoid_AvoidBlockers\n"
    "    GetVector, GetSpeed, Set = K.ktVelocityVector_GetVector, K.ktVelocityVector_GetSpeed,"
    " K.ktVelocityVector_Set\n"
    "    for b, v in zip(boids, velocities):\n"
    "        FlockIt(b, v, steer)\n"
    "        Avoid(b, 10.0, 3.0, 2.0, avoid)\n"
    "        GetVector(steer, direction)\n"
    "        Set(v, direction, GetSpeed(steer))\n";

void BM_FlockFrameNative(benchmark::State& state) {
  std::srand(1);
  boidtest::FlockFrame frame;
  frame.Step();
  for (auto _ : state) {
    frame.Step();
    benchmark::DoNotOptimize(frame.boid(0).fVelocity);
  }
}
BENCHMARK(BM_FlockFrameNative);

void BM_FlockFrameScript(benchmark::State& state) {
  Fixture& fixture = Shared();
  std::srand(1);
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  std::string text = kFlockScene;
  for (int i = 0; i < 30; ++i)
    text += "object Zovezi" + std::to_string(i) + " at " + std::to_string(3 * (i % 6)) + " " +
            std::to_string(3 * (i / 6)) + " 0\n";
  stage::ParseScene(text, &scene, &errors);
  fixture.stage.Build(scene, &errors);
  PyObject* main = PyImport_AddModule("__main__");
  PyObject* globals = PyModule_GetDict(main);
  PyObject* ran = PyRun_String(kFlockScript, Py_file_input, globals, globals);
  Py_XDECREF(ran);
  // The scene interface as a brain's script finds it.
  if (PyRun_SimpleString("import egBrainc, idle\n"
                         "flock_setup(egBrainc.egBrainDll_GetSceneApi(idle.mine))\n") != 0)
    state.SkipWithError("flock set-up failed");
  PyObject* step = PyDict_GetItemString(globals, "flock_step");
  PyObject* first = PyObject_CallNoArgs(step);
  Py_XDECREF(first);
  for (auto _ : state) {
    PyObject* result = PyObject_CallNoArgs(step);
    if (result == nullptr) {
      PyErr_Print();
      state.SkipWithError("flock step failed");
      break;
    }
    Py_DECREF(result);
  }
}
BENCHMARK(BM_FlockFrameScript);

}  // namespace

BENCHMARK_MAIN();
