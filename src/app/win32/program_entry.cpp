// Start-up and shutdown: the run directory, the splash window, the main window, the exit.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/run_directory.h"
#include "app/win32/main_window.h"
#include "app/win32/modal.h"
#include "app/win32/program.h"
#include "app/win32/splash_window.h"
#include "app/win32/win32_event_pump.h"
#include "app/win32/win32_main_view.h"
#include "recorder/hotkeys.h"
#include "services/win32/wide_text.h"
#include "services/win32/win32_desktop.h"
#include "services/win32/win32_dialogs.h"
#include "services/win32/win32_files.h"
#include "tasks/program_context.h"

namespace {

struct Program {
  ProgramState state;
  Win32Desktop desktop;
  Win32EventPump pump;
  Win32MainView view;
  Win32Dialogs dialogs;
  Win32Files files;
  Profile profile{files};
  Context context{state, desktop, pump, view, dialogs, files, profile};
};

Program* g_program = nullptr;
std::string g_runDirectory;

// Fixed before the program entry runs: the executable's directory becomes the current one.
void FixRunDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  g_runDirectory = RunDirectoryFromModulePath(Narrow(path));
  std::wstring directory = Wide(g_runDirectory);
  // "D:" alone would name the drive's current directory, not its root.
  if (directory.size() == 2 && directory[1] == L':') directory += L'\\';
  SetCurrentDirectoryW(directory.c_str());
}

void StartUp(Program& program) {
  program.state.RunDirectory = g_runDirectory;
  ShowSplash();
  HWND main = CreateMainWindow(program.context, program.view);
  if (main) RunModal(main);
}

bool AnyProgramWindow() {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM p) -> BOOL {
    if (w == ProgramOwnerWindow()) return TRUE;
    *reinterpret_cast<bool*>(p) = true;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

void ExitCleanup() {
  static bool done = false;
  if (done || !g_program) return;
  done = true;
  ProgramState& state = g_program->state;
  state.RunDirectory.clear();
  state.RunDirectory.shrink_to_fit();
  state.HotkeyActionTable.clear();
  state.HotkeyActionTable.shrink_to_fit();
  state.PendingTaskPath.clear();
  state.PendingTaskPath.shrink_to_fit();
}

void EndProgram(int exitCode) {
  ExitCleanup();
  EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM) -> BOOL {
    DestroyWindow(w);
    return TRUE;
  }, 0);
  CoUninitialize();
  ExitProcess(static_cast<UINT>(exitCode));
}

void OnMainWindowDestroy(Context& context) {
  StopRecording(context);
  EndProgram(0);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  FixRunDirectory();
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS;
  InitCommonControlsEx(&controls);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the picture decoder is a COM object

  static Program program;  // holds the hotkey table from the start (empty)
  g_program = &program;
  StartUp(program);

  if (AnyProgramWindow()) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  ExitCleanup();
  CoUninitialize();
  return 0;
}
