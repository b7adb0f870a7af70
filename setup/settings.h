// The player's input, sound, user and network settings, and the engine's
// start-up file that keeps them.
//
// The settings live in the engine's start-up file "init\win_init.dat" (on
// systems whose paths use '/', the file win_init.dat in the directory init
// under the game directory). The file belongs to the game: the engine's own
// lines come first, and the setup program owns only the section after the
// marker line "### Tessera Setup Overrides ###". At start the program reads
// the whole file into SetupSettings (ReadInitFile); on OK it rewrites its own
// section and keeps every byte before it (WriteInitFile).
//
//   SetupSettings settings(&userNames);
//   settings.ReadInitFile(gameDirectory);   // defaults, then the file's keywords
//   ...the dialog edits the fields...
//   settings.WriteInitFile(gameDirectory);  // on OK
//
// The file is never rewritten in place: the new file is written next to the
// old one and renamed over it (file_replace.h), so a crash or a full disk
// leaves either the old file or the complete new one.
#ifndef TESSERA_SETUP_SETTINGS_H_
#define TESSERA_SETUP_SETTINGS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class mkStream;

// The platform's answer to "who is logged in". The setup program's platform
// layer implements it (on Windows with GetUserNameA); tests supply their own.
class UserNameSource {
 public:
  // Stores the logged-in user's name, zero-terminated, into `buffer` of
  // `capacity` bytes. False when the name cannot be had.
  virtual bool LoggedInUserName(char* buffer, uint32_t capacity) = 0;

 protected:
  ~UserNameSource() = default;
};

// One per process. The dialog reads and writes the fields directly; the
// trackbar ranges bound what the dialog produces, while values read from the
// file are kept as read.
struct SetupSettings {
  // Every text field: 255 characters and the terminating zero. Longer texts
  // are cut.
  static constexpr size_t kTextCapacity = 256;
  // Tokens of the start-up file longer than this many characters are cut.
  static constexpr size_t kMaxTokenLength = 511;
  static constexpr const char* kMarker = "### Tessera Setup Overrides ###";
  // The largest start-up file that is rewritten.
  static constexpr size_t kMaxInitFileBytes = 16u << 20;
  static constexpr const char* kDefaultServerName = "lobby.tessera.example";
  static constexpr const char* kDefaultLobbyPort = "5001";
  static constexpr const char* kDefaultSessionName = "demo";
  static constexpr const char* kDefaultPlayerFile = "Player_init.dat";

  // `userNames` gives the default user name; it may be null (the user name
  // then keeps its value) and must outlive the settings.
  explicit SetupSettings(UserNameSource* userNames = nullptr);

  // The Expert page's defaults: speeds 5, 5, walk 15, back-up 10, strafe 15,
  // zone 6, cursor sleep 5 s, every flag off.
  void ResetInputDefaults();
  // The Network page's defaults: the logged-in user's name (kept as it is
  // when it cannot be had), the default server, port "5001", session "demo",
  // player file "Player_init.dat", optimal recording on, networking off.
  void ResetNetworkDefaults();

  // Resets both groups to their defaults, then reads every keyword of the
  // start-up file under `gameDirectory` ("" for the current directory),
  // including those of the engine's own part. False when the file cannot be
  // opened; the defaults then stand.
  //
  // Numbers are read as the runtime's atoi and atof read them, but stop at
  // the limits of int32_t instead of overflowing (NaN gives 0). A playerinit
  // value counts only as "init", a separator of either kind and the name;
  // any other value leaves the player file as it is.
  bool ReadInitFile(const std::string& gameDirectory);
  // Resets both groups and reads the keywords of `stream` as ReadInitFile
  // reads those of the file.
  void ReadInit(mkStream& stream);

  // Replaces the setup section of the start-up file under `gameDirectory`
  // with these settings; every byte up to and including the first marker
  // line stays as it was. The marker line holds exactly the marker's bytes
  // up to its line break (CR, LF or both), in the same case, outside skip
  // blocks. A file without it gets it appended (after a line break when its
  // last line has none). False, with the file unchanged, when the file does
  // not exist or cannot be opened for update, or when the new file cannot
  // be written completely; `problem` (may be null) then names the file and
  // the system's reason, except for a missing file.
  bool WriteInitFile(const std::string& gameDirectory, std::string* problem = nullptr) const;

  enum class InitFileUpdate {
    kReady,    // `bytes` holds the new file
    kMissing,  // there is no file: none is made
    kFailed,   // it cannot be opened for update or read; see `problem`
  };
  // The new start-up file that WriteInitFile would write, for a caller that
  // writes it together with another file. Files beyond kMaxInitFileBytes
  // are refused.
  InitFileUpdate ComposeInitFile(const std::string& gameDirectory, std::string* bytes,
                                 std::string* problem) const;

  // The setup section as written, lines ending in CR LF, without the marker
  // line. Text values with no characters are left out of the multiplayer
  // block: an empty value would make every reader take the next keyword as
  // the value.
  std::string SectionText() const;
  // The new start-up file made from the old file's bytes `old`: every byte
  // up to and including the first marker line, then the setup section (as
  // ComposeInitFile describes).
  std::string ComposeInitText(const std::string& old) const;

  // Copies `text` into a text field, cut to kTextCapacity - 1 characters.
  static void SetText(char (&field)[kTextCapacity], const char* text);
  // Whether the start-up file's reader gives `text` back whole as the value
  // of a text field: no white space (blanks only when `blanksAllowed`, as
  // for the user name, whose blanks are written as '_'), no ',' or '=', no
  // leading '#', and not the word "skip" in any case.
  static bool ReadsBack(std::string_view text, bool blanksAllowed);

  // Defaults as set by the two Reset operations, which the constructor runs.
  int32_t fMouseLookSpeed = 0;
  int32_t fMousePickSpeed = 0;
  bool fMouseInvert = false;
  bool fAdvancedMappings = false;
  int32_t fWalkSpeed = 0;
  int32_t fBackUpSpeed = 0;
  int32_t fStrafeSpeed = 0;
  bool fSound3D = false;
  int32_t fMouseCtrlZone = 0;    // in steps of 0.05
  int32_t fCursorSleepTime = 0;  // seconds
  bool fOptimalRecording = false;
  bool fNetworking = false;
  char fUserName[kTextCapacity] = {};
  char fPlayerFile[kTextCapacity] = {};
  char fServerName[kTextCapacity] = {};
  char fLobbyPort[kTextCapacity] = {};
  char fSessionName[kTextCapacity] = {};

  UserNameSource* fUserNames = nullptr;
};

// The path of the start-up file under `gameDirectory`: init\win_init.dat on
// Windows, init/win_init.dat elsewhere; `gameDirectory` "" means the current
// directory.
std::string InitFilePath(const std::string& gameDirectory);

#endif  // TESSERA_SETUP_SETTINGS_H_
