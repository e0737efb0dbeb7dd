#include "tasks/profile_document.h"

#include <cstring>
#include "tasks/profile_gbk.h"

namespace profile_detail {
namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

ProfileDocument::ProfileDocument(std::string bytes) : bytes_(std::move(bytes)) { IndexFrom(0); }

std::size_t ProfileDocument::BreakLength(std::size_t lineEnd) const {
  if (lineEnd >= bytes_.size()) return 0;
  if (bytes_[lineEnd] == '\r' && lineEnd + 1 < bytes_.size() && bytes_[lineEnd + 1] == '\n') return 2;
  return 1;
}

std::string_view ProfileDocument::SectionName(std::size_t index) const {
  const Section& s = sections_[index];
  return std::string_view(bytes_).substr(s.nameBegin, s.nameEnd - s.nameBegin);
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const {
  auto it = firstSectionByName_.find(FoldName(name));
  return it == firstSectionByName_.end() ? nullptr : &sections_[it->second];
}

const ProfileDocument::Entry* ProfileDocument::FindEntry(const Section& section,
                                                         std::string_view key) const {
  std::string_view bytes(bytes_);
  for (std::uint32_t i = 0; i < section.entryCount; ++i) {
    const Entry& e = entries_[section.firstEntry + i];
    if (e.equals == kNoEquals) continue;
    std::string_view name = UpToNul(TrimBlanks(bytes.substr(e.lineBegin, e.equals - e.lineBegin)));
    if (NamesEqual(name, key)) return &e;
  }
  return nullptr;
}

std::optional<std::string_view> ProfileDocument::FindValue(std::string_view section,
                                                           std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  const Entry* e = FindEntry(*s, key);
  if (!e) return std::nullopt;
  return TrimBlanks(std::string_view(bytes_).substr(e->equals + 1, e->lineEnd - e->equals - 1));
}

bool ProfileDocument::Write(std::string_view section, std::string_view key, std::string_view value,
                            const std::function<bool(const std::string&)>& save) {
  // The change: replace `removed` bytes at `offset` with `inserted`; lines from lineStart on are
  // indexed anew.
  std::size_t offset = bytes_.size();
  std::size_t removed = 0;
  std::size_t lineStart = offset;
  std::string inserted;
  const Section* s = FindSection(section);
  const Entry* e = s ? FindEntry(*s, key) : nullptr;
  if (e) {
    // Everything up to and including the "=" stays; the value and the line end are new.
    offset = e->equals + 1;
    removed = e->lineEnd - offset + BreakLength(e->lineEnd);
    lineStart = e->lineBegin;
  } else if (s) {
    // After the section's last entry, so that comments and blank lines after it stay after it.
    std::size_t lastLineEnd =
        s->entryCount ? entries_[s->firstEntry + s->entryCount - 1].lineEnd : s->headerEnd;
    std::size_t breakLength = BreakLength(lastLineEnd);
    offset = lineStart = lastLineEnd + breakLength;
    if (breakLength == 0) inserted = "\r\n";  // the last line of the file had no line end
    inserted.append(key).append("=");
  } else {
    if (!bytes_.empty() && !IsLineBreak(bytes_.back())) inserted = "\r\n";
    inserted.append("[").append(section).append("]\r\n").append(key).append("=");
  }
  inserted.append(value).append("\r\n");
  if (bytes_.size() - removed + inserted.size() > kMaxBytes) return false;

  std::string old = bytes_.substr(offset, removed);
  bytes_.replace(offset, removed, inserted);
  if (!save(bytes_)) {
    bytes_.replace(offset, inserted.size(), old);
    return false;
  }
  Reindex(lineStart);
  return true;
}

void ProfileDocument::Reindex(std::size_t lineStart) {
  if (!sections_.empty() && sections_.back().headerBegin >= lineStart) {
    entries_.clear();
    sections_.clear();
    firstSectionByName_.clear();
    IndexFrom(0);
    return;
  }
  // Only entries of the last section can lie at or after lineStart.
  while (!entries_.empty() && entries_.back().lineBegin >= lineStart) entries_.pop_back();
  if (!sections_.empty()) {
    sections_.back().entryCount =
        static_cast<std::uint32_t>(entries_.size() - sections_.back().firstEntry);
  }
  IndexFrom(lineStart);
}

void ProfileDocument::IndexFrom(std::size_t position) {
  const std::size_t size = bytes_.size();
  if (size > kMaxBytes) return;
  const char* data = bytes_.data();
  while (position < size) {
    std::size_t end = position;
    while (end < size && !IsLineBreak(data[end])) ++end;
    IndexLine(position, end);
    position = end + BreakLength(end);
  }
}

void ProfileDocument::IndexLine(std::size_t begin, std::size_t end) {
  std::string_view line = std::string_view(bytes_).substr(0, end);  // CharLength stops at the line end
  std::size_t p = begin;
  while (p < end && IsBlank(line[p])) ++p;
  if (p == end || line[p] == ';') return;
  if (line[p] == '[') {
    std::size_t close = p + 1;
    while (close < end && line[close] != ']') close += CharLength(line, close);
    std::size_t nameBegin = p + 1;
    std::size_t nameEnd = close;
    while (nameBegin < nameEnd && IsBlank(line[nameBegin])) ++nameBegin;
    while (nameEnd > nameBegin && IsBlank(line[nameEnd - 1])) --nameEnd;
    auto index = static_cast<std::uint32_t>(sections_.size());
    sections_.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end),
                         static_cast<std::uint32_t>(nameBegin), static_cast<std::uint32_t>(nameEnd),
                         static_cast<std::uint32_t>(entries_.size()), 0});
    firstSectionByName_.try_emplace(FoldName(UpToNul(line.substr(nameBegin, nameEnd - nameBegin))),
                                    index);
    return;
  }
  if (sections_.empty()) return;  // lines before the first section cannot be read
  const void* equals = std::memchr(line.data() + p, '=', end - p);
  entries_.push_back({static_cast<std::uint32_t>(begin),
                      equals ? static_cast<std::uint32_t>(static_cast<const char*>(equals) - line.data())
                             : kNoEquals,
                      static_cast<std::uint32_t>(end)});
  ++sections_.back().entryCount;
}

}  // namespace profile_detail
