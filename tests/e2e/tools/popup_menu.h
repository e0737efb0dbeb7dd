#pragma once
#include "json.h"

// The pop-up menus shown right now (visible "#32768" windows), each with its items.
Json ReadShownMenus();
