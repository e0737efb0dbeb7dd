#include "app/browser_command.h"

std::string BrowserCommandLine(std::string_view registeredCommand, std::string_view address) {
  std::string_view command = registeredCommand;
  size_t quoted = command.find("\"%1");
  if (quoted != std::string_view::npos) {
    command = command.substr(0, quoted);
  } else {
    size_t bare = command.find("%1");
    if (bare != std::string_view::npos) command = command.substr(0, bare);
  }
  std::string line(command);
  line += ' ';
  line += address;
  return line;
}
