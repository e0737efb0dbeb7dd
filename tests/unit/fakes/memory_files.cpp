#include "fakes/memory_files.h"

#include <algorithm>
#include <cstddef>

namespace {

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

std::size_t CharLength(const std::string& s, std::size_t i) {
  return IsLeadByte(s[i]) && i + 1 < s.size() && IsTrailByte(s[i + 1]) ? 2 : 1;
}

// One spelling per path: lower-case ASCII letters and "\" as the separator.
std::string Fold(const std::string& path) {
  std::string folded = path;
  for (std::size_t i = 0; i < folded.size();) {
    std::size_t n = CharLength(folded, i);
    if (n == 1) {
      char& c = folded[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c == '/') c = '\\';
    }
    i += n;
  }
  return folded;
}

// Position of the last separator of a folded path, or npos.
std::size_t LastSeparator(const std::string& folded) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < folded.size(); i += CharLength(folded, i)) {
    if (folded[i] == '\\') last = i;
  }
  return last;
}

std::string DirectoryOf(const std::string& folded) {
  std::size_t sep = LastSeparator(folded);
  return sep == std::string::npos ? std::string() : folded.substr(0, sep);
}

std::string NameOf(const std::string& path) {
  std::size_t sep = LastSeparator(Fold(path));
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string WithoutTrailingSeparator(std::string folded) {
  while (!folded.empty() && folded.back() == '\\' && LastSeparator(folded) == folded.size() - 1) {
    folded.pop_back();
  }
  return folded;
}

// Wildcard match of folded texts, character by character.
bool Matches(const std::string& pattern, std::size_t p, const std::string& name, std::size_t n) {
  while (p < pattern.size()) {
    if (pattern[p] == '*') {
      while (p < pattern.size() && pattern[p] == '*') ++p;
      if (p == pattern.size()) return true;
      for (std::size_t k = n; k <= name.size(); k += (k < name.size() ? CharLength(name, k) : 1)) {
        if (Matches(pattern, p, name, k)) return true;
      }
      return false;
    }
    if (n >= name.size()) return false;
    std::size_t pl = CharLength(pattern, p);
    std::size_t nl = CharLength(name, n);
    if (!(pattern[p] == '?' && pl == 1) &&
        (pl != nl || pattern.compare(p, pl, name, n, nl) != 0)) {
      return false;
    }
    p += pl;
    n += nl;
  }
  return n == name.size();
}

}  // namespace

bool MemoryFiles::Failing(Op op) {
  ++calls_[op];
  auto it = failures_.find(op);
  if (it == failures_.end() || it->second == 0) return false;
  --it->second;
  return true;
}

MemoryFiles::File* MemoryFiles::Find(const std::string& path) {
  auto it = files_.find(Fold(path));
  return it == files_.end() ? nullptr : &it->second;
}

void MemoryFiles::Touch(File& file, bool newIdentity) {
  file.stamp.size = file.bytes.size();
  file.stamp.modified = ++clock_;
  if (newIdentity || file.stamp.identity == 0) file.stamp.identity = nextIdentity_++;
}

std::vector<std::string> MemoryFiles::ListFiles(const std::string& pattern) {
  if (Failing(Op::ListFiles)) return {};
  std::string folded = Fold(pattern);
  std::string directory = DirectoryOf(folded);
  std::size_t sep = LastSeparator(folded);
  std::string namePattern = sep == std::string::npos ? folded : folded.substr(sep + 1);
  std::vector<std::string> names;
  for (const auto& [key, file] : files_) {  // the map is sorted by folded path
    if (DirectoryOf(key) != directory) continue;
    std::size_t keySep = LastSeparator(key);
    std::string name = keySep == std::string::npos ? key : key.substr(keySep + 1);
    if (Matches(namePattern, 0, name, 0)) names.push_back(NameOf(file.path));
  }
  return names;
}

bool MemoryFiles::Exists(const std::string& path) {
  if (Failing(Op::Exists)) return false;
  std::string folded = WithoutTrailingSeparator(Fold(path));
  if (folded.empty()) return false;
  if (files_.count(folded) || directories_.count(folded)) return true;
  std::string prefix = folded + "\\";
  for (const auto& entry : files_) {
    if (entry.first.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

bool MemoryFiles::Move(const std::string& from, const std::string& to) {
  if (Failing(Op::Move)) return false;
  File* source = Find(from);
  if (!source || Find(to) || Fold(from) == Fold(to)) return false;
  File moved = std::move(*source);
  files_.erase(Fold(from));
  moved.path = to;
  files_.emplace(Fold(to), std::move(moved));
  return true;
}

bool MemoryFiles::CopyNew(const std::string& from, const std::string& to) {
  if (Failing(Op::CopyNew)) return false;
  File* source = Find(from);
  if (!source || Find(to)) return false;
  File copy{to, source->bytes, source->stamp, false};
  copy.stamp.identity = nextIdentity_++;
  files_.emplace(Fold(to), std::move(copy));
  return true;
}

bool MemoryFiles::Delete(const std::string& path) {
  if (Failing(Op::Delete)) return false;
  return files_.erase(Fold(path)) == 1;
}

std::optional<std::string> MemoryFiles::ReadAll(const std::string& path) {
  if (Failing(Op::ReadAll)) return std::nullopt;
  File* file = Find(path);
  if (!file || file->unreadable) return std::nullopt;
  return file->bytes;
}

std::optional<FileStamp> MemoryFiles::Stamp(const std::string& path) {
  if (Failing(Op::Stamp)) return std::nullopt;
  File* file = Find(path);
  if (!file) return std::nullopt;
  return file->stamp;
}

bool MemoryFiles::ReplaceAll(const std::string& path, const std::string& bytes) {
  if (Failing(Op::ReplaceAll)) return false;
  if (Fold(path).empty() || directories_.count(WithoutTrailingSeparator(Fold(path)))) return false;
  File* file = Find(path);
  if (!file) file = &files_.emplace(Fold(path), File{path, {}, {}, false}).first->second;
  file->bytes = bytes;
  file->unreadable = false;
  Touch(*file, true);
  return true;
}

std::string MemoryFiles::TempDirectory() {
  if (Failing(Op::TempDirectory)) return std::string();
  return tempDirectory_;
}

void MemoryFiles::StartProgram(const std::string& commandLine) {
  if (!Failing(Op::StartProgram)) startedPrograms_.push_back(commandLine);
}

void MemoryFiles::Put(const std::string& path, std::string bytes) {
  File* file = Find(path);
  if (!file) file = &files_.emplace(Fold(path), File{path, {}, {}, false}).first->second;
  file->bytes = std::move(bytes);
  Touch(*file, false);
}

std::optional<std::string> MemoryFiles::Get(const std::string& path) const {
  auto it = files_.find(Fold(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.bytes;
}

std::vector<std::string> MemoryFiles::Paths() const {
  std::vector<std::string> paths;
  for (const auto& entry : files_) paths.push_back(entry.second.path);
  return paths;
}

void MemoryFiles::AddDirectory(const std::string& path) {
  directories_[WithoutTrailingSeparator(Fold(path))] = path;
}

void MemoryFiles::SetUnreadable(const std::string& path, bool unreadable) {
  if (File* file = Find(path)) file->unreadable = unreadable;
}

void MemoryFiles::FailNext(Op op, int times) { failures_[op] += times; }

int MemoryFiles::Calls(Op op) const {
  auto it = calls_.find(op);
  return it == calls_.end() ? 0 : it->second;
}
