// Message boxes of the setup (Windows only). Texts and captions are GBK. Every box is owned by
// the active window of the thread (none when there is none), so it stays in front of the setup.
#pragma once

#include <string>

#include "ui/Startup.h"

namespace sk::ui {

// Information icon, OK button.
void MessageInfo(const std::string& text, const std::string& caption);
// Error icon, OK button.
void MessageError(const std::string& text, const std::string& caption);
// Question icon, Yes and No buttons; true when Yes was pressed.
bool MessageYesNo(const std::string& text, const std::string& caption);
// Warning icon, Abort, Retry and Ignore buttons (Retry the default).
enum class BoxAnswer { Abort, Retry, Ignore };
BoxAnswer MessageAbortRetryIgnore(const std::string& text, const std::string& caption);

// The boxes of the setup after start-up: caption = the message caption of the run.
inline void ShowInfo(const SetupContext& context, const std::string& text) {
  MessageInfo(text, context.MessageCaption);
}
inline bool AskYesNo(const SetupContext& context, const std::string& text) {
  return MessageYesNo(text, context.MessageCaption);
}

}  // namespace sk::ui
