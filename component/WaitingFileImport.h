// The import of a file that waits, by the format a person names: handed to
// the import of the device whose operation made such files.
#pragma once

#include <string>

#include "operation/Operation.h"
#include "viruzedi/ImportFormat.h"

namespace viruzedi {

// What Viruzedi::ImportaFile does (its header lists the errors).
void ImportaFileInAttesa(Operation& operation, const std::string& path, ImportFormat format);

}  // namespace viruzedi
