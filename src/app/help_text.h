#pragma once
#include <string>

// The fixed text of the help window: 32 lines joined by CR LF, none after the last. GBK.
const std::string& HelpText();
