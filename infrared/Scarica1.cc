// Placeholder until the infrared download lands.
#include "component/Viruzedi.h"
namespace viruzedi {
Variant Viruzedi::Scarica1() { return {}; }
}  // namespace viruzedi
