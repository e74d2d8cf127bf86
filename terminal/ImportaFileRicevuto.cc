// Placeholder until the import of this format is written.
#include "component/Viruzedi.h"

namespace viruzedi {

void Viruzedi::ImportaFileRicevuto(const std::string&, ImportFormat) { RaiseError(kInvalidArgument); }

}  // namespace viruzedi
