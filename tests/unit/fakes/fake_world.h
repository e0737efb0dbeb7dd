#pragma once
#include <initializer_list>
#include <string>

#include "fakes/fake_desktop.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_pump.h"
#include "fakes/fake_view.h"
#include "fakes/memory_files.h"
#include "services/program_state.h"
#include "tasks/profile.h"
#include "tasks/program_context.h"

// Fresh program state and fresh fakes of every port, wired into one Context.
struct FakeWorld {
  ProgramState state;
  FakeDesktop desktop;
  FakePump pump;
  FakeView view;
  FakeDialogs dialogs;
  MemoryFiles files;
  Profile profile{files};
  Context context{state, desktop, pump, view, dialogs, files, profile};

  FakeWorld() { state.RunDirectory = "C:\\Tools"; }

  // Runs fn inside the next ProcessPendingEvents, as a click dispatched there would.
  template <typename Fn>
  void DuringNextDispatch(Fn fn) {
    pump.atProcessCall[pump.processCalls + 1] = fn;
  }
};
