// The failure that reaches a host as an automation error: a number and a
// description. Every failure inside the component is one of these, so an
// error handler shows `number` and `description` without knowing its source.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "viruzedi/Export.h"

namespace viruzedi {

// Every number the component's errors carry: a host tells failures apart by
// them, so each is kept as it was first given.
enum ErrorNumber : int32_t {
  // Runtime errors.
  kInvalidArgument = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kOutOfStringSpace = 14,
  kOperationRefused = 17,
  // A stop request (Ctrl-C, SIGTERM) ended the operation at a safe point.
  kUserInterrupt = 18,
  // A fault of the component or a library it uses, with its text.
  kInternalError = 51,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kInputPastEndOfFile = 62,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kEntryPointMissing = 453,
  // The serial control's receive-overflow event, raised as a failure.
  kReceiveOverflow = 1006,
  // The database.
  kDbOtherError = 3000,
  kDbUpdateWithoutAddNew = 3020,
  kDbFileNotFound = 3024,
  kDbDiskError = 3043,
  kDbLocked = 3045,
  kDbCannotOpen = 3051,
  kDbTableNotFound = 3078,
  kDbUnknownColumn = 3127,
  kDbSyntaxError = 3134,
  // Of a database server (the PostgreSQL engine).
  kDbConnectionLost = 3146,
  kDbCannotConnect = 3151,
  kDbTextTooLong = 3163,
  kDbUnknownField = 3265,
  kDbNotADatabase = 3343,
  kDbNumberOutOfRange = 3349,
  kDbObjectClosed = 3420,
  kDbFieldValue = 3421,
  kDbTypeMismatch = 3464,
  // The serial port.
  kInvalidPortNumber = 8002,
  kPortAlreadyOpen = 8005,
  kSettingsNotApplied = 8015,
  kPortNotOpen = 8018,
};

class VIRUZEDI_API AutomationError : public std::runtime_error {
 public:
  AutomationError(int32_t number, std::string description)
      : std::runtime_error(description), number(number),
        description(std::move(description)) {}

  int32_t number;
  std::string description;
  // Where in a file the failure lies ("FILE, riga N: LINE"), for a log
  // line beside the box; "" when it lies in no file. Never part of the box.
  std::string detail;
};

}  // namespace viruzedi
