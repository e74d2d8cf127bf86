#include "platform/LoadedInfraredLibrary.h"

#include <cstring>

#include "base/Errors.h"
#include "platform/Windows1252.h"

// The library's functions are __stdcall on 32-bit Windows, exported under
// their plain names (64-bit Windows and Linux have one calling convention).
#if defined(_WIN32) && defined(__i386__)
#define VIRUZEDI_INFRARED_CALL __stdcall
#else
#define VIRUZEDI_INFRARED_CALL
#endif

namespace viruzedi {
namespace {

// The library's side of the boundary: C linkage, texts in Windows-1252.
extern "C" {
using OpenFunction = int32_t(VIRUZEDI_INFRARED_CALL*)(int32_t port, int32_t baud);
using WriteFunction = void(VIRUZEDI_INFRARED_CALL*)(const char* text);
using ReadFunction = void(VIRUZEDI_INFRARED_CALL*)(char* buffer101);
using CloseFunction = void(VIRUZEDI_INFRARED_CALL*)();
}

constexpr size_t kReplyLength = 100;

}  // namespace

template <typename Pointer>
Pointer LoadedInfraredLibrary::Function(void*& cached, const char* name) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!cached) {
    Load();
    cached = Symbol(name);
    if (!cached) RaiseError(kEntryPointMissing, std::string(name) + " in " + path_);
  }
  return reinterpret_cast<Pointer>(cached);
}

int32_t LoadedInfraredLibrary::vbOpenIrCom(int32_t port, int32_t baud) {
  return Function<OpenFunction>(open_, "vbOpenIrCom")(port, baud);
}

void LoadedInfraredLibrary::WriteIrCom(const std::string& text) {
  WriteFunction write = Function<WriteFunction>(write_, "WriteIrCom");
  std::string bytes = Utf8ToWindows1252(text);
  write(bytes.c_str());
}

void LoadedInfraredLibrary::vbReadIrCom(std::string& buffer) {
  ReadFunction read = Function<ReadFunction>(read_, "vbReadIrCom");
  // The library may write any of the 100 places; the 101st keeps the text
  // terminated whatever it does.
  std::string bytes = Utf8ToWindows1252(buffer);
  bytes.resize(kReplyLength, ' ');
  char area[kReplyLength + 1];
  std::memcpy(area, bytes.data(), kReplyLength);
  area[kReplyLength] = '\0';
  read(area);
  buffer = Windows1252ToUtf8(std::string_view(area, kReplyLength));
}

void LoadedInfraredLibrary::CloseIrCom() { Function<CloseFunction>(close_, "CloseIrCom")(); }

}  // namespace viruzedi
