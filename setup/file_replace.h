// Replacing a file in one step, for every file the setup program rewrites
// (init/win_init.dat, init/dev_mode.dat).
//
// The new bytes go to a temporary file beside the file they replace, are
// pushed through to the disk, and the temporary file is renamed over the old
// one: a crash or a full disk leaves either the old file or the complete new
// one. A symbolic link stays a link: its final target is what is replaced
// (the temporary file then lies beside the target). The replaced file keeps
// its permission bits.
//
//   FileReplacement file(path);
//   if (!file.Stage(bytes) || !file.Commit()) report(file.Problem());
//
// Two files are replaced together by staging both before committing either.
#ifndef TESSERA_SETUP_FILE_REPLACE_H_
#define TESSERA_SETUP_FILE_REPLACE_H_

#include <cstdio>
#include <string>

class FileReplacement {
 public:
  explicit FileReplacement(std::string path);
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  // Removes a staged temporary file that was not committed.
  ~FileReplacement();

  // Writes `bytes` to the temporary file and pushes them to the disk. False,
  // with Problem() set and no temporary file left, when that fails.
  bool Stage(const std::string& bytes);
  // Renames the staged file over the target. False, with Problem() set and
  // the target untouched, when nothing was staged or the rename fails.
  bool Commit();

  // The path as given, and the file that is replaced (the final target of a
  // symbolic link).
  const std::string& Path() const { return fPath; }
  const std::string& Target() const { return fTarget; }
  // After a failure: "cannot write PATH: REASON", the reason as the system
  // gives it.
  const std::string& Problem() const { return fProblem; }

 private:
  bool Fail(const std::string& reason);

  std::string fPath;
  std::string fTarget;
  std::string fTemporary;
  std::string fProblem;
  bool fStaged = false;
};

// The system's text for the error number `error` (errno).
std::string SystemErrorText(int error);
// Whether `path` names a file that exists and is marked read-only (no write
// permission bit; on Windows the read-only attribute). Such a file is never
// replaced, even by a user whom the system would let replace it.
bool IsReadOnlyFile(const std::string& path);

// FlushToDisk: pushes the file's buffered bytes through to the disk; false
// when any of them could not be written.
bool FlushToDisk(std::FILE* file);
// RenameReplacing: renames `from` to `to`, replacing `to` in one step when it
// exists (a plain rename does not replace on Windows).
bool RenameReplacing(const char* from, const char* to);

#endif  // TESSERA_SETUP_FILE_REPLACE_H_
