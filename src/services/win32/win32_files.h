#pragma once
#include "services/files.h"

class Win32Files : public Files {
 public:
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
};
