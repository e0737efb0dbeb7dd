#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/dialogs.h"

// Scripted answers; every dialog shown is logged.
class FakeDialogs : public Dialogs {
 public:
  struct Message {
    std::string text;
    int style;
    std::string caption;
    bool operator==(const Message&) const = default;
  };
  struct Question {
    std::string prompt, title, initialText;
    int mode;
  };

  std::deque<int> messageAnswers;                   // kResultOk when used up
  std::deque<std::optional<std::string>> answers;   // nothing = Cancel; Cancel when used up

  std::vector<Message> messages;
  std::vector<Question> questions;
  // Runs while a dialog is open, e.g. to see whether the main window is on top.
  std::function<void()> whileOpen;

  int ShowMessage(const std::string& text, int style, const std::string& caption) override;
  bool AskText(const std::string& prompt, const std::string& title, const std::string& initialText,
               int mode, std::string* answer) override;
};
