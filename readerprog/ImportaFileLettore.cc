// Placeholder until the import of this format is written.
#include "component/Viruzedi.h"

namespace viruzedi {

void Viruzedi::ImportaFileLettore(const std::string&, bool) { RaiseError(kInvalidArgument); }

}  // namespace viruzedi
