// The failure that reaches a host as an automation error: a number and a
// description. Every failure inside the component is one of these, so an
// error handler shows `number` and `description` without knowing its source.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "viruzedi/Export.h"

namespace viruzedi {

// Runtime and control error numbers used by the component.
enum ErrorNumber : int32_t {
  kInvalidArgument = 5,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kOutOfStringSpace = 14,
  // A stop request (Ctrl-C, SIGTERM) ended the operation at a safe point.
  kUserInterrupt = 18,
  kOperationRefused = 17,
  kFileNotFound = 53,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kInputPastEndOfFile = 62,
  kDeviceIoError = 57,
  kPathFileAccessError = 75,
  kPermissionDenied = 70,
  kPathNotFound = 76,
  kEntryPointMissing = 453,
  // The serial control's receive-overflow event, raised as a failure.
  kReceiveOverflow = 1006,
  kInvalidPortNumber = 8002,
  kPortAlreadyOpen = 8005,
  kPortNotOpen = 8018,
  kSettingsNotApplied = 8015,
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
