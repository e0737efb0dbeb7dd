// Task file reads and writes through Profile over real files in a scratch directory made in the
// current directory (so on the disk the benchmark is started from).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <cstdio>
#include <map>
#include <string>
#include "posix_files.h"
#include "tasks/description_text.h"
#include "tasks/profile.h"

namespace {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    char name[] = "profile_bench.XXXXXX";
    if (::mkdtemp(name)) path_ = name;
  }
  ~ScratchDirectory() {
    if (path_.empty()) return;
    PosixFiles files;
    for (const std::string& name : files.ListFiles(path_ + "/*")) files.Delete(path_ + "/" + name);
    ::rmdir(path_.c_str());
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A recorded task of `events` events, as the recorder leaves it.
std::string TaskBytes(int events) {
  std::string bytes = std::string("[") + kDescriptionSection + "]\r\n" + kDescriptionKey + "=" +
                      kDescriptionText + "\r\n";
  for (int k = 1; k <= events; ++k) {
    bytes += "[" + std::to_string(k) + "]\r\nX=" + std::to_string(100 + k % 1800) + "\r\nY=" +
             std::to_string(50 + k % 1000) + "\r\n事件=" + std::to_string(k % 4) + "\r\n延时=" +
             std::to_string(k == 1 ? 0 : 250 + k % 3000) + "\r\n";
  }
  return bytes;
}

// Whole files kept in memory, to tell the profile's own share of a write from the file system's.
class MemoryOnlyFiles : public Files {
 public:
  std::vector<std::string> ListFiles(const std::string&) override { return {}; }
  bool Exists(const std::string& path) override { return files_.count(path) != 0; }
  bool Move(const std::string&, const std::string&) override { return false; }
  bool CopyNew(const std::string&, const std::string&) override { return false; }
  bool Delete(const std::string& path) override { return files_.erase(path) != 0; }
  std::optional<std::string> ReadAll(const std::string& path) override {
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second.first;
  }
  std::optional<FileStamp> Stamp(const std::string& path) override {
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second.second;
  }
  bool ReplaceAll(const std::string& path, const std::string& bytes) override {
    auto& file = files_[path];
    file.first = bytes;
    file.second = FileStamp{bytes.size(), ++clock_, clock_};
    return true;
  }
  std::string TempDirectory() override { return "/tmp/"; }
  void StartProgram(const std::string&) override {}

 private:
  std::map<std::string, std::pair<std::string, FileStamp>> files_;
  std::uint64_t clock_ = 0;
};

void RecordOneEvent(Profile& profile, const std::string& path, int number) {
  std::string section = std::to_string(number);
  profile.Write(path, section, "X", "1234");
  profile.Write(path, section, "Y", "567");
  profile.Write(path, section, "事件", "2");
  profile.Write(path, section, "延时", "1532");
}

// A value of an unchanged task: a stamp check and an indexed look-up.
void BM_ReadCachedValue(benchmark::State& state) {
  const int events = static_cast<int>(state.range(0));
  ScratchDirectory scratch;
  PosixFiles files;
  const std::string path = scratch.File("task.kpx");
  files.ReplaceAll(path, TaskBytes(events));
  Profile profile(files);
  const std::string section = std::to_string(events / 2 + 1);
  profile.Read(path, section, "延时");
  for (auto _ : state) benchmark::DoNotOptimize(profile.Read(path, section, "延时"));
}
BENCHMARK(BM_ReadCachedValue)->Arg(10)->Arg(1000)->Arg(100000);

// The first read of a task, or the first after it was changed: read and index the whole file.
void BM_ReadChangedTask(benchmark::State& state) {
  const int events = static_cast<int>(state.range(0));
  ScratchDirectory scratch;
  PosixFiles files;
  const std::string path = scratch.File("task.kpx");
  files.ReplaceAll(path, TaskBytes(events));
  for (auto _ : state) {
    Profile profile(files);
    benchmark::DoNotOptimize(profile.Read(path, "1", "X"));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(TaskBytes(events).size()));
}
BENCHMARK(BM_ReadChangedTask)->Arg(10)->Arg(1000)->Arg(100000);

// The section list that a playback run starts with.
void BM_SectionNames(benchmark::State& state) {
  const int events = static_cast<int>(state.range(0));
  ScratchDirectory scratch;
  PosixFiles files;
  const std::string path = scratch.File("task.kpx");
  files.ReplaceAll(path, TaskBytes(events));
  Profile profile(files);
  for (auto _ : state) benchmark::DoNotOptimize(profile.SectionNames(path));
}
BENCHMARK(BM_SectionNames)->Arg(10)->Arg(1000)->Arg(100000);

// The four writes of one recorded event (X, Y, 事件, 延时 into a new last section) into a task of
// `events` events; each write replaces the file through a renamed temporary. With the second
// argument 1 every temporary is also flushed to the disk before the rename.
void BM_RecordEvent(benchmark::State& state) {
  const int events = static_cast<int>(state.range(0));
  ScratchDirectory scratch;
  PosixFiles files(state.range(1) != 0);
  const std::string path = scratch.File("task.kpx");
  const std::string base = TaskBytes(events);
  files.ReplaceAll(path, base);
  Profile profile(files);
  profile.Read(path, "1", "X");
  for (auto _ : state) {
    RecordOneEvent(profile, path, events + 1);
    state.PauseTiming();
    files.ReplaceAll(path, base);  // back to `events` events, indexed again before the next round
    profile.Read(path, "1", "X");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RecordEvent)->ArgNames({"events", "fsync"})->Args({10, 0})->Args({1000, 0})
    ->Args({10, 1})->Args({1000, 1})->Unit(benchmark::kMicrosecond);

// The same four writes with the files in memory: the profile's own work, copying included.
void BM_RecordEventInMemory(benchmark::State& state) {
  const int events = static_cast<int>(state.range(0));
  MemoryOnlyFiles files;
  const std::string path = "task.kpx";
  const std::string base = TaskBytes(events);
  files.ReplaceAll(path, base);
  Profile profile(files);
  profile.Read(path, "1", "X");
  for (auto _ : state) {
    RecordOneEvent(profile, path, events + 1);
    state.PauseTiming();
    files.ReplaceAll(path, base);
    profile.Read(path, "1", "X");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RecordEventInMemory)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
