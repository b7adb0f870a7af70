#include "setup/dialog_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

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
  // The system's user name is held to the same rule.
  EXPECT_EQ(
      SetupSettings::ReadsBack(GetParam().text, GetParam().control == SetupControl::kUserName),
      GetParam().problem.empty());
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

TEST_F(DialogStateTest, ApiButtonsAsShown) {
  SetupDialogState& dialog = Start("geforce-voodoo2.profile");
  struct Expected {
    uint32_t type;
    int32_t item;
    std::string text;
    bool visible, enabled, checked;
  };
  const Expected expected[] = {
      {kDeviceTypeGlide, 1000, "Glide", true, true, false},
      {kDeviceTypeDirect3D, 1001, "Direct3D", true, true, true},
      {kDeviceTypeDX8Direct3D, 1004, "DX8 Direct3D", false, false, false},
  };
  for (const Expected& e : expected) {
    const SetupDialogState::ApiButton button = dialog.ApiButtonOf(e.type);
    EXPECT_EQ(button.fItem, e.item) << e.text;
    EXPECT_EQ(button.fText, e.text);
    EXPECT_EQ(button.fVisible, e.visible) << e.text;
    EXPECT_EQ(button.fEnabled, e.enabled) << e.text;
    EXPECT_EQ(button.fChecked, e.checked) << e.text;
  }
}

// The box refresh gives a device that can anti-alias the box's choice, so
// that it survives a change of device (both of the Voodoo5's can: Glide and
// back), and the saved record keeps it.
TEST_F(DialogStateTest, AntiAliasingIsKeptAcrossADeviceChange) {
  for (const bool on : {true, false}) {
    fs::remove(DevModeFile());
    WriteFile(InitFile(), "Engine 1\r\n");
    SetupDialogState& dialog = Start("voodoo5.profile");
    std::string problem;
    ASSERT_TRUE(dialog.AntiAliasing().fEnabled);
    ASSERT_TRUE(dialog.CheckAntiAliasing(on, &problem)) << problem;
    ASSERT_TRUE(dialog.ClickApi(kDeviceTypeGlide, &problem)) << problem;
    EXPECT_TRUE(dialog.AntiAliasing().fEnabled) << on;
    EXPECT_EQ(dialog.AntiAliasing().fChecked, on);
    EXPECT_EQ(options_->AntiAliasingOn(), on);
    ASSERT_TRUE(dialog.ClickApi(kDeviceTypeDirect3D, &problem)) << problem;
    EXPECT_TRUE(dialog.AntiAliasing().fEnabled) << on;
    EXPECT_EQ(dialog.AntiAliasing().fChecked, on);
    EXPECT_EQ(options_->AntiAliasingOn(), on);
    ASSERT_TRUE(dialog.Accept(&problem, nullptr)) << problem;
    DebugInfoLog log(game_ + "/debug_info_again.dat");
    GraphicsOptions again(*platform_, log, game_);
    TraceCapture capture;
    again.Detect();
    ASSERT_TRUE(again.LoadSavedChoice());
    EXPECT_EQ(again.CurrentType(), kDeviceTypeDirect3D);
    EXPECT_EQ(again.AntiAliasingOn(), on);
  }
}

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

TEST_F(DialogStateTest, TrackbarValuesOutsideTheirRangeAreShownClampedAndKept) {
  WriteFile(InitFile(),
            "MouseLookSpeed 50\r\nMousePickSpeed 50\r\nWalkSpeed 40\r\nStrafeSpeed 30\r\n"
            "SetMouseCtrlZone -1.0\r\nSetMouseCtrlLongStillTime 31\r\n");
  SetupDialogState& dialog = Start("voodoo3.profile");
  const std::string kept = "the value is kept until the trackbar moves";
  EXPECT_EQ(dialog.Notes(),
            std::vector<std::string>(
                {"the Speed value 50 read from win_init.dat is outside the trackbar's range "
                 "1..10; the trackbar shows 10 and " +
                     kept,
                 "the Dead Zone value -20 read from win_init.dat is outside the trackbar's range "
                 "0..15; the trackbar shows 0 and " +
                     kept,
                 "the Cursor Sleep Time value 31 read from win_init.dat is outside the trackbar's "
                 "range 1..30; the trackbar shows 30 and " +
                     kept,
                 "the Walking Speed value 40 read from win_init.dat is outside the trackbar's "
                 "range 5..30; the trackbar shows 30 and " +
                     kept}));
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kMouseSpeed), 10);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kDeadZone), 0);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kCursorSleep), 30);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kWalkingSpeed), 30);
  EXPECT_EQ(dialog.TrackbarPosition(SetupControl::kStrafingSpeed), 30);
  // The values read stay until their trackbar moves, and are saved so.
  EXPECT_EQ(settings_.fMouseLookSpeed, 50);
  EXPECT_EQ(settings_.fMouseCtrlZone, -20);
  EXPECT_EQ(settings_.fCursorSleepTime, 31);
  EXPECT_EQ(settings_.fWalkSpeed, 40);
  // The pick speed has no trackbar of its own: it keeps its value.
  EXPECT_EQ(settings_.fMousePickSpeed, 50);
  std::string problem;
  ASSERT_TRUE(dialog.MoveTrackbar(SetupControl::kMouseSpeed, 4, &problem)) << problem;
  ASSERT_TRUE(dialog.Accept(&problem, nullptr)) << problem;
  const std::string saved = ReadFile(InitFile());
  EXPECT_NE(saved.find("MouseLookSpeed 4\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("WalkSpeed 40\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("SetMouseCtrlLongStillTime 31.000000\r\n"), std::string::npos) << saved;
  // The back-up speed follows the walking speed only when the trackbar moves.
  EXPECT_EQ(settings_.fBackUpSpeed, 10);
}

// The device file is saved first; the start-up file is rewritten after it
// whether or not that worked. Each failure is named in the problem.
TEST_F(DialogStateTest, AcceptSavesTheDeviceFileThenTheStartUpFile) {
  const std::string before = "Engine 1\r\n";
  struct Case {
    const char* name;
    std::function<void(const std::string& game)> spoil;
    std::string problem;  // with the game directory for GAME
    bool deviceSaved;
    bool initUpdated;
  };
  auto readOnly = [](const std::string& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  };
  const Case cases[] = {
      {"start-up file cannot be updated",
       [](const std::string& game) {
         fs::remove(game + "/init/win_init.dat");
         fs::create_directory(game + "/init/win_init.dat");
       },
       "cannot open GAME/init/win_init.dat for update: Is a directory", true, false},
      {"start-up file cannot be made",
       [](const std::string& game) { fs::create_directory(game + "/init/win_init.dat.new"); },
       "cannot write GAME/init/win_init.dat: Is a directory", true, false},
      {"device file cannot be made",
       [](const std::string& game) { fs::create_directory(game + "/init/dev_mode.dat.new"); },
       "cannot write GAME/init/dev_mode.dat: Is a directory", false, true},
      {"both cannot be made",
       [](const std::string& game) {
         fs::create_directory(game + "/init/dev_mode.dat.new");
         fs::create_directory(game + "/init/win_init.dat.new");
       },
       "cannot write GAME/init/dev_mode.dat: Is a directory; cannot write "
       "GAME/init/win_init.dat: Is a directory",
       false, false},
      // A read-only file is refused alike, whoever runs the program.
      {"read-only start-up file",
       [readOnly](const std::string& game) { readOnly(game + "/init/win_init.dat"); },
       "cannot open GAME/init/win_init.dat for update: Permission denied", true, false},
      {"read-only device file",
       [readOnly](const std::string& game) {
         WriteFile(game + "/init/dev_mode.dat", "old");
         readOnly(game + "/init/dev_mode.dat");
       },
       "cannot write GAME/init/dev_mode.dat: Permission denied", false, true},
      {"no init directory", [](const std::string& game) { fs::remove_all(game + "/init"); },
       "cannot write GAME/init/dev_mode.dat: the game folder GAME has no init directory", false,
       false},
  };
  for (const Case& c : cases) {
    fs::remove_all(game_ + "/init");
    fs::create_directories(game_ + "/init");
    WriteFile(InitFile(), before);
    SetupDialogState& dialog = Start("matrox-g400.profile");
    c.spoil(game_);
    const bool deviceBefore = FileExists(DevModeFile());
    const std::string deviceBytes = deviceBefore ? ReadFile(DevModeFile()) : "";
    std::string problem;
    bool initUpdated = !c.initUpdated, deviceSaved = !c.deviceSaved;
    EXPECT_FALSE(dialog.Accept(&problem, &initUpdated, &deviceSaved)) << c.name;
    std::string expected = c.problem;
    for (size_t at; (at = expected.find("GAME")) != std::string::npos;)
      expected.replace(at, 4, game_);
    EXPECT_EQ(problem, expected) << c.name;
    EXPECT_EQ(initUpdated, c.initUpdated) << c.name;
    EXPECT_EQ(deviceSaved, c.deviceSaved) << c.name;
    if (c.deviceSaved) {
      EXPECT_TRUE(FileExists(DevModeFile())) << c.name;
    } else if (deviceBefore) {
      EXPECT_EQ(ReadFile(DevModeFile()), deviceBytes) << c.name;
    } else {
      EXPECT_FALSE(FileExists(DevModeFile())) << c.name;
    }
    if (fs::is_regular_file(InitFile())) {
      const std::string now = ReadFile(InitFile());
      EXPECT_EQ(now == before, !c.initUpdated) << c.name;
      if (c.initUpdated) {
        EXPECT_EQ(now.find(before + "### Tessera Setup Overrides ###"), 0u);
      }
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

// --- Control actions and where they lead ---------------------------------------

// One use of a control: its value as the command line spells it ("glide",
// "3", "on", "medium" as 1, a text; "" for a button).
struct Action {
  SetupControl control;
  std::string value;
};

bool Use(SetupDialogState& dialog, const Action& action, std::string* problem) {
  const std::string& v = action.value;
  switch (action.control) {
    case SetupControl::kApi:
      return dialog.ClickApi(v == "glide" ? kDeviceTypeGlide : kDeviceTypeDirect3D, problem);
    case SetupControl::kDevice:
      return dialog.SelectDeviceEntry(std::stoi(v), problem);
    case SetupControl::kMode:
      return dialog.SelectModeEntry(std::stoi(v), problem);
    case SetupControl::kWindowed:
      return dialog.CheckWindowed(v == "on", problem);
    case SetupControl::kAntiAliasing:
      return dialog.CheckAntiAliasing(v == "on", problem);
    case SetupControl::kTexture:
      return dialog.MoveTextureTrackbar(std::stoi(v), problem);
    case SetupControl::kExpertDefaults:
      dialog.PressExpertDefaults();
      return true;
    case SetupControl::kNetworkDefaults:
      dialog.PressNetworkDefaults();
      return true;
    case SetupControl::kFindPlayerFile:
      return dialog.ChoosePlayerFile(v, problem);
    default:
      break;
  }
  switch (InfoOf(action.control).fKind) {
    case ControlKind::kTrackbar:
      return dialog.MoveTrackbar(action.control, std::stoi(v), problem);
    case ControlKind::kCheckBox:
      return dialog.Check(action.control, v == "on", problem);
    default:
      return dialog.EditText(action.control, v, problem);
  }
}

// What the Basic page shows.
struct Shown {
  uint32_t type;
  int32_t device;
  int32_t mode;
  size_t modes;  // entries of the mode list
  bool windowedEnabled, windowedChecked;
  bool antiAliasingEnabled;
  bool compressedChecked;
  int32_t texture;
  // What the saved choice restores where it differs from what was shown: a
  // windowed mode comes back as the first mode of its size (-1: the shown
  // mode).
  int32_t savedMode;
  bool savedCompressed;
};

struct ActionCase {
  const char* name;
  const char* profile;
  std::vector<Action> actions;
  std::string refused;  // the last action's problem; "" when every action is taken
  Shown shown;
  // Lines that the saved setup section of init\win_init.dat holds, in order.
  std::vector<std::string> savedLines;
};
void PrintTo(const ActionCase& c, std::ostream* out) {
  *out << c.name;
}

constexpr uint32_t kGlide = kDeviceTypeGlide;
constexpr uint32_t kD3D = kDeviceTypeDirect3D;

const ActionCase kActionCases[] = {
    {"StartShowsTheDefaultChoice",
     "geforce-voodoo2.profile",
     {},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"MouseLookSpeed 5", "WalkSpeed 15", "BackUpSpeed 10"}},
    // Glide cannot compress textures: the box is unchecked with the choice.
    {"GlideStartsAtItsFirstMode",
     "geforce-voodoo2.profile",
     {{SetupControl::kMode, "4"}, {SetupControl::kApi, "glide"}},
     "",
     {kGlide, 0, 0, 3, false, false, false, false, 2, -1, false},
     {}},
    {"Direct3DKeepsTheShownModeIndex",
     "geforce-voodoo2.profile",
     {{SetupControl::kApi, "glide"}, {SetupControl::kMode, "2"}, {SetupControl::kApi, "direct3d"}},
     "",
     {kD3D, 0, 2, 6, true, false, false, true, 2, -1, true},
     {}},
    {"CurrentApiChangesNothing",
     "geforce-voodoo2.profile",
     {{SetupControl::kMode, "4"}, {SetupControl::kApi, "direct3d"}},
     "",
     {kD3D, 1, 4, 6, true, false, false, true, 2, -1, true},
     {}},
    {"AnotherDeviceKeepsTheModeIndex",
     "geforce-voodoo2.profile",
     {{SetupControl::kMode, "5"}, {SetupControl::kDevice, "0"}},
     "",
     {kD3D, 0, 5, 6, true, false, false, true, 2, -1, true},
     {}},
    {"WindowedIsKeptAcrossModes",
     "geforce-voodoo2.profile",
     {{SetupControl::kWindowed, "on"}, {SetupControl::kMode, "3"}},
     "",
     {kD3D, 1, 3, 6, true, true, false, true, 2, 0, true},
     {}},
    {"WindowedDisabledForGlide",
     "geforce-voodoo2.profile",
     {{SetupControl::kApi, "glide"}, {SetupControl::kWindowed, "on"}},
     "the Windowed box is disabled for this device",
     {kGlide, 0, 0, 3, false, false, false, false, 2, -1, false},
     {}},
    // A mode change turns compressed textures on only where the device can.
    {"GlideModeChangeKeepsCompressedTexturesOff",
     "geforce-voodoo2.profile",
     {{SetupControl::kApi, "glide"}, {SetupControl::kMode, "2"}},
     "",
     {kGlide, 0, 2, 3, false, false, false, false, 2, -1, false},
     {}},
    {"GlideButtonDisabledWithoutGlide",
     "nvidia-tnt2-32mb.profile",
     {{SetupControl::kApi, "glide"}},
     "the Glide button is disabled: no Glide device was found",
     {kD3D, 0, 1, 6, true, false, false, true, 2, -1, true},
     {}},
    {"Direct3DButtonDisabledWithoutDirect3D",
     "glide-three-tmus.profile",
     {{SetupControl::kApi, "direct3d"}},
     "the Direct3D button is disabled: no Direct3D device was found",
     {kGlide, 0, 1, 3, false, false, false, false, 2, -1, false},
     {}},
    {"ModeOutsideTheList",
     "geforce-voodoo2.profile",
     {{SetupControl::kMode, "6"}},
     "not an entry of the screen resolution list",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {}},
    {"TextureMedium",
     "geforce-voodoo2.profile",
     {{SetupControl::kTexture, "1"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 1, -1, true},
     {}},
    {"CompressedTexturesOff",
     "geforce-voodoo2.profile",
     {{SetupControl::kCompressedTextures, "off"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, false, 2, -1, false},
     {}},
    {"ExpertDefaultsTurnCompressedTexturesBackOn",
     "geforce-voodoo2.profile",
     {{SetupControl::kCompressedTextures, "off"},
      {SetupControl::kWalkingSpeed, "30"},
      {SetupControl::kInvertMouse, "on"},
      {SetupControl::kExpertDefaults, ""}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"MouseLookSpeed 5", "WalkSpeed 15", "BackUpSpeed 10", "StrafeSpeed 15"}},
    {"MouseSpeedMovesBothSpeeds",
     "geforce-voodoo2.profile",
     {{SetupControl::kMouseSpeed, "7"}, {SetupControl::kInvertMouse, "on"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"MouseLookSpeed 7", "MousePickSpeed 7", "MouseInvert"}},
    {"WindowedIsKeptAcrossADeviceChange",
     "geforce-voodoo2.profile",
     {{SetupControl::kWindowed, "on"}, {SetupControl::kDevice, "0"}},
     "",
     {kD3D, 0, 1, 6, true, true, false, true, 2, -1, true},
     {}},
    // A device that can compress textures turns them on with the box.
    {"CompressedBackOnWithADeviceThatCan",
     "geforce-voodoo2.profile",
     {{SetupControl::kCompressedTextures, "off"}, {SetupControl::kDevice, "0"}},
     "",
     {kD3D, 0, 1, 6, true, false, false, true, 2, -1, true},
     {}},
    {"AdvancedMappingsAndSound3D",
     "geforce-voodoo2.profile",
     {{SetupControl::kAdvancedMappings, "on"}, {SetupControl::kSound3D, "on"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"MouseLookSpeed 5", "AdvancedMappings", "WalkSpeed 15", "SoundEnable3D"}},
    {"WalkingSpeed5GivesBackUp3",
     "geforce-voodoo2.profile",
     {{SetupControl::kWalkingSpeed, "5"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"WalkSpeed 5", "BackUpSpeed 3"}},
    {"WalkingSpeed8GivesBackUp3",
     "geforce-voodoo2.profile",
     {{SetupControl::kWalkingSpeed, "8"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"WalkSpeed 8", "BackUpSpeed 3"}},
    {"WalkingSpeed9GivesBackUp4",
     "geforce-voodoo2.profile",
     {{SetupControl::kWalkingSpeed, "9"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"WalkSpeed 9", "BackUpSpeed 4"}},
    {"WalkingSpeed30GivesBackUp25",
     "geforce-voodoo2.profile",
     {{SetupControl::kWalkingSpeed, "30"}, {SetupControl::kStrafingSpeed, "1"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"WalkSpeed 30", "BackUpSpeed 25", "StrafeSpeed 1"}},
    {"DeadZoneAndCursorSleep",
     "geforce-voodoo2.profile",
     {{SetupControl::kDeadZone, "15"}, {SetupControl::kCursorSleep, "12"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"SetMouseCtrlZone 0.750000", "SetMouseCtrlLongStillTime 12.000000"}},
    {"TrackbarOutsideItsRange",
     "geforce-voodoo2.profile",
     {{SetupControl::kWalkingSpeed, "4"}},
     "outside the trackbar's range 5..30",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"WalkSpeed 15"}},
    {"NetworkFields",
     "geforce-voodoo2.profile",
     {{SetupControl::kUserName, "Wine Tester"},
      {SetupControl::kNetworking, "on"},
      {SetupControl::kServerName, "play.example"},
      {SetupControl::kSessionName, "night"},
      {SetupControl::kLobbyPort, "6001"},
      {SetupControl::kFindPlayerFile, "player_two.dat"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"playerinit init\\player_two.dat", "multiplayer", "\tclientname Wine_Tester",
      "\tservername play.example", "\tserverport 6001", "\tsession night", "end"}},
    // The fixture has no logged-in user: the user name is kept.
    {"NetworkDefaultsUndoTheFields",
     "geforce-voodoo2.profile",
     {{SetupControl::kUserName, "Wine Tester"},
      {SetupControl::kSessionName, "night"},
      {SetupControl::kNetworkDefaults, ""},
      {SetupControl::kNetworking, "on"}},
     "",
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"playerinit init\\Player_init.dat", "\tclientname Wine_Tester", "\tsession demo"}},
    {"SessionWithBlankRefused",
     "geforce-voodoo2.profile",
     {{SetupControl::kNetworking, "on"}, {SetupControl::kSessionName, "late night"}},
     "the Session Name" + kBlanks,
     {kD3D, 1, 1, 6, true, false, false, true, 2, -1, true},
     {"\tsession demo"}},
};

class ActionTest : public DialogStateTest, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ActionTest, LeadsToThePageStateAndTheSavedFiles) {
  const ActionCase& c = GetParam();
  WriteFile(InitFile(), "Engine 1\r\n");
  SetupDialogState& dialog = Start(c.profile);
  std::string problem;
  for (size_t i = 0; i < c.actions.size(); ++i) {
    const bool last = i + 1 == c.actions.size();
    const bool taken = Use(dialog, c.actions[i], &problem);
    if (last && !c.refused.empty()) {
      EXPECT_FALSE(taken);
      EXPECT_EQ(problem, c.refused);
    } else {
      ASSERT_TRUE(taken) << InfoOf(c.actions[i].control).fOption << ": " << problem;
    }
  }
  const Shown& s = c.shown;
  EXPECT_EQ(dialog.CurrentType(), s.type);
  for (uint32_t type : {kDeviceTypeGlide, kDeviceTypeDirect3D}) {
    const SetupDialogState::ApiButton button = dialog.ApiButtonOf(type);
    EXPECT_TRUE(button.fVisible);
    EXPECT_EQ(button.fEnabled, dialog.ApiEnabled(type));
    EXPECT_EQ(button.fChecked, s.type == type);
  }
  EXPECT_EQ(dialog.ShownDevice(), s.device);
  EXPECT_EQ(dialog.ShownMode(), s.mode);
  EXPECT_EQ(dialog.ModeLabels().size(), s.modes);
  EXPECT_EQ(dialog.Windowed().fEnabled, s.windowedEnabled);
  EXPECT_EQ(dialog.Windowed().fChecked, s.windowedChecked);
  EXPECT_EQ(dialog.AntiAliasing().fEnabled, s.antiAliasingEnabled);
  EXPECT_EQ(dialog.CompressedTextures().fChecked, s.compressedChecked);
  EXPECT_EQ(dialog.TexturePosition(), s.texture);

  ASSERT_TRUE(dialog.Accept(&problem, nullptr)) << problem;
  // The saved choice restores what the page showed.
  DebugInfoLog log(game_ + "/debug_info_again.dat");
  GraphicsOptions again(*platform_, log, game_);
  TraceCapture capture;
  again.Detect();
  ASSERT_TRUE(again.LoadSavedChoice());
  EXPECT_EQ(again.CurrentType(), s.type);
  EXPECT_EQ(again.SelectedDevice(), s.device);
  EXPECT_EQ(again.SelectedMode(), s.savedMode < 0 ? s.mode : s.savedMode);
  EXPECT_EQ(again.WindowedOn(), s.windowedChecked);
  EXPECT_EQ(again.CompressedTexturesOn(), s.savedCompressed);
  const uint16_t qualities[3] = {0, 25, 100};
  EXPECT_EQ(again.fTextureQuality, qualities[s.texture]);

  const std::string saved = ReadFile(InitFile());
  size_t at = saved.find("### Tessera Setup Overrides ###\r\n");
  ASSERT_NE(at, std::string::npos);
  for (const std::string& line : c.savedLines) {
    const size_t found = saved.find("\r\n" + line + "\r\n", at);
    ASSERT_NE(found, std::string::npos) << line << " after " << saved.substr(at);
    at = found + 2;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ActionTest, ::testing::ValuesIn(kActionCases),
                         [](const ::testing::TestParamInfo<ActionCase>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
