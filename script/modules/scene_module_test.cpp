// SceneAPIc through the stage: every function of the module called from a
// script, checked against the table of scene operations that it is made
// from. Each call must reach the scene interface once with its arguments
// converted (the stage's call trace), omitted arguments must arrive as the
// table's defaults, every pointer argument must refuse a string of another
// type with its own message, and every result must come back in its form.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"
#include "stage/trace.h"

namespace {

using stagetest::Lines;

struct Row {
  const char* name;
  const char* format;
  const char* types;
  const char* defaults;
  const char* result;
};

const Row kRows[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  {#Name, Format, Types, Defaults, Result},
#include "kit/host/scene_ops.inc"
};

// One argument of a row.
struct Arg {
  char code;
  bool optional;
  bool pointer = false;
  std::string type;      // "mkSceneObject"; empty for plain text and numbers
  std::string fallback;  // the table's default, "none" for null
  bool count = false;    // the number of texts of the list that follows
};

std::vector<Arg> Args(const Row& row) {
  std::vector<Arg> args;
  bool optional = false;
  for (const char* c = row.format; *c != '\0'; ++c) {
    if (*c == '|')
      optional = true;
    else
      args.push_back(Arg{*c, optional, false, "", ""});
  }
  std::string types = row.types;
  for (size_t at = 0; at < types.size();) {
    size_t end = types.find(',', at);
    if (end == std::string::npos) end = types.size();
    const std::string item = types.substr(at, end - at);
    const size_t space = item.find_first_not_of(' ');
    const size_t split = item.find(' ', space);
    const int position = std::stoi(item.substr(space, split - space));
    args[size_t(position - 1)].pointer = true;
    args[size_t(position - 1)].type = item.substr(split + 1);
    at = end + 1;
  }
  std::string defaults = row.defaults;
  for (size_t at = 0; at < defaults.size();) {
    size_t end = defaults.find(',', at);
    if (end == std::string::npos) end = defaults.size();
    const std::string item = defaults.substr(at, end - at);
    const size_t colon = item.find(':');
    const int position = std::stoi(item.substr(0, colon));
    args[size_t(position - 1)].fallback = item.substr(colon + 2);
    at = end + 1;
  }
  for (size_t k = 1; k < args.size(); ++k)
    if (args[k].code == 'O') args[k - 1].count = true;
  return args;
}

std::string TypeString(const std::string& type) {
  if (type.size() > 3 && type.compare(type.size() - 3, 3, "_pp") == 0) return "_" + type;
  return "_" + type + "_p";
}

class SceneModuleTest : public stagetest::StageFixture {
 protected:
  SceneModuleTest() : StageFixture({SCRIPTXCMD_PLUGIN_PATH}) { gameDirectory_ = "scene_module"; }

  void SetUp() override {
    StageFixture::SetUp();
    Scene("object Rock\n");
    // Scripts name the rock by the pointer string that the host gave one.
    std::ofstream(dir_ / "python" / "rock.py")
        << "import SceneAPIc\nSceneAPIc.GetSceneObjectByID('Rock')\n";
    stage_.RunCommand("Python", {"rock.py"});
    char text[64];
    std::snprintf(text, sizeof text, "_%llx_mkSceneObject_p",
                  static_cast<unsigned long long>(
                      reinterpret_cast<uintptr_t>(stage_.model().FindObject("Rock"))));
    rock_ = text;
  }

  // Runs `text` as a script; returns the message lines it wrote (the
  // stage's own notes aside).
  Lines Python(const std::string& text) {
    std::ofstream(dir_ / "python" / "run.py") << text;
    Run("Python", {"run.py"});
    Lines lines;
    const auto& messages = stage_.model().messages();
    for (size_t i = first_; i < messages.size(); ++i)
      if (messages[i].kind != stage::MessageKind::kStage) lines.push_back(messages[i].text);
    return lines;
  }
  // The scene operations that the last script called, without the stage's
  // own lines and the messages that the script printed.
  Lines Calls() {
    Lines calls;
    const auto& lines = stage_.model().trace().lines();
    for (size_t i = traceFirst_; i < lines.size(); ++i) {
      const std::string& l = lines[i];
      if (l.rfind("@0 >", 0) == 0 || l.rfind("@0 <", 0) == 0) continue;
      // A printed line: the display routine asks whether messages are on and
      // sends the line, which ends in a blank.
      if (l.rfind("@0 GetMessageEnable() -> ", 0) == 0 && i + 1 < lines.size() &&
          lines[i + 1].rfind("@0 ApiMessage(", 0) == 0 &&
          lines[i + 1].compare(lines[i + 1].size() - 3, 3, " \")") == 0) {
        ++i;
        continue;
      }
      calls.push_back(l);
    }
    return calls;
  }

  // The Python text of argument k (0-based) and how the trace writes it.
  std::pair<std::string, std::string> Value(const Arg& arg, size_t k) const {
    const std::string n = std::to_string(k + 1);
    if (arg.pointer && arg.type == "mkSceneObject") return {"'" + rock_ + "'", "Rock"};
    if (arg.pointer) return {"'NULL'", "null"};
    switch (arg.code) {
      case 's':
        return {"'t" + n + "'", "\"t" + n + "\""};
      case 'l':
      case 'i':
        // A list's count is at most the length of the list.
        if (arg.count) return {"2", "2"};
        return {std::to_string(10 + k), std::to_string(10 + k)};
      case 'f':
        return {n + ".5", n + ".5"};
      default:
        return {"['a', 'b']", "[list]"};
    }
  }

  static std::string DefaultText(const Arg& arg) {
    if (arg.fallback.empty() || arg.fallback == "none")
      return arg.code == 's' ? "null" : arg.code == 'f' ? "0" : "0";
    if (arg.code == 'f') return stage::FormatFloat(std::stof(arg.fallback));
    return arg.fallback;
  }

  std::string rock_;
};

// Whether trace line `line` is the call `expected` (a result or a note may
// follow the closing bracket).
bool IsCall(const std::string& line, const std::string& expected) {
  return line.compare(0, expected.size(), expected) == 0 &&
         (line.size() == expected.size() || line[expected.size()] == ' ');
}

TEST_F(SceneModuleTest, EveryFunctionReachesItsOperationWithItsArguments) {
  std::string script = "import SceneAPIc\n";
  Lines expected;
  for (const Row& row : kRows) {
    const std::vector<Arg> args = Args(row);
    std::string call = std::string("r = SceneAPIc.") + row.name + "(";
    std::string traced = std::string("@0 ") + row.name + "(";
    for (size_t k = 0; k < args.size(); ++k) {
      const auto value = Value(args[k], k);
      call += (k ? ", " : "") + value.first;
      // A list's count argument comes before it; the trace writes both.
      traced += (k ? ", " : "") + value.second;
    }
    script += call + ")\nprint('" + row.name + "', type(r).__name__)\n";
    expected.push_back(traced + ")");
  }
  Lines said = Python(script);
  const Lines calls = Calls();
  ASSERT_EQ(calls.size(), expected.size()) << said.back();
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_PRED2(IsCall, calls[i], expected[i]);
  // ApiMessage and ApiMessageWarn wrote their text too.
  ASSERT_EQ(said[5], "t1");
  ASSERT_EQ(said[7], "t1");
  said.erase(said.begin() + 7);
  said.erase(said.begin() + 5);

  // Results come back in their forms.
  ASSERT_EQ(said.size(), std::size(kRows));
  for (size_t i = 0; i < said.size(); ++i) {
    const std::string result = kRows[i].result;
    const std::string type = said[i].substr(said[i].find(' ') + 1);
    if (result.empty()) {
      EXPECT_EQ(type, "NoneType ") << said[i];
    } else if (result == "l") {
      EXPECT_EQ(type, "int ") << said[i];
    } else if (result == "f") {
      EXPECT_EQ(type, "float ") << said[i];
    } else if (result == "s") {
      EXPECT_TRUE(type == "str " || type == "NoneType ") << said[i];
    } else {
      EXPECT_EQ(type, "str ") << said[i];  // a pointer string, "NULL" for none
    }
  }
}

TEST_F(SceneModuleTest, OmittedArgumentsArriveAsTheirDefaults) {
  std::string script = "import SceneAPIc\n";
  Lines expected;
  for (const Row& row : kRows) {
    if (std::string(row.format).find('|') == std::string::npos) continue;
    const std::vector<Arg> args = Args(row);
    std::string call = std::string("SceneAPIc.") + row.name + "(";
    std::string traced = std::string("@0 ") + row.name + "(";
    for (size_t k = 0; k < args.size(); ++k) {
      if (!args[k].optional) {
        const auto value = Value(args[k], k);
        call += (k ? ", " : "") + value.first;
        traced += (k ? ", " : "") + value.second;
      } else {
        traced += (k ? ", " : "") + DefaultText(args[k]);
      }
    }
    script += call + ")\n";
    expected.push_back(traced + ")");
  }
  ASSERT_EQ(expected.size(), 58u);  // the functions with optional arguments
  const Lines said = Python(script);
  const Lines calls = Calls();
  ASSERT_EQ(calls.size(), expected.size()) << (said.empty() ? "" : said.back());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_PRED2(IsCall, calls[i], expected[i]);
  // Some by name.
  EXPECT_NE(std::find(expected.begin(), expected.end(),
                      "@0 AnimPlay(Rock, null, 12, 13, 14, 15, -1, 0, 0, 1, 0)"),
            expected.end());
  EXPECT_NE(std::find(expected.begin(), expected.end(), "@0 SoundPlay(null, 100, 0)"),
            expected.end());
  EXPECT_NE(std::find(expected.begin(), expected.end(), "@0 CamSetToTrack(null, -1, -1, -1, -1)"),
            expected.end());
  EXPECT_NE(std::find(expected.begin(), expected.end(), "@0 ExecActor(null, null, 12, -1)"),
            expected.end());
}

TEST_F(SceneModuleTest, EveryPointerArgumentRefusesAnotherType) {
  std::string script =
      "import SceneAPIc\n"
      "def attempt(f, *args):\n"
      "    try:\n"
      "        f(*args)\n"
      "        print('accepted')\n"
      "    except TypeError as e:\n"
      "        print(e)\n";
  Lines expected;
  for (const Row& row : kRows) {
    const std::vector<Arg> args = Args(row);
    for (size_t bad = 0; bad < args.size(); ++bad) {
      if (!args[bad].pointer || args[bad].type == "void") continue;
      std::string call = std::string("attempt(SceneAPIc.") + row.name;
      for (size_t k = 0; k < args.size(); ++k)
        call += ", " + (k == bad ? std::string("'_10_mkWrongType_p'") : Value(args[k], k).first);
      script += call + ")\n";
      expected.push_back("Type error in argument " + std::to_string(bad + 1) + " of " + row.name +
                         ". Expected " + TypeString(args[bad].type) + ". ");
    }
  }
  const Lines said = Python(script);
  EXPECT_EQ(said, expected);
  EXPECT_EQ(Calls(), Lines{});  // no operation was called
}

TEST_F(SceneModuleTest, ArgumentErrors) {
  const Lines said = Python(
      "import SceneAPIc\n"
      "for f, args in [(SceneAPIc.AnimPlay, ()),\n"
      "                (SceneAPIc.SetEnable, ('" +
      rock_ +
      "', 'x')),\n"
      "                (SceneAPIc.SetEnable, ('" +
      rock_ +
      "', 1, 2)),\n"
      "                (SceneAPIc.AnimPlay, ('NULL', 'NULL', 1, 2, 3, 4, 5.0, 6, 7, 8.0, 9, 10)),\n"
      "                (SceneAPIc.XCmdRun, ('NULL', 1, ('a',))),\n"
      "                (SceneAPIc.XCmdRun, ('NULL', 1, ['a', 2])),\n"
      "                (SceneAPIc.BrainSendParams, ('_1A_egPhysicalSceneObject_p', 1, 3)),\n"
      "                (SceneAPIc.ReservedCmd, ('x', 1, 'ab'))]:\n"
      "    try:\n"
      "        f(*args)\n"
      "    except TypeError as e:\n"
      "        print(e)\n"
      "print(SceneAPIc.XCmdRun('NULL', 0, []), SceneAPIc.GetPlayer(), SceneAPIc.GetID('NULL'))\n"
      "SceneAPIc.ApiMessage('said')\n");
  EXPECT_EQ(said, (Lines{"AnimPlay() takes at least 6 arguments (0 given) ",
                         "'str' object cannot be interpreted as an integer ",
                         "SetEnable() takes exactly 2 arguments (3 given) ",
                         "AnimPlay() takes at most 11 arguments (12 given) ", "not a list ",
                         "list must contain strings ",
                         "Type error in argument 1 of BrainSendParams. Expected "
                         "_egPhysicalSceneObject_p. ",
                         "not a list ", "1 NULL (none) ", "said"}));
  EXPECT_EQ(Calls(),
            (Lines{"@0 XCmdRun(null, 0, [list], null, null, null) -> 1", "@0 GetPlayer() -> null",
                   "@0 GetID(null) -> \"(none)\"", "@0 ApiMessage(\"said\")"}));
}

}  // namespace
