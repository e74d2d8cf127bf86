// What the component's own code does with its errors: the standard
// descriptions, the sentence a failure's place adds, and raising one. A host
// sees only the error type (viruzedi/AutomationError.h).
#pragma once

#include <cstdint>
#include <string>

#include "viruzedi/AutomationError.h"

namespace viruzedi {

// The component's own description of a runtime or serial error number
// (Italian, like every text the component shows).
std::string ErrorDescription(int32_t number);

// A description followed by a sentence that the failure's place adds (what
// was kept of a read, which file waits): one full stop between them, whether
// or not the description ends with its own, so that neither "text Sentence"
// nor "text.. Sentence" reaches the person. An empty sentence adds nothing.
std::string WithSentence(const std::string& description, const std::string& sentence);

// Throws AutomationError with the number and its standard description.
[[noreturn]] void RaiseError(int32_t number);
// Throws AutomationError with the number and a description that names the
// detail (a file, a function) after the standard text.
[[noreturn]] void RaiseError(int32_t number, const std::string& detail);

}  // namespace viruzedi
