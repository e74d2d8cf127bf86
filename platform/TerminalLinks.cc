// Placeholder until the terminal links land.
#include "platform/TerminalLink.h"
#include "platform/Platform.h"

namespace viruzedi {
namespace {
class NoLink : public TerminalLink {
 public:
  bool FlagAlternativo() override { return true; }
  void OperazioneAlternativa() override {}
  void InviaFile(const std::string&) override {}
  void RiceviFile(const std::string&, int16_t) override {}
};
}  // namespace

std::unique_ptr<TerminalLink> MakeTerminalLink(const std::string&, Platform&) {
  return std::make_unique<NoLink>();
}
}  // namespace viruzedi
