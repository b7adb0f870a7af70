#include "script/windows_search.h"

#include <algorithm>

namespace script::windows {

const char kForwarderName[] = "python3.dll";

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The directory without trailing separators, except the one of a drive's
// root ("C:\").
std::string WithoutTrailingSeparators(std::string dir) {
  while (dir.size() > 1 && IsSeparator(dir.back()) && !(dir.size() == 3 && dir[1] == ':'))
    dir.pop_back();
  return dir;
}

// The form in which two directories are compared.
std::string ComparisonKey(const std::string& dir) {
  std::string key = WithoutTrailingSeparators(dir);
  for (char& c : key) c = IsSeparator(c) ? '\\' : AsciiLower(c);
  if (key.size() == 3 && key[1] == ':') key.pop_back();
  return key;
}

std::string Shown(const std::string& path) {
  if (path.size() <= kMaxShownPath) return path;
  const size_t head = kMaxShownPath / 3;
  const size_t tail = kMaxShownPath - head - 3;
  return path.substr(0, head) + "..." + path.substr(path.size() - tail);
}

// Collects the candidates, each directory once.
class Candidates {
 public:
  explicit Candidates(PythonSearch& search) : search_(search) {}

  bool Add(const std::string& dir) {
    if (!IsAbsolute(dir)) return false;
    const std::string key = ComparisonKey(dir);
    if (std::find(seen_.begin(), seen_.end(), key) != seen_.end()) return false;
    seen_.push_back(key);
    const std::string home = WithoutTrailingSeparators(dir);
    const bool root = IsSeparator(home.back());
    search_.candidates.push_back({home + (root ? "" : "\\") + kForwarderName, home});
    return true;
  }

 private:
  PythonSearch& search_;
  std::vector<std::string> seen_;
};

// PATH's entries: separated by ";", each possibly in double quotes (which
// may hold a ";"), blanks around them ignored.
std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> entries;
  std::string entry;
  bool quoted = false;
  auto finish = [&] {
    const size_t first = entry.find_first_not_of(' ');
    const size_t last = entry.find_last_not_of(' ');
    if (first != std::string::npos) entries.push_back(entry.substr(first, last - first + 1));
    entry.clear();
  };
  for (char c : path) {
    if (c == '"')
      quoted = !quoted;
    else if (c == ';' && !quoted)
      finish();
    else
      entry += c;
  }
  finish();
  return entries;
}

}  // namespace

int RegistryVersionMinor(const std::string& keyName) {
  // "3." then 1 to 3 digits without a leading zero, then exactly "-32".
  if (keyName.size() < 6 || keyName.compare(0, 2, "3.") != 0) return -1;
  size_t i = 2;
  int minor = 0;
  while (i < keyName.size() && IsDigit(keyName[i]) && i < 5)
    minor = minor * 10 + (keyName[i++] - '0');
  const size_t digits = i - 2;
  if (digits == 0 || (digits > 1 && keyName[2] == '0')) return -1;
  if (keyName.compare(i, std::string::npos, "-32") != 0) return -1;
  return minor >= kPythonFloorMinor ? minor : -1;
}

bool IsAbsolute(const std::string& path) {
  if (path.size() >= 3 &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
      path[1] == ':' && IsSeparator(path[2]))
    return true;
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

PythonSearch OrderWindowsSearch(const WindowsPlaces& places) {
  PythonSearch search;
  Candidates candidates(search);
  if (places.variableSet) {
    candidates.Add(places.variable);
    search.searched = std::string(kPythonVariable) + "=" + Shown(places.variable);
    return search;
  }

  std::vector<std::string> shown;
  if (candidates.Add(places.engineFolder)) shown.push_back(Shown(places.engineFolder));

  // Newest first; stable, so that the current user's come before the
  // machine's of the same version.
  struct Version {
    int minor;
    const RegistryInstall* install;
  };
  std::vector<Version> versions;
  for (const auto* list : {&places.currentUser, &places.localMachine})
    for (const RegistryInstall& install : *list) {
      const int minor = RegistryVersionMinor(install.keyName);
      if (minor >= 0) versions.push_back({minor, &install});
    }
  std::stable_sort(versions.begin(), versions.end(),
                   [](const Version& a, const Version& b) { return a.minor > b.minor; });
  if (versions.size() > kMaxRegistryVersions) versions.resize(kMaxRegistryVersions);
  std::string registry;
  for (const Version& v : versions) {
    if (!candidates.Add(v.install->installPath)) continue;
    registry += (registry.empty() ? "registry: " : ", ") + v.install->keyName + " " +
                Shown(v.install->installPath);
  }
  if (registry.empty())
    registry = "registry: no 32-bit Python 3." + std::to_string(kPythonFloorMinor) + "+";
  shown.push_back(registry);

  size_t fromPath = 0;
  for (const std::string& dir : SplitPath(places.path))
    if (candidates.Add(dir)) ++fromPath;
  shown.push_back("PATH: " + (fromPath == 0 ? std::string("no further folder")
                                            : std::to_string(fromPath) +
                                                  (fromPath == 1 ? " folder" : " folders")));

  for (const std::string& piece : shown)
    search.searched += (search.searched.empty() ? "" : "; ") + piece;
  return search;
}

}  // namespace script::windows
