#include "services/win32/recording_cue.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "resource_ids.h"

namespace {

struct Clip {
  WAVEFORMATEX format{};
  const char* data = nullptr;
  DWORD size = 0;
};

// Finds the "fmt " and "data" chunks of the RIFF/WAVE resource, whatever other chunks it has.
bool ParseClip(const unsigned char* bytes, DWORD length, Clip* clip) {
  if (length < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
    return false;
  bool haveFormat = false;
  DWORD pos = 12;
  while (pos + 8 <= length) {
    DWORD chunkSize;
    std::memcpy(&chunkSize, bytes + pos + 4, 4);
    const unsigned char* body = bytes + pos + 8;
    if (chunkSize > length - pos - 8) return false;
    if (std::memcmp(bytes + pos, "fmt ", 4) == 0 && chunkSize >= 16) {
      std::memcpy(&clip->format, body, 16);
      clip->format.cbSize = 0;
      haveFormat = clip->format.wFormatTag == WAVE_FORMAT_PCM;
    } else if (std::memcmp(bytes + pos, "data", 4) == 0) {
      clip->data = reinterpret_cast<const char*>(body);
      clip->size = chunkSize;
    }
    pos += 8 + chunkSize + (chunkSize & 1);
  }
  return haveFormat && clip->data && clip->size > 0;
}

const Clip* TheClip() {
  static Clip clip;
  static bool loaded = [] {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_RECORD_CUE), L"WAVE");
    if (!found) return false;
    HGLOBAL handle = LoadResource(module, found);
    const void* bytes = handle ? LockResource(handle) : nullptr;
    return bytes && ParseClip(static_cast<const unsigned char*>(bytes),
                              SizeofResource(module, found), &clip);
  }();
  return loaded ? &clip : nullptr;
}

struct Cue {
  HWAVEOUT out = nullptr;
  WAVEHDR header{};
  HANDLE signal = nullptr;
  HANDLE wait = nullptr;
};

volatile LONG openCues = 0;

void Release(Cue* cue) {
  if (cue->out) {
    waveOutReset(cue->out);
    waveOutUnprepareHeader(cue->out, &cue->header, sizeof cue->header);
    waveOutClose(cue->out);
  }
  if (cue->signal) CloseHandle(cue->signal);
  delete cue;
  InterlockedDecrement(&openCues);
}

// Runs on a system worker thread each time the device signals the cue's event.
void CALLBACK OnCueSignal(PVOID parameter, BOOLEAN) {
  auto* cue = static_cast<Cue*>(parameter);
  if (!(cue->header.dwFlags & WHDR_DONE)) return;
  HANDLE wait = InterlockedExchangePointer(&cue->wait, nullptr);
  if (!wait) return;  // already released
  // Inside its own callback a wait can only be unregistered without blocking.
  UnregisterWait(wait);
  Release(cue);
}

}  // namespace

void StartRecordingCue() {
  const Clip* clip = TheClip();
  if (!clip) return;
  auto* cue = new Cue;
  InterlockedIncrement(&openCues);
  cue->signal = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!cue->signal ||
      waveOutOpen(&cue->out, WAVE_MAPPER, &clip->format, reinterpret_cast<DWORD_PTR>(cue->signal),
                  0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    cue->out = nullptr;
    Release(cue);
    return;
  }
  cue->header.lpData = const_cast<LPSTR>(clip->data);
  cue->header.dwBufferLength = clip->size;
  HANDLE wait = nullptr;
  if (waveOutPrepareHeader(cue->out, &cue->header, sizeof cue->header) != MMSYSERR_NOERROR ||
      !RegisterWaitForSingleObject(&wait, cue->signal, OnCueSignal, cue, INFINITE,
                                   WT_EXECUTEDEFAULT)) {
    Release(cue);
    return;
  }
  cue->wait = wait;
  if (waveOutWrite(cue->out, &cue->header, sizeof cue->header) != MMSYSERR_NOERROR) {
    if (InterlockedExchangePointer(&cue->wait, nullptr) != nullptr) {
      UnregisterWaitEx(wait, INVALID_HANDLE_VALUE);
      Release(cue);
    }
  }
}

long OpenRecordingCues() { return openCues; }
