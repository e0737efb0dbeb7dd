#pragma once
#include "tasks/program_context.h"

// Click handler of 播放: plays the selected task pass after pass until Caps Lock is switched
// on (单选框1) or the pass count of 编辑框1 is reached.
void RunPlayback(Context& context);
