#include "setup/dialog_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "setup/platform_profile.h"
#include "setup/test_support.h"

namespace {

namespace fs = std::filesystem;
using setuptest::FileExists;
using setuptest::LoadProfile;
using setuptest::ReadFile;
using setuptest::TempPath;
using setuptest::WriteFile;

// --- The table of controls ---------------------------------------------------

TEST(SetupControlsTest, EveryControlOnceWithItsItemOptionAndRange) {
  std::set<int> controls;
  std::set<std::string> options;
  for (const ControlInfo& info : kSetupControls) {
    EXPECT_TRUE(controls.insert(int(info.fControl)).second) << info.fOption;
    EXPECT_TRUE(options.insert(info.fOption).second) << info.fOption;
    EXPECT_EQ(&InfoOf(info.fControl), &info);
    EXPECT_EQ(FindControlByOption(info.fOption), &info);
  }
  EXPECT_EQ(controls.size(), 24u);
  EXPECT_EQ(FindControlByOption("--accept"), nullptr);

  struct Trackbar {
    SetupControl control;
    int item, low, high;
  };
  const Trackbar trackbars[] = {
      {SetupControl::kTexture, 1010, 0, 2},       {SetupControl::kMouseSpeed, 1019, 1, 10},
      {SetupControl::kDeadZone, 1024, 0, 15},     {SetupControl::kCursorSleep, 1026, 1, 30},
      {SetupControl::kWalkingSpeed, 1022, 5, 30}, {SetupControl::kStrafingSpeed, 1025, 1, 30},
  };
  for (const Trackbar& t : trackbars) {
    const ControlInfo& info = InfoOf(t.control);
    EXPECT_EQ(info.fKind, ControlKind::kTrackbar) << info.fOption;
    EXPECT_EQ(info.fItem, t.item) << info.fOption;
    EXPECT_EQ(info.fLow, t.low) << info.fOption;
    EXPECT_EQ(info.fHigh, t.high) << info.fOption;
  }
}

// --- Texts that the start-up file could not read back --------------------------

struct TextCase {
  const char* name;
  SetupControl control;
  std::string text;
  std::string problem;  // "" when the text is taken
};
void PrintTo(const TextCase& c, std::ostream* out) {
  *out << c.name;
}

const std::string kBlanks =
    " cannot hold blanks, commas or equals signs: win_init.dat would not read it back";
const std::string kUnreadable = ": win_init.dat would not read it back";

const TextCase kTextCases[] = {
    {"SessionWord", SetupControl::kSessionName, "night", ""},
    {"SessionWithBlank", SetupControl::kSessionName, "my game", "the Session Name" + kBlanks},
    {"SessionWithTab", SetupControl::kSessionName, "my\tgame", "the Session Name" + kBlanks},
    {"ServerWithComma", SetupControl::kServerName, "a,b", "the Server Name" + kBlanks},
    {"PortWithEquals", SetupControl::kLobbyPort, "50=01", "the Lobby Port" + kBlanks},
    {"PlayerFileWithBlank", SetupControl::kPlayerFile, "player one.dat",
     "the Player File Name" + kBlanks},
    {"PlayerFileWithLineBreak", SetupControl::kPlayerFile, "p\r\n.dat",
     "the Player File Name" + kBlanks},
    {"UserNameWithBlanks", SetupControl::kUserName, "Jane Q Doe", ""},
    {"UserNameWithTab", SetupControl::kUserName, "Jane\tDoe",
     "the User Name cannot hold tabs, line breaks, commas or equals signs" + kUnreadable},
    {"UserNameWithComma", SetupControl::kUserName, "Doe, Jane",
     "the User Name cannot hold tabs, line breaks, commas or equals signs" + kUnreadable},
    {"LeadingHash", SetupControl::kSessionName, "#1",
     "the Session Name cannot begin with '#'" + kUnreadable},
    {"HashInside", SetupControl::kSessionName, "room#1", ""},
    {"SkipWord", SetupControl::kServerName, "SKIP",
     "the Server Name cannot be \"skip\"" + kUnreadable},
    {"EmptyText", SetupControl::kSessionName, "", ""},
};

class TextProblemTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextProblemTest, RefusesWhatTheFileCouldNotReadBack) {
  EXPECT_EQ(SetupDialogState::TextProblem(GetParam().control, GetParam().text), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextProblemTest, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TextCase>& param) {
                           return std::string(param.param.name);
                         });

// --- The dialog over a machine ------------------------------------------------

class DialogStateTest : public ::testing::Test {
 protected:
  DialogStateTest() : game_(TempPath("game")) {
    fs::remove_all(game_);
    fs::create_directories(game_ + "/init");
  }

  SetupDialogState& Start(const std::string& profile, bool started = true) {
    platform_ = std::make_unique<ProfilePlatform>(LoadProfile(profile));
    log_ = std::make_unique<DebugInfoLog>(game_ + "/debug_info.dat");
    options_ = std::make_unique<GraphicsOptions>(*platform_, *log_, game_);
    dialog_ = std::make_unique<SetupDialogState>(settings_, *options_, game_);
    settings_.ReadInitFile(game_);
    TraceCapture capture;
    EXPECT_EQ(dialog_->Start(), started);
    return *dialog_;
  }

  std::string InitFile() const { return game_ + "/init/win_init.dat"; }
  std::string DevModeFile() const { return game_ + "/init/dev_mode.dat"; }

  std::string game_;
  SetupSettings settings_;
  std::unique_ptr<ProfilePlatform> platform_;
  std::unique_ptr<DebugInfoLog> log_;
  std::unique_ptr<GraphicsOptions> options_;
  std::unique_ptr<SetupDialogState> dialog_;
};

TEST_F(DialogStateTest, RefusedTextLeavesTheFieldAsItWas) {
  SetupDialogState& dialog = Start("voodoo3.profile");
  std::string problem;
  ASSERT_TRUE(dialog.EditText(SetupControl::kSessionName, "night", &problem));
  EXPECT_FALSE(dialog.EditText(SetupControl::kSessionName, "late night", &problem));
  EXPECT_EQ(problem, "the Session Name" + kBlanks);
  EXPECT_STREQ(settings_.fSessionName, "night");
  EXPECT_FALSE(dialog.ChoosePlayerFile("player one.dat", &problem));
  EXPECT_STREQ(settings_.fPlayerFile, "Player_init.dat");
  // What is checked is what is kept: the first 255 characters.
  ASSERT_TRUE(
      dialog.EditText(SetupControl::kSessionName, std::string(255, 's') + " tail", &problem));
  EXPECT_EQ(std::string(settings_.fSessionName), std::string(255, 's'));
}

TEST_F(DialogStateTest, TrackbarValuesOutsideTheirRangeAreClampedWithANote) {
  WriteFile(InitFile(),
            "MouseLookSpeed 50\r\nMousePickSpeed 50\r\nWalkSpeed 2\r\nStrafeSpeed 30\r\n"
            "SetMouseCtrlZone -1.0\r\nSetMouseCtrlLongStillTime 31\r\n");
  SetupDialogState& dialog = Start("voodoo3.profile");
  EXPECT_EQ(dialog.Notes(),
            std::vector<std::string>(
                {"the Speed value 50 read from win_init.dat is outside the trackbar's range "
                 "1..10; it is shown and saved as 10",
                 "the Dead Zone value -20 read from win_init.dat is outside the trackbar's range "
                 "0..15; it is shown and saved as 0",
                 "the Cursor Sleep Time value 31 read from win_init.dat is outside the trackbar's "
                 "range 1..30; it is shown and saved as 30",
                 "the Walking Speed value 2 read from win_init.dat is outside the trackbar's "
                 "range 5..30; it is shown and saved as 5"}));
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kMouseSpeed), 10);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kDeadZone), 0);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kCursorSleep), 30);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kWalkingSpeed), 5);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kStrafingSpeed), 30);
  EXPECT_EQ(dialog.CursorSleepLabel(), "30 second(s)");
  // The pick speed has no trackbar of its own: it keeps its value.
  EXPECT_EQ(settings_.fMousePickSpeed, 50);
  // The back-up speed follows the walking speed only when the trackbar moves.
  EXPECT_EQ(settings_.fBackUpSpeed, 10);
}

TEST_F(DialogStateTest, AcceptWritesBothFilesOrNeither) {
  const std::string before = "Engine 1\r\n";
  struct Case {
    const char* name;
    std::function<void(const std::string& game)> spoil;
    std::string problem;  // with the game directory for GAME
  };
  const Case cases[] = {
      {"start-up file cannot be updated",
       [](const std::string& game) {
         fs::remove(game + "/init/win_init.dat");
         fs::create_directory(game + "/init/win_init.dat");
       },
       "cannot open GAME/init/win_init.dat for update: Is a directory"},
      {"start-up file cannot be made",
       [](const std::string& game) { fs::create_directory(game + "/init/win_init.dat.new"); },
       "cannot write GAME/init/win_init.dat: Is a directory"},
      {"device file cannot be made",
       [](const std::string& game) { fs::create_directory(game + "/init/dev_mode.dat.new"); },
       "cannot write GAME/init/dev_mode.dat: Is a directory"},
      {"no init directory", [](const std::string& game) { fs::remove_all(game + "/init"); },
       "cannot write GAME/init/dev_mode.dat: the game folder GAME has no init directory"},
  };
  for (const Case& c : cases) {
    fs::remove_all(game_ + "/init");
    fs::create_directories(game_ + "/init");
    WriteFile(InitFile(), before);
    SetupDialogState& dialog = Start("matrox-g400.profile");
    c.spoil(game_);
    std::string problem;
    bool initUpdated = true;
    EXPECT_FALSE(dialog.Accept(&problem, &initUpdated)) << c.name;
    std::string expected = c.problem;
    for (size_t at; (at = expected.find("GAME")) != std::string::npos;)
      expected.replace(at, 4, game_);
    EXPECT_EQ(problem, expected) << c.name;
    EXPECT_FALSE(initUpdated) << c.name;
    EXPECT_FALSE(FileExists(DevModeFile())) << c.name;
    if (fs::is_regular_file(InitFile())) {
      EXPECT_EQ(ReadFile(InitFile()), before) << c.name;
    }
    EXPECT_FALSE(fs::exists(DevModeFile() + ".new") && fs::is_regular_file(DevModeFile() + ".new"))
        << c.name;
  }
}

TEST_F(DialogStateTest, AcceptWithoutAStartUpFileWritesOnlyTheDeviceFile) {
  SetupDialogState& dialog = Start("matrox-g400.profile");
  std::string problem;
  bool initUpdated = true;
  ASSERT_TRUE(dialog.Accept(&problem, &initUpdated)) << problem;
  EXPECT_FALSE(initUpdated);
  EXPECT_TRUE(FileExists(DevModeFile()));
  EXPECT_FALSE(FileExists(InitFile()));

  WriteFile(InitFile(), "Engine 1\r\n");
  ASSERT_TRUE(dialog.Accept(&problem, &initUpdated)) << problem;
  EXPECT_TRUE(initUpdated);
  EXPECT_EQ(ReadFile(InitFile()).find("Engine 1\r\n### Tessera Setup Overrides ###\r\n"), 0u);
}

}  // namespace
