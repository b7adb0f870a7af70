// The setup dialog without a window system: what each control shows and what
// happens when the player uses it.
//
// SetupDialogState holds the rules of the three pages (Basic, Expert,
// Network) over the process-wide SetupSettings and GraphicsOptions: the API
// switch, the box refresh, the list refill, the trackbar ranges, the texture
// positions, the defaults buttons, the edits and the OK button. Each control
// has one handler; a front end (the Win32 dialog, the command line) turns
// its own events into handler calls and shows what the queries answer.
//
//   SetupDialogState dialog(settings, options, gameDirectory);
//   settings.ReadInitFile(gameDirectory);
//   if (!dialog.Start()) ...show kNoDevicesMessage and end...
//   dialog.ClickApi(kDeviceTypeDirect3D, &problem);   // a radio button
//   dialog.MoveTrackbar(SetupControl::kMouseSpeed, 7, &problem);
//   if (!dialog.Accept(&problem, &initUpdated)) ...show kNotSavedMessage...
//
// A handler refuses what the dialog would not allow (a disabled control, a
// position outside a trackbar's range, an entry that is not in a list, a
// text that init\win_init.dat could not read back): it returns false with
// a problem text and changes nothing.
//
// kSetupControls lists every control with its page, dialog item, kind and
// command-line option, so that front ends need not repeat them.
#ifndef TESSERA_SETUP_DIALOG_STATE_H_
#define TESSERA_SETUP_DIALOG_STATE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "setup/graphics_options.h"
#include "setup/settings.h"

// The program title: the dialog's window text and every message box caption.
extern const char kSetupTitle[];
// The message box texts.
extern const char kNoDevicesMessage[];
extern const char kNotSavedMessage[];
extern const char kImproperDirectoryMessage[];

enum class SetupPage { kBasic, kExpert, kNetwork };

enum class ControlKind {
  kRadioGroup,  // the 3D Hardware buttons; the value names one button
  kList,        // a drop-down list; the value is an entry's index
  kCheckBox,    // on or off
  kTrackbar,    // a position from fLow to fHigh
  kEdit,        // a text
  kButton,      // pressed; no value
};

enum class SetupControl {
  kApi,
  kDevice,
  kMode,
  kWindowed,
  kTexture,
  kAntiAliasing,
  kMouseSpeed,
  kDeadZone,
  kCursorSleep,
  kWalkingSpeed,
  kStrafingSpeed,
  kInvertMouse,
  kAdvancedMappings,
  kSound3D,
  kCompressedTextures,
  kExpertDefaults,
  kUserName,
  kPlayerFile,
  kFindPlayerFile,
  kNetworking,
  kServerName,
  kSessionName,
  kLobbyPort,
  kNetworkDefaults,
};

struct ControlInfo {
  SetupControl fControl;
  SetupPage fPage;
  ControlKind fKind;
  int32_t fItem;        // the dialog item (for kApi the Glide button)
  const char* fLabel;   // the control's text or the label beside it
  const char* fOption;  // the command-line option, such as "--mouse-speed"
  // The values the command line takes: "on|off", "N", "TEXT", or the names
  // of the choices, "|"-separated, in the order of their positions.
  const char* fValues;
  int32_t fLow;  // a trackbar's range
  int32_t fHigh;
  const char* fHelp;  // one line for the command line's help
};

// Every control in page order.
extern const ControlInfo kSetupControls[24];
const ControlInfo& InfoOf(SetupControl control);
// The control of a command-line option; null for none.
const ControlInfo* FindControlByOption(std::string_view option);

class SetupDialogState {
 public:
  struct Box {
    bool fEnabled = true;
    bool fChecked = false;
  };

  // The settings and options belong to the caller and outlive the state.
  // `gameDirectory` holds init ("" for the current directory).
  SetupDialogState(SetupSettings& settings, GraphicsOptions& options, std::string gameDirectory);

  // The pages' initialisation, after the settings were read: detection, the
  // saved choice or the default one, the lists, the texture position (a
  // saved quality other than 0 and 25 becomes 100) and the boxes. Values of
  // the settings outside their trackbar's range are clamped, each with a
  // note (Notes()). False when nothing suitable was found: the front end
  // shows kNoDevicesMessage and ends without writing.
  bool Start();
  // What Start noted, one sentence each.
  const std::vector<std::string>& Notes() const { return fNotes; }

  // Basic page.
  // A 3D Hardware button (kDeviceTypeGlide, kDeviceTypeDirect3D); the
  // current type's button changes nothing.
  bool ClickApi(uint32_t type, std::string* problem);
  bool SelectDeviceEntry(int32_t index, std::string* problem);
  bool SelectModeEntry(int32_t index, std::string* problem);
  bool CheckWindowed(bool on, std::string* problem);
  bool CheckAntiAliasing(bool on, std::string* problem);
  // Positions 0 (Low), 1 (Medium), 2 (High).
  bool MoveTextureTrackbar(int32_t position, std::string* problem);

  // Expert page.
  // kMouseSpeed, kDeadZone, kCursorSleep, kWalkingSpeed, kStrafingSpeed.
  bool MoveTrackbar(SetupControl control, int32_t position, std::string* problem);
  // kInvertMouse, kAdvancedMappings, kSound3D, kCompressedTextures,
  // kNetworking (the check boxes that are always enabled).
  bool Check(SetupControl control, bool on, std::string* problem);
  void PressExpertDefaults();

  // Network page.
  // kUserName, kPlayerFile, kServerName, kSessionName, kLobbyPort: at most
  // 255 characters are kept. A text that the start-up file could not read
  // back is refused (TextProblem).
  bool EditText(SetupControl control, const std::string& text, std::string* problem);
  // The player file chosen with Find Player File (a name without directory).
  bool ChoosePlayerFile(const std::string& name, std::string* problem);
  void PressNetworkDefaults();

  // Why `text` cannot be the value of the edit `control`, or "" when it can.
  // The start-up file keeps values unquoted and its reader splits them at
  // white space, ',' and '=' (a user name's blanks are written as '_').
  static std::string TextProblem(SetupControl control, std::string_view text);

  // OK: saves init/dev_mode.dat, then, whether or not that worked, rewrites
  // the setup section of init\win_init.dat when it exists (each file is
  // made in full beside it before it replaces it). False when either could
  // not be written (a start-up file that cannot be opened for update
  // included), with `problem` naming each such file and the system's reason;
  // the front end then shows kNotSavedMessage. `initUpdated` and
  // `deviceSaved` (either may be null) tell what was written.
  bool Accept(std::string* problem, bool* initUpdated, bool* deviceSaved = nullptr);

  // What the controls show.
  bool ApiEnabled(uint32_t type) const;
  // A 3D Hardware button as shown: detection finds no DX8 Direct3D devices,
  // so that button is hidden and the Direct3D one reads "Direct3D".
  struct ApiButton {
    int32_t fItem;
    const char* fText;
    bool fVisible;
    bool fEnabled;
    bool fChecked;
  };
  ApiButton ApiButtonOf(uint32_t type) const;
  uint32_t CurrentType() const { return fOptions.CurrentType(); }
  const std::vector<std::string>& DeviceLabels() const { return fDeviceLabels; }
  const std::vector<std::string>& ModeLabels() const { return fModeLabels; }
  int32_t ShownDevice() const { return fShownDevice; }
  int32_t ShownMode() const { return fShownMode; }
  Box Windowed() const { return fWindowed; }
  Box AntiAliasing() const { return fAntiAliasing; }
  Box CompressedTextures() const { return fCompressed; }
  int32_t TexturePosition() const { return fTexturePosition; }
  // The position of an Expert page trackbar.
  int32_t TrackbarPosition(SetupControl control) const;
  // Label 1027: "%d second(s)" of the cursor sleep time.
  std::string CursorSleepLabel() const;
  const SetupSettings& Settings() const { return fSettings; }
  bool InitDirectoryExists() const;

 private:
  void BoxRefresh();
  void ListRefill();
  bool WindowedChecked() const { return fWindowed.fEnabled && fWindowed.fChecked; }

  SetupSettings& fSettings;
  GraphicsOptions& fOptions;
  std::string fGame;
  std::vector<std::string> fNotes;

  bool fGlideEnabled = false;
  bool fDirect3DEnabled = false;
  std::vector<std::string> fDeviceLabels;
  std::vector<std::string> fModeLabels;
  int32_t fShownDevice = -1;
  int32_t fShownMode = -1;
  int32_t fTexturePosition = 2;
  Box fAntiAliasing;
  Box fWindowed;
  Box fCompressed;
};

#endif  // TESSERA_SETUP_DIALOG_STATE_H_
