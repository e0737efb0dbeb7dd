#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a file looked like when last seen; equal stamps mean the bytes are taken as unchanged.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t modified = 0;   // platform time units
  std::uint64_t identity = 0;   // file index / inode, so a replaced file differs
  bool operator==(const FileStamp&) const = default;
};

// Whole-file operations. Paths are GBK texts.
class Files {
 public:
  virtual ~Files() = default;

  // Names (without path) of the non-directory entries that match pattern, in listing order.
  virtual std::vector<std::string> ListFiles(const std::string& pattern) = 0;
  virtual bool Exists(const std::string& path) = 0;        // file or directory
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  // Copies without ever replacing an existing file.
  virtual bool CopyNew(const std::string& from, const std::string& to) = 0;
  virtual bool Delete(const std::string& path) = 0;

  // Nothing when the file is missing or cannot be read.
  virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
  virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
  // Replaces the whole file atomically (sibling temporary, then rename); the old file stays whole on failure.
  virtual bool ReplaceAll(const std::string& path, const std::string& bytes) = 0;

  // The temporary directory with a trailing backslash, or empty when it cannot be had.
  virtual std::string TempDirectory() = 0;
  // Starts a program with this command line; waits at most 1 s for it to be idle. Failures are silent.
  virtual void StartProgram(const std::string& commandLine) = 0;
};
