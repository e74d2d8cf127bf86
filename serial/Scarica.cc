// Placeholder until the pen download lands.
#include "component/Viruzedi.h"
namespace viruzedi {
Variant Viruzedi::Scarica() { return {}; }
}  // namespace viruzedi
