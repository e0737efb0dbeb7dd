#include "tasks/profile.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include "tasks/profile_document.h"
#include "tasks/profile_gbk.h"

using profile_detail::CutWholeCharacters;
using profile_detail::ProfileDocument;
using profile_detail::UpToNul;

namespace {

// The buffers that GetPrivateProfileStringA and GetPrivateProfileSectionNamesA are given.
constexpr std::size_t kValueBuffer = 10240;
constexpr std::size_t kSectionNamesBuffer = 204800;
// Enough for the task being played, the one selected and the one being recorded.
constexpr std::size_t kCachedFiles = 8;

std::string_view SkipLeadingControls(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) >= 0x01 && static_cast<unsigned char>(s[i]) <= 0x20) ++i;
  return s.substr(i);
}

std::string_view TrimTrailingSpaces(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return TrimTrailingSpaces(s);
}

// One pair of matching quotes around a value is removed; the blanks inside them stay.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// What the caller sees of a text copied into the value buffer: up to its zero byte, never more than
// the buffer holds, and never half a double-byte character.
std::string AsReturned(std::string_view text) {
  return std::string(CutWholeCharacters(UpToNul(text), kValueBuffer - 1));
}

}  // namespace

struct Profile::Cache {
  struct File {
    std::string path;
    FileStamp stamp;
    ProfileDocument document;
    std::uint64_t lastUse = 0;
  };
  std::vector<File> files;
  std::uint64_t clock = 0;

  File* Find(std::string_view path) {
    for (File& f : files) {
      if (f.path == path) return &f;
    }
    return nullptr;
  }
  void Forget(std::string_view path) {
    files.erase(std::remove_if(files.begin(), files.end(), [&](const File& f) { return f.path == path; }),
                files.end());
  }
  // The file as it is now, given its stamp: the cached index while the stamp is unchanged, else
  // read and indexed anew. Nothing when the file is missing or cannot be read.
  File* Current(Files& files, std::string_view path, const std::optional<FileStamp>& stamp) {
    File* cached = Find(path);
    if (!stamp) {
      if (cached) Forget(path);
      return nullptr;
    }
    if (!cached || cached->stamp != *stamp) {
      std::optional<std::string> bytes = files.ReadAll(std::string(path));
      if (!bytes || bytes->size() > ProfileDocument::kMaxBytes) {
        if (cached) Forget(path);
        return nullptr;
      }
      if (!cached) cached = &Add(path);
      cached->stamp = *stamp;
      cached->document = ProfileDocument(std::move(*bytes));
    }
    cached->lastUse = ++clock;
    return cached;
  }
  File& Add(std::string_view path) {
    if (files.size() >= kCachedFiles) {
      files.erase(std::min_element(files.begin(), files.end(),
                                   [](const File& a, const File& b) { return a.lastUse < b.lastUse; }));
    }
    files.push_back(File{std::string(path), {}, {}, 0});
    return files.back();
  }
};

Profile::Profile(Files& files) : files_(files), cache_(new Cache) {}

Profile::~Profile() { delete cache_; }

std::string Profile::Read(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultText) {
  std::string_view file = SkipLeadingControls(UpToNul(path));
  std::string_view sectionName = TrimTrailingSpaces(SkipLeadingControls(UpToNul(section)));
  std::string_view keyName = TrimTrailingSpaces(SkipLeadingControls(UpToNul(key)));
  if (file.empty() || sectionName.empty() || keyName.empty()) return std::string();

  std::string fallback = AsReturned(TrimTrailingSpaces(UpToNul(defaultText)));
  Cache::File* cached = cache_->Current(files_, file, files_.Stamp(std::string(file)));
  if (!cached) return fallback;
  std::optional<std::string_view> value = cached->document.FindValue(sectionName, keyName);
  return value ? AsReturned(Unquote(*value)) : fallback;
}

bool Profile::Write(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
  std::string file(UpToNul(path));
  std::string_view sectionName = TrimSpaces(UpToNul(section));
  std::string_view keyName = TrimSpaces(UpToNul(key));
  // Windows fails on an empty file name and crashes on an empty section; an empty key could never
  // be read back. None of them touches the file here.
  if (file.empty() || sectionName.empty() || keyName.empty()) return false;

  Cache::File* cached = nullptr;
  bool created = false;
  if (std::optional<FileStamp> stamp = files_.Stamp(file)) {
    cached = cache_->Current(files_, file, stamp);
    if (!cached) return false;  // there but unreadable: never overwrite what could not be read
  } else {
    if (files_.Exists(file)) return false;
    cache_->Forget(file);
    cached = &cache_->Add(file);
    created = true;
  }
  bool saved = cached->document.Write(sectionName, keyName, UpToNul(value), [&](const std::string& bytes) {
    return files_.ReplaceAll(file, bytes);
  });
  std::optional<FileStamp> stamp = saved ? files_.Stamp(file) : std::nullopt;
  if (!stamp) {
    if (!saved && !created) return false;  // the old file and its index are both still whole
    cache_->Forget(file);
    return saved;
  }
  cached->stamp = *stamp;
  cached->lastUse = ++cache_->clock;
  return true;
}

bool Profile::HasSection(const std::string& path, const std::string& section) {
  std::string_view file = SkipLeadingControls(UpToNul(path));
  std::string_view sectionName = TrimTrailingSpaces(SkipLeadingControls(UpToNul(section)));
  if (file.empty() || sectionName.empty()) return false;
  Cache::File* cached = cache_->Current(files_, file, files_.Stamp(std::string(file)));
  return cached && cached->document.HasSection(sectionName);
}

std::vector<std::string> Profile::SectionNames(const std::string& path) {
  std::vector<std::string> names;
  std::string_view file = UpToNul(path);
  if (file.empty()) return names;
  std::string pathText(file);
  Cache::File* cached = cache_->Current(files_, file, files_.Stamp(pathText));
  if (!cached) return names;
  const ProfileDocument& document = cached->document;
  // The names stand in the buffer one after the other, each with its zero byte, and a last zero
  // byte ends the list. The first name that does not fit is cut so that the buffer ends in two
  // zero bytes; one cut to nothing would read as the end of the list.
  std::size_t used = 0;
  names.reserve(document.SectionCount());
  for (std::size_t i = 0; i < document.SectionCount(); ++i) {
    std::string_view name = UpToNul(document.SectionName(i));
    if (used + name.size() + 2 <= kSectionNamesBuffer) {
      names.emplace_back(name);
      used += name.size() + 1;
      continue;
    }
    if (used + 2 < kSectionNamesBuffer) {
      std::string_view cut = CutWholeCharacters(name, kSectionNamesBuffer - 2 - used);
      if (!cut.empty()) names.emplace_back(cut);
    }
    break;
  }
  return names;
}
