#include "base/Identity.h"
#include "platform/InfraredLibrary.h"
#include "viruzedi/Platform.h"
#include "platform/SerialPort.h"
#include "platform/TerminalLink.h"

namespace viruzedi {

std::string MessageBoxLine(const std::string& text, const std::string& caption) {
  return "[" + (caption.empty() ? std::string(kTypeLibraryName) : caption) + "] " + text;
}

ForwardingPlatform::ForwardingPlatform(std::shared_ptr<Platform> target)
    : target_(std::move(target)) {}
ForwardingPlatform::~ForwardingPlatform() = default;

std::unique_ptr<SerialPort> ForwardingPlatform::CreateSerialPort() {
  return target_->SerialPortOver(*this);
}

std::unique_ptr<TerminalLink> ForwardingPlatform::CreateTerminalLink() {
  return target_->TerminalLinkOver(*this);
}

std::unique_ptr<SerialPort> ForwardingPlatform::SerialPortOver(Platform& services) {
  return target_->SerialPortOver(services);
}

std::unique_ptr<TerminalLink> ForwardingPlatform::TerminalLinkOver(Platform& services) {
  return target_->TerminalLinkOver(services);
}

std::unique_ptr<InfraredLibrary> ForwardingPlatform::InfraredLibraryAt(const std::string& path) {
  return target_->InfraredLibraryAt(path);
}

InfraredLibrary& ForwardingPlatform::Infrared() {
  std::string path = InfraredLibraryPath();
  if (!infrared_ || path != infraredLoadedFrom_) {
    infrared_ = target_->InfraredLibraryAt(path);
    infraredLoadedFrom_ = path;
  }
  return *infrared_;
}

}  // namespace viruzedi
