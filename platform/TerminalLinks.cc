// The choice of terminal link from its setting ("dir:...", "serial:...").
#include <string_view>

#include "base/Errors.h"
#include "base/Text.h"
#include "platform/DirectoryTerminalLink.h"
#include "viruzedi/Platform.h"
#include "platform/SerialTerminalLink.h"
#include "platform/TerminalLink.h"

namespace viruzedi {
namespace {

constexpr const char kTitoloCollegamento[] = "Collegamento";
// The component serves hosts and the command alike: the variable is the
// setting of both, the command's option only one way of giving it.
constexpr const char kComeConfigurare[] =
    "Per collegare il terminale impostare la variabile d'ambiente VIRUZEDI_TERMINALE a "
    "dir:CARTELLA (la memoria del terminale vista come cartella) oppure "
    "serial:PORTA[,BAUD] (il terminale su una linea seriale); il comando viruzedi "
    "accetta lo stesso valore con l'opzione --terminale o con la chiave terminale del suo "
    "file di impostazioni.";
constexpr const char kNessunTerminale[] = "Nessun terminale configurato.";

// The link when none can transfer: every transfer is replaced by a message
// that says why and how to configure one.
class UnavailableLink : public TerminalLink {
 public:
  UnavailableLink(Platform& platform, std::string reason)
      : platform_(platform), reason_(std::move(reason)) {}

  bool FlagAlternativo() override { return true; }
  void OperazioneAlternativa() override {
    platform_.MessageBox(WithSentence(reason_, kComeConfigurare), kOkOnly, kTitoloCollegamento);
  }
  // The forms never call these when FlagAlternativo is true; a caller that
  // does gets nothing sent and no file received.
  void InviaFile(const std::string&) override {}
  bool RiceviFile(const std::string&, int16_t) override { return false; }

 private:
  Platform& platform_;
  std::string reason_;
};

}  // namespace

std::unique_ptr<TerminalLink> MakeTerminalLink(const std::string& setting, Platform& platform) {
  if (setting.empty()) return std::make_unique<UnavailableLink>(platform, kNessunTerminale);

  if (StartsWithIgnoreCase(setting, "dir:")) {
    std::string folder = setting.substr(4);
    if (folder.empty()) {
      return std::make_unique<UnavailableLink>(
          platform, "Il collegamento \"" + setting + "\" non indica la cartella del terminale.");
    }
    return MakeDirectoryTerminalLink(std::move(folder));
  }

  if (StartsWithIgnoreCase(setting, "serial:")) {
    std::string deviceAndBaud = setting.substr(7);
    if (deviceAndBaud.empty()) {
      return std::make_unique<UnavailableLink>(
          platform, "Il collegamento \"" + setting + "\" non indica il dispositivo seriale.");
    }
    return MakeSerialTerminalLink(deviceAndBaud, platform);
  }

  return std::make_unique<UnavailableLink>(
      platform, "Collegamento al terminale non riconosciuto: \"" + setting + "\".");
}

}  // namespace viruzedi
