// The one boundary of every operation: how its failure is recorded and how
// it reaches the person or the host. Hosts and the people at them know
// these boxes, so the differences between devices are kept, each as a rule
// of its own.
#pragma once

#include <functional>

#include "operation/Operation.h"

namespace viruzedi {

enum class FailureRule {
  // A critical box whose caption is the number and whose text is the
  // description; the call returns normally (the terminal downloads, the
  // infrared download).
  kGeneralBox,
  // The pen's: a beep, then a critical box captioned "Errore n. N"; the call
  // returns normally.
  kPenBox,
  // No box: the host gets the AutomationError (the reader program imports,
  // ImportaFile, the upload when its form cannot be made).
  kThrown,
};

// Runs `body` as one operation of `operation`. A failure it throws is taken
// as the component's own (CurrentFailure: want of memory 7, any other fault
// 51), recorded in the outcome, then shown or thrown on as `rule` says. A
// body settles what must happen before the person reads of its failure (a
// port closed, a read kept) before it throws.
void RunOperation(Operation& operation, FailureRule rule, const std::function<void()>& body);

// Shows `failure` in the box of `rule` (kGeneralBox or kPenBox).
void ShowFailure(Platform& platform, FailureRule rule, const AutomationError& failure);

}  // namespace viruzedi
