// The infrared link library reached through LoadLibraryW. Nothing is loaded
// until the first call, and each function is looked up at its own first
// call, so a component without the library (or with an older one) keeps
// every other operation working and fails only where the missing piece is
// needed. The library's functions are __stdcall, exported under their plain
// names (on 64-bit Windows there is one calling convention anyway).
#include <cstring>
#include <mutex>

#include "base/AutomationError.h"
#include "platform/Windows1252.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"
#include "platform/win32/Win32Platform.h"

namespace viruzedi {
namespace {

// The library's side of the boundary: texts in Windows-1252.
extern "C" {
using OpenFunction = int32_t(__stdcall*)(int32_t port, int32_t baud);
using WriteFunction = void(__stdcall*)(const char* text);
using ReadFunction = void(__stdcall*)(char* buffer101);
using CloseFunction = void(__stdcall*)();
}

constexpr size_t kReplyLength = 100;

class Win32InfraredLibrary : public InfraredLibrary {
 public:
  explicit Win32InfraredLibrary(std::string path) : path_(std::move(path)) {}
  ~Win32InfraredLibrary() override {
    if (module_) FreeLibrary(module_);
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
    if (!module_) {
      // A path is loaded from there, and its own dependencies beside it; a
      // bare name goes along the DLL search path.
      const bool hasFolder = path_.find_first_of("\\/") != std::string::npos;
      module_ = LoadLibraryExW(WidePath(path_).c_str(), nullptr,
                               hasFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
      if (!module_) {
        RaiseError(kFileNotFound,
                   path_ + " (LoadLibrary: errore " + std::to_string(GetLastError()) + ")");
      }
    }
    FARPROC symbol = GetProcAddress(module_, name);
    if (!symbol) RaiseError(kEntryPointMissing, std::string(name) + " in " + path_);
    cached = reinterpret_cast<Pointer>(reinterpret_cast<void*>(symbol));
    return cached;
  }

  std::string path_;
  std::mutex mutex_;
  HMODULE module_ = nullptr;
  OpenFunction open_ = nullptr;
  WriteFunction write_ = nullptr;
  ReadFunction read_ = nullptr;
  CloseFunction close_ = nullptr;
};

}  // namespace

std::unique_ptr<InfraredLibrary> MakeWin32InfraredLibrary(std::string path) {
  return std::make_unique<Win32InfraredLibrary>(std::move(path));
}

}  // namespace viruzedi
