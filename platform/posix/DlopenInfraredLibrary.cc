// The infrared link library reached through dlopen. Nothing is loaded until
// the first call, and each function is looked up at its own first call, so a
// component without the library (or with an older one) keeps every other
// operation working and fails only where the missing piece is needed.
#include <dlfcn.h>

#include <cstring>
#include <mutex>

#include "base/AutomationError.h"
#include "platform/posix/LinuxPlatform.h"
#include "platform/Windows1252.h"

namespace viruzedi {
namespace {

// The library's side of the boundary: C linkage, texts in Windows-1252.
extern "C" {
using OpenFunction = int32_t (*)(int32_t port, int32_t baud);
using WriteFunction = void (*)(const char* text);
using ReadFunction = void (*)(char* buffer101);
using CloseFunction = void (*)();
}

constexpr size_t kReplyLength = 100;

class DlopenInfraredLibrary : public InfraredLibrary {
 public:
  explicit DlopenInfraredLibrary(std::string path) : path_(std::move(path)) {}
  ~DlopenInfraredLibrary() override {
    if (handle_) dlclose(handle_);
  }

  int32_t vbOpenIrCom(int32_t port, int32_t baud) override {
    return Function(open_, "vbOpenIrCom")(port, baud);
  }

  void WriteIrCom(const std::string& text) override {
    WriteFunction write = Function(write_, "WriteIrCom");
    std::string bytes = Utf8ToWindows1252(text);
    write(bytes.c_str());
  }

  void vbReadIrCom(std::string& buffer) override {
    ReadFunction read = Function(read_, "vbReadIrCom");
    // The library may write any of the 100 places; the 101st keeps the
    // text terminated whatever it does.
    std::string bytes = Utf8ToWindows1252(buffer);
    bytes.resize(kReplyLength, ' ');
    char area[kReplyLength + 1];
    std::memcpy(area, bytes.data(), kReplyLength);
    area[kReplyLength] = '\0';
    read(area);
    buffer = Windows1252ToUtf8(std::string_view(area, kReplyLength));
  }

  void CloseIrCom() override { Function(close_, "CloseIrCom")(); }

 private:
  template <typename Pointer>
  Pointer Function(Pointer& cached, const char* name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cached) return cached;
    if (!handle_) {
      dlerror();
      handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle_) {
        const char* reason = dlerror();
        RaiseError(kFileNotFound, path_ + " (" + (reason ? reason : "dlopen") + ")");
      }
    }
    dlerror();
    void* symbol = dlsym(handle_, name);
    if (!symbol) RaiseError(kEntryPointMissing, std::string(name) + " in " + path_);
    cached = reinterpret_cast<Pointer>(symbol);
    return cached;
  }

  std::string path_;
  std::mutex mutex_;
  void* handle_ = nullptr;
  OpenFunction open_ = nullptr;
  WriteFunction write_ = nullptr;
  ReadFunction read_ = nullptr;
  CloseFunction close_ = nullptr;
};

}  // namespace

std::unique_ptr<InfraredLibrary> MakeDlopenInfraredLibrary(std::string path) {
  return std::make_unique<DlopenInfraredLibrary>(std::move(path));
}

}  // namespace viruzedi
