#include "fakes/fake_dialogs.h"

int FakeDialogs::ShowMessage(const std::string& text, int style, const std::string& caption) {
  messages.push_back({text, style, caption});
  if (whileOpen) whileOpen();
  if (messageAnswers.empty()) return kResultOk;
  const int answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

bool FakeDialogs::AskText(const std::string& prompt, const std::string& title,
                          const std::string& initialText, int mode, std::string* answer) {
  questions.push_back({prompt, title, initialText, mode});
  if (whileOpen) whileOpen();
  if (answers.empty()) return false;
  std::optional<std::string> next = std::move(answers.front());
  answers.pop_front();
  if (!next) return false;
  *answer = *next;
  return true;
}
