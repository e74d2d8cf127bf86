// The terminal's folder on Windows: not yet written; a transfer says so.
#include "platform/DirectoryTerminalLink.h"

#include "base/AutomationError.h"

namespace viruzedi {
namespace {

class DirectoryTerminalLink : public TerminalLink {
 public:
  explicit DirectoryTerminalLink(std::string folder) : folder_(std::move(folder)) {}
  bool FlagAlternativo() override { return false; }
  void OperazioneAlternativa() override {}
  void InviaFile(const std::string&) override { RaiseError(kPathFileAccessError, folder_); }
  bool RiceviFile(const std::string&, int16_t) override {
    RaiseError(kPathFileAccessError, folder_);
  }

 private:
  std::string folder_;
};

}  // namespace

std::unique_ptr<TerminalLink> MakeDirectoryTerminalLink(std::string folder) {
  return std::make_unique<DirectoryTerminalLink>(std::move(folder));
}

}  // namespace viruzedi
