#include "setup/setup_command.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "setup/debug_log.h"
#include "setup/graphics_options.h"
#include "setup/platform_profile.h"
#include "setup/settings.h"

namespace {

const char kTitle[] = "Tessera Setup (Developer Mode)";
const char kNoDevices[] =
    // The message's own words, split only so that no line holds its one
    // abbreviation whole.
    "No suitable 3D accelerators found.\n\nPlease review the minimum system sp" "ecs in\n"
    "readme.txt to verify that your system meets them.";
const char kNotSaved[] = "Options could not be saved.";
const char kImproperDirectory[] = "Improper Tessera Directory Structure";

const char kUsage[] =
    "Usage: setup --game DIR --profile FILE [CHANGE...] [--accept]\n"
    "\n"
    "Runs the start-up of the Tessera setup program without its dialog. Reads the\n"
    "settings of DIR/init/win_init.dat, detects the 3D hardware that the hardware\n"
    "profile FILE describes (see setup/profiles/README.md), restores the device\n"
    "choice of DIR/init/dev_mode.dat or makes the default choice, applies the\n"
    "changes below in the order given, as the matching control of the dialog\n"
    "would, and shows what the Basic, Expert and Network pages then show. The\n"
    "detection log DIR/debug_info.dat is written on every run that detects.\n"
    "\n"
    "  --game DIR             the game directory (the one that holds init)\n"
    "  --profile FILE         the hardware profile of the machine\n"
    "  --accept               press OK: write DIR/init/dev_mode.dat, then rewrite\n"
    "                         the setup section of DIR/init/win_init.dat (only\n"
    "                         when that file exists). Without it nothing else is\n"
    "                         written, as with Cancel.\n"
    "  --help                 this text\n"
    "\n"
    "Basic Settings:\n"
    "  --api glide|direct3d   the 3D Hardware radio buttons\n"
    "  --device N             device list entry N (from 0, as shown)\n"
    "  --mode N               screen resolution entry N (from 0, as shown)\n"
    "  --windowed on|off      the Windowed box\n"
    "  --texture low|medium|high  the Texture Quality trackbar\n"
    "  --anti-aliasing on|off the Full Scene Anti-Aliasing box\n"
    "Expert Settings:\n"
    "  --mouse-speed 1..10    --dead-zone 0..15       --cursor-sleep 1..30\n"
    "  --walking-speed 5..30  --strafing-speed 1..30  (the trackbars)\n"
    "  --invert-mouse on|off  --advanced-mappings on|off  --sound-3d on|off\n"
    "  --compressed-textures on|off                   (the boxes)\n"
    "  --expert-defaults      the Defaults button\n"
    "Network Settings:\n"
    "  --user-name TEXT  --player-file TEXT  --server-name TEXT\n"
    "  --session-name TEXT  --lobby-port TEXT  (the edit boxes; at most 255\n"
    "                         characters are kept)\n"
    "  --find-player-file NAME  choose NAME among DIR/init/player_*.dat, as the\n"
    "                         Find Player File button\n"
    "  --networking on|off    the ENABLE NETWORKING box\n"
    "  --network-defaults     the Defaults button\n"
    "\n"
    "A change that the dialog would not allow (a disabled control, a value\n"
    "outside a trackbar's range, an entry that is not in a list) is an error:\n"
    "nothing is written then. Exit status: 0 done, 1 no suitable 3D device or\n"
    "the device choice could not be saved, 2 a wrong option or value.\n";

struct Action {
  std::string fOption;
  std::string fValue;
};

// Options that take a value, and the ones that do not.
const char* const kValueOptions[] = {
    "--api",          "--device",         "--mode",         "--windowed",
    "--texture",      "--anti-aliasing",  "--mouse-speed",  "--dead-zone",
    "--cursor-sleep", "--walking-speed",  "--strafing-speed", "--invert-mouse",
    "--advanced-mappings", "--sound-3d",  "--compressed-textures", "--user-name",
    "--player-file",  "--server-name",    "--session-name", "--lobby-port",
    "--find-player-file", "--networking",
};
const char* const kFlagOptions[] = {"--expert-defaults", "--network-defaults"};

bool Contains(const char* const* begin, const char* const* end, const std::string& option) {
  return std::find_if(begin, end, [&](const char* each) { return option == each; }) != end;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// "player_*.dat" as the open-file dialog matches it: without regard to case.
bool IsPlayerFileName(const std::string& name) {
  return name.size() >= 11 && EqualsIgnoringCase(name.substr(0, 7), "player_") &&
         EqualsIgnoringCase(name.substr(name.size() - 4), ".dat");
}

struct Box {
  bool fEnabled = true;
  bool fChecked = false;
};

// The user name of the settings' defaults comes from the profile.
class PlatformUserNames : public UserNameSource {
 public:
  explicit PlatformUserNames(SystemApi& system) : fSystem(system) {}
  bool LoggedInUserName(char* buffer, uint32_t capacity) override {
    std::string name;
    if (capacity == 0 || !fSystem.UserName(&name)) return false;
    size_t length = std::min<size_t>(name.size(), capacity - 1);
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    return true;
  }

 private:
  SystemApi& fSystem;
};

// The process-wide objects of the setup program and the state of the
// dialog's controls.
class SetupSession {
 public:
  SetupSession(const std::string& game, HardwareProfile profile, std::string* out,
               std::string* err)
      : fGame(game),
        fOut(*out),
        fErr(*err),
        fPlatform(std::move(profile)),
        fUserNames(fPlatform),
        fSettings(&fUserNames),
        fLog(JoinPath(game, "debug_info.dat")),
        fOptions(fPlatform, fLog, game) {}

  // The start-up up to the shown dialog; false when nothing suitable was
  // found (the message has been shown).
  bool Start();
  // One change; false with `problem` set when the dialog would not allow it.
  bool Apply(const Action& action, std::string* problem);
  void Show();
  // OK.
  int Accept();

 private:
  static std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    char last = directory.back();
    return (last == '/' || last == '\\') ? directory + name : directory + "/" + name;
  }

  void MessageBox(const char* text) { fErr += std::string(kTitle) + ": " + text + "\n"; }

  void BoxRefresh();
  void ListRefill();
  void SwitchType(uint32_t type);
  bool WindowedChecked() const { return fWindowed.fEnabled && fWindowed.fChecked; }

  std::string fGame;
  std::string& fOut;
  std::string& fErr;
  ProfilePlatform fPlatform;
  PlatformUserNames fUserNames;
  SetupSettings fSettings;
  DebugInfoLog fLog;
  GraphicsOptions fOptions;

  bool fGlideEnabled = false;
  bool fDirect3DEnabled = false;
  std::vector<std::string> fDeviceLabels;
  std::vector<std::string> fModeLabels;
  int32_t fShownDevice = -1;
  int32_t fShownMode = -1;
  int fTexturePosition = 2;
  Box fAntiAliasing;
  Box fWindowed;
  Box fCompressed;
};

bool SetupSession::Start() {
  fSettings.ReadInitFile(fGame);

  fOptions.Detect();
  fGlideEnabled = fOptions.HasType(kDeviceTypeGlide);
  fDirect3DEnabled = fOptions.HasType(kDeviceTypeDirect3D);
  if (!fOptions.LoadSavedChoice() && !fOptions.ChooseDefault()) {
    MessageBox(kNoDevices);
    return false;
  }
  ListRefill();
  fTexturePosition = fOptions.fTextureQuality == 0 ? 0 : fOptions.fTextureQuality == 25 ? 1 : 2;
  static const uint16_t kQualities[3] = {0, 25, 100};
  fOptions.fTextureQuality = kQualities[fTexturePosition];
  fAntiAliasing.fEnabled = fOptions.AntiAliasingSupported();
  if (fAntiAliasing.fEnabled) fAntiAliasing.fChecked = fOptions.AntiAliasingOn();
  fWindowed.fEnabled = fOptions.WindowedAllowed();
  if (fWindowed.fEnabled) fWindowed.fChecked = fOptions.WindowedOn();
  fCompressed.fChecked = fOptions.CompressedTexturesOn();
  return true;
}

void SetupSession::ListRefill() {
  fDeviceLabels = fOptions.DeviceLabels();
  fModeLabels = fOptions.ModeLabels();
  fShownDevice = fOptions.SelectedDevice() < 0 ? 0 : fOptions.SelectedDevice();
  fShownMode = fOptions.SelectedMode() < 0 ? 0 : fOptions.SelectedMode();
}

void SetupSession::BoxRefresh() {
  fAntiAliasing.fEnabled = fOptions.AntiAliasingSupported();
  if (fAntiAliasing.fEnabled) fOptions.SetAntiAliasing(fAntiAliasing.fChecked);
  fWindowed.fEnabled = fOptions.WindowedAllowed();
  if (fWindowed.fEnabled) fOptions.SetWindowed(fWindowed.fChecked);
  if (fOptions.CompressedTexturesSupported()) {
    fOptions.SetCompressedTextures(true);
    fCompressed.fChecked = true;
  }
}

void SetupSession::SwitchType(uint32_t type) {
  if (fOptions.CurrentType() == type) return;
  fOptions.SelectApi(type);
  fOptions.SelectDevice(0);
  // Direct3D keeps the shown mode index when the new device has that many
  // modes; Glide starts at its first mode.
  if (type == kDeviceTypeGlide || !fOptions.SelectMode(fShownMode)) fOptions.SelectMode(0);
  BoxRefresh();
  ListRefill();
}

bool ParseOnOff(const std::string& value, bool* on) {
  if (value == "on") {
    *on = true;
  } else if (value == "off") {
    *on = false;
  } else {
    return false;
  }
  return true;
}

bool ParseInt(const std::string& value, int32_t low, int32_t high, int32_t* result) {
  int32_t n = 0;
  const char* end = value.data() + value.size();
  auto [next, error] = std::from_chars(value.data(), end, n);
  if (error != std::errc() || next != end || n < low || n > high) return false;
  *result = n;
  return true;
}

bool SetupSession::Apply(const Action& action, std::string* problem) {
  const std::string& option = action.fOption;
  const std::string& value = action.fValue;
  auto fail = [&](const std::string& what) {
    *problem = option + " " + value + ": " + what;
    return false;
  };

  if (option == "--api") {
    if (value == "glide") {
      if (!fGlideEnabled) return fail("the Glide button is disabled: no Glide device was found");
      SwitchType(kDeviceTypeGlide);
    } else if (value == "direct3d") {
      if (!fDirect3DEnabled) {
        return fail("the Direct3D button is disabled: no Direct3D device was found");
      }
      SwitchType(kDeviceTypeDirect3D);
    } else {
      return fail("expected glide or direct3d");
    }
    return true;
  }
  if (option == "--device") {
    int32_t index = 0;
    if (!ParseInt(value, 0, int32_t(fDeviceLabels.size()) - 1, &index)) {
      return fail("not an entry of the device list");
    }
    fOptions.SelectDevice(index);
    BoxRefresh();
    if (!fOptions.SelectMode(fShownMode)) fOptions.SelectMode(0);
    if (WindowedChecked()) fOptions.SetWindowed(true);
    ListRefill();
    return true;
  }
  if (option == "--mode") {
    int32_t index = 0;
    if (!ParseInt(value, 0, int32_t(fModeLabels.size()) - 1, &index)) {
      return fail("not an entry of the screen resolution list");
    }
    fOptions.SelectMode(index);
    if (WindowedChecked()) fOptions.SetWindowed(true);
    if (fCompressed.fChecked) fOptions.SetCompressedTextures(true);
    fShownMode = index;
    return true;
  }
  if (option == "--texture") {
    static const char* const kPositions[3] = {"low", "medium", "high"};
    static const uint16_t kQualities[3] = {0, 25, 100};
    for (int position = 0; position < 3; ++position) {
      if (value == kPositions[position]) {
        fTexturePosition = position;
        fOptions.fTextureQuality = kQualities[position];
        return true;
      }
    }
    return fail("expected low, medium or high");
  }

  struct RangeOption {
    const char* fOption;
    int32_t fLow;
    int32_t fHigh;
  };
  static const RangeOption kTrackbars[] = {
      {"--mouse-speed", 1, 10},  {"--dead-zone", 0, 15},      {"--cursor-sleep", 1, 30},
      {"--walking-speed", 5, 30}, {"--strafing-speed", 1, 30},
  };
  for (const RangeOption& trackbar : kTrackbars) {
    if (option != trackbar.fOption) continue;
    int32_t position = 0;
    if (!ParseInt(value, trackbar.fLow, trackbar.fHigh, &position)) {
      return fail("outside the trackbar's range " + std::to_string(trackbar.fLow) + ".." +
                  std::to_string(trackbar.fHigh));
    }
    if (option == "--mouse-speed") {
      fSettings.fMouseLookSpeed = position;
      fSettings.fMousePickSpeed = position;
    } else if (option == "--dead-zone") {
      fSettings.fMouseCtrlZone = position;
    } else if (option == "--cursor-sleep") {
      fSettings.fCursorSleepTime = position;
    } else if (option == "--walking-speed") {
      fSettings.fWalkSpeed = position;
      fSettings.fBackUpSpeed = std::max(position - 5, 3);
    } else {
      fSettings.fStrafeSpeed = position;
    }
    return true;
  }

  bool on = false;
  if (option == "--windowed" || option == "--anti-aliasing" || option == "--invert-mouse" ||
      option == "--advanced-mappings" || option == "--sound-3d" ||
      option == "--compressed-textures" || option == "--networking") {
    if (!ParseOnOff(value, &on)) return fail("expected on or off");
  }
  if (option == "--windowed") {
    if (!fWindowed.fEnabled) return fail("the Windowed box is disabled for this device");
    fWindowed.fChecked = on;
    fOptions.SetWindowed(on);
    return true;
  }
  if (option == "--anti-aliasing") {
    if (!fAntiAliasing.fEnabled) {
      return fail("the Full Scene Anti-Aliasing box is disabled for this device");
    }
    fAntiAliasing.fChecked = on;
    fOptions.SetAntiAliasing(on);
    return true;
  }
  if (option == "--compressed-textures") {
    fCompressed.fChecked = on;
    fOptions.SetCompressedTextures(on);
    return true;
  }
  if (option == "--invert-mouse") {
    fSettings.fMouseInvert = on;
    return true;
  }
  if (option == "--advanced-mappings") {
    fSettings.fAdvancedMappings = on;
    return true;
  }
  if (option == "--sound-3d") {
    fSettings.fSound3D = on;
    return true;
  }
  if (option == "--networking") {
    fSettings.fNetworking = on;
    return true;
  }
  if (option == "--expert-defaults") {
    fSettings.ResetInputDefaults();
    bool supported = fOptions.CompressedTexturesSupported();
    fOptions.SetCompressedTextures(supported);
    fCompressed.fChecked = supported;
    return true;
  }
  if (option == "--network-defaults") {
    fSettings.ResetNetworkDefaults();
    return true;
  }

  struct TextOption {
    const char* fOption;
    char (SetupSettings::*fField)[SetupSettings::kTextCapacity];
  };
  static const TextOption kEdits[] = {
      {"--user-name", &SetupSettings::fUserName},
      {"--player-file", &SetupSettings::fPlayerFile},
      {"--server-name", &SetupSettings::fServerName},
      {"--session-name", &SetupSettings::fSessionName},
      {"--lobby-port", &SetupSettings::fLobbyPort},
  };
  for (const TextOption& edit : kEdits) {
    if (option != edit.fOption) continue;
    SetupSettings::SetText(fSettings.*edit.fField, value.c_str());
    return true;
  }

  if (option == "--find-player-file") {
    const std::filesystem::path init = std::filesystem::path(JoinPath(fGame, "init"));
    std::error_code error;
    if (!std::filesystem::is_directory(init, error)) {
      MessageBox(kImproperDirectory);
      return true;
    }
    for (std::filesystem::directory_iterator it(init, error), end; !error && it != end;
         it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (IsPlayerFileName(name) && EqualsIgnoringCase(name, value) &&
          it->is_regular_file(error)) {
        SetupSettings::SetText(fSettings.fPlayerFile, name.c_str());
        return true;
      }
    }
    return fail("no such player file (player_*.dat) in the init directory");
  }
  return fail("unknown option");
}

void SetupSession::Show() {
  auto box = [](const Box& each, const char* label) {
    return std::string("  [") + (each.fChecked ? "x" : " ") + "] " + label +
           (each.fEnabled ? "" : " (disabled)") + "\n";
  };
  auto flag = [](bool on, const char* label) {
    return std::string("  [") + (on ? "x" : " ") + "] " + label + "\n";
  };
  auto radio = [&](bool checked, bool enabled, const char* label) {
    return std::string("(") + (checked ? "*" : " ") + ") " + label + (enabled ? "" : " (disabled)");
  };
  auto list = [](const std::vector<std::string>& labels, int32_t shown) {
    std::string text;
    for (size_t i = 0; i < labels.size(); ++i) {
      text += (int32_t(i) == shown ? "    > " : "      ") + std::to_string(i) + "  " + labels[i] +
              "\n";
    }
    return text;
  };
  // "  Speed: 5 (Slow 1 .. Fast 10)": the position, the range and the texts at
  // its ends.
  auto trackbar = [](const char* label, int32_t value, const char* low, int32_t lowValue,
                     const char* high, int32_t highValue) {
    std::string text = std::string("  ") + label + " " + std::to_string(value) + " (";
    if (*low != '\0') text += std::string(low) + " ";
    text += std::to_string(lowValue) + " .. ";
    if (*high != '\0') text += std::string(high) + " ";
    return text + std::to_string(highValue) + ")";
  };
  static const char* const kTextureNames[3] = {"Low", "Medium", "High"};

  std::string& o = fOut;
  o += std::string(kTitle) + "\n\n";
  o += "Basic Settings\n";
  // The DX8 button is hidden: no stage finds such devices.
  o += "  3D Hardware: " +
       radio(fOptions.CurrentType() == kDeviceTypeGlide, fGlideEnabled, "Glide") + "  " +
       radio(fOptions.CurrentType() == kDeviceTypeDirect3D, fDirect3DEnabled, "Direct3D") + "\n";
  o += "  Device:\n" + list(fDeviceLabels, fShownDevice);
  o += "  Screen Resolution:\n" + list(fModeLabels, fShownMode);
  o += box(fWindowed, "Windowed");
  o += std::string("  Texture Quality: ") + kTextureNames[fTexturePosition] + "\n";
  o += box(fAntiAliasing, "Full Scene Anti-Aliasing");
  o += "\nExpert Settings\n";
  o += trackbar("Speed:", fSettings.fMouseLookSpeed, "Slow", 1, "Fast", 10) + "\n";
  o += trackbar("Dead Zone:", fSettings.fMouseCtrlZone, "Off", 0, "Large", 15) + "\n";
  o += trackbar("Cursor Sleep Time:", fSettings.fCursorSleepTime, "", 1, "", 30) + " " +
       std::to_string(fSettings.fCursorSleepTime) + " second(s)\n";
  o += flag(fSettings.fMouseInvert, "Invert Mouse");
  o += trackbar("Walking Speed:", fSettings.fWalkSpeed, "Slow", 5, "Fast", 30) + "\n";
  o += trackbar("Strafing Speed:", fSettings.fStrafeSpeed, "Slow", 1, "Fast", 30) + "\n";
  o += flag(fSettings.fAdvancedMappings, "Advanced Mappings");
  o += flag(fSettings.fSound3D, "Use DirectSound3D");
  o += box(fCompressed, "Use Compressed Textures");
  o += "\nNetwork Settings\n";
  o += std::string("  User Name: ") + fSettings.fUserName + "\n";
  o += std::string("  Player File Name: ") + fSettings.fPlayerFile + "\n";
  o += flag(fSettings.fNetworking, "ENABLE NETWORKING");
  o += std::string("  Server Name: ") + fSettings.fServerName + "\n";
  o += std::string("  Session Name: ") + fSettings.fSessionName + "\n";
  o += std::string("  Lobby Port: ") + fSettings.fLobbyPort + "\n";
  o += box(Box{false, fSettings.fOptimalRecording}, "Set Optimal Sound Recording Level");
}

int SetupSession::Accept() {
  int code = kSetupOk;
  if (fOptions.SaveChoice()) {
    fOut += "\nSaved " + fOptions.DevModeFile() + "\n";
  } else {
    MessageBox(kNotSaved);
    code = kSetupFailed;
  }
  if (fSettings.WriteInitFile(fGame)) {
    fOut += "Updated " + InitFilePath(fGame) + "\n";
  } else {
    fOut += "Not updated (missing or read-only): " + InitFilePath(fGame) + "\n";
  }
  return code;
}

}  // namespace

int RunSetupCommand(const std::vector<std::string>& args, std::string* out, std::string* err) {
  std::string game;
  std::string profilePath;
  bool haveGame = false;
  bool haveProfile = false;
  bool accept = false;
  std::vector<Action> actions;
  auto usage = [&](const std::string& what) {
    *err += "setup: " + what + " (see setup --help)\n";
    return kSetupUsage;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      *out += kUsage;
      return kSetupOk;
    }
    if (option == "--accept") {
      accept = true;
    } else if (Contains(std::begin(kFlagOptions), std::end(kFlagOptions), option)) {
      actions.push_back(Action{option, ""});
    } else if (option == "--game" || option == "--profile" ||
               Contains(std::begin(kValueOptions), std::end(kValueOptions), option)) {
      if (i + 1 >= args.size()) return usage(option + " needs a value");
      const std::string& value = args[++i];
      if (option == "--game") {
        game = value;
        haveGame = true;
      } else if (option == "--profile") {
        profilePath = value;
        haveProfile = true;
      } else {
        actions.push_back(Action{option, value});
      }
    } else {
      return usage("unknown option " + option);
    }
  }
  if (!haveGame) return usage("--game DIR is required");
  if (!haveProfile) return usage("--profile FILE is required");

  HardwareProfile profile;
  std::string error;
  if (!LoadHardwareProfile(profilePath, &profile, &error)) {
    *err += "setup: " + error + "\n";
    return kSetupUsage;
  }

  SetupSession session(game, std::move(profile), out, err);
  if (!session.Start()) return kSetupFailed;
  for (const Action& action : actions) {
    std::string problem;
    if (!session.Apply(action, &problem)) {
      *err += "setup: " + problem + "; nothing written\n";
      return kSetupUsage;
    }
  }
  session.Show();
  return accept ? session.Accept() : kSetupOk;
}
