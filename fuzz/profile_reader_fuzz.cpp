// Arbitrary bytes as a task file: reading never fails, a write of a plain value reads back as
// written, a failed write changes nothing, and the index that writes keep up to date always reads
// the file as a fresh read of it does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "fakes/memory_files.h"
#include "tasks/profile.h"

namespace {

const std::string kPath = "C:\\run\\fuzz.kpx";

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// A section or key name that a written line gives back unchanged.
bool IsPlainName(const std::string& name, bool isSection) {
  if (name.empty()) return false;
  if (!isSection && (name[0] == '[' || name[0] == ';')) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = name[i];
    if (c <= 0x20 || (!isSection && c == '=')) return false;
    if (IsLead(c) && i + 1 < name.size() && IsTrail(name[i + 1])) {
      ++i;
    } else if (isSection && (c == ']' || (IsLead(c) && i + 1 == name.size()))) {
      return false;  // "]" ends the name; a lead byte at its end would take the "]"
    }
  }
  return true;
}

// A value that reads back unchanged: one line, no blanks or quotes around it, within the buffer.
bool IsPlainValue(const std::string& value) {
  if (value.size() > 10239) return false;
  if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) return false;
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) return false;
  return true;
}

// The profile that has been writing must agree with one that reads the file for the first time.
void CheckAgainstFreshRead(MemoryFiles& files, Profile& profile, const std::vector<std::string>& keys) {
  Profile fresh(files);
  std::vector<std::string> names = profile.SectionNames(kPath);
  Check(names == fresh.SectionNames(kPath), "section names of the kept index");
  for (std::size_t i = 0; i < names.size() && i < 16; ++i) {
    for (const std::string& key : keys) {
      Check(profile.Read(kPath, names[i], key, "?") == fresh.Read(kPath, names[i], key, "?"),
            "value from the kept index");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(40);
  const std::string key = input.ConsumeRandomLengthString(40);
  const std::string value = input.ConsumeRandomLengthString(200);
  const bool failFirstWrite = input.ConsumeBool();
  const std::string file = input.ConsumeRemainingBytesAsString();

  MemoryFiles files;
  files.Put(kPath, file);
  Profile profile(files);
  const std::vector<std::string> names = profile.SectionNames(kPath);
  for (std::size_t i = 0; i < names.size() && i < 16; ++i) profile.Read(kPath, names[i], key, "?");
  const std::string before = profile.Read(kPath, section, key, "?");

  if (failFirstWrite) {
    files.FailNext(MemoryFiles::Op::ReplaceAll);
    Check(!profile.Write(kPath, section, key, value), "failed replace reported");
    Check(files.Get(kPath) == file, "file unchanged after a failed replace");
    Check(profile.SectionNames(kPath) == names, "names unchanged after a failed replace");
    Check(profile.Read(kPath, section, key, "?") == before, "value unchanged after a failed replace");
  }

  const bool plain = IsPlainName(section, true) && IsPlainName(key, false) && IsPlainValue(value);
  const bool written = profile.Write(kPath, section, key, value);
  if (plain) {
    Check(written, "plain write succeeds");
    Check(profile.Read(kPath, section, key, "?") == value, "plain value reads back");
  }
  CheckAgainstFreshRead(files, profile, {key, "X"});

  // Another key into the same section: usually an addition at the end of the last section.
  const std::string second = key + "2";
  const bool secondWritten = profile.Write(kPath, section, second, "v");
  if (plain) {
    Check(secondWritten, "second plain write succeeds");
    Check(profile.Read(kPath, section, second, "?") == "v", "second value reads back");
    Check(profile.Read(kPath, section, key, "?") == value, "first value still reads back");
  }
  CheckAgainstFreshRead(files, profile, {key, second, "X"});
  return 0;
}
