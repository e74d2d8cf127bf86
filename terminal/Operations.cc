// Placeholder until the terminal transfers land.
#include "component/Viruzedi.h"
namespace viruzedi {
Variant Viruzedi::Scarica3() { return {}; }
Variant Viruzedi::Scarica4() { return {}; }
Variant Viruzedi::Scarica5() { return {}; }
Variant Viruzedi::Scarica_RimesseOF() { return {}; }
Variant Viruzedi::Upload1() { return {}; }
}  // namespace viruzedi
