#include "posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::vector<std::string> PosixFiles::ListFiles(const std::string& pattern) {
  std::size_t slash = pattern.rfind('/');
  std::string directory = slash == std::string::npos ? "." : pattern.substr(0, slash);
  std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  std::vector<std::string> names;
  DIR* dir = ::opendir(directory.c_str());
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    struct stat st;
    std::string full = directory + "/" + entry->d_name;
    if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::fnmatch(namePattern.c_str(), entry->d_name, FNM_CASEFOLD) == 0) {
      names.push_back(entry->d_name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool PosixFiles::Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool PosixFiles::Move(const std::string& from, const std::string& to) {
  // Like MoveFile: never over an existing file.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  return ::unlink(from.c_str()) == 0;
}

bool PosixFiles::CopyNew(const std::string& from, const std::string& to) {
  std::optional<std::string> bytes = ReadAll(from);
  if (!bytes) return false;
  int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes->data(), bytes->size());
  ok = ::close(fd) == 0 && ok;
  if (!ok) ::unlink(to.c_str());
  return ok;
}

bool PosixFiles::Delete(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::optional<std::string> PosixFiles::ReadAll(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  struct stat st;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::optional<FileStamp> PosixFiles::Stamp(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.modified = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                   static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
  stamp.identity = (static_cast<std::uint64_t>(st.st_dev) << 48) ^ static_cast<std::uint64_t>(st.st_ino);
  return stamp;
}

bool PosixFiles::ReplaceAll(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes.data(), bytes.size()) && (!durable_ || ::fsync(fd) == 0);
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::chmod(temporary.c_str(), 0644) == 0;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

std::string PosixFiles::TempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string directory = dir && *dir ? dir : "/tmp";
  if (directory.back() != '/') directory += '/';
  return directory;
}
