#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>
#include "services/files.h"

// An in-memory Files for tests, behaving like a Windows file system where it matters:
// - Paths are GBK texts; "\" and "/" both separate, and paths match ignoring ASCII letter case
//   (never folding the second byte of a double-byte character). A listing shows names as created.
// - Directories need not exist to write into them. Exists() is true for a file, for a directory
//   added with AddDirectory(), and for every directory that holds a file.
// - Every write (Put, ReplaceAll) gives the file a new stamp: its modified time advances, and
//   ReplaceAll also gives it a new identity (a new file renamed over the old one). Put keeps the
//   identity of an existing file, as an editor saving in place does. Move keeps the stamp.
// - Move and CopyNew fail when the target exists or the source is missing; Delete fails on a
//   missing file. FailNext() makes the next calls of one operation fail (false, nothing or an
//   empty list), leaving everything as it was. SetUnreadable() makes ReadAll fail on a file that
//   still exists and has a stamp. Calls() counts every call of the port by operation.
// - ListFiles("dir\\*.kpx") matches "*" (any run) and "?" (one character) against the names of the
//   files directly in dir, ignoring letter case, and lists them sorted by that folded name.
// - StartProgram only records its command lines.
// Source kept ASCII-only: the fuzz targets compile it with clang.
class MemoryFiles : public Files {
 public:
  enum class Op { ListFiles, Exists, Move, CopyNew, Delete, ReadAll, Stamp, ReplaceAll, TempDirectory, StartProgram };

  std::vector<std::string> ListFiles(const std::string& pattern) override;
  bool Exists(const std::string& path) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool CopyNew(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  bool ReplaceAll(const std::string& path, const std::string& bytes) override;
  std::string TempDirectory() override;
  void StartProgram(const std::string& commandLine) override;

  // Creates or overwrites a file, as a user or another program would.
  void Put(const std::string& path, std::string bytes);
  // The bytes of a file, unreadable or not; nothing when it does not exist.
  std::optional<std::string> Get(const std::string& path) const;
  // Every file path, as created, sorted by folded path.
  std::vector<std::string> Paths() const;
  void AddDirectory(const std::string& path);
  void SetUnreadable(const std::string& path, bool unreadable = true);
  // The next `times` calls of op fail without changing anything (StartProgram records nothing).
  void FailNext(Op op, int times = 1);
  // With a trailing backslash; empty means none can be had.
  void SetTempDirectory(std::string directory) { tempDirectory_ = std::move(directory); }
  const std::vector<std::string>& StartedPrograms() const { return startedPrograms_; }
  // How often op has been called, failed calls included.
  int Calls(Op op) const;

 private:
  struct File {
    std::string path;   // as created
    std::string bytes;
    FileStamp stamp;
    bool unreadable = false;
  };
  bool Failing(Op op);
  File* Find(const std::string& path);
  void Touch(File& file, bool newIdentity);

  std::map<std::string, File> files_;        // by folded path
  std::map<std::string, std::string> directories_;  // folded -> as added
  std::map<Op, int> failures_;
  std::map<Op, int> calls_;
  std::string tempDirectory_ = "C:\\Temp\\";
  std::vector<std::string> startedPrograms_;
  std::uint64_t clock_ = 0;
  std::uint64_t nextIdentity_ = 1;
};
