// What an object of Viruzedi holds between its operations, out of the
// public header's sight: a host's build never depends on it, so it changes
// without a host noticing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "database/DatabaseSettings.h"
#include "operation/SharedUse.h"
#include "serial/PenReceiver.h"
#include "viruzedi/OperationOutcome.h"
#include "viruzedi/Viruzedi.h"

namespace viruzedi {

// The thread of its object.
struct Viruzedi::State {
  explicit State(std::shared_ptr<Platform> services)
      : platform(std::move(services)), pen(*platform) {}

  std::shared_ptr<Platform> platform;
  // The properties: plain stored values, never checked.
  int32_t porta = 0;
  std::string dbPath;
  int16_t idUt = 0;
  // What this object's operations open their databases with: the busy
  // timeout and the observer of rows stored (the command line's progress).
  DatabaseSettings dbSettings;
  PenReceiver pen;
  // Held by every operation for its whole run: the serial control, the
  // receiver's fields and the shared forms serve one operation at a time.
  SharedUse operationRunning;
  OperationOutcome outcome;
};

}  // namespace viruzedi
