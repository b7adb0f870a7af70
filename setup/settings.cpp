#include "setup/settings.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <system_error>

#include "kit/stream/stream.h"
#include "kit/ascii.h"
#include "setup/file_replace.h"

namespace {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

const char kLineEnd[] = "\r\n";

// Keywords compare without regard to case, in ASCII whatever the locale.
bool SameWord(const char* text, const char* word) {
  return ktSameTextNoCase(text, word);
}

bool StartsWithWord(const char* text, const char* prefix) {
  return ktStartsWithNoCase(text, prefix);
}

// The leading decimal digits of `token`, after an optional sign, as the
// runtime's atoi reads them; no digits give 0. Out-of-range values stop at the
// limits of int32_t instead of wrapping.
int32_t ParseInteger(const char* token) {
  bool negative = false;
  if (*token == '+' || *token == '-') negative = *token++ == '-';
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t value = 0;
  for (; *token >= '0' && *token <= '9'; ++token) {
    value = value * 10 + (*token - '0');
    if (value > limit) value = limit;
  }
  return int32_t(negative ? -value : value);
}

// The leading real number of `token` as the runtime's atof reads it (decimal
// or exponent form, "inf", "nan"); no number gives 0.
double ParseReal(const char* token) {
  bool negative = false;
  if (*token == '+' || *token == '-') negative = *token++ == '-';
  if (*token == '+' || *token == '-') return 0.0;
  double value = 0.0;
  const char* end = token + std::strlen(token);
  const std::from_chars_result result = std::from_chars(token, end, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small or too large for a double: tell the two apart by the sign
    // of the exponent.
    const char* exponent = std::strpbrk(token, "eE");
    value = exponent != nullptr && exponent[1] == '-' ? 0.0 : HUGE_VAL;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

// Truncates toward zero; values beyond int32_t stop at its limits and NaN
// gives 0, where a plain conversion would be undefined.
int32_t TruncateToInteger(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return int32_t(value);
}

// A text field's characters, never reading past the field even when the
// dialog left it without a terminator.
std::string TextOf(const char (&field)[SetupSettings::kTextCapacity]) {
  const void* zero = std::memchr(field, '\0', sizeof field);
  const size_t length =
      zero != nullptr ? size_t(static_cast<const char*>(zero) - field) : sizeof field - 1;
  return std::string(field, length);
}

void AppendInteger(std::string& out, int32_t value) {
  char digits[16];
  const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// "%f" of the C locale: fixed notation with six decimals.
void AppendFixed(std::string& out, double value) {
  char digits[400];
  const std::to_chars_result result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
  out.append(digits, result.ptr);
}

void AppendLine(std::string& out, const char* keyword, int32_t value) {
  out += keyword;
  out += ' ';
  AppendInteger(out, value);
  out += kLineEnd;
}

void AppendTextLine(std::string& out, const char* keyword, const std::string& value) {
  if (value.empty()) return;
  out += keyword;
  out += ' ';
  out += value;
  out += kLineEnd;
}

struct IntegerKeyword {
  const char* name;
  int32_t SetupSettings::*field;
};
const IntegerKeyword kIntegerKeywords[] = {
    {"MouseLookSpeed", &SetupSettings::fMouseLookSpeed},
    {"MousePickSpeed", &SetupSettings::fMousePickSpeed},
    {"WalkSpeed", &SetupSettings::fWalkSpeed},
    {"BackUpSpeed", &SetupSettings::fBackUpSpeed},
    {"StrafeSpeed", &SetupSettings::fStrafeSpeed},
};

struct FlagKeyword {
  const char* name;
  bool SetupSettings::*field;
};
const FlagKeyword kFlagKeywords[] = {
    {"MouseInvert", &SetupSettings::fMouseInvert},
    {"AdvancedMappings", &SetupSettings::fAdvancedMappings},
    {"SoundEnable3D", &SetupSettings::fSound3D},
};

struct TextKeyword {
  const char* name;
  char (SetupSettings::*field)[SetupSettings::kTextCapacity];
};
// The keywords of the multiplayer block.
const TextKeyword kBlockKeywords[] = {
    {"hostname", &SetupSettings::fServerName}, {"servername", &SetupSettings::fServerName},
    {"clientName", &SetupSettings::fUserName}, {"serverport", &SetupSettings::fLobbyPort},
    {"session", &SetupSettings::fSessionName},
};

}  // namespace

SetupSettings::SetupSettings(UserNameSource* userNames) : fUserNames(userNames) {
  ResetInputDefaults();
  ResetNetworkDefaults();
}

void SetupSettings::SetText(char (&field)[kTextCapacity], const char* text) {
  size_t length = 0;
  if (text != nullptr) {
    while (length < kTextCapacity - 1 && text[length] != '\0') ++length;
    std::memcpy(field, text, length);
  }
  field[length] = '\0';
}

bool SetupSettings::ReadsBack(std::string_view text, bool blanksAllowed) {
  for (char c : text) {
    const bool space = c == ' ' || (c >= '\t' && c <= '\r');
    if ((space && !(blanksAllowed && c == ' ')) || c == ',' || c == '=') return false;
  }
  if (!text.empty() && text[0] == '#') return false;
  return !ktSameTextNoCase(text, "skip");
}

void SetupSettings::ResetInputDefaults() {
  fMouseLookSpeed = 5;
  fMousePickSpeed = 5;
  fMouseInvert = false;
  fAdvancedMappings = false;
  fWalkSpeed = 15;
  fBackUpSpeed = 10;
  fStrafeSpeed = 15;
  fSound3D = false;
  fMouseCtrlZone = 6;
  fCursorSleepTime = 5;
}

void SetupSettings::ResetNetworkDefaults() {
  if (fUserNames != nullptr) {
    char name[kTextCapacity] = {};
    // A system name that the start-up file could not read back (an account
    // named "Skip" would open a skip block) is not taken: the field stays as
    // when no name can be had.
    if (fUserNames->LoggedInUserName(name, kTextCapacity)) {
      name[kTextCapacity - 1] = '\0';
      if (ReadsBack(name, true)) SetText(fUserName, name);
    }
  }
  SetText(fServerName, kDefaultServerName);
  SetText(fLobbyPort, kDefaultLobbyPort);
  SetText(fSessionName, kDefaultSessionName);
  SetText(fPlayerFile, kDefaultPlayerFile);
  fOptimalRecording = true;
  fNetworking = false;
}

bool SetupSettings::ReadInitFile(const std::string& gameDirectory) {
  ResetInputDefaults();
  ResetNetworkDefaults();
  mkBufferedFileStream stream;
  if (!stream.Open(InitFilePath(gameDirectory).c_str(), "rb")) return false;
  ReadInit(stream);
  stream.Close();
  return true;
}

void SetupSettings::ReadInit(mkStream& stream) {
  ResetInputDefaults();
  ResetNetworkDefaults();
  char token[kMaxTokenLength + 1];
  auto next = [&] { return stream.ReadToken(token, sizeof token, '#', '\n') != 0; };
  while (next()) {
    bool known = false;
    for (const IntegerKeyword& keyword : kIntegerKeywords) {
      if (!SameWord(token, keyword.name)) continue;
      if (next()) this->*keyword.field = ParseInteger(token);
      known = true;
      break;
    }
    if (known) continue;
    for (const FlagKeyword& keyword : kFlagKeywords) {
      if (!SameWord(token, keyword.name)) continue;
      this->*keyword.field = true;
      known = true;
      break;
    }
    if (known) continue;

    if (SameWord(token, "OptimalRecSettings")) {
      if (next()) fOptimalRecording = ParseInteger(token) != 0;
    } else if (SameWord(token, "SetMouseCtrlZone")) {
      if (next()) fMouseCtrlZone = TruncateToInteger(ParseReal(token) * 20.0);
    } else if (SameWord(token, "SetMouseCtrlLongStillTime")) {
      if (next()) fCursorSleepTime = TruncateToInteger(ParseReal(token));
    } else if (SameWord(token, "playerinit")) {
      // Only a file in the init directory: "init" and a separator of either
      // kind, then the name.
      if (next() && StartsWithWord(token, "init") && (token[4] == '\\' || token[4] == '/')) {
        SetText(fPlayerFile, token + 5);
      }
    } else if (StartsWithWord(token, "multi")) {
      fNetworking = true;
      while (next() && !SameWord(token, "end")) {
        for (const TextKeyword& keyword : kBlockKeywords) {
          if (!SameWord(token, keyword.name)) continue;
          if (next()) SetText(this->*keyword.field, token);
          break;
        }
      }
    }
  }
}

std::string SetupSettings::SectionText() const {
  std::string out;
  AppendLine(out, "MouseLookSpeed", fMouseLookSpeed);
  AppendLine(out, "MousePickSpeed", fMousePickSpeed);
  if (fMouseInvert) out += std::string("MouseInvert") + kLineEnd;
  if (fAdvancedMappings) out += std::string("AdvancedMappings") + kLineEnd;
  AppendLine(out, "WalkSpeed", fWalkSpeed);
  AppendLine(out, "BackUpSpeed", fBackUpSpeed);
  AppendLine(out, "StrafeSpeed", fStrafeSpeed);
  if (fSound3D) out += std::string("SoundEnable3D") + kLineEnd;
  // The zone is kept in steps of 0.05: the single-precision constant, with
  // the product taken in double precision (zone 6 gives 0.300000).
  out += "SetMouseCtrlZone ";
  AppendFixed(out, double(fMouseCtrlZone) * double(0.05f));
  out += kLineEnd;
  out += "SetMouseCtrlLongStillTime ";
  AppendFixed(out, double(fCursorSleepTime));
  out += kLineEnd;
  AppendLine(out, "OptimalRecSettings", fOptimalRecording ? 1 : 0);
  const std::string playerFile = TextOf(fPlayerFile);
  if (!playerFile.empty()) out += "playerinit init\\" + playerFile + kLineEnd;
  if (fNetworking) {
    out += std::string("multiplayer") + kLineEnd;
    out += std::string("\tlayer winsock") + kLineEnd;
    out += std::string("\tprot udp") + kLineEnd;
    std::string userName = TextOf(fUserName);
    for (char& c : userName) {
      if (c == ' ') c = '_';
    }
    AppendTextLine(out, "\tclientname", userName);
    AppendTextLine(out, "\tservername", TextOf(fServerName));
    AppendTextLine(out, "\tserverport", TextOf(fLobbyPort));
    AppendTextLine(out, "\tsession", TextOf(fSessionName));
    out += std::string("end") + kLineEnd;
  }
  return out;
}

namespace {

// The end of the part of the start-up file to keep: up to and including the
// first marker line with its line break, or the whole file when there is no
// marker. A line is every byte up to a CR or LF, whatever those bytes are,
// and the marker line is exactly the marker's bytes; lines "skip" to "piks"
// (any case, nested) are passed over. `breakLine` tells that the kept part
// ends inside a line; `openBlocks` how many skip blocks are still open at
// the end of a file without a marker.
size_t KeptLength(const std::string& bytes, bool* marker, bool* breakLine, size_t* openBlocks) {
  const std::string_view text(bytes);
  const std::string_view markerText(SetupSettings::kMarker);
  size_t skipDepth = 0;
  *openBlocks = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    const std::string_view line = text.substr(start, end - start);
    if (ktSameTextNoCase(line, "skip")) {
      ++skipDepth;
    } else if (skipDepth > 0 && ktSameTextNoCase(line, "piks")) {
      --skipDepth;
    } else if (skipDepth == 0 && line == markerText) {
      *marker = true;
      // One line break belongs to the marker line: CR LF, CR or LF.
      if (end < text.size() && text[end] == '\r') ++end;
      if (end < text.size() && text[end] == '\n' && text[end - 1] != '\n') ++end;
      *breakLine =
          end == text.size() && (end == 0 || (text[end - 1] != '\r' && text[end - 1] != '\n'));
      return end;
    }
    start = end + 1;
  }
  *marker = false;
  *breakLine = !text.empty() && text.back() != '\r' && text.back() != '\n';
  *openBlocks = skipDepth;
  return text.size();
}

}  // namespace

SetupSettings::InitFileUpdate SetupSettings::ComposeInitFile(const std::string& gameDirectory,
                                                             std::string* bytes,
                                                             std::string* problem) const {
  const std::string path = InitFilePath(gameDirectory);
  // Opened for update although it is only read here: a file that cannot be
  // updated is left alone, and a missing file is not created.
  errno = 0;
  std::FILE* file = IsReadOnlyFile(path) ? nullptr : std::fopen(path.c_str(), "r+b");
  if (file == nullptr && errno == 0) errno = EACCES;  // read-only
  if (file == nullptr) {
    if (errno == ENOENT) return InitFileUpdate::kMissing;
    if (problem != nullptr)
      *problem = "cannot open " + path + " for update: " + SystemErrorText(errno);
    return InitFileUpdate::kFailed;
  }
  std::string old;
  char chunk[4096];
  size_t count = 0;
  bool tooLarge = false;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (old.size() + count > kMaxInitFileBytes) {
      tooLarge = true;
      break;
    }
    old.append(chunk, count);
  }
  const int error = std::ferror(file) != 0 ? errno : 0;
  std::fclose(file);
  if (tooLarge || error != 0) {
    if (problem != nullptr) {
      *problem = tooLarge ? path + " is larger than 16 MB"
                          : "cannot read " + path + ": " + SystemErrorText(error);
    }
    return InitFileUpdate::kFailed;
  }

  *bytes = ComposeInitText(old);
  return InitFileUpdate::kReady;
}

std::string SetupSettings::ComposeInitText(const std::string& old) const {
  bool marker = false;
  bool breakLine = false;
  size_t openBlocks = 0;
  const size_t keep = KeptLength(old, &marker, &breakLine, &openBlocks);
  std::string bytes = old.substr(0, keep);
  if (breakLine) bytes += kLineEnd;
  // A skip block left open by the engine's part would swallow the marker and
  // the section: no reader would see them, and every rewrite would append
  // another pair. Each open block is closed first.
  for (size_t i = 0; i < openBlocks; ++i) bytes += std::string("piks") + kLineEnd;
  if (!marker) bytes += std::string(kMarker) + kLineEnd;
  bytes += SectionText();
  return bytes;
}

bool SetupSettings::WriteInitFile(const std::string& gameDirectory, std::string* problem) const {
  std::string bytes;
  if (ComposeInitFile(gameDirectory, &bytes, problem) != InitFileUpdate::kReady) return false;
  FileReplacement file(InitFilePath(gameDirectory));
  if (file.Stage(bytes) && file.Commit()) return true;
  if (problem != nullptr) *problem = file.Problem();
  return false;
}

std::string InitFilePath(const std::string& gameDirectory) {
  std::string path = gameDirectory;
  if (!path.empty() && path.back() != '/' && path.back() != kPathSeparator) {
    path += kPathSeparator;
  }
  path += "init";
  path += kPathSeparator;
  path += "win_init.dat";
  return path;
}
