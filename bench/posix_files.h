#pragma once
#include <string>
#include "services/files.h"

// Files on a POSIX file system, for benchmarks that must include real file I/O. Paths are used as
// given ("/" separates). ReplaceAll writes a sibling temporary file and renames it over the target;
// with durable set it also flushes the temporary file to the disk before the rename.
// StartProgram does nothing.
class PosixFiles : public Files {
 public:
  explicit PosixFiles(bool durable = false) : durable_(durable) {}

  std::vector<std::string> ListFiles(const std::string& pattern) override;
  bool Exists(const std::string& path) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool CopyNew(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  bool ReplaceAll(const std::string& path, const std::string& bytes) override;
  std::string TempDirectory() override;
  void StartProgram(const std::string&) override {}

 private:
  bool durable_;
};
