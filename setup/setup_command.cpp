#include "setup/setup_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "kit/ascii.h"
#include "setup/debug_log.h"
#include "setup/dialog_state.h"
#include "setup/graphics_options.h"
#include "setup/hardware_profile.h"
#include "setup/platform_profile.h"
#include "setup/settings.h"

namespace {

const char kUsageHead[] =
    "Usage: setup --game DIR --profile FILE [CHANGE...] [--accept] [--quiet]\n"
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
    "  --accept               press OK: write DIR/init/dev_mode.dat and rewrite the\n"
    "                         setup section of DIR/init/win_init.dat (when that\n"
    "                         file exists), both or neither. Without it nothing\n"
    "                         else is written, as with Cancel.\n"
    "  --quiet                print only problems: no pages, notes, detection\n"
    "                         trace or progress lines\n"
    "  --help                 this text\n";

const char kUsageTail[] =
    "\n"
    "At most 255 characters of a text are kept. A text that win_init.dat could not\n"
    "read back (a blank, a comma or '=' in a name; a user name's blanks become '_')\n"
    "is refused. A change that the dialog would not allow (a disabled control, a\n"
    "value outside a trackbar's range, an entry that is not in a list) is an error:\n"
    "nothing is written then. Trackbar values read from win_init.dat outside their\n"
    "range are shown and saved at the nearest end, with a note. Exit status: 0 done,\n"
    "1 no suitable 3D device or the files could not be saved, 2 a wrong option or\n"
    "value.\n";

// The help text: the fixed options, then every control of the table, page by
// page.
std::string UsageText() {
  static const char* const kPageNames[3] = {
      "Basic Settings:", "Expert Settings:", "Network Settings:"};
  std::string text = kUsageHead;
  for (int page = 0; page < 3; ++page) {
    text += std::string("\n") + kPageNames[page] + "\n";
    for (const ControlInfo& info : kSetupControls) {
      if (int(info.fPage) != page) continue;
      std::string left = std::string("  ") + info.fOption;
      if (info.fKind == ControlKind::kTrackbar && std::strcmp(info.fValues, "N") == 0) {
        left += " " + std::to_string(info.fLow) + ".." + std::to_string(info.fHigh);
      } else if (*info.fValues != '\0') {
        left += std::string(" ") + info.fValues;
      }
      // The help begins in column 26, on a line of its own after a long
      // option.
      left += left.size() < 25 ? std::string(25 - left.size(), ' ') : "\n" + std::string(25, ' ');
      text += left + info.fHelp + "\n";
    }
  }
  return text + kUsageTail;
}

// The names of a control's values, as in "glide|direct3d".
std::vector<std::string> ValueNames(const ControlInfo& info) {
  std::vector<std::string> names;
  std::string_view values = info.fValues;
  while (!values.empty()) {
    const size_t bar = values.find('|');
    names.emplace_back(values.substr(0, bar));
    values = bar == std::string_view::npos ? std::string_view() : values.substr(bar + 1);
  }
  return names;
}

// "expected a, b or c".
std::string Expected(const std::vector<std::string>& names) {
  std::string text = "expected ";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text;
}

// A decimal integer; text that is none gives a value that no list or
// trackbar holds, so that the control refuses it in its own words.
int32_t ParsePosition(const std::string& value) {
  int32_t n = 0;
  const char* end = value.data() + value.size();
  auto [next, error] = std::from_chars(value.data(), end, n);
  if (error != std::errc() || next != end) return std::numeric_limits<int32_t>::min();
  return n;
}

// "player_*.dat" as the open-file dialog matches it: without regard to case.
bool IsPlayerFileName(const std::string& name) {
  return name.size() >= 11 && ktStartsWithNoCase(name, "player_") &&
         ktSameTextNoCase(std::string_view(name).substr(name.size() - 4), ".dat");
}

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

// The detection trace of this run, each line beginning with the program's
// name, passed on to the sink that was current; nothing with --quiet.
class ProgramTrace final : public TraceSink {
 public:
  explicit ProgramTrace(bool quiet) : fQuiet(quiet), fNext(SetTraceSink(this)) {}
  ProgramTrace(const ProgramTrace&) = delete;
  ProgramTrace& operator=(const ProgramTrace&) = delete;
  ~ProgramTrace() { SetTraceSink(fNext); }

  void Write(const char* text) override {
    if (fQuiet) return;
    std::string named;
    for (const char* c = text; *c != '\0'; ++c) {
      if (fAtLineStart) named += "setup: ";
      named += *c;
      fAtLineStart = *c == '\n';
    }
    fNext->Write(named.c_str());
  }

 private:
  bool fQuiet;
  TraceSink* fNext;
  bool fAtLineStart = true;
};

struct Change {
  const ControlInfo* fInfo;
  std::string fValue;
};

// The process-wide objects of the setup program and its dialog's state.
class SetupSession {
 public:
  SetupSession(const std::string& game, HardwareProfile profile, std::string* out, std::string* err)
      : fGame(game),
        fOut(*out),
        fErr(*err),
        fPlatform(std::move(profile)),
        fUserNames(fPlatform),
        fSettings(&fUserNames),
        fLog(JoinPath(game, "debug_info.dat")),
        fOptions(fPlatform, fLog, game),
        fDialog(fSettings, fOptions, game) {}

  // The start-up up to the shown dialog; false when nothing suitable was
  // found (the message has been shown).
  bool Start(bool quiet);
  // One change; false with `problem` set when the dialog would not allow it.
  bool Apply(const Change& change, std::string* problem);
  void Show();
  // OK.
  int Accept(bool quiet);

 private:
  static std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    char last = directory.back();
    return (last == '/' || last == '\\') ? directory + name : directory + "/" + name;
  }

  void MessageBox(const char* text) { fErr += std::string(kSetupTitle) + ": " + text + "\n"; }
  bool FindPlayerFile(const std::string& name, std::string* problem);

  std::string fGame;
  std::string& fOut;
  std::string& fErr;
  ProfilePlatform fPlatform;
  PlatformUserNames fUserNames;
  SetupSettings fSettings;
  DebugInfoLog fLog;
  GraphicsOptions fOptions;
  SetupDialogState fDialog;
};

bool SetupSession::Start(bool quiet) {
  fSettings.ReadInitFile(fGame);
  if (!fDialog.Start()) {
    MessageBox(kNoDevicesMessage);
    return false;
  }
  if (!quiet) {
    for (const std::string& note : fDialog.Notes()) fErr += "setup: note: " + note + "\n";
    // Detection has run: a detection log that could not be made is lost.
    if (!fLog.Problem().empty())
      fErr += "setup: note: " + fLog.Problem() + "; the detection log is not kept\n";
  }
  return true;
}

bool SetupSession::FindPlayerFile(const std::string& value, std::string* problem) {
  const std::filesystem::path init = std::filesystem::path(JoinPath(fGame, "init"));
  std::error_code error;
  if (!std::filesystem::is_directory(init, error)) {
    MessageBox(kImproperDirectoryMessage);
    return true;
  }
  for (std::filesystem::directory_iterator it(init, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (IsPlayerFileName(name) && ktSameTextNoCase(name, value) && it->is_regular_file(error)) {
      return fDialog.ChoosePlayerFile(name, problem);
    }
  }
  *problem = "no such player file (player_*.dat) in the init directory";
  return false;
}

bool SetupSession::Apply(const Change& change, std::string* problem) {
  const ControlInfo& info = *change.fInfo;
  const std::string& value = change.fValue;
  const std::vector<std::string> names = ValueNames(info);
  const int32_t named = int32_t(std::find(names.begin(), names.end(), value) - names.begin());
  const bool known = size_t(named) < names.size();

  switch (info.fKind) {
    case ControlKind::kRadioGroup:
      if (!known) return (*problem = Expected(names), false);
      return fDialog.ClickApi(named == 0 ? kDeviceTypeGlide : kDeviceTypeDirect3D, problem);
    case ControlKind::kList:
      return info.fControl == SetupControl::kDevice
                 ? fDialog.SelectDeviceEntry(ParsePosition(value), problem)
                 : fDialog.SelectModeEntry(ParsePosition(value), problem);
    case ControlKind::kCheckBox: {
      if (!known) return (*problem = Expected(names), false);
      const bool on = named == 0;
      if (info.fControl == SetupControl::kWindowed) return fDialog.CheckWindowed(on, problem);
      if (info.fControl == SetupControl::kAntiAliasing) {
        return fDialog.CheckAntiAliasing(on, problem);
      }
      return fDialog.Check(info.fControl, on, problem);
    }
    case ControlKind::kTrackbar:
      if (info.fControl == SetupControl::kTexture) {
        if (!known) return (*problem = Expected(names), false);
        return fDialog.MoveTextureTrackbar(named, problem);
      }
      return fDialog.MoveTrackbar(info.fControl, ParsePosition(value), problem);
    case ControlKind::kEdit:
      return fDialog.EditText(info.fControl, value, problem);
    case ControlKind::kButton:
      if (info.fControl == SetupControl::kExpertDefaults) {
        fDialog.PressExpertDefaults();
        return true;
      }
      if (info.fControl == SetupControl::kNetworkDefaults) {
        fDialog.PressNetworkDefaults();
        return true;
      }
      return FindPlayerFile(value, problem);
  }
  return true;
}

void SetupSession::Show() {
  using Box = SetupDialogState::Box;
  auto box = [](const Box& each, const char* label) {
    return std::string("  [") + (each.fChecked ? "x" : " ") + "] " + label +
           (each.fEnabled ? "" : " (disabled)") + "\n";
  };
  auto flag = [](bool on, const char* label) {
    return std::string("  [") + (on ? "x" : " ") + "] " + label + "\n";
  };
  auto radio = [&](uint32_t type, const char* label) {
    return std::string("(") + (fDialog.CurrentType() == type ? "*" : " ") + ") " + label +
           (fDialog.ApiEnabled(type) ? "" : " (disabled)");
  };
  auto list = [](const std::vector<std::string>& labels, int32_t shown) {
    std::string text;
    for (size_t i = 0; i < labels.size(); ++i) {
      text +=
          (int32_t(i) == shown ? "    > " : "      ") + std::to_string(i) + "  " + labels[i] + "\n";
    }
    return text;
  };
  // "  Speed: 5 (Slow 1 .. Fast 10)": the position, the range and the texts at
  // its ends.
  auto trackbar = [&](SetupControl control, const char* low, const char* high) {
    const ControlInfo& info = InfoOf(control);
    std::string text = std::string("  ") + info.fLabel + " " +
                       std::to_string(fDialog.TrackbarPosition(control)) + " (";
    if (*low != '\0') text += std::string(low) + " ";
    text += std::to_string(info.fLow) + " .. ";
    if (*high != '\0') text += std::string(high) + " ";
    return text + std::to_string(info.fHigh) + ")";
  };
  static const char* const kTextureNames[3] = {"Low", "Medium", "High"};
  const SetupSettings& settings = fDialog.Settings();

  std::string& o = fOut;
  o += std::string(kSetupTitle) + "\n\n";
  o += "Basic Settings\n";
  // The DX8 button is hidden: no stage finds such devices.
  o += "  3D Hardware: " + radio(kDeviceTypeGlide, "Glide") + "  " +
       radio(kDeviceTypeDirect3D, "Direct3D") + "\n";
  o += "  Device:\n" + list(fDialog.DeviceLabels(), fDialog.ShownDevice());
  o += "  Screen Resolution:\n" + list(fDialog.ModeLabels(), fDialog.ShownMode());
  o += box(fDialog.Windowed(), "Windowed");
  o += std::string("  Texture Quality: ") + kTextureNames[fDialog.TexturePosition()] + "\n";
  o += box(fDialog.AntiAliasing(), "Full Scene Anti-Aliasing");
  o += "\nExpert Settings\n";
  o += trackbar(SetupControl::kMouseSpeed, "Slow", "Fast") + "\n";
  o += trackbar(SetupControl::kDeadZone, "Off", "Large") + "\n";
  o += trackbar(SetupControl::kCursorSleep, "", "") + " " + fDialog.CursorSleepLabel() + "\n";
  o += flag(settings.fMouseInvert, "Invert Mouse");
  o += trackbar(SetupControl::kWalkingSpeed, "Slow", "Fast") + "\n";
  o += trackbar(SetupControl::kStrafingSpeed, "Slow", "Fast") + "\n";
  o += flag(settings.fAdvancedMappings, "Advanced Mappings");
  o += flag(settings.fSound3D, "Use DirectSound3D");
  o += box(fDialog.CompressedTextures(), "Use Compressed Textures");
  o += "\nNetwork Settings\n";
  o += std::string("  User Name: ") + settings.fUserName + "\n";
  o += std::string("  Player File Name: ") + settings.fPlayerFile + "\n";
  o += flag(settings.fNetworking, "ENABLE NETWORKING");
  o += std::string("  Server Name: ") + settings.fServerName + "\n";
  o += std::string("  Session Name: ") + settings.fSessionName + "\n";
  o += std::string("  Lobby Port: ") + settings.fLobbyPort + "\n";
  o += box(Box{false, settings.fOptimalRecording}, "Set Optimal Sound Recording Level");
}

int SetupSession::Accept(bool quiet) {
  std::string problem;
  bool initUpdated = false, deviceSaved = false;
  if (!fDialog.Accept(&problem, &initUpdated, &deviceSaved)) {
    MessageBox(kNotSavedMessage);
    // What was written in spite of the failure.
    const std::string written = deviceSaved   ? fOptions.DevModeFile() + " was saved"
                                : initUpdated ? InitFilePath(fGame) + " was updated"
                                              : std::string("nothing written");
    fErr += "setup: " + problem + "; " + written + "\n";
    return kSetupFailed;
  }
  if (!quiet) {
    fOut += "\nSaved " + fOptions.DevModeFile() + "\n";
    fOut += (initUpdated ? "Updated " : "Not updated (missing): ") + InitFilePath(fGame) + "\n";
  }
  return kSetupOk;
}

}  // namespace

int RunSetupCommand(const std::vector<std::string>& args, std::string* out, std::string* err) {
  auto usage = [&](const std::string& what) {
    *err += "setup: " + what + " (see setup --help)\n";
    return kSetupUsage;
  };

  CLI::App app("setup");
  app.set_help_flag("-h,--help");
  app.allow_extras();
  std::string game;
  std::string profilePath;
  CLI::Option* gameOption = app.add_option("--game", game);
  CLI::Option* profileOption = app.add_option("--profile", profilePath);
  CLI::Option* acceptFlag = app.add_flag("--accept");
  CLI::Option* quietFlag = app.add_flag("--quiet");
  // Every control may be used more than once; the changes apply in the
  // order given.
  std::vector<std::pair<CLI::Option*, const ControlInfo*>> controls;
  for (const ControlInfo& info : kSetupControls) {
    CLI::Option* option = *info.fValues == '\0'
                              ? app.add_flag(info.fOption)
                              : app.add_option(info.fOption)
                                    ->expected(1)
                                    ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    controls.emplace_back(option, &info);
  }

  // CLI11 reads the arguments back to front.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    *out += UsageText();
    return kSetupOk;
  } catch (const CLI::ParseError& error) {
    // "--profile: 1 required TEXT missing" and the like: the option first.
    const std::string what = error.what();
    const size_t colon = what.find(':');
    if (what.compare(0, 2, "--") == 0 && colon != std::string::npos) {
      return usage(what.substr(0, colon) + " needs a value");
    }
    return usage(what);
  }
  for (const std::string& extra : app.remaining()) {
    if (!extra.empty() && extra[0] == '-') return usage("unknown option " + extra);
    return usage("unexpected argument " + extra);
  }
  if (gameOption->count() == 0) return usage("--game DIR is required");
  if (profileOption->count() == 0) return usage("--profile FILE is required");

  // The changes in the order given: each occurrence of an option takes its
  // next value.
  std::vector<Change> changes;
  std::vector<size_t> used(controls.size(), 0);
  for (CLI::Option* option : app.parse_order()) {
    for (size_t i = 0; i < controls.size(); ++i) {
      if (controls[i].first != option) continue;
      const std::vector<std::string>& results = option->results();
      const bool isFlag = *controls[i].second->fValues == '\0';
      changes.push_back(
          Change{controls[i].second, isFlag || used[i] >= results.size() ? "" : results[used[i]]});
      ++used[i];
    }
  }

  HardwareProfile profile;
  std::string error;
  if (!LoadHardwareProfile(profilePath, &profile, &error)) {
    *err += "setup: " + error + "\n";
    return kSetupUsage;
  }

  const bool quiet = quietFlag->count() > 0;
  ProgramTrace trace(quiet);
  SetupSession session(game, std::move(profile), out, err);
  if (!session.Start(quiet)) return kSetupFailed;
  for (const Change& change : changes) {
    std::string problem;
    if (!session.Apply(change, &problem)) {
      const std::string value = change.fValue.empty() ? "" : " " + change.fValue;
      *err += "setup: " + std::string(change.fInfo->fOption) + value + ": " + problem +
              "; nothing written\n";
      return kSetupUsage;
    }
  }
  if (!quiet) session.Show();
  return acceptFlag->count() > 0 ? session.Accept(quiet) : kSetupOk;
}
