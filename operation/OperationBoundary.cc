#include "operation/OperationBoundary.h"

#include <string>

#include "operation/ErrorReport.h"
#include "operation/Messages.h"

namespace viruzedi {

void RunOperation(Operation& operation, FailureRule rule, const std::function<void()>& body) {
  try {
    body();
  } catch (...) {
    const AutomationError failure = CurrentFailure();
    operation.NoteFailure(failure);
    if (rule == FailureRule::kThrown) throw failure;
    ShowFailure(operation.platform, rule, failure);
  }
}

void ShowFailure(Platform& platform, FailureRule rule, const AutomationError& failure) {
  if (rule == FailureRule::kPenBox) {
    platform.Beep();
    platform.MessageBox(failure.description, kCritical,
                        kTitoloErrore + std::to_string(failure.number));
    return;
  }
  platform.MessageBox(failure.description, kCritical, std::to_string(failure.number));
}

}  // namespace viruzedi
