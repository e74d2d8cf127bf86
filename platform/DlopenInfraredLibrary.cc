// Placeholder until the dlopen loader lands.
#include "component/AutomationError.h"
#include "platform/LinuxPlatform.h"

namespace viruzedi {
namespace {
class Missing : public InfraredLibrary {
 public:
  int32_t vbOpenIrCom(int32_t, int32_t) override { RaiseError(kFileNotFound); }
  void WriteIrCom(const std::string&) override { RaiseError(kFileNotFound); }
  void vbReadIrCom(std::string&) override { RaiseError(kFileNotFound); }
  void CloseIrCom() override { RaiseError(kFileNotFound); }
};
}  // namespace

std::unique_ptr<InfraredLibrary> MakeDlopenInfraredLibrary(std::string) {
  return std::make_unique<Missing>();
}
}  // namespace viruzedi
