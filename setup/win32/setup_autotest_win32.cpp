// setup_autotest.exe: the setup dialog worked by a test, for the Wine test
// only (never installed into a game folder). It runs the same dialog code
// and resources as setup.exe, which must sit in the same folder:
//
//   setup_autotest.exe run DIR        record the controls, make a few changes
//                                     through them, save a picture of each
//                                     page, check a second copy, press OK
//   setup_autotest.exe cancel DIR     press Esc at once
//   setup_autotest.exe arguments DIR  check that setup.exe ignores arguments
//
// `run` writes into DIR: controls.txt (every control of the main dialog and
// the pages: page, id, class, text, style, extended style, rectangle in
// dialog units),
// tabs.txt (what each click on a tab showed), basic.bmp, expert.bmp and
// network.bmp, detected.profile (the hardware detection found) and
// second-copy.txt (how setup.exe started beside the dialog ended).
// `arguments` starts setup.exe with this program's own switches, checks that
// it shows its dialog and does nothing by itself, closes it and writes the
// outcome to DIR/arguments.txt.
// clang-format off
#include "setup/win32/setup_dialog.h"
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "setup/dialog_state.h"
#include "setup/platform.h"
#include "setup/profile_writer.h"
#include "setup/win32/resource.h"

namespace {

const char* const kPageNames[kPageCount] = {"basic", "expert", "network"};

void WriteText(const std::string& path, const std::string& text) {
  if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
}

// setup.exe in this program's folder.
std::string ShippedProgram() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  const size_t slash = folder.find_last_of("\\/");
  folder.erase(slash == std::string::npos ? 0 : slash + 1);
  return folder + "setup.exe";
}

bool StartProgram(const std::string& program, const std::string& arguments,
                  PROCESS_INFORMATION* process) {
  std::string commandLine = "\"" + program + "\"" + arguments;
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  return ::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, process) != FALSE;
}

// Waits up to `milliseconds` for the process's end: "ended with exit code N"
// or "was still running".
std::string AwaitEnd(const PROCESS_INFORMATION& process, DWORD milliseconds) {
  if (::WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0) {
    return "was still running";
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  return "ended with exit code " + std::to_string(code);
}

// --- The controls as created -------------------------------------------------------

// The dialog-unit value that a dialog maps to `pixels` (one of x, y, width,
// height), or the pixels after '~' when no value maps there.
std::string DialogUnits(HWND dialog, int pixels, bool vertical) {
  RECT base = {0, 0, 4, 8};
  ::MapDialogRect(dialog, &base);
  const int perFour = vertical ? base.bottom : base.right;
  const int guess = perFour > 0 ? pixels * (vertical ? 8 : 4) / perFour : 0;
  for (int units = guess - 2; units <= guess + 2; ++units) {
    RECT r = {units, units, units, units};
    ::MapDialogRect(dialog, &r);
    if ((vertical ? r.top : r.left) == pixels) return std::to_string(units);
  }
  return "~" + std::to_string(pixels);
}

// The text a control was created with, as the record shows it: a bitmap's
// resource number as "#N"; nothing for lists and edits, whose text comes
// from detection and the settings.
std::string CreatedText(HWND control, const char* className) {
  if (std::strcmp(className, "ComboBox") == 0 || std::strcmp(className, "Edit") == 0) return "";
  char text[256] = {};
  ::GetWindowTextA(control, text, sizeof text);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  if (bytes[0] == 0xff) return "#" + std::to_string(bytes[1] | bytes[2] << 8);
  return text;
}

void RecordControl(HWND dialog, const char* page, HWND control, std::string* out) {
  char className[64] = {};
  ::GetClassNameA(control, className, sizeof className);
  RECT r;
  ::GetWindowRect(control, &r);
  if (std::strcmp(className, "ComboBox") == 0) {
    // A drop-down list's height is its height when dropped down.
    RECT dropped;
    ::SendMessageA(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    if (dropped.bottom > r.bottom) r.bottom = dropped.bottom;
  }
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  char style[32];
  std::snprintf(style, sizeof style, "0x%08lx 0x%08lx",
                static_cast<unsigned long>(::GetWindowLongA(control, GWL_STYLE)),
                static_cast<unsigned long>(::GetWindowLongA(control, GWL_EXSTYLE)));
  *out += std::string(page) + " " + std::to_string(::GetDlgCtrlID(control)) + " " + className +
          " \"" + CreatedText(control, className) + "\" " + style + " " +
          DialogUnits(dialog, r.left, false) + "," + DialogUnits(dialog, r.top, true) + "," +
          DialogUnits(dialog, r.right - r.left, false) + "," +
          DialogUnits(dialog, r.bottom - r.top, true) + "\n";
}

// Every control of the main dialog (its tabs too) and of each page, in the
// order of the dialog resources.
std::string RecordControls(const SetupWindows& w) {
  std::string out;
  for (HWND child = ::GetWindow(w.fMain, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    bool isPage = false;
    for (HWND page : w.fPages) isPage = isPage || child == page;
    if (!isPage) RecordControl(w.fMain, "main", child, &out);
  }
  const int tabs = int(::SendMessageA(w.fTabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < tabs; ++i) {
    char text[64] = {};
    TCITEMA item;
    std::memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(w.fTabs, TCM_GETITEMA, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    out += "tab " + std::to_string(i) + " \"" + text + "\"\n";
  }
  for (int i = 0; i < kPageCount; ++i) {
    for (HWND child = ::GetWindow(w.fPages[i], GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      RecordControl(w.fPages[i], kPageNames[i], child, &out);
    }
  }
  return out;
}

// --- Working the controls ----------------------------------------------------------

// A click on a tab, as the mouse gives it to the tab control, which then
// tells the main dialog with its own notifications. Returns what it showed:
// "TEXT: tab N selected, page P shown".
std::string ClickTab(const SetupWindows& w, int index) {
  RECT item;
  std::string result = "tab " + std::to_string(index) + " clicked: ";
  if (!::SendMessageA(w.fTabs, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&item))) {
    return result + "no such tab\n";
  }
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  ::SendMessageA(w.fTabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(w.fTabs, WM_LBUTTONUP, 0, at);
  ::RedrawWindow(w.fMain, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  result += "tab " + std::to_string(::SendMessageA(w.fTabs, TCM_GETCURSEL, 0, 0)) + " selected,";
  for (int i = 0; i < kPageCount; ++i) {
    if (::IsWindowVisible(w.fPages[i])) result += std::string(" ") + kPageNames[i] + " shown";
  }
  return result + "\n";
}

// Moves a trackbar as the player would: its position, then its notification.
void MoveTrackbar(HWND page, int item, int position) {
  HWND bar = ::GetDlgItem(page, item);
  ::SendMessageA(bar, TBM_SETPOS, TRUE, position);
  ::SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar));
}

void Click(HWND page, int item) {
  ::SendDlgItemMessageA(page, item, BM_CLICK, 0, 0);
}

// Saves the window as it is on the screen as a 24-bit BMP.
bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT r;
  if (!::GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = DWORD((width * 3 + 3) & ~3);
    const DWORD imageBytes = stride * DWORD(height);
    BITMAPFILEHEADER file;
    std::memset(&file, 0, sizeof file);
    file.bfType = 0x4d42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
      saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, imageBytes, 1, out) == 1;
      saved = std::fclose(out) == 0 && saved;
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return saved;
}

// The test run, one step per tick: each page is shown one tick before its
// picture is taken, so that it has been painted.
class TestRun : public SetupDialogDriver {
 public:
  TestRun(std::string directory, bool cancel) : fDirectory(std::move(directory)), fCancel(cancel) {}

  void Tick(const SetupWindows& w, SystemApi& system) override {
    const std::string& dir = fDirectory;
    HWND basic = w.fPages[kBasicPage];
    HWND expert = w.fPages[kExpertPage];
    HWND network = w.fPages[kNetworkPage];
    if (fCancel) {
      // Esc, as the keyboard gives it to the control that has the focus.
      HWND focus = ::GetFocus();
      ::PostMessageA(focus != nullptr ? focus : w.fMain, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
    switch (fStep++) {
      case 0: {
        WriteText(dir + "\\controls.txt", RecordControls(w));
        WriteHardwareProfile(system, dir + "\\detected.profile");
        // The single-instance rule: setup.exe ends at once beside this dialog.
        PROCESS_INFORMATION process;
        std::string second = "could not be started";
        if (StartProgram(ShippedProgram(), "", &process)) {
          second = AwaitEnd(process, 20000);
          if (second == "was still running") ::TerminateProcess(process.hProcess, 1);
          ::CloseHandle(process.hThread);
          ::CloseHandle(process.hProcess);
        }
        WriteText(dir + "\\second-copy.txt", second + "\n");
        MoveTrackbar(basic, IDC_TEXTURE, 1);
        break;
      }
      case 1:
        SaveWindowPicture(w.fMain, dir + "\\basic.bmp");
        fTabs += ClickTab(w, kExpertPage);
        MoveTrackbar(expert, IDC_WALKING_SPEED, 8);
        MoveTrackbar(expert, IDC_CURSOR_SLEEP, 12);
        Click(expert, IDC_INVERT_MOUSE);
        break;
      case 2:
        SaveWindowPicture(w.fMain, dir + "\\expert.bmp");
        fTabs += ClickTab(w, kNetworkPage);
        ::SetDlgItemTextA(network, IDC_USER_NAME, "Wine Tester");
        ::SetDlgItemTextA(network, IDC_SESSION_NAME, "night");
        Click(network, IDC_NETWORKING);
        break;
      case 3:
        SaveWindowPicture(w.fMain, dir + "\\network.bmp");
        fTabs += ClickTab(w, kBasicPage);
        WriteText(dir + "\\tabs.txt", fTabs);
        ::SendMessageA(w.fMain, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        break;
      default:
        break;
    }
  }

 private:
  std::string fDirectory;
  bool fCancel;
  int fStep = 0;
  std::string fTabs;
};

// setup.exe given this program's switches must show its dialog and wait for
// the player: it is closed after a few seconds, in which the test run would
// have pressed OK and the cancel run Esc.
int CheckArguments(const std::string& dir) {
  const std::string arguments = " --autotest " + dir + " --autotest-cancel " + dir + " run " + dir;
  PROCESS_INFORMATION process;
  std::string result = "could not be started";
  if (StartProgram(ShippedProgram(), arguments, &process)) {
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && dialog == nullptr; ++i) {
      if (::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
      dialog = ::FindWindowA("#32770", kSetupTitle);
    }
    if (dialog == nullptr) {
      result = "showed no dialog and " + AwaitEnd(process, 0);
    } else {
      const std::string waited = AwaitEnd(process, 5000);
      if (waited != "was still running") {
        result = "showed its dialog and " + waited + " by itself";
      } else {
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
        result = "showed its dialog until closed and " + AwaitEnd(process, 20000);
      }
    }
    if (result.find("was still running") != std::string::npos) {
      ::TerminateProcess(process.hProcess, 1);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  WriteText(dir + "\\arguments.txt", result + "\n");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc != 3) return 2;
  const std::string mode = __argv[1];
  const std::string dir = __argv[2];
  if (mode == "arguments") return CheckArguments(dir);
  if (mode != "run" && mode != "cancel") return 2;
  TestRun run(dir, mode == "cancel");
  return RunSetupProgram(instance, &run);
}
