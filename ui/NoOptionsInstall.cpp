#include "ui/NoOptionsInstall.h"

#include "ui/Actions.h"
#include "ui/Session.h"

namespace sk {

namespace {
// Hooks a progress callback into the model for one scope; unhooks it however the scope ends.
class ProgressHook {
 public:
  ProgressHook(TCompile& model, const TCompileProEvent& progress) : model_(model) {
    model_.SetOnCompile(progress);
  }
  ~ProgressHook() { model_.SetOnCompile(nullptr); }
  ProgressHook(const ProgressHook&) = delete;
  ProgressHook& operator=(const ProgressHook&) = delete;

 private:
  TCompile& model_;
};
}  // namespace

void NoOptionsInstall::Run(const TCompileProEvent& progress) {
  if (state_ != NoOptionsState::Waiting) return;
  state_ = NoOptionsState::Installing;
  try {
    ProgressHook hook(model_, progress);
    InstallWithoutWizard(model_);
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
