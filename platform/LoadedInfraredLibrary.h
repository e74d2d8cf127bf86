// The infrared link library as a loaded module, for each system's loader:
// nothing is loaded until the first call, and each function is looked up at
// its own first call, so a component without the library (or with an older
// one) keeps every other operation working and fails only where the missing
// piece is needed. The calls, their texts in Windows-1252 and the reply
// area are written here once; a system supplies the loading and the lookup.
#pragma once

#include <mutex>
#include <string>

#include "platform/InfraredLibrary.h"

namespace viruzedi {

class LoadedInfraredLibrary : public InfraredLibrary {
 public:
  int32_t vbOpenIrCom(int32_t port, int32_t baud) override;
  void WriteIrCom(const std::string& text) override;
  void vbReadIrCom(std::string& buffer) override;
  void CloseIrCom() override;

 protected:
  explicit LoadedInfraredLibrary(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // Loads the module at path() unless it is loaded: AutomationError 53 with
  // the loader's reason when it cannot be.
  virtual void Load() = 0;
  // The loaded module's function `name`, or null when it has none.
  virtual void* Symbol(const char* name) = 0;

 private:
  // The function `name`, loading the module first: 453 when it is missing.
  template <typename Pointer>
  Pointer Function(void*& cached, const char* name);

  std::string path_;
  std::mutex mutex_;
  void* open_ = nullptr;
  void* write_ = nullptr;
  void* read_ = nullptr;
  void* close_ = nullptr;
};

}  // namespace viruzedi
