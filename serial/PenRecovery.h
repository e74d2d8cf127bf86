// The pen's recovery file. The pen forgets a read as it sends it, so a read
// that was received and could not be stored has no other copy: it goes to
// this file, from which `viruzedi importa --formato scarica` stores it later.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace viruzedi {

// Appends `received` (the bytes as the pen sent them, no line end) and CR LF,
// in one write, to Penna_non_salvate.txt in the download folder, creating the
// folder when missing. Returns the sentence that the failure's message ends
// with: it names the file, or, when the file cannot be written, quotes the
// characters. Never throws: it runs on a failure path, whose own failure is
// the one to report.
std::string SalvaNonSalvate(Platform& platform, const std::string& received) noexcept;

}  // namespace viruzedi
