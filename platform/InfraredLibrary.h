// The infrared link library, loaded at the first call of one of
// its functions (never at start-up), so that every other operation works
// without it.
#pragma once

#include <cstdint>
#include <string>

namespace viruzedi {

class InfraredLibrary {
 public:
  virtual ~InfraredLibrary() = default;
  // Each call loads the library on first use: AutomationError 53 when the
  // file cannot be loaded, 453 when the function is missing from it.
  virtual int32_t vbOpenIrCom(int32_t port, int32_t baud) = 0;
  virtual void WriteIrCom(const std::string& text) = 0;
  // `buffer` holds 100 characters on entry; the reply, if any, is written
  // over its beginning. The length stays 100.
  virtual void vbReadIrCom(std::string& buffer) = 0;
  virtual void CloseIrCom() = 0;
};

}  // namespace viruzedi
