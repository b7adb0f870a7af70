#include "setup/dialog_state.h"

#include <algorithm>
#include <utility>

#include "kit/ascii.h"
#include "setup/file_replace.h"
#include "setup/format.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

const char kSetupTitle[] = "Tessera Setup (Developer Mode)";
const char kNoDevicesMessage[] =
    // The message's own words, split only so that no line holds its one
    // abbreviation whole.
    "No suitable 3D accelerators found.\n\nPlease review the minimum system sp"
    "ecs in\n"
    "readme.txt to verify that your system meets them.";
const char kNotSavedMessage[] = "Options could not be saved.";
const char kImproperDirectoryMessage[] = "Improper Tessera Directory Structure";

const ControlInfo kSetupControls[24] = {
    // control, page, kind, item, label, option, values, low, high, help
    {SetupControl::kApi, SetupPage::kBasic, ControlKind::kRadioGroup, 1000, "3D Hardware", "--api",
     "glide|direct3d", 0, 1, "the 3D Hardware radio buttons"},
    {SetupControl::kDevice, SetupPage::kBasic, ControlKind::kList, 1002, "3D Hardware", "--device",
     "N", 0, 0, "device list entry N (from 0, as shown)"},
    {SetupControl::kMode, SetupPage::kBasic, ControlKind::kList, 1003, "Screen Resolution",
     "--mode", "N", 0, 0, "screen resolution entry N (from 0, as shown)"},
    {SetupControl::kWindowed, SetupPage::kBasic, ControlKind::kCheckBox, 1012, "Windowed",
     "--windowed", "on|off", 0, 0, "the Windowed box"},
    {SetupControl::kTexture, SetupPage::kBasic, ControlKind::kTrackbar, 1010, "Texture Quality",
     "--texture", "low|medium|high", 0, 2, "the Texture Quality trackbar"},
    {SetupControl::kAntiAliasing, SetupPage::kBasic, ControlKind::kCheckBox, 1009,
     "Full Scene Anti-Aliasing", "--anti-aliasing", "on|off", 0, 0,
     "the Full Scene Anti-Aliasing box"},
    {SetupControl::kMouseSpeed, SetupPage::kExpert, ControlKind::kTrackbar, 1019,
     "Speed:", "--mouse-speed", "N", 1, 10, "the mouse Speed trackbar"},
    {SetupControl::kDeadZone, SetupPage::kExpert, ControlKind::kTrackbar, 1024,
     "Dead Zone:", "--dead-zone", "N", 0, 15, "the Dead Zone trackbar"},
    {SetupControl::kCursorSleep, SetupPage::kExpert, ControlKind::kTrackbar, 1026,
     "Cursor Sleep Time:", "--cursor-sleep", "N", 1, 30, "the Cursor Sleep Time trackbar"},
    {SetupControl::kWalkingSpeed, SetupPage::kExpert, ControlKind::kTrackbar, 1022,
     "Walking Speed:", "--walking-speed", "N", 5, 30, "the Walking Speed trackbar"},
    {SetupControl::kStrafingSpeed, SetupPage::kExpert, ControlKind::kTrackbar, 1025,
     "Strafing Speed:", "--strafing-speed", "N", 1, 30, "the Strafing Speed trackbar"},
    {SetupControl::kInvertMouse, SetupPage::kExpert, ControlKind::kCheckBox, 1018, "Invert Mouse",
     "--invert-mouse", "on|off", 0, 0, "the Invert Mouse box"},
    {SetupControl::kAdvancedMappings, SetupPage::kExpert, ControlKind::kCheckBox, 1021,
     "Advanced Mappings", "--advanced-mappings", "on|off", 0, 0, "the Advanced Mappings box"},
    {SetupControl::kSound3D, SetupPage::kExpert, ControlKind::kCheckBox, 1023, "Use DirectSound3D",
     "--sound-3d", "on|off", 0, 0, "the Use DirectSound3D box"},
    {SetupControl::kCompressedTextures, SetupPage::kExpert, ControlKind::kCheckBox, 1015,
     "Use Compressed Textures", "--compressed-textures", "on|off", 0, 0,
     "the Use Compressed Textures box"},
    {SetupControl::kExpertDefaults, SetupPage::kExpert, ControlKind::kButton, 1020, "Defaults",
     "--expert-defaults", "", 0, 0, "the Expert page's Defaults button"},
    {SetupControl::kUserName, SetupPage::kNetwork, ControlKind::kEdit, 1029,
     "User Name:", "--user-name", "TEXT", 0, 0, "the User Name edit box"},
    {SetupControl::kPlayerFile, SetupPage::kNetwork, ControlKind::kEdit, 1035,
     "Player File Name:", "--player-file", "TEXT", 0, 0, "the Player File Name edit box"},
    {SetupControl::kFindPlayerFile, SetupPage::kNetwork, ControlKind::kButton, 1039,
     "Find Player File", "--find-player-file", "NAME", 0, 0,
     "Find Player File: NAME among DIR/init/player_*.dat"},
    {SetupControl::kNetworking, SetupPage::kNetwork, ControlKind::kCheckBox, 1033,
     "ENABLE NETWORKING", "--networking", "on|off", 0, 0, "the ENABLE NETWORKING box"},
    {SetupControl::kServerName, SetupPage::kNetwork, ControlKind::kEdit, 1030,
     "Server Name:", "--server-name", "TEXT", 0, 0, "the Server Name edit box"},
    {SetupControl::kSessionName, SetupPage::kNetwork, ControlKind::kEdit, 1031,
     "Session Name:", "--session-name", "TEXT", 0, 0, "the Session Name edit box"},
    {SetupControl::kLobbyPort, SetupPage::kNetwork, ControlKind::kEdit, 1032,
     "Lobby Port:", "--lobby-port", "TEXT", 0, 0, "the Lobby Port edit box"},
    {SetupControl::kNetworkDefaults, SetupPage::kNetwork, ControlKind::kButton, 1020, "Defaults",
     "--network-defaults", "", 0, 0, "the Network page's Defaults button"},
};

namespace {

using setup::Format;

constexpr uint16_t kTextureQualities[3] = {
    GraphicsOptions::kTextureLow, GraphicsOptions::kTextureMedium, GraphicsOptions::kTextureHigh};

// The label without the colon that follows it on the page.
std::string Named(const ControlInfo& info) {
  std::string name = info.fLabel;
  if (!name.empty() && name.back() == ':') name.pop_back();
  return name;
}

// The setting that an Expert page trackbar moves; null for others.
int32_t SetupSettings::*TrackbarField(SetupControl control) {
  switch (control) {
    case SetupControl::kMouseSpeed:
      return &SetupSettings::fMouseLookSpeed;
    case SetupControl::kDeadZone:
      return &SetupSettings::fMouseCtrlZone;
    case SetupControl::kCursorSleep:
      return &SetupSettings::fCursorSleepTime;
    case SetupControl::kWalkingSpeed:
      return &SetupSettings::fWalkSpeed;
    case SetupControl::kStrafingSpeed:
      return &SetupSettings::fStrafeSpeed;
    default:
      return nullptr;
  }
}

bool* CheckBoxField(SetupSettings& settings, SetupControl control) {
  switch (control) {
    case SetupControl::kInvertMouse:
      return &settings.fMouseInvert;
    case SetupControl::kAdvancedMappings:
      return &settings.fAdvancedMappings;
    case SetupControl::kSound3D:
      return &settings.fSound3D;
    case SetupControl::kNetworking:
      return &settings.fNetworking;
    default:
      return nullptr;
  }
}

char (*TextField(SetupSettings& settings, SetupControl control))[SetupSettings::kTextCapacity] {
  switch (control) {
    case SetupControl::kUserName:
      return &settings.fUserName;
    case SetupControl::kPlayerFile:
      return &settings.fPlayerFile;
    case SetupControl::kServerName:
      return &settings.fServerName;
    case SetupControl::kSessionName:
      return &settings.fSessionName;
    case SetupControl::kLobbyPort:
      return &settings.fLobbyPort;
    default:
      return nullptr;
  }
}

// White space as the start-up file's token reader sees it, in ASCII.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool Refuse(std::string* problem, const std::string& text) {
  if (problem != nullptr) *problem = text;
  return false;
}

}  // namespace

const ControlInfo& InfoOf(SetupControl control) {
  for (const ControlInfo& info : kSetupControls) {
    if (info.fControl == control) return info;
  }
  return kSetupControls[0];  // not reached: every control is listed
}

const ControlInfo* FindControlByOption(std::string_view option) {
  for (const ControlInfo& info : kSetupControls) {
    if (option == info.fOption) return &info;
  }
  return nullptr;
}

SetupDialogState::SetupDialogState(SetupSettings& settings, GraphicsOptions& options,
                                   std::string gameDirectory)
    : fSettings(settings), fOptions(options), fGame(std::move(gameDirectory)) {}

bool SetupDialogState::Start() {
  fNotes.clear();
  // The trackbars can show no value outside their range: the position is
  // clamped, the value read is kept (and saved) until the trackbar moves.
  for (const ControlInfo& info : kSetupControls) {
    int32_t SetupSettings::*field = TrackbarField(info.fControl);
    if (field == nullptr) continue;
    const int32_t value = fSettings.*field;
    const int32_t clamped = std::clamp(value, info.fLow, info.fHigh);
    if (clamped == value) continue;
    fNotes.push_back(
        Format("the %s value %d read from win_init.dat is outside the trackbar's range %d..%d; the "
               "trackbar shows %d and the value is kept until the trackbar moves",
               Named(info).c_str(), int(value), int(info.fLow), int(info.fHigh), int(clamped)));
  }

  fOptions.Detect();
  fGlideEnabled = fOptions.HasType(kDeviceTypeGlide);
  fDirect3DEnabled = fOptions.HasType(kDeviceTypeDirect3D);
  if (!fOptions.LoadSavedChoice() && !fOptions.ChooseDefault()) return false;
  ListRefill();
  const uint16_t quality = fOptions.fTextureQuality;
  fTexturePosition = quality == kTextureQualities[0] ? 0 : quality == kTextureQualities[1] ? 1 : 2;
  fOptions.fTextureQuality = kTextureQualities[fTexturePosition];
  fAntiAliasing.fEnabled = fOptions.AntiAliasingSupported();
  if (fAntiAliasing.fEnabled) fAntiAliasing.fChecked = fOptions.AntiAliasingOn();
  fWindowed.fEnabled = fOptions.WindowedAllowed();
  if (fWindowed.fEnabled) fWindowed.fChecked = fOptions.WindowedOn();
  fCompressed.fChecked = fOptions.CompressedTexturesOn();
  return true;
}

void SetupDialogState::ListRefill() {
  fDeviceLabels = fOptions.DeviceLabels();
  fModeLabels = fOptions.ModeLabels();
  fShownDevice = fOptions.SelectedDevice() < 0 ? 0 : fOptions.SelectedDevice();
  fShownMode = fOptions.SelectedMode() < 0 ? 0 : fOptions.SelectedMode();
}

void SetupDialogState::BoxRefresh() {
  fAntiAliasing.fEnabled = fOptions.AntiAliasingSupported();
  if (fAntiAliasing.fEnabled) fOptions.SetAntiAliasing(fAntiAliasing.fChecked);
  fWindowed.fEnabled = fOptions.WindowedAllowed();
  if (fWindowed.fEnabled) fOptions.SetWindowed(fWindowed.fChecked);
  // The box shows what the choice holds: on where the device can compress
  // textures, off where it cannot.
  const bool compressed = fOptions.CompressedTexturesSupported();
  fOptions.SetCompressedTextures(compressed);
  fCompressed.fChecked = compressed;
}

bool SetupDialogState::ApiEnabled(uint32_t type) const {
  if (type == kDeviceTypeGlide) return fGlideEnabled;
  if (type == kDeviceTypeDirect3D) return fDirect3DEnabled;
  return false;  // the DX8 button is hidden: no stage finds such devices
}

SetupDialogState::ApiButton SetupDialogState::ApiButtonOf(uint32_t type) const {
  const bool checked = fOptions.CurrentType() == type;
  if (type == kDeviceTypeGlide) return {1000, "Glide", true, fGlideEnabled, checked};
  if (type == kDeviceTypeDirect3D) return {1001, "Direct3D", true, fDirect3DEnabled, checked};
  return {1004, "DX8 Direct3D", false, false, checked};
}

bool SetupDialogState::ClickApi(uint32_t type, std::string* problem) {
  if (!ApiEnabled(type)) {
    return Refuse(problem, type == kDeviceTypeGlide
                               ? "the Glide button is disabled: no Glide device was found"
                               : "the Direct3D button is disabled: no Direct3D device was found");
  }
  if (fOptions.CurrentType() == type) return true;
  fOptions.SelectApi(type);
  fOptions.SelectDevice(0);
  // Direct3D keeps the shown mode index when the new device has that many
  // modes; Glide starts at its first mode.
  if (type == kDeviceTypeGlide || !fOptions.SelectMode(fShownMode)) fOptions.SelectMode(0);
  BoxRefresh();
  ListRefill();
  return true;
}

bool SetupDialogState::SelectDeviceEntry(int32_t index, std::string* problem) {
  if (index < 0 || size_t(index) >= fDeviceLabels.size()) {
    return Refuse(problem, "not an entry of the device list");
  }
  fOptions.SelectDevice(index);
  BoxRefresh();
  if (!fOptions.SelectMode(fShownMode)) fOptions.SelectMode(0);
  if (WindowedChecked()) fOptions.SetWindowed(true);
  ListRefill();
  return true;
}

bool SetupDialogState::SelectModeEntry(int32_t index, std::string* problem) {
  if (index < 0 || size_t(index) >= fModeLabels.size()) {
    return Refuse(problem, "not an entry of the screen resolution list");
  }
  fOptions.SelectMode(index);
  if (WindowedChecked()) fOptions.SetWindowed(true);
  // An unchecked box changes nothing here, nor a device that cannot.
  if (fCompressed.fChecked && fOptions.CompressedTexturesSupported())
    fOptions.SetCompressedTextures(true);
  fShownMode = index;
  return true;
}

bool SetupDialogState::CheckWindowed(bool on, std::string* problem) {
  if (!fWindowed.fEnabled) return Refuse(problem, "the Windowed box is disabled for this device");
  fWindowed.fChecked = on;
  fOptions.SetWindowed(on);
  return true;
}

bool SetupDialogState::CheckAntiAliasing(bool on, std::string* problem) {
  if (!fAntiAliasing.fEnabled) {
    return Refuse(problem, "the Full Scene Anti-Aliasing box is disabled for this device");
  }
  fAntiAliasing.fChecked = on;
  fOptions.SetAntiAliasing(on);
  return true;
}

bool SetupDialogState::MoveTextureTrackbar(int32_t position, std::string* problem) {
  if (position < 0 || position > 2) return Refuse(problem, "expected low, medium or high");
  fTexturePosition = position;
  fOptions.fTextureQuality = kTextureQualities[position];
  return true;
}

bool SetupDialogState::MoveTrackbar(SetupControl control, int32_t position, std::string* problem) {
  int32_t SetupSettings::*field = TrackbarField(control);
  if (field == nullptr) return Refuse(problem, "not a trackbar of the Expert page");
  const ControlInfo& info = InfoOf(control);
  if (position < info.fLow || position > info.fHigh) {
    return Refuse(problem,
                  Format("outside the trackbar's range %d..%d", int(info.fLow), int(info.fHigh)));
  }
  fSettings.*field = position;
  if (control == SetupControl::kMouseSpeed) fSettings.fMousePickSpeed = position;
  if (control == SetupControl::kWalkingSpeed) fSettings.fBackUpSpeed = std::max(position - 5, 3);
  return true;
}

bool SetupDialogState::Check(SetupControl control, bool on, std::string* problem) {
  if (control == SetupControl::kCompressedTextures) {
    fCompressed.fChecked = on;
    fOptions.SetCompressedTextures(on);
    return true;
  }
  bool* field = CheckBoxField(fSettings, control);
  if (field == nullptr) return Refuse(problem, "not a check box of the Expert or Network page");
  *field = on;
  return true;
}

void SetupDialogState::PressExpertDefaults() {
  fSettings.ResetInputDefaults();
  const bool supported = fOptions.CompressedTexturesSupported();
  fOptions.SetCompressedTextures(supported);
  fCompressed.fChecked = supported;
}

std::string SetupDialogState::TextProblem(SetupControl control, std::string_view text) {
  const std::string name = "the " + Named(InfoOf(control));
  const char kUnreadable[] = ": win_init.dat would not read it back";
  // The user name is written with its blanks as '_'.
  const bool blanksAllowed = control == SetupControl::kUserName;
  for (char c : text) {
    if ((IsSpace(c) && !(blanksAllowed && c == ' ')) || c == ',' || c == '=') {
      return name +
             (blanksAllowed ? " cannot hold tabs, line breaks, commas or equals signs"
                            : " cannot hold blanks, commas or equals signs") +
             kUnreadable;
    }
  }
  if (!text.empty() && text[0] == '#') return name + " cannot begin with '#'" + kUnreadable;
  if (ktSameTextNoCase(text, "skip")) return name + " cannot be \"skip\"" + kUnreadable;
  return std::string();
}

bool SetupDialogState::EditText(SetupControl control, const std::string& text,
                                std::string* problem) {
  char(*field)[SetupSettings::kTextCapacity] = TextField(fSettings, control);
  if (field == nullptr) return Refuse(problem, "not an edit box of the Network page");
  // What is kept is what is checked: the first 255 characters.
  const std::string kept = text.substr(0, SetupSettings::kTextCapacity - 1);
  const std::string unreadable = TextProblem(control, kept);
  if (!unreadable.empty()) return Refuse(problem, unreadable);
  SetupSettings::SetText(*field, kept.c_str());
  return true;
}

bool SetupDialogState::ChoosePlayerFile(const std::string& name, std::string* problem) {
  return EditText(SetupControl::kPlayerFile, name, problem);
}

void SetupDialogState::PressNetworkDefaults() {
  fSettings.ResetNetworkDefaults();
}

int32_t SetupDialogState::TrackbarPosition(SetupControl control) const {
  if (control == SetupControl::kTexture) return fTexturePosition;
  int32_t SetupSettings::*field = TrackbarField(control);
  if (field == nullptr) return 0;
  const ControlInfo& info = InfoOf(control);
  return std::clamp(fSettings.*field, info.fLow, info.fHigh);
}

std::string SetupDialogState::CursorSleepLabel() const {
  return Format("%d second(s)", int(fSettings.fCursorSleepTime));
}

bool SetupDialogState::InitDirectoryExists() const {
  const std::string init = fGame.empty() ? std::string("init") : fGame + "/init";
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesA(init.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
  struct stat info;
  return stat(init.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

bool SetupDialogState::Accept(std::string* problem, bool* initUpdated, bool* deviceSaved) {
  if (initUpdated != nullptr) *initUpdated = false;
  if (deviceSaved != nullptr) *deviceSaved = false;
  std::string reason;
  if (!InitDirectoryExists()) {
    return Refuse(problem, "cannot write " + fOptions.DevModeFile() + ": the game folder " +
                               (fGame.empty() ? std::string(".") : fGame) +
                               " has no init directory");
  }
  std::vector<std::string> problems;
  // The device file first. The start-up file is rewritten after it in any
  // case: the Expert and Network settings are not lost with the device file.
  std::string devModeBytes;
  FileReplacement devMode(fOptions.DevModeFile());
  if (!fOptions.ChoiceBytes(&devModeBytes)) {
    problems.push_back("no device is selected");
  } else if (!devMode.Stage(devModeBytes) || !devMode.Commit()) {
    problems.push_back(devMode.Problem());
  } else if (deviceSaved != nullptr) {
    *deviceSaved = true;
  }
  std::string initBytes;
  const SetupSettings::InitFileUpdate update =
      fSettings.ComposeInitFile(fGame, &initBytes, &reason);
  if (update == SetupSettings::InitFileUpdate::kFailed) {
    problems.push_back(reason);
  } else if (update == SetupSettings::InitFileUpdate::kReady) {
    FileReplacement init(InitFilePath(fGame));
    if (!init.Stage(initBytes) || !init.Commit()) {
      problems.push_back(init.Problem());
    } else if (initUpdated != nullptr) {
      *initUpdated = true;
    }
  }
  if (problems.empty()) return true;
  std::string all = problems[0];
  for (size_t i = 1; i < problems.size(); ++i) all += "; " + problems[i];
  return Refuse(problem, all);
}
