#include "setup/setup_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "setup/graphics_options.h"
#include "setup/platform_profile.h"
#include "setup/settings.h"
#include "setup/test_support.h"

namespace {

using setuptest::FileExists;
using setuptest::LoadProfile;
using setuptest::ProfilePath;
using setuptest::ReadFile;
using setuptest::TempPath;
using setuptest::WriteFile;

const char kEngineLines[] = "FullScreen\r\nGammaLevel 1.2\r\n";

class SetupCommandTest : public ::testing::Test {
 protected:
  SetupCommandTest() : game_(TempPath("game")) {
    std::filesystem::remove_all(game_);
    std::filesystem::create_directories(game_ + "/init");
    WriteFile(InitFile(), kEngineLines);
  }

  int Run(const std::string& profile, std::vector<std::string> changes) {
    std::vector<std::string> args = {"--game", game_, "--profile", ProfilePath(profile)};
    args.insert(args.end(), changes.begin(), changes.end());
    out_.clear();
    err_.clear();
    return RunSetupCommand(args, &out_, &err_);
  }

  std::string InitFile() const { return game_ + "/init/win_init.dat"; }
  std::string DevModeFile() const { return game_ + "/init/dev_mode.dat"; }

  std::string game_;
  std::string out_;
  std::string err_;
};

TEST_F(SetupCommandTest, HelpExplainsTheOptions) {
  std::string out;
  std::string err;
  EXPECT_EQ(RunSetupCommand({"--help"}, &out, &err), kSetupOk);
  EXPECT_EQ(out.find("Usage: setup --game DIR --profile FILE"), 0u);
  EXPECT_NE(out.find("--accept"), std::string::npos);
  EXPECT_TRUE(err.empty());
}

TEST_F(SetupCommandTest, ShowsThePagesAndWritesNothingWithoutAccept) {
  EXPECT_EQ(Run("voodoo3.profile", {}), kSetupOk);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(out_,
            "Tessera Setup (Developer Mode)\n"
            "\n"
            "Basic Settings\n"
            "  3D Hardware: (*) Glide  ( ) Direct3D\n"
            "  Device:\n"
            "    > 0  3Dfx Interactive Inc. [Voodoo3 (tm)]\n"
            "  Screen Resolution:\n"
            "      0  640x480 16 bit\n"
            "    > 1  800x600 16 bit\n"
            "      2  1024x768 16 bit\n"
            "  [ ] Windowed (disabled)\n"
            "  Texture Quality: Medium\n"
            "  [ ] Full Scene Anti-Aliasing (disabled)\n"
            "\n"
            "Expert Settings\n"
            "  Speed: 5 (Slow 1 .. Fast 10)\n"
            "  Dead Zone: 6 (Off 0 .. Large 15)\n"
            "  Cursor Sleep Time: 5 (1 .. 30) 5 second(s)\n"
            "  [ ] Invert Mouse\n"
            "  Walking Speed: 15 (Slow 5 .. Fast 30)\n"
            "  Strafing Speed: 15 (Slow 1 .. Fast 30)\n"
            "  [ ] Advanced Mappings\n"
            "  [ ] Use DirectSound3D\n"
            "  [ ] Use Compressed Textures\n"
            "\n"
            "Network Settings\n"
            "  User Name: Test Player\n"
            "  Player File Name: Player_init.dat\n"
            "  [ ] ENABLE NETWORKING\n"
            "  Server Name: lobby.tessera.example\n"
            "  Session Name: demo\n"
            "  Lobby Port: 5001\n"
            "  [x] Set Optimal Sound Recording Level (disabled)\n");
  EXPECT_FALSE(FileExists(DevModeFile()));
  EXPECT_EQ(ReadFile(InitFile()), kEngineLines);
  // Detection ran, so it left its log.
  EXPECT_NE(ReadFile(game_ + "/debug_info.dat").find("Removing unusable devices and modes...\n"),
            std::string::npos);
}

// Each machine: changes accepted, then the files read back by the program's
// own readers give the same choices, and a second run shows them again.
TEST_F(SetupCommandTest, AcceptedChoicesReadBack) {
  struct Case {
    const char* profile;
    std::vector<std::string> changes;
    uint32_t type;
    int32_t device;
    int32_t mode;
    bool windowed;
    bool antiAliasing;
    bool compressed;
    uint16_t quality;
  };
  const Case cases[] = {
      {"voodoo2-secondary.profile",
       {"--api", "direct3d", "--device", "1", "--mode", "2", "--windowed", "on", "--texture", "low",
        "--compressed-textures", "off"},
       kDeviceTypeDirect3D,
       1,
       2,
       true,
       false,
       false,
       0},
      {"voodoo5.profile",
       {"--mode", "5", "--anti-aliasing", "off", "--texture", "medium"},
       kDeviceTypeGlide,
       0,
       5,
       false,
       false,
       false,
       25},
      {"voodoo5.profile",
       {"--api", "direct3d", "--mode", "4", "--anti-aliasing", "on"},
       kDeviceTypeDirect3D,
       0,
       4,
       false,
       true,
       true,
       100},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(DevModeFile());
    WriteFile(InitFile(), kEngineLines);
    std::vector<std::string> changes = c.changes;
    changes.insert(changes.end(), {"--mouse-speed", "7", "--walking-speed", "6", "--networking",
                                   "on", "--user-name", "Jane Doe", "--accept"});
    ASSERT_EQ(Run(c.profile, changes), kSetupOk) << c.profile << err_;
    EXPECT_EQ(err_, "");
    const std::string shown = out_.substr(0, out_.find("\nSaved "));
    EXPECT_NE(out_.find("\nSaved " + game_ + "/init/dev_mode.dat\nUpdated " + game_ +
                        "/init/win_init.dat\n"),
              std::string::npos)
        << out_;

    ProfilePlatform platform(LoadProfile(c.profile));
    DebugInfoLog log(TempPath("debug_info.dat"));
    GraphicsOptions options(platform, log, game_);
    TraceCapture capture;
    options.Detect();
    capture.Take();
    ASSERT_TRUE(options.LoadSavedChoice()) << c.profile;
    EXPECT_EQ(options.CurrentType(), c.type) << c.profile;
    EXPECT_EQ(options.SelectedDevice(), c.device) << c.profile;
    EXPECT_EQ(options.SelectedMode(), c.mode) << c.profile;
    EXPECT_EQ(options.WindowedOn(), c.windowed) << c.profile;
    EXPECT_EQ(options.AntiAliasingOn(), c.antiAliasing) << c.profile;
    EXPECT_EQ(options.CompressedTexturesOn(), c.compressed) << c.profile;
    EXPECT_EQ(options.fTextureQuality, c.quality) << c.profile;

    SetupSettings settings;
    ASSERT_TRUE(settings.ReadInitFile(game_));
    EXPECT_EQ(settings.fMouseLookSpeed, 7);
    EXPECT_EQ(settings.fMousePickSpeed, 7);
    EXPECT_EQ(settings.fWalkSpeed, 6);
    EXPECT_EQ(settings.fBackUpSpeed, 3);
    EXPECT_TRUE(settings.fNetworking);
    EXPECT_STREQ(settings.fUserName, "Jane_Doe");
    const std::string init = ReadFile(InitFile());
    EXPECT_EQ(init.find(std::string(kEngineLines) + "### Tessera Setup Overrides ###\r\n"), 0u);

    // A second run restores and shows the same choices (the user name now
    // as the file has it).
    ASSERT_EQ(Run(c.profile, {}), kSetupOk);
    std::string expected = shown;
    expected.replace(expected.find("User Name: Jane Doe"), 19, "User Name: Jane_Doe");
    EXPECT_EQ(out_, expected) << c.profile;
  }
}

TEST_F(SetupCommandTest, NoSuitableAccelerator) {
  EXPECT_EQ(Run("no-accelerator.profile", {"--accept"}), kSetupFailed);
  EXPECT_EQ(err_,
            "Tessera Setup (Developer Mode): No suitable 3D accelerators found.\n\n"
            "Please review the minimum system sp"
            "ecs in\n"
            "readme.txt to verify that your system meets them.\n");
  EXPECT_EQ(out_, "");
  EXPECT_FALSE(FileExists(DevModeFile()));
  EXPECT_EQ(ReadFile(InitFile()), kEngineLines);
}

TEST_F(SetupCommandTest, DeviceChoiceThatCannotBeSaved) {
  std::filesystem::remove_all(game_ + "/init");
  EXPECT_EQ(Run("matrox-g400.profile", {"--accept"}), kSetupFailed);
  EXPECT_EQ(err_,
            "Tessera Setup (Developer Mode): Options could not be saved.\n"
            "setup: cannot write " +
                game_ + "/init/dev_mode.dat: the game folder " + game_ +
                " has no init directory; nothing written\n");
  EXPECT_EQ(out_.find("\nSaved "), std::string::npos);
}

TEST_F(SetupCommandTest, ChangesTheDialogWouldNotAllowWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{"--windowed", "on", "--accept"},
       "setup: --windowed on: the Windowed box is disabled for this device; nothing written\n"},
      {{"--api", "direct3d", "--anti-aliasing", "on", "--accept"},
       "setup: --anti-aliasing on: the Full Scene Anti-Aliasing box is disabled for this device; "
       "nothing written\n"},
      {{"--mode", "3", "--accept"},
       "setup: --mode 3: not an entry of the screen resolution list; nothing written\n"},
      {{"--device", "-1", "--accept"},
       "setup: --device -1: not an entry of the device list; nothing written\n"},
      {{"--mouse-speed", "11", "--accept"},
       "setup: --mouse-speed 11: outside the trackbar's range 1..10; nothing written\n"},
      {{"--walking-speed", "4"},
       "setup: --walking-speed 4: outside the trackbar's range 5..30; nothing written\n"},
      {{"--texture", "ultra"},
       "setup: --texture ultra: expected low, medium or high; nothing written\n"},
      {{"--networking", "yes"}, "setup: --networking yes: expected on or off; nothing written\n"},
      {{"--find-player-file", "player_x.dat"},
       "setup: --find-player-file player_x.dat: no such player file (player_*.dat) in the init "
       "directory; nothing written\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run("voodoo3.profile", c.args), kSetupUsage);
    EXPECT_EQ(err_, c.error);
    EXPECT_FALSE(FileExists(DevModeFile()));
    EXPECT_EQ(ReadFile(InitFile()), kEngineLines);
  }
  EXPECT_EQ(Run("voodoo-graphics-640.profile", {"--api", "direct3d"}), kSetupUsage);
  EXPECT_EQ(err_,
            "setup: --api direct3d: the Direct3D button is disabled: no Direct3D device was "
            "found; nothing written\n");

  std::string out;
  std::string err;
  EXPECT_EQ(RunSetupCommand({"--profile", "x"}, &out, &err), kSetupUsage);
  EXPECT_EQ(err, "setup: --game DIR is required (see setup --help)\n");
  err.clear();
  EXPECT_EQ(RunSetupCommand({"--game", game_, "--bogus"}, &out, &err), kSetupUsage);
  EXPECT_EQ(err, "setup: unknown option --bogus (see setup --help)\n");
  err.clear();
  EXPECT_EQ(RunSetupCommand({"--game", game_, "--profile"}, &out, &err), kSetupUsage);
  EXPECT_EQ(err, "setup: --profile needs a value (see setup --help)\n");
  err.clear();
  EXPECT_EQ(RunSetupCommand({"--game", game_, "--profile", TempPath("none")}, &out, &err),
            kSetupUsage);
  EXPECT_EQ(err, "setup: cannot open " + TempPath("none") + "\n");
}

TEST_F(SetupCommandTest, TrackbarsAndTextureQuality) {
  // A saved texture quality of 50 shows as High and is saved as 100.
  ASSERT_EQ(Run("matrox-g400.profile", {"--accept"}), kSetupOk);
  std::string bytes = ReadFile(DevModeFile());
  ASSERT_GE(bytes.size(), 2u);
  bytes[bytes.size() - 2] = 50;
  WriteFile(DevModeFile(), bytes);
  ASSERT_EQ(Run("matrox-g400.profile", {"--walking-speed", "30", "--accept"}), kSetupOk);
  EXPECT_NE(out_.find("  Texture Quality: High\n"), std::string::npos);
  EXPECT_EQ(static_cast<uint8_t>(ReadFile(DevModeFile()).back()), 0u);
  EXPECT_EQ(static_cast<uint8_t>(ReadFile(DevModeFile())[bytes.size() - 2]), 100u);
  SetupSettings settings;
  ASSERT_TRUE(settings.ReadInitFile(game_));
  EXPECT_EQ(settings.fWalkSpeed, 30);
  EXPECT_EQ(settings.fBackUpSpeed, 25);
}

TEST_F(SetupCommandTest, DeviceChangeKeepsTheModeIndexWhenItCan) {
  // The secondary Voodoo2 has three modes, the Matrox six: from the Matrox's
  // mode 4 the Voodoo2 starts at its first mode, from mode 2 it keeps 2.
  ASSERT_EQ(Run("voodoo2-secondary.profile",
                {"--api", "direct3d", "--mode", "4", "--device", "1", "--accept"}),
            kSetupOk);
  EXPECT_NE(out_.find("    > 0  640x480 16 bit\n"), std::string::npos) << out_;
  ASSERT_EQ(Run("voodoo2-secondary.profile", {"--api", "direct3d", "--mode", "2", "--device", "1"}),
            kSetupOk);
  EXPECT_NE(out_.find("    > 2  1024x768 16 bit\n"), std::string::npos) << out_;
  // Clicking the current type's button changes nothing.
  ASSERT_EQ(Run("voodoo2-secondary.profile", {"--api", "direct3d", "--mode", "2",
                                              "--compressed-textures", "off", "--api", "direct3d"}),
            kSetupOk);
  EXPECT_NE(out_.find("    > 2  1024x768 16 bit\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("  [ ] Use Compressed Textures\n"), std::string::npos) << out_;
}

TEST_F(SetupCommandTest, FindPlayerFile) {
  WriteFile(game_ + "/init/Player_Ann.dat", "x");
  WriteFile(game_ + "/init/other.dat", "x");
  ASSERT_EQ(Run("voodoo3.profile", {"--find-player-file", "player_ann.DAT", "--accept"}), kSetupOk);
  EXPECT_NE(out_.find("  Player File Name: Player_Ann.dat\n"), std::string::npos);
  EXPECT_EQ(Run("voodoo3.profile", {"--find-player-file", "other.dat"}), kSetupUsage);

  std::filesystem::remove_all(game_ + "/init");
  ASSERT_EQ(Run("voodoo3.profile", {"--find-player-file", "player_ann.dat"}), kSetupOk);
  EXPECT_EQ(err_, "Tessera Setup (Developer Mode): Improper Tessera Directory Structure\n");
  EXPECT_NE(out_.find("  Player File Name: Player_init.dat\n"), std::string::npos);
}

TEST_F(SetupCommandTest, TraceLinesNameTheProgramOncePerBoard) {
  TraceCapture capture;
  ASSERT_EQ(Run("voodoo2-secondary.profile", {}), kSetupOk);
  EXPECT_EQ(capture.Take(),
            "setup: == Using fudge factors for a generic Matrox chipset ==\n"
            "setup: == Using default fudge factors ==\n");
}

TEST_F(SetupCommandTest, QuietPrintsOnlyProblems) {
  WriteFile(InitFile(), std::string(kEngineLines) + "WalkSpeed 99\r\n");
  TraceCapture capture;
  ASSERT_EQ(Run("voodoo2-secondary.profile", {"--quiet", "--walking-speed", "20", "--accept"}),
            kSetupOk);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(err_, "");
  EXPECT_EQ(capture.Take(), "");
  EXPECT_TRUE(FileExists(DevModeFile()));
  EXPECT_NE(ReadFile(InitFile()).find("\r\nWalkSpeed 20\r\n"), std::string::npos);

  EXPECT_EQ(Run("voodoo3.profile", {"--quiet", "--windowed", "on"}), kSetupUsage);
  EXPECT_EQ(
      err_,
      "setup: --windowed on: the Windowed box is disabled for this device; nothing written\n");
  std::string out;
  std::string err;
  ASSERT_EQ(RunSetupCommand({"--help"}, &out, &err), kSetupOk);
  EXPECT_NE(out.find("\n  --quiet "), std::string::npos);
  EXPECT_NE(out.find("\n  --mouse-speed 1..10    the mouse Speed trackbar\n"), std::string::npos);
}

TEST_F(SetupCommandTest, TrackbarValuesOutsideTheirRangeAreShownClampedWithANoteAndKept) {
  WriteFile(InitFile(), std::string(kEngineLines) +
                            "### Tessera Setup Overrides ###\r\nWalkSpeed 50\r\nStrafeSpeed 0\r\n");
  ASSERT_EQ(Run("voodoo3.profile", {"--accept"}), kSetupOk);
  EXPECT_EQ(err_,
            "setup: note: the Walking Speed value 50 read from win_init.dat is outside the "
            "trackbar's range 5..30; the trackbar shows 30 and the value is kept until the "
            "trackbar moves\n"
            "setup: note: the Strafing Speed value 0 read from win_init.dat is outside the "
            "trackbar's range 1..30; the trackbar shows 1 and the value is kept until the "
            "trackbar moves\n");
  EXPECT_NE(out_.find("  Walking Speed: 30 (Slow 5 .. Fast 30)\n"), std::string::npos);
  EXPECT_NE(out_.find("  Strafing Speed: 1 (Slow 1 .. Fast 30)\n"), std::string::npos);
  const std::string init = ReadFile(InitFile());
  EXPECT_NE(init.find("\r\nWalkSpeed 50\r\n"), std::string::npos);
  EXPECT_NE(init.find("\r\nStrafeSpeed 0\r\n"), std::string::npos);
}

// A detection log that cannot be made costs only the log, and says so.
TEST_F(SetupCommandTest, ADetectionLogThatCannotBeWrittenGivesANote) {
  const std::string log = game_ + "/debug_info.dat";
  std::filesystem::create_directory(log);
  ASSERT_EQ(Run("voodoo3.profile", {"--accept"}), kSetupOk);
  EXPECT_EQ(err_, "setup: note: cannot write " + log +
                      ": Is a directory; the detection log is not kept\n");
  EXPECT_TRUE(FileExists(DevModeFile()));
}

TEST_F(SetupCommandTest, NamesWithBlanksAreRefused) {
  EXPECT_EQ(
      Run("voodoo3.profile", {"--networking", "on", "--session-name", "late night", "--accept"}),
      kSetupUsage);
  EXPECT_EQ(err_,
            "setup: --session-name late night: the Session Name cannot hold blanks, commas or "
            "equals signs: win_init.dat would not read it back; nothing written\n");
  EXPECT_FALSE(FileExists(DevModeFile()));
  EXPECT_EQ(ReadFile(InitFile()), kEngineLines);
  // The user name's blanks are written as underscores.
  ASSERT_EQ(Run("voodoo3.profile", {"--networking", "on", "--user-name", "Jane Q Doe",
                                    "--session-name", "late_night", "--accept"}),
            kSetupOk);
  EXPECT_NE(ReadFile(InitFile()).find("\tclientname Jane_Q_Doe\r\n"), std::string::npos);
  EXPECT_NE(ReadFile(InitFile()).find("\tsession late_night\r\n"), std::string::npos);
}

// The failure line says what was written all the same.
TEST_F(SetupCommandTest, AcceptSaysWhatWasWrittenWhenAFileFails) {
  std::filesystem::create_directory(InitFile() + ".new");
  EXPECT_EQ(Run("matrox-g400.profile", {"--accept"}), kSetupFailed);
  EXPECT_EQ(err_,
            "Tessera Setup (Developer Mode): Options could not be saved.\n"
            "setup: cannot write " +
                InitFile() + ": Is a directory; " + DevModeFile() + " was saved\n");
  EXPECT_TRUE(FileExists(DevModeFile()));
  EXPECT_EQ(ReadFile(InitFile()), kEngineLines);
  std::filesystem::remove(InitFile() + ".new");

  std::filesystem::remove(DevModeFile());
  std::filesystem::create_directory(DevModeFile() + ".new");
  err_.clear();
  EXPECT_EQ(Run("matrox-g400.profile", {"--accept"}), kSetupFailed);
  EXPECT_EQ(err_,
            "Tessera Setup (Developer Mode): Options could not be saved.\n"
            "setup: cannot write " +
                DevModeFile() + ": Is a directory; " + InitFile() + " was updated\n");
  EXPECT_FALSE(FileExists(DevModeFile()));
  EXPECT_NE(ReadFile(InitFile()), kEngineLines);
  std::filesystem::remove(DevModeFile() + ".new");
  WriteFile(InitFile(), kEngineLines);

  std::filesystem::remove(InitFile());
  ASSERT_EQ(Run("matrox-g400.profile", {"--accept"}), kSetupOk);
  EXPECT_NE(out_.find("\nSaved " + DevModeFile() + "\nNot updated (missing): " + InitFile() + "\n"),
            std::string::npos);
}

}  // namespace
