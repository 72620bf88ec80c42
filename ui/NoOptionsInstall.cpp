#include "ui/NoOptionsInstall.h"

#include "ui/Actions.h"
#include "ui/Session.h"

namespace sk {

void NoOptionsInstall::Run(const TCompileProEvent& progress) {
  if (state_ != NoOptionsState::Waiting) return;
  state_ = NoOptionsState::Installing;
  try {
    InstallWithoutWizard(model_, progress);
    state_ = NoOptionsState::Done;
  } catch (...) {
    failure_ = std::current_exception();
    state_ = NoOptionsState::Failed;
  }
}

bool NoOptionsInstall::CloseQuery(const AskYesNo& ask) {
  switch (state_) {
    case NoOptionsState::Waiting:
    case NoOptionsState::Installing:
      return false;
    case NoOptionsState::Done:
      OfferReboot(model_, ask);
      return true;
    case NoOptionsState::Failed:
      return true;
  }
  return true;
}

}  // namespace sk
