// Placeholder until the import of this format is written.
#include "component/Viruzedi.h"

namespace viruzedi {

void Viruzedi::ImportaFilePenna(const std::string&) { RaiseError(kInvalidArgument); }

}  // namespace viruzedi
