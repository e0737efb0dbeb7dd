#pragma once
// Driver commands that look at the program from outside: another process's resource use, a
// hotkey held by this process, and the wave output the program would play its cue on.
#include "json.h"

// {"pid"} -> handles (GetProcessHandleCount), system_table_handles (its entries in the system
// handle table), private_bytes, working_set, threads, cpu_ms (kernel + user; may be 0 under Wine)
Json ProcessStats(const Json& args);
// {"key", "modifiers"} -> registered (false when another process holds the key), id
Json HoldHotkey(const Json& args);
// {"id"} -> released, presses (the WM_HOTKEY messages this process got for it meanwhile)
Json ReleaseHotkey(const Json& args);
// {"open"} -> devices (waveOutGetNumDevs), and with "open": open_result of waveOutOpen(WAVE_MAPPER)
// in the cue's format, and the close result
Json WaveOutProbe(const Json& args);
