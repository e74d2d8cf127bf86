// What one run of an operation takes from the object that runs it. The
// operations live below the public class, each in its device's folder, and
// see the object only through this: the services, the object's properties
// as they stood when the run began, its database settings and the outcome
// the run fills.
#pragma once

#include <cstdint>
#include <string>

#include "database/DatabaseSettings.h"
#include "operation/FileLedger.h"
#include "viruzedi/AutomationError.h"
#include "viruzedi/OperationOutcome.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// For one run on the thread of its object; the references outlive it.
struct Operation {
  Platform& platform;
  int32_t porta;
  std::string dbPath;
  int16_t idUt;
  DatabaseSettings& dbSettings;
  OperationOutcome& outcome;

  // Records the failure that ends the run: with a number, or without one (a
  // time-out, an open failure, a link missing).
  void NoteFailure(const AutomationError& failure);
  void NoteFailure();

  // Takes what a waiting file's import did into the outcome; a file whose
  // rows were stored already is told in a box ("già importato il ...").
  void NoteFileImport(const FileImportResult& result, const std::string& path);
};

}  // namespace viruzedi
