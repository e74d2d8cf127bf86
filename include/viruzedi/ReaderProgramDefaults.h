// What a reader program import (Scarica2, Scarica_ZidoriVovi) takes for an
// optional parameter that its caller leaves out. The component's calls, the
// reader program's command line, the command line's options and their help
// all take them from here, so that a host that omits a parameter and a
// person who omits an option get the same run.
#pragma once

#include <cstdint>

#include "viruzedi/Enumerations.h"

namespace viruzedi::reader_program_defaults {

inline constexpr int32_t kPortaCOM = COM1;
inline constexpr int32_t kBaud = B115200;
inline constexpr int32_t kModFile = Sovrascrivi;
inline constexpr bool kCR = true;
inline constexpr bool kLF = true;
inline constexpr bool kMostraErrore = false;
inline constexpr bool kMostraFile = false;
inline constexpr bool kMostraMaschera = false;
// Seconds of silence after which the reader program stops listening; the
// program itself takes a timeout below 1 as this too.
inline constexpr int16_t kTimeout = 10;

}  // namespace viruzedi::reader_program_defaults
