// The infrared link library reached through dlopen.
#include <dlfcn.h>

#include "base/Errors.h"
#include "platform/LoadedInfraredLibrary.h"
#include "platform/posix/LinuxPlatform.h"

namespace viruzedi {
namespace {

class DlopenInfraredLibrary : public LoadedInfraredLibrary {
 public:
  explicit DlopenInfraredLibrary(std::string path) : LoadedInfraredLibrary(std::move(path)) {}
  ~DlopenInfraredLibrary() override {
    if (handle_) dlclose(handle_);
  }

 private:
  void Load() override {
    if (handle_) return;
    dlerror();
    handle_ = dlopen(path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      const char* reason = dlerror();
      RaiseError(kFileNotFound, path() + " (" + (reason ? reason : "dlopen") + ")");
    }
  }

  void* Symbol(const char* name) override {
    dlerror();
    return dlsym(handle_, name);
  }

  void* handle_ = nullptr;
};

}  // namespace

std::unique_ptr<InfraredLibrary> MakeDlopenInfraredLibrary(std::string path) {
  return std::make_unique<DlopenInfraredLibrary>(std::move(path));
}

}  // namespace viruzedi
