// Scarica1: the infrared download, with its one error handler around the
// whole call.
#include "component/ErrorReport.h"
#include "component/Viruzedi.h"
#include "infrared/InfraredDialogue.h"
#include "infrared/InfraredRecord.h"
#include "infrared/InfraredTexts.h"
#include "platform/FileSystem.h"

namespace viruzedi {

namespace {

// "KO" in the outcome marker, which the host reads to offer a retry.
void WriteFailureMarker(FileSystem& files, const std::string& marker) {
  files.WriteTextFile(marker, kEsitoFallito);
}

}  // namespace

Variant Viruzedi::Scarica1() {
  OperationGuard guard(*this);
  Platform& platform = *platform_;
  InfraredRecordImport records(platform, dbPath_);
  InfraredDialogue dialogue(
      platform, {[&records](const std::string& reply) { records.Import(reply); },
                 [&records] { records.MakeDurable(); }});
  try {
    FileSystem& files = platform.Files();
    std::string folder = platform.DownloadFolder();
    if (!files.FolderExists(folder)) files.CreateFolder(folder);
    std::string marker = folder + "/" + kFileEsito;

    switch (dialogue.Run(porta_)) {
      case InfraredDialogue::End::kSuccess:
        break;
      case InfraredDialogue::End::kOpenFailure:
        platform.MessageBox(kErroreAperturaPorta, kOkOnly, "");
        WriteFailureMarker(files, marker);
        break;
      case InfraredDialogue::End::kHandshakeTimeout:
        platform.MessageBox(kErroreTimeoutHandshake, kCritical, "");
        break;
      case InfraredDialogue::End::kEmptyReplyTimeout:
      case InfraredDialogue::End::kRecordTimeout:
        platform.MessageBox(kErroreTimeout, kOkOnly, "");
        WriteFailureMarker(files, marker);
        break;
    }
  } catch (...) {
    AutomationError failure = CurrentFailure();
    // The link is closed before the message, as after a time-out.
    dialogue.CloseIfOpen();
    ShowGeneralError(platform, failure);
  }
  return {};
}

}  // namespace viruzedi
