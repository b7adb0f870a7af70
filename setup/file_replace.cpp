#include "setup/file_replace.h"

#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>  // _commit, _fileno
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>  // fsync, fileno, readlink
#endif

namespace {

#if defined(_WIN32)
// Links are left to the system on Windows: the path is replaced as given.
bool FinalTarget(const std::string& path, std::string* target, int* error) {
  *target = path;
  *error = 0;
  return true;
}

// The permission bits are kept by the system with the file's attributes.
void KeepPermissions(const std::string&, std::FILE*) {}

int LastRenameError() {
  return int(GetLastError());
}
std::string RenameErrorText(int error) {
  return std::system_category().message(error);
}
#else
// Follows symbolic links from `path` to the file they finally name (which
// need not exist). A link's relative target is taken from the link's own
// directory. False with `error` (ELOOP or readlink's) when there is no end.
bool FinalTarget(const std::string& path, std::string* target, int* error) {
  constexpr int kMaxLinks = 40;
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return true;
    }
    std::vector<char> buffer(info.st_size > 0 ? size_t(info.st_size) + 1 : 4096);
    const ssize_t length = readlink(current.c_str(), buffer.data(), buffer.size());
    if (length < 0 || size_t(length) >= buffer.size()) {
      *error = length < 0 ? errno : ENAMETOOLONG;
      return false;
    }
    std::string link(buffer.data(), size_t(length));
    if (link.empty() || link[0] != '/') {
      const size_t slash = current.rfind('/');
      link = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
    }
    current = link;
  }
  *error = ELOOP;
  return false;
}

// The temporary file takes the permission bits of the file it replaces.
void KeepPermissions(const std::string& target, std::FILE* file) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0) fchmod(fileno(file), info.st_mode & 07777);
}

int LastRenameError() {
  return errno;
}
std::string RenameErrorText(int error) {
  return SystemErrorText(error);
}
#endif

}  // namespace

FileReplacement::FileReplacement(std::string path) : fPath(std::move(path)) {}

FileReplacement::~FileReplacement() {
  if (fStaged) std::remove(fTemporary.c_str());
}

bool FileReplacement::Fail(const std::string& reason) {
  fProblem = "cannot write " + fPath + ": " + reason;
  return false;
}

bool FileReplacement::Stage(const std::string& bytes) {
  if (fStaged) std::remove(fTemporary.c_str());
  fStaged = false;
  int error = 0;
  if (!FinalTarget(fPath, &fTarget, &error)) return Fail(SystemErrorText(error));
  if (IsReadOnlyFile(fTarget)) return Fail(SystemErrorText(EACCES));
  fTemporary = fTarget + ".new";

  errno = 0;
  std::FILE* file = std::fopen(fTemporary.c_str(), "wb");
  if (file == nullptr) return Fail(SystemErrorText(errno));
  KeepPermissions(fTarget, file);
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = written && FlushToDisk(file);
  error = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    std::remove(fTemporary.c_str());
    return Fail(SystemErrorText(error != 0 ? error : EIO));
  }
  fStaged = true;
  return true;
}

bool FileReplacement::Commit() {
  if (!fStaged) return Fail("nothing to write");
  if (!RenameReplacing(fTemporary.c_str(), fTarget.c_str())) {
    const int error = LastRenameError();
    std::remove(fTemporary.c_str());
    fStaged = false;
    return Fail(RenameErrorText(error));
  }
  fStaged = false;
  return true;
}

bool IsReadOnlyFile(const std::string& path) {
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
#endif
}

std::string SystemErrorText(int error) {
  return std::generic_category().message(error);
}

bool FlushToDisk(std::FILE* file) {
  if (file == nullptr || std::fflush(file) != 0) return false;
#if defined(_WIN32)
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

bool RenameReplacing(const char* from, const char* to) {
#if defined(_WIN32)
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from, to) == 0;
#endif
}
