#include "setup/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "kit/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kMarkerLine = "### Tessera Setup Overrides ###";

// The section that default settings write.
const std::string kDefaultSection =
    "MouseLookSpeed 5\r\n"
    "MousePickSpeed 5\r\n"
    "WalkSpeed 15\r\n"
    "BackUpSpeed 10\r\n"
    "StrafeSpeed 15\r\n"
    "SetMouseCtrlZone 0.300000\r\n"
    "SetMouseCtrlLongStillTime 5.000000\r\n"
    "OptimalRecSettings 1\r\n"
    "playerinit init\\Player_init.dat\r\n";

class FakeUserNames : public UserNameSource {
 public:
  explicit FakeUserNames(std::string name, bool available = true)
      : name_(std::move(name)), available_(available) {}
  bool LoggedInUserName(char* buffer, uint32_t capacity) override {
    ++calls;
    if (!available_) return false;
    // Like the system call, the whole buffer may be filled.
    std::memset(buffer, 'Z', capacity);
    std::memcpy(buffer, name_.c_str(), std::min<size_t>(name_.size() + 1, capacity));
    return true;
  }
  int calls = 0;

 private:
  std::string name_;
  bool available_;
};

// Every field, for comparisons that show the difference.
std::string Describe(const SetupSettings& s) {
  std::string out;
  auto add = [&](const char* name, const std::string& value) {
    out += std::string(name) + "=" + value + " ";
  };
  add("look", std::to_string(s.fMouseLookSpeed));
  add("pick", std::to_string(s.fMousePickSpeed));
  add("invert", std::to_string(s.fMouseInvert));
  add("advanced", std::to_string(s.fAdvancedMappings));
  add("walk", std::to_string(s.fWalkSpeed));
  add("backup", std::to_string(s.fBackUpSpeed));
  add("strafe", std::to_string(s.fStrafeSpeed));
  add("sound3d", std::to_string(s.fSound3D));
  add("zone", std::to_string(s.fMouseCtrlZone));
  add("sleep", std::to_string(s.fCursorSleepTime));
  add("optimal", std::to_string(s.fOptimalRecording));
  add("net", std::to_string(s.fNetworking));
  add("user", std::string("'") + s.fUserName + "'");
  add("player", std::string("'") + s.fPlayerFile + "'");
  add("server", std::string("'") + s.fServerName + "'");
  add("port", std::string("'") + s.fLobbyPort + "'");
  add("session", std::string("'") + s.fSessionName + "'");
  return out;
}

// A game directory with an init directory, removed afterwards.
class GameDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("settings_test_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    game_ = mktest::MakeTempDir(name).string();
    fs::create_directories(fs::path(game_) / "init");
    path_ = (fs::path(game_) / "init" / "win_init.dat").string();
  }
  void TearDown() override { fs::remove_all(game_); }

  void WriteInit(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string InitBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Only the start-up file itself remains in init: no temporary file.
  void ExpectNoLeftovers() const {
    for (const auto& entry : fs::directory_iterator(fs::path(game_) / "init")) {
      EXPECT_EQ(entry.path().filename(), "win_init.dat");
    }
  }

  std::string game_;
  std::string path_;
  FakeUserNames user_names_{"Ann Lee"};
};

// --- Reading ------------------------------------------------------------------

struct ReadCase {
  const char* name;
  std::string file;
  std::function<void(SetupSettings&)> expect;  // from the defaults
};
void PrintTo(const ReadCase& c, std::ostream* out) {
  *out << c.name;
}

class ReadInitFileTest : public GameDirectoryTest,
                         public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadInitFileTest, SetsTheFields) {
  const ReadCase& c = GetParam();
  WriteInit(c.file);
  SetupSettings expected(&user_names_);
  c.expect(expected);
  SetupSettings settings(&user_names_);
  settings.fWalkSpeed = 99;  // reading starts from the defaults
  ASSERT_TRUE(settings.ReadInitFile(game_));
  EXPECT_EQ(Describe(settings), Describe(expected));
}

const std::string kLong(600, 'q');

const ReadCase kReadCases[] = {
    {"EmptyFile", "", [](SetupSettings&) {}},
    {"LowerCaseWithEquals", "mouselookspeed=7\r\n",
     [](SetupSettings& s) { s.fMouseLookSpeed = 7; }},
    {"BlankSeparator", "WalkSpeed 21\r\n", [](SetupSettings& s) { s.fWalkSpeed = 21; }},
    {"EqualsSeparator", "WalkSpeed=21\r\n", [](SetupSettings& s) { s.fWalkSpeed = 21; }},
    {"CommaSeparator", "WalkSpeed,21\r\n", [](SetupSettings& s) { s.fWalkSpeed = 21; }},
    {"EveryIntegerKeyword",
     "MOUSELOOKSPEED 1\nMousePickSpeed 2\nwalkspeed 3\nBackUpSpeed 4\n"
     "StrafeSpeed 5\n",
     [](SetupSettings& s) {
       s.fMouseLookSpeed = 1, s.fMousePickSpeed = 2, s.fWalkSpeed = 3, s.fBackUpSpeed = 4;
       s.fStrafeSpeed = 5;
     }},
    {"FlagsTakeNoValue", "mouseinvert\nADVANCEDMAPPINGS\nSoundEnable3D WalkSpeed 8\n",
     [](SetupSettings& s) {
       s.fMouseInvert = s.fAdvancedMappings = s.fSound3D = true;
       s.fWalkSpeed = 8;
     }},
    {"NegativeInteger", "WalkSpeed -4\n", [](SetupSettings& s) { s.fWalkSpeed = -4; }},
    {"LeadingDigitsOnly", "WalkSpeed 12abc\n", [](SetupSettings& s) { s.fWalkSpeed = 12; }},
    {"NoDigitsGiveZero", "WalkSpeed abc\n", [](SetupSettings& s) { s.fWalkSpeed = 0; }},
    {"HugeIntegerStopsAtTheLimit", "WalkSpeed 99999999999 BackUpSpeed -99999999999\n",
     [](SetupSettings& s) {
       s.fWalkSpeed = 2147483647;
       s.fBackUpSpeed = -2147483647 - 1;
     }},
    {"ZoneAsWritten", "SetMouseCtrlZone 0.300000\n",
     [](SetupSettings& s) { s.fMouseCtrlZone = 6; }},
    {"ZoneTruncated", "SetMouseCtrlZone 0.349\n", [](SetupSettings& s) { s.fMouseCtrlZone = 6; }},
    {"ZoneNegative", "SetMouseCtrlZone -0.3\n", [](SetupSettings& s) { s.fMouseCtrlZone = -6; }},
    {"ZoneWithPlusAndExponent", "SetMouseCtrlZone +5e-2\n",
     [](SetupSettings& s) { s.fMouseCtrlZone = 1; }},
    {"ZoneHuge", "SetMouseCtrlZone 1e300\n",
     [](SetupSettings& s) { s.fMouseCtrlZone = 2147483647; }},
    {"ZoneBeyondDouble", "SetMouseCtrlZone 1e999 SetMouseCtrlLongStillTime 1e-999\n",
     [](SetupSettings& s) {
       s.fMouseCtrlZone = 2147483647;
       s.fCursorSleepTime = 0;
     }},
    {"ZoneNotANumber", "SetMouseCtrlZone nan\n", [](SetupSettings& s) { s.fMouseCtrlZone = 0; }},
    {"ZoneNoNumber", "SetMouseCtrlZone x1\n", [](SetupSettings& s) { s.fMouseCtrlZone = 0; }},
    {"SleepTimeTruncated", "SetMouseCtrlLongStillTime 12.9\n",
     [](SetupSettings& s) { s.fCursorSleepTime = 12; }},
    {"OptimalRecordingOff", "OptimalRecSettings 0\n",
     [](SetupSettings& s) { s.fOptimalRecording = false; }},
    {"OptimalRecordingAnyNonZero", "OptimalRecSettings 0 OptimalRecSettings 7\n",
     [](SetupSettings&) {}},
    {"PlayerFileInInit", "playerinit init\\player_x.dat\n",
     [](SetupSettings& s) { SetupSettings::SetText(s.fPlayerFile, "player_x.dat"); }},
    {"PlayerFileWithSlash", "playerinit INIT/player_y.dat\n",
     [](SetupSettings& s) { SetupSettings::SetText(s.fPlayerFile, "player_y.dat"); }},
    {"PlayerFileElsewhereIgnored", "playerinit other\\player_x.dat\n", [](SetupSettings&) {}},
    {"PlayerFileWithoutSeparatorIgnored", "playerinit initplayer.dat\n", [](SetupSettings&) {}},
    {"PlayerFileOnlyInit", "playerinit init\n", [](SetupSettings&) {}},
    {"PlayerFileEmptyName", "playerinit init\\\n",
     [](SetupSettings& s) { SetupSettings::SetText(s.fPlayerFile, ""); }},
    {"MouseInvertBeforeTheMarker", "MouseInvert\r\n" + kMarkerLine + "\r\nWalkSpeed 7\r\n",
     [](SetupSettings& s) {
       s.fMouseInvert = true;
       s.fWalkSpeed = 7;
     }},
    {"CommentsRunToTheLineEnd", "# WalkSpeed 1\r\nWalkSpeed 2 # StrafeSpeed 3\r\nBackUpSpeed 4\r\n",
     [](SetupSettings& s) {
       s.fWalkSpeed = 2;
       s.fBackUpSpeed = 4;
     }},
    {"SkipBlocksNest",
     "skip WalkSpeed 1 SKIP StrafeSpeed 2 piks BackUpSpeed 3 Piks MousePickSpeed 9\n",
     [](SetupSettings& s) { s.fMousePickSpeed = 9; }},
    {"SkipBlocksOnLines",
     "skip\r\nWalkSpeed 1\r\nskip\r\nMouseInvert\r\npiks\r\nStrafeSpeed 2\r\n"
     "piks\r\nBackUpSpeed 3\r\n",
     [](SetupSettings& s) { s.fBackUpSpeed = 3; }},
    {"UnknownKeywordAndItsValuePassedOver", "Gamma 5 WalkSpeed 9 Fog WalkSpeed 8\n",
     [](SetupSettings& s) { s.fWalkSpeed = 8; }},
    {"ValueMissingAtTheEnd", "WalkSpeed 8 WalkSpeed\n", [](SetupSettings& s) { s.fWalkSpeed = 8; }},
    {"MultiplayerBlock",
     "multiplayer\r\n\tlayer winsock\r\n\tprot udp\r\n\tclientname Ann_Lee\r\n"
     "\tservername lobby.example\r\n\tserverport 6000\r\n\tsession night\r\nend\r\nWalkSpeed 7\r\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       SetupSettings::SetText(s.fUserName, "Ann_Lee");
       SetupSettings::SetText(s.fServerName, "lobby.example");
       SetupSettings::SetText(s.fLobbyPort, "6000");
       SetupSettings::SetText(s.fSessionName, "night");
       s.fWalkSpeed = 7;
     }},
    {"BlockKeywordsAnyCaseAndHostname", "MULTICAST\nHOSTNAME h1\nClientName Bo\nEND\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       SetupSettings::SetText(s.fServerName, "h1");
       SetupSettings::SetText(s.fUserName, "Bo");
     }},
    {"SettingsInsideTheBlockPassedOver", "multiplayer\nWalkSpeed 3\nend\nStrafeSpeed 4\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       s.fStrafeSpeed = 4;
     }},
    {"BlockWithoutEnd", "multiplayer\n\tclientname Bo\n\tsession\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       SetupSettings::SetText(s.fUserName, "Bo");
     }},
    {"LongValuesCut", "multiplayer\nsession " + kLong + "\nend\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       SetupSettings::SetText(s.fSessionName, std::string(255, 'q').c_str());
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReadInitFileTest, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(GameDirectoryTest, MissingFileLeavesTheDefaults) {
  SetupSettings settings(&user_names_);
  settings.fWalkSpeed = 30;
  SetupSettings::SetText(settings.fSessionName, "old");
  EXPECT_FALSE(settings.ReadInitFile(game_ + "/elsewhere"));
  EXPECT_EQ(Describe(settings), Describe(SetupSettings(&user_names_)));
  EXPECT_STREQ(settings.fUserName, "Ann Lee");
}

TEST(SetupSettingsTest, Defaults) {
  FakeUserNames userNames("Ann Lee");
  SetupSettings settings(&userNames);
  EXPECT_EQ(Describe(settings),
            "look=5 pick=5 invert=0 advanced=0 walk=15 backup=10 strafe=15 sound3d=0 zone=6 "
            "sleep=5 optimal=1 net=0 user='Ann Lee' player='Player_init.dat' "
            "server='lobby.tessera.example' port='5001' session='demo' ");
}

TEST(SetupSettingsTest, UserNameKeptWhenTheSystemCannotTell) {
  FakeUserNames none("", /*available=*/false);
  SetupSettings settings(&none);
  EXPECT_STREQ(settings.fUserName, "");
  SetupSettings::SetText(settings.fUserName, "Bo");
  settings.ResetNetworkDefaults();
  EXPECT_STREQ(settings.fUserName, "Bo");
  EXPECT_EQ(none.calls, 2);
  SetupSettings without(nullptr);
  EXPECT_STREQ(without.fUserName, "");
}

// A system name that win_init.dat could not read back is not taken: the
// field stays as when no name can be had. Blanks are fine (written as '_').
TEST(SetupSettingsTest, SystemUserNamesThatWouldBreakTheFileAreNotTaken) {
  const struct {
    const char* name;
    bool taken;
  } cases[] = {{"Ann Lee", true},    {"Skip", false},       {"SKIP", false}, {"Skipper", true},
               {"#ann", false},      {"an#n", true},        {"a,b", false},  {"a=b", false},
               {"tab\tname", false}, {"line\nbreak", false}};
  for (const auto& c : cases) {
    FakeUserNames userNames(c.name);
    SetupSettings settings(&userNames);
    EXPECT_STREQ(settings.fUserName, c.taken ? c.name : "") << c.name;
    SetupSettings::SetText(settings.fUserName, "Bo");
    settings.ResetNetworkDefaults();
    EXPECT_STREQ(settings.fUserName, c.taken ? c.name : "Bo") << c.name;
    EXPECT_EQ(SetupSettings::ReadsBack(c.name, true), c.taken) << c.name;
  }
}

TEST(SetupSettingsTest, TextsAreCutTo255Characters) {
  const std::string longName(400, 'n');
  FakeUserNames userNames(longName);
  SetupSettings settings(&userNames);
  EXPECT_EQ(std::string(settings.fUserName), longName.substr(0, 255));
  SetupSettings::SetText(settings.fSessionName, longName.c_str());
  EXPECT_EQ(std::strlen(settings.fSessionName), 255u);
  SetupSettings::SetText(settings.fSessionName, nullptr);
  EXPECT_STREQ(settings.fSessionName, "");
}

TEST(SetupSettingsTest, InitFilePathUnderTheGameDirectory) {
  const char sep = fs::path::preferred_separator == '\\' ? '\\' : '/';
  const std::string tail = std::string("init") + sep + "win_init.dat";
  EXPECT_EQ(InitFilePath(""), tail);
  EXPECT_EQ(InitFilePath("game"), "game" + std::string(1, sep) + tail);
  EXPECT_EQ(InitFilePath("game/"), "game/" + tail);
}

// --- Writing ------------------------------------------------------------------

struct WriteCase {
  const char* name;
  std::string before;
  std::function<void(SetupSettings&)> edit;  // from the defaults
  std::string after;
};
void PrintTo(const WriteCase& c, std::ostream* out) {
  *out << c.name;
}

class WriteInitFileTest : public GameDirectoryTest,
                          public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteInitFileTest, WritesTheExactBytes) {
  const WriteCase& c = GetParam();
  WriteInit(c.before);
  SetupSettings settings(&user_names_);
  c.edit(settings);
  ASSERT_TRUE(settings.WriteInitFile(game_));
  EXPECT_EQ(InitBytes(), c.after);
  ExpectNoLeftovers();
  // The same settings written again change nothing.
  EXPECT_EQ(settings.ComposeInitText(c.after), c.after);
}

const std::string kM = kMarkerLine;
const std::string kOddEnginePart =
    std::string("Engine\0Line\x1a\xff 1\r\n", 17) + "\tGamma = 2 ,\r\r\n" + std::string(3000, 'x') +
    "\n\n\r\nskip\r\nWalkSpeed 1\r\npiks\r\n" + "trailing blanks   \r\n# comment\r\n";

const WriteCase kWriteCases[] = {
    {"MarkerWithALongerOldSection",
     "EngineA 1\r\nMouseInvert\r\n" + kM + "\r\nMouseLookSpeed 9\r\nMousePickSpeed 9\r\n" +
         "AdvancedMappings\r\nWalkSpeed 30\r\nplayerinit init\\player_q.dat\r\nmultiplayer\r\n" +
         "\tclientname Old\r\nend\r\n" + std::string(500, '#') + "\r\n",
     [](SetupSettings&) {}, "EngineA 1\r\nMouseInvert\r\n" + kM + "\r\n" + kDefaultSection},
    {"NoMarkerAppendsIt", "EngineA 1\r\n", [](SetupSettings&) {},
     "EngineA 1\r\n" + kM + "\r\n" + kDefaultSection},
    {"NoMarkerAndNoFinalLineBreak", "EngineA 1", [](SetupSettings&) {},
     "EngineA 1\r\n" + kM + "\r\n" + kDefaultSection},
    {"EmptyFile", "", [](SetupSettings&) {}, kM + "\r\n" + kDefaultSection},
    {"MarkerEndsTheFileWithoutLineBreak", "E 1\r\n" + kM, [](SetupSettings&) {},
     "E 1\r\n" + kM + "\r\n" + kDefaultSection},
    {"MarkerLineEndingInLineFeed", "E 1\n" + kM + "\nWalkSpeed 3\n", [](SetupSettings&) {},
     "E 1\n" + kM + "\n" + kDefaultSection},
    {"MarkerLineEndingInCarriageReturn", "E 1\r" + kM + "\rWalkSpeed 3\r", [](SetupSettings&) {},
     "E 1\r" + kM + "\r" + kDefaultSection},
    {"FirstMarkerCounts", kM + "\r\nA\r\n" + kM + "\r\nB\r\n", [](SetupSettings&) {},
     kM + "\r\n" + kDefaultSection},
    // A line is every byte up to its line break: a NUL starts no comment, and
    // a marker with more bytes after it is no marker.
    {"LineBeginningWithNulInCarriageReturnFile",
     "E 1\r" + std::string("\0x 2\r", 5) + kM + "\rWalkSpeed 3\r", [](SetupSettings&) {},
     "E 1\r" + std::string("\0x 2\r", 5) + kM + "\r" + kDefaultSection},
    {"MarkerFollowedByNulIsNoMarker", kM + std::string("\0tail\r\n", 7), [](SetupSettings&) {},
     kM + std::string("\0tail\r\n", 7) + kM + "\r\n" + kDefaultSection},
    {"MarkerAfterNulOnlyLine", std::string("\0\r", 2) + kM + "\r\nWalkSpeed 3\r\n",
     [](SetupSettings&) {}, std::string("\0\r", 2) + kM + "\r\n" + kDefaultSection},
    {"MarkerInOtherCaseIsNoMarker", "### tessera setup overrides ###\r\n", [](SetupSettings&) {},
     "### tessera setup overrides ###\r\n" + kM + "\r\n" + kDefaultSection},
    {"IndentedMarkerIsNoMarker", " " + kM + "\r\n", [](SetupSettings&) {},
     " " + kM + "\r\n" + kM + "\r\n" + kDefaultSection},
    {"MarkerInsideSkipBlockIsNoMarker", "skip\r\n" + kM + "\r\npiks\r\n", [](SetupSettings&) {},
     "skip\r\n" + kM + "\r\npiks\r\n" + kM + "\r\n" + kDefaultSection},
    // An open skip block would hide the marker and the section from every
    // reader, and each rewrite would append another pair.
    {"OpenSkipBlocksClosedBeforeTheMarker", "E 1\r\nskip\r\nSKIP\r\nx\r\npiks\r\nskip",
     [](SetupSettings&) {},
     "E 1\r\nskip\r\nSKIP\r\nx\r\npiks\r\nskip\r\npiks\r\npiks\r\n" + kM + "\r\n" +
         kDefaultSection},
    {"MarkerInsideAnOpenSkipBlock", "skip\r\n" + kM + "\r\nWalkSpeed 3\r\n", [](SetupSettings&) {},
     "skip\r\n" + kM + "\r\nWalkSpeed 3\r\npiks\r\n" + kM + "\r\n" + kDefaultSection},
    {"OddEnginePartKeptByteForByte", kOddEnginePart + kM + "\r\nold\r\n", [](SetupSettings&) {},
     kOddEnginePart + kM + "\r\n" + kDefaultSection},
    {"EveryLineOfTheSection", kM + "\r\n",
     [](SetupSettings& s) {
       s.fMouseLookSpeed = 10, s.fMousePickSpeed = 3, s.fMouseInvert = true;
       s.fAdvancedMappings = true, s.fWalkSpeed = 30, s.fBackUpSpeed = 25, s.fStrafeSpeed = 1;
       s.fSound3D = true, s.fMouseCtrlZone = 15, s.fCursorSleepTime = 30;
       s.fOptimalRecording = false, s.fNetworking = true;
       SetupSettings::SetText(s.fPlayerFile, "player_x.dat");
       SetupSettings::SetText(s.fServerName, "lobby.example");
     },
     kM + "\r\n" +
         "MouseLookSpeed 10\r\nMousePickSpeed 3\r\nMouseInvert\r\nAdvancedMappings\r\n"
         "WalkSpeed 30\r\nBackUpSpeed 25\r\nStrafeSpeed 1\r\nSoundEnable3D\r\n"
         "SetMouseCtrlZone 0.750000\r\nSetMouseCtrlLongStillTime 30.000000\r\n"
         "OptimalRecSettings 0\r\nplayerinit init\\player_x.dat\r\n"
         "multiplayer\r\n\tlayer winsock\r\n\tprot udp\r\n\tclientname Ann_Lee\r\n"
         "\tservername lobby.example\r\n\tserverport 5001\r\n\tsession demo\r\nend\r\n"},
    {"UserNameBlanksBecomeUnderscores", kM + "\r\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       SetupSettings::SetText(s.fUserName, " Ann  Lee ");
     },
     kM + "\r\n" + kDefaultSection +
         "multiplayer\r\n\tlayer winsock\r\n\tprot udp\r\n\tclientname _Ann__Lee_\r\n"
         "\tservername lobby.tessera.example\r\n\tserverport 5001\r\n\tsession demo\r\nend\r\n"},
    {"EmptyBlockValuesLeftOut", kM + "\r\n",
     [](SetupSettings& s) {
       s.fNetworking = true;
       SetupSettings::SetText(s.fUserName, "");
       SetupSettings::SetText(s.fSessionName, "");
     },
     kM + "\r\n" + kDefaultSection +
         "multiplayer\r\n\tlayer winsock\r\n\tprot udp\r\n"
         "\tservername lobby.tessera.example\r\n\tserverport 5001\r\nend\r\n"},
    {"EmptyPlayerFileWritesNoPlayerinit", kM + "\r\n",
     [](SetupSettings& s) { SetupSettings::SetText(s.fPlayerFile, ""); },
     kM + "\r\n" + kDefaultSection.substr(0, kDefaultSection.find("playerinit"))},
    {"NegativeAndLargeValues", kM + "\r\n",
     [](SetupSettings& s) {
       s.fWalkSpeed = -2147483647 - 1;
       s.fMouseCtrlZone = -3;
       s.fCursorSleepTime = 2147483647;
     },
     kM + "\r\nMouseLookSpeed 5\r\nMousePickSpeed 5\r\nWalkSpeed -2147483648\r\n"
          "BackUpSpeed 10\r\nStrafeSpeed 15\r\nSetMouseCtrlZone -0.150000\r\n"
          "SetMouseCtrlLongStillTime 2147483647.000000\r\nOptimalRecSettings 1\r\n"
          "playerinit init\\Player_init.dat\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, WriteInitFileTest, ::testing::ValuesIn(kWriteCases),
                         [](const ::testing::TestParamInfo<WriteCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(GameDirectoryTest, MissingFileIsNotCreated) {
  SetupSettings settings(&user_names_);
  EXPECT_FALSE(settings.WriteInitFile(game_));
  EXPECT_FALSE(fs::exists(path_));
  ExpectNoLeftovers();
  EXPECT_FALSE(settings.WriteInitFile(game_ + "/no_such_game"));
}

TEST_F(GameDirectoryTest, FailedWriteLeavesTheOldFile) {
  const std::string before = "EngineA 1\r\n" + kMarkerLine + "\r\nWalkSpeed 7\r\n";
  WriteInit(before);
  SetupSettings settings(&user_names_);
#if !defined(_WIN32)
  // A disk that fills up while the new file is written.
  fs::create_symlink("/dev/full", path_ + ".new");
  EXPECT_FALSE(settings.WriteInitFile(game_));
  EXPECT_EQ(InitBytes(), before);
  ExpectNoLeftovers();
#endif
  // A new file that cannot be made at all.
  fs::create_directory(path_ + ".new");
  EXPECT_FALSE(settings.WriteInitFile(game_));
  EXPECT_EQ(InitBytes(), before);
}

TEST_F(GameDirectoryTest, SavingAgainDoesNotGrowTheFile) {
  // Carriage returns only, and an engine line that begins with a NUL.
  const std::string enginePart = "E 1\r" + std::string("\0x\r", 3);
  for (const std::string& lineEnd : {std::string("\r"), std::string("\n"), std::string("\r\n")}) {
    WriteInit(enginePart + kMarkerLine + lineEnd);
    SetupSettings settings(&user_names_);
    ASSERT_TRUE(settings.WriteInitFile(game_));
    const std::string once = InitBytes();
    ASSERT_TRUE(settings.WriteInitFile(game_));
    ASSERT_TRUE(settings.WriteInitFile(game_));
    EXPECT_EQ(InitBytes(), once);
    EXPECT_EQ(once, enginePart + kMarkerLine + lineEnd + kDefaultSection);
  }
}

TEST_F(GameDirectoryTest, FailureNamesTheFileAndTheReason) {
  SetupSettings settings(&user_names_);
  std::string problem = "unchanged";
  EXPECT_FALSE(settings.WriteInitFile(game_, &problem));
  EXPECT_EQ(problem, "unchanged");  // a missing file is no failure to report
  fs::create_directory(path_);
  EXPECT_FALSE(settings.WriteInitFile(game_, &problem));
  EXPECT_EQ(problem, "cannot open " + path_ + " for update: Is a directory");
  fs::remove(path_);
  WriteInit("E 1\r\n");
  fs::create_directory(path_ + ".new");
  EXPECT_FALSE(settings.WriteInitFile(game_, &problem));
  EXPECT_EQ(problem, "cannot write " + path_ + ": Is a directory");
  EXPECT_EQ(InitBytes(), "E 1\r\n");
}

TEST_F(GameDirectoryTest, CutFileOfAnEarlierCrashIsReplaced) {
  WriteInit("EngineA 1\r\n");
  std::ofstream(path_ + ".new", std::ios::binary) << "EngineA 1\r\n"
                                                  << kMarkerLine << "\r\nMouseLoo";
  SetupSettings settings(&user_names_);
  ASSERT_TRUE(settings.WriteInitFile(game_));
  EXPECT_EQ(InitBytes(), "EngineA 1\r\n" + kMarkerLine + "\r\n" + kDefaultSection);
  ExpectNoLeftovers();
}

TEST_F(GameDirectoryTest, EveryZoneSurvivesAWriteAndARead) {
  for (int32_t zone = 0; zone <= 15; ++zone) {
    WriteInit(kMarkerLine + "\r\n");
    SetupSettings written(&user_names_);
    written.fMouseCtrlZone = zone;
    ASSERT_TRUE(written.WriteInitFile(game_));
    SetupSettings read(&user_names_);
    ASSERT_TRUE(read.ReadInitFile(game_));
    EXPECT_EQ(read.fMouseCtrlZone, zone);
  }
}

TEST_F(GameDirectoryTest, WrittenSettingsReadBackUnchanged) {
  WriteInit("EngineA 1\r\n");
  SetupSettings written(&user_names_);
  written.fMouseLookSpeed = 2, written.fMousePickSpeed = 8, written.fMouseInvert = true;
  written.fWalkSpeed = 6, written.fBackUpSpeed = 3, written.fStrafeSpeed = 29;
  written.fSound3D = true, written.fMouseCtrlZone = 11, written.fCursorSleepTime = 17;
  written.fOptimalRecording = false, written.fNetworking = true;
  SetupSettings::SetText(written.fUserName, "Ann_Lee");
  SetupSettings::SetText(written.fPlayerFile, "player_z.dat");
  SetupSettings::SetText(written.fServerName, "lobby.example");
  SetupSettings::SetText(written.fLobbyPort, "7777");
  SetupSettings::SetText(written.fSessionName, "night");
  ASSERT_TRUE(written.WriteInitFile(game_));
  SetupSettings read(&user_names_);
  ASSERT_TRUE(read.ReadInitFile(game_));
  EXPECT_EQ(Describe(read), Describe(written));
}

TEST_F(GameDirectoryTest, EnginesMouseInvertStaysWhateverTheBoxSays) {
  const std::string enginePart = "MouseInvert\r\n" + kMarkerLine + "\r\n";
  WriteInit(enginePart + "WalkSpeed 7\r\n");
  SetupSettings settings(&user_names_);
  ASSERT_TRUE(settings.ReadInitFile(game_));
  EXPECT_TRUE(settings.fMouseInvert);
  settings.fMouseInvert = false;
  ASSERT_TRUE(settings.WriteInitFile(game_));
  EXPECT_EQ(InitBytes().substr(0, enginePart.size()), enginePart);
  SetupSettings again(&user_names_);
  ASSERT_TRUE(again.ReadInitFile(game_));
  EXPECT_TRUE(again.fMouseInvert);
  EXPECT_EQ(again.fWalkSpeed, 7);
}

TEST_F(GameDirectoryTest, NetworkingOffRemovesTheBlock) {
  WriteInit(kMarkerLine + "\r\nmultiplayer\r\n\tclientname Bo\r\nend\r\n");
  SetupSettings settings(&user_names_);
  ASSERT_TRUE(settings.ReadInitFile(game_));
  EXPECT_TRUE(settings.fNetworking);
  settings.fNetworking = false;
  ASSERT_TRUE(settings.WriteInitFile(game_));
  EXPECT_EQ(InitBytes(), kMarkerLine + "\r\n" + kDefaultSection);
  ASSERT_TRUE(settings.ReadInitFile(game_));
  EXPECT_FALSE(settings.fNetworking);
}

}  // namespace
