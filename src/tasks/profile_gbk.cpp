#include "tasks/profile_gbk.h"

namespace profile_detail {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;  // a blank is never a trail byte
  return s.substr(begin, end - begin);
}

std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    // Folding never turns a byte into a lead byte or back, so both texts split alike once their
    // lead bytes agree.
    if (CharLength(a, i) == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
      ++i;
    }
  }
  return true;
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (std::size_t i = 0; i < folded.size();) {
    std::size_t n = CharLength(folded, i);
    if (n == 1) folded[i] = LowerAscii(folded[i]);
    i += n;
  }
  return folded;
}

std::string_view CutWholeCharacters(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  std::size_t end = 0;
  while (end < s.size()) {
    std::size_t n = CharLength(s, end);
    if (end + n > maxBytes) break;
    end += n;
  }
  return s.substr(0, end);
}

}  // namespace profile_detail
