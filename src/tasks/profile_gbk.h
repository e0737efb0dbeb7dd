#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Byte rules for the GBK names and values of task files. A lead byte only starts a double-byte
// character when a valid trail byte follows; otherwise it stands alone, so a stray lead byte never
// swallows a line end, a bracket or the end of the text.
namespace profile_detail {

inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

inline std::size_t CharLength(std::string_view s, std::size_t i) {
  return IsLeadByte(s[i]) && i + 1 < s.size() && IsTrailByte(s[i + 1]) ? 2 : 1;
}

// Blanks around names and values in a file line.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view s);
// A text ends at its first zero byte.
std::string_view UpToNul(std::string_view s);
// Equal ignoring the case of ASCII letters; the bytes of a double-byte character compare exactly.
bool NamesEqual(std::string_view a, std::string_view b);
// The spelling that NamesEqual treats as equal: ASCII letters outside double-byte characters lowered.
std::string FoldName(std::string_view name);
// The longest start of s of at most maxBytes bytes that does not end inside a double-byte character.
std::string_view CutWholeCharacters(std::string_view s, std::size_t maxBytes);

}  // namespace profile_detail
