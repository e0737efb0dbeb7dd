#include "process_probe.h"

#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "synth_input.h"
#include "window_query.h"

namespace {

class ProcessHandle {
 public:
  explicit ProcessHandle(DWORD pid) {
    handle_ = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!handle_) handle_ = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!handle_) throw DriverError("OpenProcess failed: " + std::to_string(GetLastError()));
  }
  ~ProcessHandle() { CloseHandle(handle_); }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

long long ThreadCount(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  long long threads = -1;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == pid) threads = entry.cntThreads;
  }
  CloseHandle(snapshot);
  return threads;
}

long long Ms(const FILETIME& t) {
  ULARGE_INTEGER v;
  v.LowPart = t.dwLowDateTime;
  v.HighPart = t.dwHighDateTime;
  return static_cast<long long>(v.QuadPart / 10000);
}

// The system handle table, as NtQuerySystemInformation(SystemHandleInformation) gives it.
struct HandleEntry {
  ULONG owner_pid;
  BYTE object_type;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};
using QuerySystemInformationFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);

// GetProcessHandleCount of another process reads 0 under Wine; the system table counts for real.
long long HandlesInSystemTable(DWORD pid) {
  auto query = reinterpret_cast<QuerySystemInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  constexpr int kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<unsigned char> buffer(1 << 20);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 65536));
      continue;
    }
    if (status < 0) return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    long long count = 0;
    for (ULONG i = 0; i < table->count; ++i) {
      if (table->entries[i].owner_pid == pid) ++count;
    }
    return count;
  }
  return -1;
}

// Hotkeys held by this process: ids away from anything a test would pick by hand.
int g_next_hotkey_id = 0x5100;

}  // namespace

Json ProcessStats(const Json& args) {
  const DWORD pid = static_cast<DWORD>(args.Int("pid"));
  ProcessHandle process(pid);
  Json stats = Json::Object();
  DWORD handles = 0;
  stats.Set("handles", GetProcessHandleCount(process.get(), &handles) ? static_cast<long long>(handles) : -1LL)
      .Set("system_table_handles", HandlesInSystemTable(pid));
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    stats.Set("private_bytes", static_cast<unsigned long long>(memory.PrivateUsage))
        .Set("working_set", static_cast<unsigned long long>(memory.WorkingSetSize));
  } else {
    stats.Set("private_bytes", -1LL).Set("working_set", -1LL);
  }
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) {
    stats.Set("cpu_ms", Ms(kernel) + Ms(user));
  } else {
    stats.Set("cpu_ms", -1LL);
  }
  return stats.Set("threads", ThreadCount(pid));
}

Json HoldHotkey(const Json& args) {
  std::vector<WORD> keys = KeysFromName(args.Str("key"));
  if (keys.size() != 1) throw DriverError("one key only; modifiers go in \"modifiers\"");
  const int id = g_next_hotkey_id++;
  // A thread hotkey: WM_HOTKEY waits in this thread's queue until ReleaseHotkey counts it.
  const BOOL registered = RegisterHotKey(nullptr, id, static_cast<UINT>(args.Int("modifiers", 0)), keys[0]);
  return Json::Object().Set("registered", registered != FALSE).Set("id", id).Set(
      "error", registered ? 0UL : static_cast<unsigned long>(GetLastError()));
}

Json ReleaseHotkey(const Json& args) {
  const int id = static_cast<int>(args.Int("id"));
  int presses = 0;
  MSG message;
  while (PeekMessageW(&message, reinterpret_cast<HWND>(-1), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    if (static_cast<int>(message.wParam) == id) ++presses;
  }
  const BOOL released = UnregisterHotKey(nullptr, id);
  return Json::Object().Set("released", released != FALSE).Set("presses", presses);
}

Json WaveOutProbe(const Json& args) {
  Json answer = Json::Object().Set("devices", static_cast<unsigned long long>(waveOutGetNumDevs()));
  if (!args.Bool("open", false)) return answer;
  // The cue's own format: PCM, 2 channels, 22,050 samples per second, 16 bits.
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 22050;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  HWAVEOUT out = nullptr;
  const MMRESULT opened = waveOutOpen(&out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
  answer.Set("open_result", static_cast<unsigned long long>(opened));
  if (opened == MMSYSERR_NOERROR) answer.Set("close_result", static_cast<unsigned long long>(waveOutClose(out)));
  return answer;
}
