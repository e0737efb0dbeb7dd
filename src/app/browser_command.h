#pragma once
#include <string>
#include <string_view>

// The command line that opens address with the registered web browser, from the browser's
// registered open command: cut at the first quoted "%1" (opening quote included), else at the
// first %1, then a space and the address.
std::string BrowserCommandLine(std::string_view registeredCommand, std::string_view address);
