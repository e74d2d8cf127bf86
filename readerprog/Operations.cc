// Placeholder until the reader program imports land.
#include "component/Viruzedi.h"
namespace viruzedi {
void Viruzedi::Scarica2(const std::string&, const std::string&, int32_t, int32_t, int32_t,
                        bool, bool, bool, bool, bool, int16_t) {}
void Viruzedi::Scarica_ZidoriVovi(const std::string&, const std::string&, int32_t, int32_t,
                                  int32_t, bool, bool, bool, bool, bool, int16_t) {}
void Viruzedi::EseguiEAttendi(const std::string&, int32_t) {}
std::string Viruzedi::PercorsoApp() { return platform().ComponentFolder(); }
}  // namespace viruzedi
