// The setup program's dialog: one tabbed dialog over SetupDialogState.
//
// The dialog's rules live in SetupDialogState; this file only turns window
// messages into its handler calls and shows what its queries answer. Every
// path is relative to the current directory, the game's directory.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// windows.h comes first: the others build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "setup/debug_log.h"
#include "setup/dialog_state.h"
#include "setup/graphics_options.h"
#include "setup/platform.h"
#include "setup/profile_writer.h"
#include "setup/settings.h"
#include "setup/win32/resource.h"
#include "setup/win32/setup_dialog.h"

namespace {

// The user name of the settings' defaults: the logged-in user.
class SystemUserNames : public UserNameSource {
 public:
  explicit SystemUserNames(SystemApi& system) : fSystem(system) {}
  bool LoggedInUserName(char* buffer, uint32_t capacity) override {
    std::string name;
    if (capacity == 0 || !fSystem.UserName(&name)) return false;
    const size_t length = name.size() < capacity - 1 ? name.size() : capacity - 1;
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    return true;
  }

 private:
  SystemApi& fSystem;
};

// The Expert page's trackbars and the settings they move.
struct ExpertTrackbar {
  int fItem;
  SetupControl fControl;
};
const ExpertTrackbar kExpertTrackbars[] = {
    {IDC_MOUSE_SPEED, SetupControl::kMouseSpeed},
    {IDC_DEAD_ZONE, SetupControl::kDeadZone},
    {IDC_CURSOR_SLEEP, SetupControl::kCursorSleep},
    {IDC_WALKING_SPEED, SetupControl::kWalkingSpeed},
    {IDC_STRAFING_SPEED, SetupControl::kStrafingSpeed},
};

struct CheckBoxItem {
  int fItem;
  SetupControl fControl;
};
const CheckBoxItem kExpertBoxes[] = {
    {IDC_INVERT_MOUSE, SetupControl::kInvertMouse},
    {IDC_ADVANCED_MAPPINGS, SetupControl::kAdvancedMappings},
    {IDC_SOUND_3D, SetupControl::kSound3D},
    {IDC_COMPRESSED, SetupControl::kCompressedTextures},
};

struct EditItem {
  int fItem;
  SetupControl fControl;
};
const EditItem kNetworkEdits[] = {
    {IDC_USER_NAME, SetupControl::kUserName},     {IDC_PLAYER_FILE, SetupControl::kPlayerFile},
    {IDC_SERVER_NAME, SetupControl::kServerName}, {IDC_SESSION_NAME, SetupControl::kSessionName},
    {IDC_LOBBY_PORT, SetupControl::kLobbyPort},
};

// The process-wide objects, in the order of their construction.
struct Program {
  std::unique_ptr<SystemApi> fSystem = OpenSystemPlatform();
  SystemUserNames fUserNames{*fSystem};
  SetupSettings fSettings{&fUserNames};
  DebugInfoLog fLog{"debug_info.dat"};
  GraphicsOptions fOptions{*fSystem, fLog, ""};
  SetupDialogState fState{fSettings, fOptions, ""};

  HINSTANCE fInstance = nullptr;
  HWND fMain = nullptr;
  HWND fTabs = nullptr;
  HWND fPages[kPageCount] = {};
  HWND fTrackbars[5] = {};
  // Set while the program itself changes controls, whose notifications are
  // then not the player's.
  bool fShowing = false;

  SetupDialogDriver* fDriver = nullptr;  // null in setup.exe
};

Program* gProgram = nullptr;

void WarningBox(HWND owner, const char* text) {
  ::MessageBoxA(owner, text, kSetupTitle, MB_OK | MB_ICONWARNING);
}

bool Checked(HWND page, int item) {
  return ::IsDlgButtonChecked(page, item) == BST_CHECKED;
}

void SetBox(HWND page, int item, SetupDialogState::Box box) {
  ::EnableWindow(::GetDlgItem(page, item), box.fEnabled ? TRUE : FALSE);
  ::CheckDlgButton(page, item, box.fChecked ? BST_CHECKED : BST_UNCHECKED);
}

void FillList(HWND page, int item, const std::vector<std::string>& labels, int32_t selected) {
  HWND list = ::GetDlgItem(page, item);
  ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& label : labels) {
    ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
  }
  ::SendMessageA(list, CB_SETCURSEL, WPARAM(selected < 0 ? 0 : selected), 0);
}

// --- What the pages show -------------------------------------------------------

void ShowBasic(Program& p) {
  HWND page = p.fPages[kBasicPage];
  const SetupDialogState& state = p.fState;
  p.fShowing = true;
  for (uint32_t type : {kDeviceTypeGlide, kDeviceTypeDirect3D, kDeviceTypeDX8Direct3D}) {
    const SetupDialogState::ApiButton button = state.ApiButtonOf(type);
    HWND control = ::GetDlgItem(page, button.fItem);
    ::SetWindowTextA(control, button.fText);
    ::ShowWindow(control, button.fVisible ? SW_SHOW : SW_HIDE);
    ::EnableWindow(control, button.fEnabled ? TRUE : FALSE);
    ::CheckDlgButton(page, button.fItem, button.fChecked ? BST_CHECKED : BST_UNCHECKED);
  }
  FillList(page, IDC_DEVICE_LIST, state.DeviceLabels(), state.ShownDevice());
  FillList(page, IDC_MODE_LIST, state.ModeLabels(), state.ShownMode());
  ::SendDlgItemMessageA(page, IDC_TEXTURE, TBM_SETPOS, TRUE, state.TexturePosition());
  SetBox(page, IDC_ANTI_ALIASING, state.AntiAliasing());
  SetBox(page, IDC_WINDOWED, state.Windowed());
  p.fShowing = false;
}

void ShowExpert(Program& p) {
  HWND page = p.fPages[kExpertPage];
  const SetupDialogState& state = p.fState;
  const SetupSettings& settings = state.Settings();
  p.fShowing = true;
  for (const ExpertTrackbar& bar : kExpertTrackbars) {
    ::SendDlgItemMessageA(page, bar.fItem, TBM_SETPOS, TRUE, state.TrackbarPosition(bar.fControl));
  }
  ::SetDlgItemTextA(page, IDC_CURSOR_SLEEP_LABEL, state.CursorSleepLabel().c_str());
  ::CheckDlgButton(page, IDC_INVERT_MOUSE, settings.fMouseInvert ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(page, IDC_ADVANCED_MAPPINGS,
                   settings.fAdvancedMappings ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(page, IDC_SOUND_3D, settings.fSound3D ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(page, IDC_COMPRESSED,
                   state.CompressedTextures().fChecked ? BST_CHECKED : BST_UNCHECKED);
  p.fShowing = false;
}

void ShowNetwork(Program& p) {
  HWND page = p.fPages[kNetworkPage];
  const SetupSettings& settings = p.fState.Settings();
  p.fShowing = true;
  ::SetDlgItemTextA(page, IDC_USER_NAME, settings.fUserName);
  ::SetDlgItemTextA(page, IDC_PLAYER_FILE, settings.fPlayerFile);
  ::SetDlgItemTextA(page, IDC_SERVER_NAME, settings.fServerName);
  ::SetDlgItemTextA(page, IDC_SESSION_NAME, settings.fSessionName);
  ::SetDlgItemTextA(page, IDC_LOBBY_PORT, settings.fLobbyPort);
  ::CheckDlgButton(page, IDC_NETWORKING, settings.fNetworking ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(page, IDC_RECORDING_LEVEL,
                   settings.fOptimalRecording ? BST_CHECKED : BST_UNCHECKED);
  p.fShowing = false;
}

void ShowPage(Program& p, int shown) {
  for (int i = 0; i < kPageCount; ++i) {
    ::ShowWindow(p.fPages[i], i == shown ? SW_SHOW : SW_HIDE);
  }
}

// --- The pages' controls -------------------------------------------------------

// The selected entry of a list; -1 for none.
int32_t ListSelection(HWND page, int item) {
  const LRESULT index = ::SendDlgItemMessageA(page, item, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : int32_t(index);
}

INT_PTR BasicCommand(Program& p, HWND page, int item, int code) {
  std::string problem;
  switch (item) {
    case IDC_GLIDE:
    case IDC_DIRECT3D:
    case IDC_DX8:
      if (code != BN_CLICKED || !Checked(page, item)) return FALSE;
      p.fState.ClickApi(item == IDC_GLIDE      ? kDeviceTypeGlide
                        : item == IDC_DIRECT3D ? kDeviceTypeDirect3D
                                               : kDeviceTypeDX8Direct3D,
                        &problem);
      ShowBasic(p);
      ShowExpert(p);
      return TRUE;
    case IDC_DEVICE_LIST:
    case IDC_MODE_LIST: {
      if (code != CBN_SELCHANGE) return FALSE;
      const int32_t index = ListSelection(page, item);
      if (index < 0) return TRUE;  // no entry selected: ignored
      if (item == IDC_DEVICE_LIST) {
        p.fState.SelectDeviceEntry(index, &problem);
      } else {
        p.fState.SelectModeEntry(index, &problem);
      }
      ShowBasic(p);
      ShowExpert(p);
      return TRUE;
    }
    case IDC_ANTI_ALIASING:
      if (code != BN_CLICKED) return FALSE;
      p.fState.CheckAntiAliasing(Checked(page, item), &problem);
      return TRUE;
    case IDC_WINDOWED:
      if (code != BN_CLICKED) return FALSE;
      p.fState.CheckWindowed(Checked(page, item), &problem);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR ExpertCommand(Program& p, HWND page, int item, int code) {
  std::string problem;
  if (item == IDC_DEFAULTS) {
    if (code != BN_CLICKED) return FALSE;
    p.fState.PressExpertDefaults();
    ShowExpert(p);
    return TRUE;
  }
  for (const CheckBoxItem& box : kExpertBoxes) {
    if (box.fItem != item) continue;
    if (code != BN_CLICKED) return FALSE;
    p.fState.Check(box.fControl, Checked(page, item), &problem);
    return TRUE;
  }
  return FALSE;
}

// The player file chooser: an open-file dialog in the init directory.
void FindPlayerFile(Program& p, HWND page) {
  char remembered[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, remembered);
  if (length == 0 || length >= MAX_PATH) remembered[0] = '\0';
  if (!::SetCurrentDirectoryA("init")) {
    WarningBox(page, kImproperDirectoryMessage);
    return;
  }
  char path[MAX_PATH] = {};
  char name[MAX_PATH] = {};
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = page;
  dialog.lpstrFilter = "Tessera Player Init Files\0player_*.dat\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = name;
  dialog.nMaxFileTitle = MAX_PATH;
  dialog.lpstrTitle = "Choose Your Avatar Init File";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  const bool chosen = ::GetOpenFileNameA(&dialog) != FALSE;
  if (remembered[0] != '\0') ::SetCurrentDirectoryA(remembered);
  std::string problem;
  if (chosen && !p.fState.ChoosePlayerFile(name, &problem)) WarningBox(page, problem.c_str());
  ShowNetwork(p);
}

INT_PTR NetworkCommand(Program& p, HWND page, int item, int code) {
  std::string problem;
  switch (item) {
    case IDC_DEFAULTS:
      if (code != BN_CLICKED) return FALSE;
      p.fState.PressNetworkDefaults();
      ShowNetwork(p);
      return TRUE;
    case IDC_NETWORKING:
      if (code != BN_CLICKED) return FALSE;
      p.fState.Check(SetupControl::kNetworking, Checked(page, item), &problem);
      return TRUE;
    case IDC_FIND_PLAYER_FILE:
      if (code != BN_CLICKED) return FALSE;
      FindPlayerFile(p, page);
      return TRUE;
    default:
      break;
  }
  for (const EditItem& edit : kNetworkEdits) {
    if (edit.fItem != item) continue;
    if (code != EN_CHANGE || p.fShowing) return FALSE;
    char text[1024] = {};
    ::GetDlgItemTextA(page, item, text, sizeof text);
    if (!p.fState.EditText(edit.fControl, text, &problem)) {
      // A character that the start-up file could not read back: the edit
      // goes back to the kept text.
      ::MessageBeep(MB_ICONWARNING);
      ShowNetwork(p);
      ::SendDlgItemMessageA(page, item, EM_SETSEL, 0x7fff, 0x7fff);
    }
    return TRUE;
  }
  return FALSE;
}

void TrackbarMoved(Program& p, HWND page, HWND bar) {
  const int32_t position = int32_t(::SendMessageA(bar, TBM_GETPOS, 0, 0));
  std::string problem;
  if (page == p.fPages[kBasicPage]) {
    if (::GetDlgCtrlID(bar) == IDC_TEXTURE) p.fState.MoveTextureTrackbar(position, &problem);
    return;
  }
  for (size_t i = 0; i < 5; ++i) {
    if (p.fTrackbars[i] != bar) continue;
    p.fState.MoveTrackbar(kExpertTrackbars[i].fControl, position, &problem);
    if (kExpertTrackbars[i].fControl == SetupControl::kCursorSleep) {
      ::SetDlgItemTextA(page, IDC_CURSOR_SLEEP_LABEL, p.fState.CursorSleepLabel().c_str());
    }
  }
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  Program* p = gProgram;
  if (p == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_HSCROLL:
      if (lParam != 0 && !p->fShowing) TrackbarMoved(*p, page, reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_COMMAND: {
      if (p->fShowing) return FALSE;
      const int item = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (page == p->fPages[kBasicPage]) return BasicCommand(*p, page, item, code);
      if (page == p->fPages[kExpertPage]) return ExpertCommand(*p, page, item, code);
      if (page == p->fPages[kNetworkPage]) return NetworkCommand(*p, page, item, code);
      return FALSE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

// --- The main dialog -------------------------------------------------------------

bool InitializeBasic(Program& p) {
  HWND progress =
      ::CreateDialogParamA(p.fInstance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressProc, 0);
  if (progress != nullptr) ::UpdateWindow(progress);
  const bool started = p.fState.Start();
  if (progress != nullptr) ::DestroyWindow(progress);
  HWND page = p.fPages[kBasicPage];
  if (!started) {
    WarningBox(nullptr, kNoDevicesMessage);
    return false;
  }
  ::SendDlgItemMessageA(page, IDC_TEXTURE, TBM_SETRANGE, TRUE, MAKELPARAM(0, 2));
  ShowBasic(p);
  return true;
}

void InitializeExpert(Program& p) {
  HWND page = p.fPages[kExpertPage];
  for (size_t i = 0; i < 5; ++i) {
    const ControlInfo& info = InfoOf(kExpertTrackbars[i].fControl);
    p.fTrackbars[i] = ::GetDlgItem(page, kExpertTrackbars[i].fItem);
    ::SendMessageA(p.fTrackbars[i], TBM_SETRANGE, TRUE, MAKELPARAM(info.fLow, info.fHigh));
  }
  ShowExpert(p);
}

void InitializeMain(Program& p, HWND main) {
  p.fMain = main;
  p.fTabs = ::GetDlgItem(main, IDC_TABS);
  const char* const names[kPageCount] = {"Basic Settings", "Expert Settings", "Network Settings"};
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMA tab;
    std::memset(&tab, 0, sizeof tab);
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(names[i]);
    ::SendMessageA(p.fTabs, TCM_INSERTITEMA, WPARAM(i), reinterpret_cast<LPARAM>(&tab));
  }
  const int resources[kPageCount] = {IDD_BASIC, IDD_EXPERT, IDD_NETWORK};
  for (int i = 0; i < kPageCount; ++i) {
    p.fPages[i] =
        ::CreateDialogParamA(p.fInstance, MAKEINTRESOURCEA(resources[i]), main, PageProc, 0);
  }
  // The pages sit in the tab control's display area, each keeping its size.
  RECT basic;
  ::GetWindowRect(p.fPages[kBasicPage], &basic);
  RECT area = {0, 0, basic.right - basic.left, basic.bottom - basic.top};
  ::SendMessageA(p.fTabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  POINT corner = {area.left, area.top};
  ::MapWindowPoints(p.fTabs, main, &corner, 1);
  for (HWND page : p.fPages) {
    ::SetWindowPos(page, HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE);
  }
  ShowPage(p, kBasicPage);

  if (!InitializeBasic(p)) {
    ::PostQuitMessage(0);
    return;
  }
  ShowNetwork(p);
  InitializeExpert(p);
}

INT_PTR CALLBACK MainProc(HWND main, UINT message, WPARAM wParam, LPARAM lParam) {
  Program* p = gProgram;
  switch (message) {
    case WM_INITDIALOG:
      InitializeMain(*p, main);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_TABS && header->code == TCN_SELCHANGE) {
        ShowPage(*p, int(::SendMessageA(p->fTabs, TCM_GETCURSEL, 0, 0)));
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        ::ShowWindow(main, SW_HIDE);
        std::string problem;
        if (!p->fState.Accept(&problem, nullptr)) {
          DebugTrace(("--- " + problem + "\n").c_str());
          if (p->fDriver == nullptr) WarningBox(nullptr, kNotSavedMessage);
        }
        ::PostQuitMessage(0);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::PostQuitMessage(0);
        return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      if (p->fDriver != nullptr) {
        const SetupWindows windows = {
            p->fMain,
            p->fTabs,
            {p->fPages[kBasicPage], p->fPages[kExpertPage], p->fPages[kNetworkPage]}};
        p->fDriver->Tick(windows, *p->fSystem);
      }
      return TRUE;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      return TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunSetupProgram(HINSTANCE instance, SetupDialogDriver* driver) {
  // Another copy showing its dialog: this one ends at once.
  if (::FindWindowA("#32770", kSetupTitle) != nullptr) return 0;

  INITCOMMONCONTROLSEX controls;
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_BAR_CLASSES | ICC_TAB_CLASSES;
  ::InitCommonControlsEx(&controls);

  Program program;
  gProgram = &program;
  program.fInstance = instance;
  program.fDriver = driver;
  program.fSettings.ReadInitFile("");

  HWND main = ::CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, MainProc, 0);
  int code = 0;
  if (main != nullptr) {
    ::SetWindowTextA(main, kSetupTitle);
    MSG message;
    // A failed start has posted the quit message: the dialog is never shown.
    if (!::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
      ::ShowWindow(main, SW_SHOW);
      if (driver != nullptr) ::SetTimer(main, 1, 700, nullptr);
    }
    BOOL got;
    while ((got = ::GetMessageA(&message, nullptr, 0, 0)) != 0 && got != -1) {
      if (::IsDialogMessageA(main, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    if (got == 0) code = int(message.wParam);
    ::DestroyWindow(main);
  }
  gProgram = nullptr;
  return code;
}
