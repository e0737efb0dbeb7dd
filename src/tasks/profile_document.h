#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace profile_detail {

// The bytes of one task file and an index of them, read line by line as the Windows profile
// functions read such a file. Lines end at CR LF, CR or LF. The first non-blank byte of a line
// decides what it is: "[" opens a section named up to the next "]" (or the line end), ";" makes a
// comment, anything else inside a section is an entry, split at its first "=" (an entry without
// "=" has no value and matches no key). Lines before the first section belong to none.
// The index holds offsets only, so that writes keep every byte they do not change, and a write at
// the end of the last section, the usual one, indexes only the lines it adds.
class ProfileDocument {
 public:
  // Offsets are 32-bit; larger files are not indexed.
  static constexpr std::size_t kMaxBytes = 0x7FFFFFF0;

  ProfileDocument() = default;
  explicit ProfileDocument(std::string bytes);

  const std::string& Bytes() const { return bytes_; }

  // The value of the first entry named key in the first section named section, blanks removed.
  std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;

  bool HasSection(std::string_view section) const { return FindSection(section) != nullptr; }
  std::size_t SectionCount() const { return sections_.size(); }
  std::string_view SectionName(std::size_t index) const;

  // Sets key in section as WritePrivateProfileString does (section and key without surrounding
  // spaces, neither empty), hands the new bytes to save and keeps them only when save succeeds.
  bool Write(std::string_view section, std::string_view key, std::string_view value,
             const std::function<bool(const std::string&)>& save);

 private:
  static constexpr std::uint32_t kNoEquals = 0xFFFFFFFF;
  struct Entry {
    std::uint32_t lineBegin;
    std::uint32_t equals;   // offset of the first "=", or kNoEquals
    std::uint32_t lineEnd;  // before the line break
  };
  struct Section {
    std::uint32_t headerBegin;
    std::uint32_t headerEnd;
    std::uint32_t nameBegin;
    std::uint32_t nameEnd;
    std::uint32_t firstEntry;
    std::uint32_t entryCount;
  };

  std::size_t BreakLength(std::size_t lineEnd) const;
  const Section* FindSection(std::string_view name) const;
  const Entry* FindEntry(const Section& section, std::string_view key) const;
  // Re-reads the index from lineStart on, where the bytes before lineStart are unchanged.
  void Reindex(std::size_t lineStart);
  void IndexFrom(std::size_t position);
  void IndexLine(std::size_t begin, std::size_t end);

  std::string bytes_;
  std::vector<Entry> entries_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::uint32_t> firstSectionByName_;  // by FoldName
};

}  // namespace profile_detail
