#include "ui/win32/Dialogs.h"

#include <windows.h>

#include "ui/win32/Controls.h"

namespace sk::ui {

namespace {
int Box(const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(GetActiveWindow(), Wide(text).c_str(), Wide(caption).c_str(), flags);
}
}  // namespace

void MessageInfo(const std::string& text, const std::string& caption) {
  Box(text, caption, MB_OK | MB_ICONINFORMATION);
}

void MessageError(const std::string& text, const std::string& caption) {
  Box(text, caption, MB_OK | MB_ICONERROR);
}

BoxAnswer MessageAbortRetryIgnore(const std::string& text, const std::string& caption) {
  switch (Box(text, caption, MB_ABORTRETRYIGNORE | MB_ICONWARNING | MB_DEFBUTTON2)) {
    case IDABORT:
      return BoxAnswer::Abort;
    case IDIGNORE:
      return BoxAnswer::Ignore;
    default:
      return BoxAnswer::Retry;
  }
}

bool MessageYesNo(const std::string& text, const std::string& caption) {
  return Box(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace sk::ui
