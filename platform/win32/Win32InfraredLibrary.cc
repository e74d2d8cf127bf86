// The infrared link library reached through LoadLibraryW (ZiRav.dll).
#include "base/Errors.h"
#include "platform/LoadedInfraredLibrary.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"
#include "platform/win32/Win32Platform.h"

namespace viruzedi {
namespace {

class Win32InfraredLibrary : public LoadedInfraredLibrary {
 public:
  explicit Win32InfraredLibrary(std::string path) : LoadedInfraredLibrary(std::move(path)) {}
  ~Win32InfraredLibrary() override {
    if (module_) FreeLibrary(module_);
  }

 private:
  void Load() override {
    if (module_) return;
    // A path is loaded from there, and its own dependencies beside it; a
    // bare name goes along the DLL search path.
    const bool hasFolder = path().find_first_of("\\/") != std::string::npos;
    module_ = LoadLibraryExW(WidePath(path()).c_str(), nullptr,
                             hasFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    if (!module_) {
      RaiseError(kFileNotFound,
                 path() + " (LoadLibrary: errore " + std::to_string(GetLastError()) + ")");
    }
  }

  void* Symbol(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

  HMODULE module_ = nullptr;
};

}  // namespace

std::unique_ptr<InfraredLibrary> MakeWin32InfraredLibrary(std::string path) {
  return std::make_unique<Win32InfraredLibrary>(std::move(path));
}

}  // namespace viruzedi
