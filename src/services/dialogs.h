#pragma once
#include <string>

// Message box styles the program passes.
enum MessageStyle : int {
  kStyleInformation = 64,
  kStyleError = 16,
  kStyleQuestion = 36,
};

// Result codes of ShowMessage.
enum MessageResult : int {
  kResultOk = 0, kResultCancel = 1, kResultAbort = 2, kResultRetry = 3,
  kResultIgnore = 4, kResultYes = 5, kResultNo = 6,
};

// The two modal dialogs. Texts are GBK.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual int ShowMessage(const std::string& text, int style, const std::string& caption) = 0;
  // True for OK, with the field's text in *answer; false leaves *answer untouched.
  virtual bool AskText(const std::string& prompt, const std::string& title,
                       const std::string& initialText, int mode, std::string* answer) = 0;
};
