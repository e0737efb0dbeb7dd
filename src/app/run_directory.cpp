#include "app/run_directory.h"

std::string RunDirectoryFromModulePath(std::string_view modulePath) {
  size_t lastBackslash = std::string_view::npos;
  for (size_t i = 0; i < modulePath.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(modulePath[i]);
    if (byte >= 0x81 && byte <= 0xFE) {
      ++i;  // the trail byte belongs to the character
    } else if (byte == '\\') {
      lastBackslash = i;
    }
  }
  if (lastBackslash == std::string_view::npos) return {};
  return std::string(modulePath.substr(0, lastBackslash));
}
