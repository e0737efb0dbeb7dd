#pragma once
// Mouse and keyboard input synthesised with SendInput, as a user's hardware would give it.
#include <windows.h>

#include <string>
#include <vector>

enum class MouseButton { Left, Right, Middle };
MouseButton ButtonFromName(const std::string& name);

void MovePointer(int x, int y);
void ButtonEvent(MouseButton button, bool down, int x, int y);
// count 2 is a double click; hold_ms between press and release, gap_ms between the clicks.
void Click(MouseButton button, int x, int y, int count, int hold_ms, int gap_ms);

// "F6", "esc", "ctrl+d", "pagedown", "a", or a number ("0x14").
std::vector<WORD> KeysFromName(const std::string& combo);
void KeyEvent(WORD vk, bool down);
// Presses the keys of a combination in order and releases them in reverse order.
void PressCombo(const std::vector<WORD>& keys, int hold_ms);
// Types text with KEYEVENTF_UNICODE, one UTF-16 unit per key stroke.
void TypeText(const std::wstring& text, int gap_ms);
