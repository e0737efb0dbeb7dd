#pragma once
#include "services/dialogs.h"

// The message box and the input box over the system's dialogs.
class Win32Dialogs : public Dialogs {
 public:
  int ShowMessage(const std::string& text, int style, const std::string& caption) override;
  bool AskText(const std::string& prompt, const std::string& title,
               const std::string& initialText, int mode, std::string* answer) override;
};
