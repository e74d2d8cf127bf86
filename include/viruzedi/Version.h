// The release of the component.
#pragma once

#include "viruzedi/Export.h"

namespace viruzedi {

// The release of this source tree, "MAJOR.MINOR.PATCH": what a host was
// built against. The library's file carries the major number (its
// SOVERSION), which changes when a host built against an older release can
// no longer run on it.
inline constexpr const char kVersion[] = "1.0.0";

// The release of the loaded component library, which a host compares with
// the kVersion it was built against.
VIRUZEDI_API const char* ComponentVersion();

}  // namespace viruzedi
