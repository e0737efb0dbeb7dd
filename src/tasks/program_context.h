#pragma once
#include "services/desktop.h"
#include "services/dialogs.h"
#include "services/event_pump.h"
#include "services/files.h"
#include "services/main_view.h"
#include "services/program_state.h"
#include "tasks/profile.h"

// What every handler works on: the program-wide state and the ports to the world.
struct Context {
  ProgramState& state;
  Desktop& desktop;
  EventPump& pump;
  MainView& view;
  Dialogs& dialogs;
  Files& files;
  Profile& profile;
};
