#include "synth_input.h"

#include <cstdlib>
#include <stdexcept>

#include "window_query.h"

MouseButton ButtonFromName(const std::string& name) {
  if (name == "left") return MouseButton::Left;
  if (name == "right") return MouseButton::Right;
  if (name == "middle") return MouseButton::Middle;
  throw DriverError("unknown mouse button \"" + name + "\"");
}

void MovePointer(int x, int y) {
  if (!SetCursorPos(x, y)) throw DriverError("SetCursorPos failed");
}

static void Send(INPUT* inputs, UINT count) {
  if (SendInput(count, inputs, sizeof(INPUT)) != count) {
    throw DriverError("SendInput failed (error " + std::to_string(GetLastError()) + ")");
  }
}

// Absolute coordinates over the virtual desktop, 0..65535; rounding up makes the
// system's truncating conversion land on the pixel asked for.
static LONG Normalised(int value, int origin, int extent) {
  long long scaled = (static_cast<long long>(value - origin) * 65536 + extent - 1) / extent;
  if (scaled < 0) scaled = 0;
  if (scaled > 65535) scaled = 65535;
  return static_cast<LONG>(scaled);
}

void ButtonEvent(MouseButton button, bool down, int x, int y) {
  // The pointer is placed first and the button event carries the same position, so that
  // the event cannot land where the pointer was before.
  MovePointer(x, y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = Normalised(x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
  in.mi.dy = Normalised(y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  DWORD flag = 0;
  switch (button) {
    case MouseButton::Left: flag = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP; break;
    case MouseButton::Right: flag = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP; break;
    case MouseButton::Middle: flag = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP; break;
  }
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | flag;
  Send(&in, 1);
}

void Click(MouseButton button, int x, int y, int count, int hold_ms, int gap_ms) {
  for (int i = 0; i < count; ++i) {
    if (i > 0 && gap_ms > 0) Sleep(gap_ms);
    ButtonEvent(button, true, x, y);
    if (hold_ms > 0) Sleep(hold_ms);
    ButtonEvent(button, false, x, y);
  }
}

namespace {

struct NamedKey {
  const char* name;
  WORD vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"esc", VK_ESCAPE},      {"escape", VK_ESCAPE},  {"enter", VK_RETURN},     {"return", VK_RETURN},
    {"tab", VK_TAB},         {"space", VK_SPACE},    {"backspace", VK_BACK},   {"delete", VK_DELETE},
    {"insert", VK_INSERT},   {"home", VK_HOME},      {"end", VK_END},          {"pageup", VK_PRIOR},
    {"prior", VK_PRIOR},     {"pagedown", VK_NEXT},  {"next", VK_NEXT},        {"left", VK_LEFT},
    {"right", VK_RIGHT},     {"up", VK_UP},          {"down", VK_DOWN},        {"capslock", VK_CAPITAL},
    {"capital", VK_CAPITAL}, {"ctrl", VK_CONTROL},   {"control", VK_CONTROL},  {"shift", VK_SHIFT},
    {"alt", VK_MENU},        {"menu", VK_MENU},      {"apps", VK_APPS},        {"numlock", VK_NUMLOCK},
};

bool IsExtended(WORD vk) {
  switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_APPS: case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

WORD KeyFromName(std::string name) {
  for (auto& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  if (name.size() == 1) {
    char c = name[0];
    if (c >= 'a' && c <= 'z') return static_cast<WORD>('A' + (c - 'a'));
    if (c >= '0' && c <= '9') return static_cast<WORD>(c);
  }
  if (name.size() >= 2 && name[0] == 'f' && name.find_first_not_of("0123456789", 1) == std::string::npos) {
    int n = std::atoi(name.c_str() + 1);
    if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
  }
  for (const NamedKey& k : kNamedKeys) {
    if (name == k.name) return k.vk;
  }
  char* end = nullptr;
  long v = std::strtol(name.c_str(), &end, 0);
  if (!name.empty() && *end == '\0' && v > 0 && v < 256) return static_cast<WORD>(v);
  throw DriverError("unknown key \"" + name + "\"");
}

}  // namespace

std::vector<WORD> KeysFromName(const std::string& combo) {
  std::vector<WORD> keys;
  size_t start = 0;
  while (true) {
    size_t plus = combo.find('+', start);
    keys.push_back(KeyFromName(combo.substr(start, plus == std::string::npos ? std::string::npos : plus - start)));
    if (plus == std::string::npos) return keys;
    start = plus + 1;
  }
}

void KeyEvent(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  Send(&in, 1);
}

void PressCombo(const std::vector<WORD>& keys, int hold_ms) {
  for (WORD vk : keys) KeyEvent(vk, true);
  if (hold_ms > 0) Sleep(hold_ms);
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) KeyEvent(*it, false);
}

void TypeText(const std::wstring& text, int gap_ms) {
  for (wchar_t unit : text) {
    INPUT in[2] = {};
    for (int i = 0; i < 2; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wScan = unit;
      in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    Send(in, 2);
    if (gap_ms > 0) Sleep(gap_ms);
  }
}
