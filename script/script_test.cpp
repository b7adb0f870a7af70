// ScriptXcmd loaded into the stage the way the engine loads it: the Python
// command, the interpreter's output, the module variables, Python brains and
// the faults that a script must not turn into a crash, a hang or code
// injection. Scripts are written into a fresh game directory's python/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/commands.h"
#include "kit/testing/command_rows.h"
#include "kit/testing/temp_dir.h"
#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"

namespace {

namespace fs = std::filesystem;
using stagetest::Lines;

std::string Hex(const void* address, const char* type) {
  char text[128];
  std::snprintf(text, sizeof text, "_%llx%s",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address)), type);
  return text;
}

class ScriptTest : public stagetest::StageFixture {
 protected:
  ScriptTest() : StageFixture({SCRIPTXCMD_PLUGIN_PATH}) {
    gameDirectory_ = "script";
    saidAs_ = stagetest::SaidAs::kLogOrWarning;
  }

  void Script(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / "python" / name) << text;
  }

  // Runs `text` as the script run.py.
  int32_t Python(const std::string& text) {
    Script("run.py", text);
    return Run("Python", {"run.py"});
  }

  // The last message line.
  std::string Last() {
    const auto& messages = stage_.model().messages();
    return messages.empty() ? "" : messages.back().text;
  }

  // Makes a Python brain for `object` from module file `file` through the
  // host's brain-class path; null when PythonMgr refuses.
  egBrainDll* Brain(const std::string& object, const std::string& file) {
    stage::SceneObject* o = stage_.model().FindObject(object);
    first_ = stage_.model().messages().size();
    if (!stage_.model().AttachBrainClass(o, "PythonMgr:" + file)) return nullptr;
    return stage_.model().hostBrains().back()->plugin;
  }
};

TEST_F(ScriptTest, LoadsAsTheEngineDoes) {
  const auto& library = *stage_.plugins()[0];
  EXPECT_EQ(library.xcmdNames, (Lines{"Python", "PythonBrain", "BrainParams"}));
  EXPECT_EQ(library.brainClassNames, (Lines{"PythonMgr"}));
  EXPECT_FALSE(library.hasBrainIdent);
  EXPECT_EQ(library.xcmdMajor, 2);
  EXPECT_EQ(library.xcmdMinor, 27);
  EXPECT_EQ(library.brainMajor, 2);
  EXPECT_EQ(library.brainMinor, 27);
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->GetClassKind(), 1);
  for (const char* entry :
       {"initktFlocksc", "finiktFlocksc", "initmkRegistryc", "finimkRegistryc", "initegBrainc",
        "finiegBrainc", "initegGameControllerc", "finiegGameControllerc"})
    EXPECT_NE(library.Symbol(entry), nullptr) << entry;
  EXPECT_EQ(library.Symbol("initSceneAPIc"), nullptr);
}

TEST_F(ScriptTest, ScriptSeesItsArgumentsAndEveryModule) {
  Script("walk.py",
         "import sys\n"
         "print(sys.argv)\n"
         "import SceneAPIc, mkTypesc, mkUtilc, egBrainc, egGameControllerc, mkRegistryc, "
         "ktFlocksc\n"
         "print(sys.path[0], __name__)\n");
  EXPECT_EQ(Run("Python", {"walk.py", "fast", "3"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: ['walk.py', 'fast', '3'] ", "log: ./python/ __main__ "}));
}

TEST_F(ScriptTest, WrongArgumentsAndMissingFiles) {
  Script("spy.py",
         "from SceneAPIc import cvar\n"
         "class Spy:\n"
         "    def Update(self, t): print(cvar.TheActor, cvar.TheDetector)\n"
         "def brain(me): return Spy()\n");
  Scene("object Spy\nactor Walk\ndetector Door\n");
  stage::Actor* actor = stage_.model().FindActor("Walk");
  stage::Detector* detector = stage_.model().FindDetector("Door");
  EXPECT_EQ(Run("Python", {}, actor, detector), 1);
  EXPECT_EQ(Said(), (Lines{"warning: Python: wrong number of arguments (FILE[,ARGS...])"}));
  // The run had started the interpreter and stored the actor and detector.
  egBrainDll* spy = Brain("Spy", "spy.py");
  ASSERT_NE(spy, nullptr);
  spy->Update(0.5f);
  EXPECT_EQ(Said(), (Lines{"log: " + Hex(actor, "_egTrigActor_p") + " " +
                           Hex(detector, "_egTrigDetector_p") + " "}));

  EXPECT_EQ(Run("Python", {"nosuch.py"}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: Python: can't open file './python/nosuch.py'"}));
}

// Only regular files inside the script directory run, as commands and as
// brain modules; everything else is the can't-open warning.
TEST_F(ScriptTest, FilesOutsideTheScriptDirectoryOrNotFilesAreRefused) {
  fs::create_directories(dir_ / "python" / "sub");
  fs::create_directories(dir_ / "python" / "sub.py");
  std::ofstream(dir_ / "outside.py") << "print('ran')\ndef brain(me): return 1\n";
  Script("sub/inner.py", "print('inner')\n");
  Scene("object Zovezi\n");
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  const char* const kRefused[] = {"sub",
                                  "sub.py",
                                  "",
                                  "../outside.py",
                                  "sub/../../outside.py",
                                  "..\\outside.py",
                                  "/etc/hostname",
                                  "\\outside.py",
                                  "C:outside.py"};
  for (const char* file : kRefused) {
    EXPECT_EQ(Run("Python", {file}), 1) << file;
    const std::string warning = "Python: can't open file './python/" + std::string(file) + "'";
    EXPECT_EQ(Said(), (Lines{"warning: " + warning})) << file;
    EXPECT_EQ(manager->MakeBrain(file, "Zovezi"), nullptr) << file;
    EXPECT_EQ(Last(), warning) << file;
  }
  // A subdirectory and a step "." stay inside.
  EXPECT_EQ(Run("Python", {"sub/./inner.py"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: inner "}));
}

// The path is built in 96 bytes: "./python/" and up to 86 characters.
TEST_F(ScriptTest, FileNamesUpToTheLimitRun) {
  const std::string longest = std::string(83, 'a') + ".py";
  Script(longest, "print('ran')\n");
  EXPECT_EQ(Run("Python", {longest}), 1);
  EXPECT_EQ(Said(), (Lines{"log: ran "}));
  const std::string tooLong = "b" + longest;
  Script(tooLong, "print('ran')\n");
  EXPECT_EQ(Run("Python", {tooLong}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: Python: can't open file './python/" + tooLong + "'"}));
}

TEST_F(ScriptTest, OutputIsAssembledIntoLines) {
  Python(
      "print('a', 'b')\nprint(1, 2.5, None, sep=',')\nprint('x\\ny')\nprint('partial', end='')\n");
  EXPECT_EQ(Said(), (Lines{"log: a b ", "log: 1,2.5,None ", "log: x ", "log: y "}));
  // The partial line waits for the next run's newline.
  Python("print(' rest')\n");
  EXPECT_EQ(Said(), (Lines{"log: partial rest "}));
  // A line longer than 255 characters is sent in pieces; none is lost.
  Python("print('c' * 255)\nprint('d' * 300)\n");
  EXPECT_EQ(Said(), (Lines{"log: " + std::string(255, 'c'), "log: " + std::string(255, 'd'),
                           "log: " + std::string(45, 'd') + " "}));
}

TEST_F(ScriptTest, OutputIsShownWithMessagesDisabled) {
  stage_.api().SetMessageEnable(0);
  Python("print('shown')\n");
  EXPECT_EQ(Said(), (Lines{"log: shown "}));
  EXPECT_EQ(Traced(), (Lines{"@0 >Python.Run(1, \"run.py\")", "@0 GetMessageEnable() -> 0",
                             "@0 SetMessageEnable(1)", "@0 ApiMessage(\"shown \")",
                             "@0 SetMessageEnable(0)", "@0 <Python.Run() -> 1"}));
}

TEST_F(ScriptTest, JustOneFrameIsTheResultOfOneRun) {
  EXPECT_EQ(Python("import SceneAPIc\nSceneAPIc.cvar.JustOneFrame = 0\n"), 0);
  EXPECT_EQ(Python("pass\n"), 1);
  EXPECT_EQ(Python("import SceneAPIc\nSceneAPIc.cvar.JustOneFrame = 5\n"), 5);
  // An exception after the assignment still returns the value.
  EXPECT_EQ(Python("import SceneAPIc\nSceneAPIc.cvar.JustOneFrame = 0\n1/0\n"), 0);
  EXPECT_EQ(Last(), "Python: error returned -1");
}

TEST_F(ScriptTest, ExceptionsAreReportedAndTheHostLives) {
  EXPECT_EQ(Python("x = 1\n1/0\n"), 1);
  EXPECT_EQ(Said(), (Lines{"log: Traceback (most recent call last): ",
                           "log:   File \"./python/run.py\", line 2, in <module> ", "log:     1/0 ",
                           "log:     ~^~ ", "log: ZeroDivisionError: division by zero ",
                           "warning: Python: error returned -1"}));
  // __main__ keeps what the failed run defined.
  Python("print(x)\n");
  EXPECT_EQ(Said(), (Lines{"log: 1 "}));

  Python("def f(:\n");
  EXPECT_EQ(Said().back(), "warning: Python: error returned -1");
  EXPECT_EQ(Said()[Said().size() - 2], "log: SyntaxError: invalid syntax ");

  for (const char* exit : {"import sys\nsys.exit(7)\n", "raise SystemExit('bye')\n",
                           "raise KeyboardInterrupt\n", "import sys\nsys.exit()\n"}) {
    EXPECT_EQ(Python(exit), 1) << exit;
    EXPECT_EQ(Said().back(), "warning: Python: error returned -1") << exit;
  }
  Python("import sys\nsys.exit(7)\n");
  EXPECT_EQ(Said(),
            (Lines{"log: Traceback (most recent call last): ",
                   "log:   File \"./python/run.py\", line 2, in <module> ", "log:     sys.exit(7) ",
                   "log: SystemExit: 7 ", "warning: Python: error returned -1"}));
  // Scripts have no standard input to wait on.
  EXPECT_EQ(Python("input()\n"), 1);
  EXPECT_EQ(Said().back(), "warning: Python: error returned -1");
  // And the interpreter still runs.
  Python("print('still here')\n");
  EXPECT_EQ(Said(), (Lines{"log: still here "}));
}

// A script file as python itself would read and run it: its bytes with their
// coding declaration and any line ends, __file__ naming it only while it
// runs, and no bytes that Python source cannot hold.
TEST_F(ScriptTest, ScriptFilesAreReadAsPythonReadsThem) {
  const struct {
    const char* what;
    std::string source;
    Lines said;
  } cases[] = {
      {"__file__ while it runs", "print(__file__)\n", {"log: ./python/run.py "}},
      {"Windows line ends", "a = 1\r\nprint(a + 1)\r\n", {"log: 2 "}},
      {"a coding declaration",
       "# -*- coding: latin-1 -*-\nprint(len('\xe9t\xe9'), ascii('\xe9'))\n",
       {"log: 3 '\\xe9' "}},
      {"no newline at the end", "print('last')", {"log: last "}},
      {"a NUL byte",
       std::string("print(1)\n\0\n", 11),
       {"log: SyntaxError: source code cannot contain null bytes ",
        "warning: Python: error returned -1"}},
  };
  for (const auto& c : cases) {
    Python(c.source);
    EXPECT_EQ(Said(), c.said) << c.what;
  }
}

TEST_F(ScriptTest, ModuleVariables) {
  Scene("actor Walk\ndetector Door\n");
  stage::Actor* actor = stage_.model().FindActor("Walk");
  const std::string walk = Hex(actor, "_egTrigActor_p");
  Script("run.py",
         "from SceneAPIc import cvar\n"
         "print(cvar)\n"
         "print(repr(cvar), type(cvar).__name__)\n"
         "for attempt in ['cvar.Nothing', 'cvar.JustOneFrame = \"x\"',\n"
         "                'cvar.TheActor = 3', 'cvar.TheDetector = 3',\n"
         "                'cvar.TheActor = \"_10_egTrigDetector_p\"',\n"
         "                'cvar.TheDetector = \"_10_egTrigActor_p\"', 'cvar.Nothing = 1']:\n"
         "    try:\n"
         "        exec(attempt)\n"
         "    except Exception as e:\n"
         "        print(type(e).__name__ + ':', e)\n"
         "print(cvar.TheActor == '" +
             walk +
             "', cvar.JustOneFrame)\n"
             "cvar.TheDetector = 'NULL'\n"
             "cvar.JustOneFrame = True\n"
             "try:\n"
             "    cvar.TheActor = '_1f_egTrigActor_p'\n"  // no actor the host gave
             "except TypeError as e:\n"
             "    print(e)\n"
             "print(cvar.TheActor, cvar.TheDetector, cvar.JustOneFrame)\n");
  Run("Python", {"run.py"}, actor, nullptr);
  EXPECT_EQ(
      Said(),
      (Lines{"log: Global variables { JustOneFrame, TheDetector, TheActor } ",
             "log: <Global variables> varlink ",
             "log: NameError: C global variable Nothing not found. ",
             "log: TypeError: C variable 'JustOneFrame'(mkBool32 ) ",
             "log: TypeError: C variable 'TheActor'(egTrigActor *) ",
             "log: TypeError: C variable 'TheDetector'(egTrigDetector *) ",
             "log: TypeError: Type error in value of TheActor. Expected _egTrigActor_p. ",
             "log: TypeError: Type error in value of TheDetector. Expected _egTrigDetector_p. ",
             "log: NameError: C global variable Nothing not found. ", "log: True 1 ",
             "log: Type error in value of TheActor. Expected _egTrigActor_p. ",
             "log: " + walk + " NULL 1 "}));
}

// --- Python brains -----------------------------------------------------------

const char kGuard[] =
    "import SceneAPIc\n"
    "calls = []\n"
    "class Guard:\n"
    "    def __init__(self, me):\n"
    "        self.me = me\n"
    "        calls.append(('made', me))\n"
    "    def Update(self, t): calls.append(('Update', t))\n"
    "    def PreUpdate(self, t): calls.append(('PreUpdate', t))\n"
    "    def Reset(self): calls.append(('Reset',))\n"
    "    def SendParams(self, p): calls.append(('SendParams', p))\n"
    "    def PrepareToDetach(self): return 7\n"
    "    def PrepareToAttach(self): return 8\n"
    "    def CanCollideWith(self, o): calls.append(('CanCollideWith', o)); return 2\n"
    "    def ReportCollision(self, a, b): calls.append(('ReportCollision', a, b)); return 3\n"
    "    def WantGravity(self): return 0\n"
    "    def GetType(self): return 302\n"
    "    def GetName(self): return 'Guard' + str(len(calls))\n"
    "    def StartBehavior(self, t, b): calls.append(('StartBehavior', t, b)); return 4\n"
    "    def PersonaChanged(self): calls.append(('PersonaChanged',))\n"
    "    def SetFalling(self): calls.append(('SetFalling',))\n"
    "    def UpdateGoals(self): calls.append(('UpdateGoals',))\n"
    "    def GetIn(self): calls.append(('GetIn',))\n"
    "def brain(me): return Guard(me)\n";

// Text crosses between the host and Python in the host's encoding (UTF-8
// here), and bytes that are not UTF-8 come back exactly as they went in.
TEST_F(ScriptTest, TextRoundTripsBetweenTheHostAndPython) {
  Script("guard.py", kGuard);
  Script("args.py",
         "import sys, SceneAPIc\n"
         "name = sys.argv[1]\n"
         "print(name, len(name), ascii(name))\n"
         "o = SceneAPIc.GetSceneObjectByID(name)\n"
         "print(o != 'NULL', SceneAPIc.GetID(o) == name)\n");
  const std::string bad = "B\xff\xfe";  // not UTF-8
  Scene("object \xc3\x9cn\xc3\xaf\nobject " + bad + "\n");
  const struct {
    std::string arg;
    Lines said;
  } kArgs[] = {
      {"\xc3\x9cn\xc3\xaf", {"log: \xc3\x9cn\xc3\xaf 3 '\\xdcn\\xef' ", "log: True True "}},
      {bad, {"log: " + bad + " 3 'B\\udcff\\udcfe' ", "log: True True "}},
  };
  for (const auto& row : kArgs) {
    Run("Python", {"args.py", row.arg});
    EXPECT_EQ(Said(), row.said) << row.arg;
  }
  // Names, parameters and results of a brain.
  egBrainDll* brain = Brain("\xc3\x9cn\xc3\xaf", "guard.py");
  ASSERT_NE(brain, nullptr);
  const char* params[] = {"\xc3\x9cn\xc3\xaf", bad.c_str()};
  EXPECT_EQ(brain->SendParams(2, params), 1);
  Python(
      "import guard\n"
      "print(ascii(guard.calls[-1]), ascii([k for k in globals() if k.startswith('\\xdc')]))\n"
      "guard.Guard.GetName = lambda self: self.name\n"
      "\xc3\x9cn\xc3\xaf.name = guard.calls[-1][1][1] + '\\xdc'\n");
  EXPECT_EQ(Said(),
            (Lines{"log: ('SendParams', ['\\xdcn\\xef', 'B\\udcff\\udcfe']) ['\\xdcn\\xef'] "}));
  EXPECT_EQ(std::string(brain->GetName()), bad + "\xc3\x9c");
}

TEST_F(ScriptTest, BrainForwardsEveryOperation) {
  Script("guard.py", kGuard);
  Scene("object Zovezi.1\nobject Rock\n");
  egBrainDll* brain = Brain("Zovezi.1", "guard.py");
  ASSERT_NE(brain, nullptr);
  const std::string me = Hex(brain, "_egBrainDll_p");
  mkSceneObject* rock = stage::Model::ToHandle<mkSceneObject>(stage_.model().FindObject("Rock"));
  const std::string rockText = Hex(rock, "_mkSceneObject_p");
  mkGBehavior* behavior = reinterpret_cast<mkGBehavior*>(uintptr_t(0xbeef0));

  EXPECT_EQ(brain->GetType(), 302);
  EXPECT_EQ(brain->Update(0.5f), 1);
  EXPECT_EQ(brain->PreUpdate(0.25f), 1);
  EXPECT_EQ(brain->Reset(), 1);
  const char* params[] = {"it's", "a\nb", "__import__('os')"};
  EXPECT_EQ(brain->SendParams(3, params), 1);
  EXPECT_EQ(brain->SendParams(0, nullptr), 1);
  EXPECT_EQ(brain->PrepareToDetach(), 7);
  EXPECT_EQ(brain->PrepareToAttach(99), 8);
  EXPECT_EQ(brain->CanCollideWith(rock), 2);
  EXPECT_EQ(brain->CanCollideWith(nullptr), 2);
  EXPECT_EQ(brain->ReportCollision(rock, nullptr), 3);
  EXPECT_EQ(brain->WantGravity(), 0);
  EXPECT_EQ(brain->StartBehavior(1.5f, behavior), 4);
  brain->PersonaChanged();
  brain->SetFalling();
  brain->UpdateGoals();
  brain->GetIn();
  EXPECT_STREQ(brain->GetName(), "Guard14");
  // The last result of an operation that has one is retval in __main__.
  Python("print(retval)\n");
  EXPECT_EQ(Said(), (Lines{"log: Guard14 "}));
  brain->GetType();
  Python("print(retval)\n");
  EXPECT_EQ(Said(), (Lines{"log: 302 "}));

  Python("import guard\nfor c in guard.calls: print(c)\nprint(type(Zovezi_1).__name__)\n");
  EXPECT_EQ(
      Said(),
      (Lines{"log: ('made', '" + me + "') ", "log: ('Update', 0.5) ", "log: ('PreUpdate', 0.25) ",
             "log: ('Reset',) ", "log: ('SendParams', [\"it's\", 'a\\nb', \"__import__('os')\"]) ",
             "log: ('SendParams', []) ", "log: ('CanCollideWith', '" + rockText + "') ",
             "log: ('CanCollideWith', '_0_mkSceneObject_p') ",
             "log: ('ReportCollision', '" + rockText + "', '_0_mkSceneObject_p') ",
             "log: ('StartBehavior', 1.5, '_beef0_mkGBehavior_p') ", "log: ('PersonaChanged',) ",
             "log: ('SetFalling',) ", "log: ('UpdateGoals',) ", "log: ('GetIn',) ",
             "log: Guard "}));
  // Nothing was passed on to the host brain, and Update was bracketed.
  const Lines& trace = stage_.model().trace().lines();
  EXPECT_EQ(
      std::count_if(trace.begin(), trace.end(),
                    [](const std::string& l) { return l.find(".brain.") != std::string::npos; }),
      0);
  EXPECT_NE(std::find(trace.begin(), trace.end(), "@0 ReservedStatBegin(4)"), trace.end());
  EXPECT_NE(std::find(trace.begin(), trace.end(), "@0 ReservedStatEnd(4)"), trace.end());
}

TEST_F(ScriptTest, FailingMethodsFallBackAndAreSwitchedOffUntilReset) {
  Script("broken.py",
         "n = {}\n"
         "class B:\n"
         "    def count(self, name):\n"
         "        n[name] = n.get(name, 0) + 1\n"
         "        raise ValueError(name)\n"
         "    def Update(self, t): self.count('Update')\n"
         "    def GetType(self): pass\n"
         "    def PrepareToDetach(self): raise SystemExit(3)\n"
         "    def WantGravity(self): return 'heavy'\n"
         "    def GetName(self): return 5\n"
         "    def Reset(self): self.count('Reset')\n"
         "def brain(me): return B()\n");
  Scene("object Zovezi\n");
  egBrainDll* brain = Brain("Zovezi", "broken.py");
  ASSERT_NE(brain, nullptr);
  Run("Python", {"none.py"});
  EXPECT_EQ(brain->Update(0.5f), 0);  // the host brain's default answers
  // The traceback, then the warning that names the brain.
  EXPECT_EQ(Said()[Said().size() - 2], "log: ValueError: Update ");
  EXPECT_EQ(Said()[Said().size() - 1],
            "warning: PythonBrain: Zovezi (broken.py) Update raised ValueError; Update is off from "
            "now on");
  brain->Update(0.5f);
  brain->Update(0.5f);
  EXPECT_EQ(brain->GetType(), 300);  // GetType returns None: not an integer
  EXPECT_EQ(brain->PrepareToDetach(), 1);
  EXPECT_EQ(brain->WantGravity(), 1);  // 'heavy' is no integer: the host brain's answer
  EXPECT_STREQ(brain->GetName(), "");
  EXPECT_EQ(brain->Reset(), 0);  // raised: the host brain's Reset
  brain->Update(0.5f);
  Python("import broken\nprint(broken.n)\n");
  EXPECT_EQ(Said(), (Lines{"log: {'Update': 2, 'Reset': 1} "}));
  const Lines& trace = stage_.model().trace().lines();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "@0 Zovezi.brain.Update() "), 4);
}

// What a scene's author sees of a failing brain: the traceback once, one
// warning that names the object, the module file and the method (so that
// --strict fails), and for a failure repeated every frame a count when the
// run ends.
TEST_F(ScriptTest, BrainFailuresNameTheBrainOnce) {
  const struct {
    const char* methods;  // the class body of the brain module's object
    Lines said;           // the lines that are not traceback lines
  } kCases[] = {
      {"    def GetType(self): return 300\n"
       "    def Update(self, t): 1/0\n",
       {"log: ZeroDivisionError: division by zero ",
        "warning: PythonBrain: Walker (walker.py) Update raised ZeroDivisionError; Update is off "
        "from now on"}},
      {"    def Update(self, t): pass\n",
       {"log: AttributeError: 'B' object has no attribute 'GetType' ",
        "warning: PythonBrain: Walker (walker.py) GetType raised AttributeError",
        "log: PythonBrain: Walker (walker.py) GetType raised AttributeError 3 more times"}},
      {"    def GetType(self): return 'camera'\n"
       "    def Update(self, t): pass\n",
       {"log: TypeError: 'str' object cannot be interpreted as an integer ",
        "warning: PythonBrain: Walker (walker.py) GetType raised TypeError",
        "log: PythonBrain: Walker (walker.py) GetType raised TypeError 3 more times"}},
  };
  for (const auto& row : kCases) {
    TearDown();
    SetUp();
    Script("walker.py", std::string("class B:\n") + row.methods + "def brain(me): return B()\n");
    stage::SceneDescription scene;
    std::vector<std::string> errors;
    ASSERT_TRUE(stage::ParseScene(
        "frames 4\nobject Walker\nbrainclass Walker PythonMgr:walker.py\n", &scene, &errors));
    first_ = 0;
    ASSERT_TRUE(stage_.Play(scene, &errors)) << errors[0];
    stage_.UnloadPlugins();
    Lines said;
    for (const std::string& line : Said())
      if (line.find("Error") != std::string::npos || line.find("PythonBrain:") != std::string::npos)
        said.push_back(line);
    EXPECT_EQ(said, row.said) << row.methods;
  }
}

TEST_F(ScriptTest, BrainThatIsNoObjectIsRefused) {
  Script("none.py", "def brain(me): return None\n");
  Scene("object Walker\n");
  EXPECT_EQ(Brain("Walker", "none.py"), nullptr);
  EXPECT_EQ(
      Said(),
      (Lines{"warning: PythonBrain: Walker (none.py) brain() returned None; no brain is made"}));
}

TEST_F(ScriptTest, MakeBrainReusesAndRefuses) {
  Script("guard.py", kGuard);
  Script("bad.py", "def brain(me): raise RuntimeError('no')\n");
  Scene("object Zovezi.1\nobject zovezi_1\nobject Other\n");
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  egBrainDll* first = manager->MakeBrain("guard.py", "Zovezi.1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(manager->MakeBrain("GUARD.PY", "zovezi.1"), first);
  EXPECT_EQ(manager->MakeBrain("guard.py", "*"), first);
  EXPECT_NE(manager->MakeBrain("guard.py", "Other"), first);
  EXPECT_EQ(manager->MakeBrain("nosuch.py", "Other"), nullptr);
  EXPECT_EQ(Last(), "Python: can't open file './python/nosuch.py'");
  EXPECT_EQ(manager->MakeBrain("bad.py", "Other"), nullptr);
  EXPECT_EQ(Last(), "PythonBrain: Other (bad.py) could not be set up; no brain is made");
  EXPECT_EQ(stage_.model().messages().end()[-2].text, "RuntimeError: no ");
  // Names that are not module names are refused before Python sees them.
  const Lines files = {"x;import os.py", "a\nb.py", "__import__('os').py",
                       "9lives.py",      "a..py",   ".py"};
  const Lines modules = {"x;import os", "a\nb", "__import__('os')", "9lives", "a.", ".py"};
  for (size_t i = 0; i < files.size(); ++i) {
    Script(files[i], "def brain(me): return 1\n");
    EXPECT_EQ(manager->MakeBrain(files[i].c_str(), "Other"), nullptr) << files[i];
    EXPECT_EQ(Last(), "Python: '" + modules[i] + "' is not a valid module name");
  }
}

// The host may release a brain before PythonMgr is destroyed: the brain
// leaves PythonMgr's list, and nothing reaches it afterwards.
TEST_F(ScriptTest, ABrainReleasedByTheHostLeavesTheList) {
  Script("guard.py", kGuard);
  Scene("object Zovezi\n");
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  egBrainDll* first = manager->MakeBrain("guard.py", "Zovezi");
  ASSERT_NE(first, nullptr);
  first->AddReference();
  first->ReleaseReference();  // count 2 to 1: still alive
  EXPECT_EQ(manager->MakeBrain("guard.py", "*"), first);
  first->ReleaseReference();  // the last reference: destroyed
  const char* params[] = {"after"};
  manager->SendClassParams("guard.py", 1, params);
  egBrainDll* second = manager->MakeBrain("guard.py", "Zovezi");
  ASSERT_NE(second, nullptr);
  Python("import guard\nprint([c[0] for c in guard.calls], 'Zovezi' in globals())\n");
  EXPECT_EQ(Said(), (Lines{"log: ['made', 'made'] True "}));
}

TEST_F(ScriptTest, NamesAndParametersNeverRunCode) {
  Script("guard.py", kGuard);
  const char* evil = "x'); import sys; sys.modules['hacked'] = 1; print('hacked";
  Scene("object Zovezi\n");
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  egBrainDll* brain = manager->MakeBrain("guard.py", evil);
  ASSERT_NE(brain, nullptr);
  const char* params[] = {evil, "'", "\n"};
  EXPECT_EQ(brain->SendParams(3, params), 1);
  EXPECT_EQ(brain->Update(0.5f), 1);
  Python(
      "import sys\nprint('hacked' in sys.modules,\n"
      "      [type(v).__name__ for k, v in globals().items() if k.startswith(\"x'\")])\n");
  EXPECT_EQ(Said(), (Lines{"log: False ['Guard'] "}));
}

TEST_F(ScriptTest, TearDownRemovesTheNameAndLongNamesWork) {
  Script("guard.py", kGuard);
  const std::string longName(1000, 'n');
  Scene("object Zovezi\n");
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  egBrainDll* brain = manager->MakeBrain("guard.py", longName.c_str());
  ASSERT_NE(brain, nullptr);
  std::vector<std::string> texts(100, std::string(100, 'p'));
  std::vector<const char*> params;
  for (const auto& t : texts) params.push_back(t.c_str());
  EXPECT_EQ(brain->SendParams(int32_t(params.size()), params.data()), 1);
  Python("import guard\nprint(len(guard.calls[-1][1]), len(globals()['" + longName + "'].me))\n");
  EXPECT_EQ(Said(),
            (Lines{"log: 100 " + std::to_string(Hex(brain, "_egBrainDll_p").size()) + " "}));
}

TEST_F(ScriptTest, CommandsGiveBrainsAndParameters) {
  Script("guard.py", kGuard);
  Scene("object Zovezi\n");
  EXPECT_EQ(Run("PythonBrain", {"Zovezi"}), 1);
  EXPECT_EQ(Said(),
            (Lines{"warning: PythonBrain: wrong number of arguments (Object, PythonModule)"}));
  EXPECT_EQ(Run("PythonBrain", {"Nobody", "guard.py"}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: PythonBrain: Nobody not found (or not physical object)"}));
  EXPECT_EQ(Run("PythonBrain", {"Zovezi", "guard.py"}), 1);
  ASSERT_EQ(stage_.model().hostBrains().size(), 1u);
  egBrainDll* brain = stage_.model().hostBrains()[0]->plugin;
  const std::string address = stage_.model().Label(brain);
  EXPECT_EQ(
      Traced(),
      (Lines{"@0 >PythonBrain.Run(2, \"Zovezi\", \"guard.py\")",
             "@0 GetObjKeyByID(\"Zovezi\") -> key:Zovezi", "@0 >PythonMgr.Prepare()",
             "@0 >PythonMgr.MakeBrain(\"guard.py\", \"Zovezi\")",
             "@0 <PythonMgr.MakeBrain() -> " + address,
             "@0 BrainSetToPythonBrain(Zovezi, \"guard.py\") -> 1", "@0 <PythonBrain.Run() -> 1"}));
  EXPECT_EQ(Run("BrainParams", {"Nobody", "a"}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: BrainParameters: Nobody not found (or not physical object)"}));
  EXPECT_EQ(Run("BrainParams", {}), 1);
  EXPECT_EQ(Said(),
            (Lines{"warning: BrainParameters: wrong number of arguments (Object[,PARAMS...])"}));
  EXPECT_EQ(Run("BrainParams", {"Zovezi", "a", "b"}), 1);
  EXPECT_EQ(Traced()[2], "@0 BrainSendParams(Zovezi, 2, [list])");
  EXPECT_EQ(Run("BrainParams", {"Zovezi"}), 1);
  Python("import guard\nprint(guard.calls[1:])\n");
  EXPECT_EQ(Said(), (Lines{"log: [('SendParams', ['a', 'b']), ('SendParams', [])] "}));
}

// Brains attached from inside a frame: the frame updates the brains it
// began with; the new ones start with the next frame. Twenty attachments
// make the stage's brain list grow (and move) while it is being walked.
TEST_F(ScriptTest, BrainsAttachedDuringAFrameStartWithTheNextFrame) {
  Script("guard.py", kGuard);
  Script("boss.py",
         "import SceneAPIc\n"
         "class Boss:\n"
         "    def __init__(self): self.frames = 0\n"
         "    def GetType(self): return 300\n"
         "    def Update(self, t):\n"
         "        self.frames += 1\n"
         "        if self.frames == 1:\n"
         "            for i in range(20):\n"
         "                o = SceneAPIc.GetPhysicalSceneObjectByID('W%d' % i)\n"
         "                SceneAPIc.BrainSetToPythonBrain(o, 'guard.py')\n"
         "        if self.frames == 2:\n"
         "            SceneAPIc.BrainClassSendParams('PythonMgr:guard.py', 1, ['go'])\n"
         "def brain(me): return Boss()\n");
  // Boss is not the last brain: the walk goes on after the list has moved.
  std::string text =
      "frames 3\nobject Boss\nbrainclass Boss PythonMgr:boss.py\n"
      "object Tail\nbrainclass Tail PythonMgr:guard.py\n";
  for (int i = 0; i < 20; ++i) text += "object W" + std::to_string(i) + " character\n";
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene(text, &scene, &errors)) << errors[0];
  ASSERT_TRUE(stage_.Play(scene, &errors)) << errors[0];
  const Lines& trace = stage_.model().trace().lines();
  const struct {
    const char* frame;
    long updates;
  } kFrames[] = {{"@0 >", 2}, {"@1 >", 22}, {"@2 >", 22}};
  for (const auto& row : kFrames)
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [&](const std::string& l) {
                              return l.rfind(row.frame, 0) == 0 &&
                                     l.find(".PythonMgr.Update(") != std::string::npos;
                            }),
              row.updates)
        << row.frame;
  Python("import guard\nprint(len([c for c in guard.calls if c == ('SendParams', ['go'])]))\n");
  EXPECT_EQ(Said(), (Lines{"log: 21 "}));
}

// The interpreter's end does not wait for threads that scripts started, be
// they daemons or not: one warning gives their number, and the host goes on.
TEST_F(ScriptTest, UnloadDoesNotWaitForScriptThreads) {
  Python(
      "import threading\n"
      "stop = threading.Event()\n"
      "threading.Thread(target=stop.wait).start()\n"
      "threading.Thread(target=stop.wait, daemon=True).start()\n"
      "print(threading.active_count())\n");
  EXPECT_EQ(Said(), (Lines{"log: 3 "}));
  first_ = stage_.model().messages().size();
  stage_.UnloadPlugins();
  EXPECT_EQ(
      Said(),
      (Lines{"warning: Python: 2 script threads still running at unload; not waiting for them"}));
}

// Class parameters name the module file after the class, as a scene gives
// them: only the brains made from that file receive them.
TEST_F(ScriptTest, ClassParametersReachTheBrainsOfTheNamedModule) {
  Script("guard.py", kGuard);
  Script("other.py", kGuard);
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene(
      "frames 1\nobject A\nobject B\nobject C\n"
      "brainclass A PythonMgr:guard.py\nbrainclass B PythonMgr:guard.py\n"
      "brainclass C PythonMgr:other.py\n"
      "at 0 classparams PythonMgr:GUARD.PY alarm loud\nat 0 classparams PythonMgr quiet\n",
      &scene, &errors));
  ASSERT_TRUE(stage_.Play(scene, &errors)) << errors[0];
  Python(
      "import guard, other\n"
      "print([c for c in guard.calls if c[0] == 'SendParams'], "
      "[c for c in other.calls if c[0] == 'SendParams'])\n");
  EXPECT_EQ(Said(), (Lines{"log: [('SendParams', ['alarm', 'loud']), ('SendParams', ['alarm', "
                           "'loud'])] [] "}));
}

TEST(ScriptReloadTest, UnloadAndReloadWithTheInterpreterUp) {
  const fs::path home = fs::current_path();
  const fs::path dir = mktest::MakeTempDir("script_reload");
  fs::create_directories(dir / "python");
  std::ofstream(dir / "python" / "count.py")
      << "import json, ctypes\ntry:\n    n += 1\nexcept NameError:\n    n = 1\nprint('run', n)\n";
  std::ofstream(dir / "python" / "guard.py") << kGuard;
  fs::current_path(dir);
  for (int cycle = 0; cycle < 3; ++cycle) {
    stage::Stage stage;
    std::string error;
    ASSERT_TRUE(stage.LoadPlugin(SCRIPTXCMD_PLUGIN_PATH, &error)) << error;
    stage::SceneDescription scene;
    std::vector<std::string> errors;
    ASSERT_TRUE(stage::ParseScene("object Zovezi\nbrainclass Zovezi PythonMgr:guard.py\n", &scene,
                                  &errors));
    ASSERT_TRUE(stage.Build(scene, &errors)) << errors[0];
    EXPECT_EQ(stage.RunCommand("Python", {"count.py"}), 1);
    EXPECT_EQ(stage.RunCommand("Python", {"count.py"}), 1);
    ASSERT_GE(stage.model().messages().size(), 2u);
    EXPECT_EQ(stage.model().messages().back().text, "run 2 ") << "cycle " << cycle;
    stage.UnloadPlugins();
  }
  fs::current_path(home);
}

// The command rows against what the commands say: the names are the name
// list, every count outside a row's range is refused with exactly the row's
// usage line, and every usage line is quoted on the plug-in's page.
const std::vector<ktCommandRow> kRows = {SCRIPT_XCMDS(MK_XCMD_ROW_)};

TEST_F(ScriptTest, RowsAreTheNameListAndTheirUsageLines) {
  mktest::ExpectRowsAgree(kRows, stage_.plugins()[0]->xcmdNames,
                          TESSERA_SOURCE_DIR "/docs/python.md",
                          [this](const char* name, int32_t count) {
                            const int32_t result = Run(name, Lines(size_t(count), "Nobody"));
                            return mktest::RunSaid{result, Said()};
                          });
}

}  // namespace
