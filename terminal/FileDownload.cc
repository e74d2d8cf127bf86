#include "terminal/FileDownload.h"

#include <chrono>
#include <memory>

#include "component/Conversions.h"
#include "component/Database.h"
#include "component/ErrorReport.h"
#include "component/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/Forms.h"

namespace viruzedi {
namespace {

constexpr const char kImportato[] = "Importato_";

std::string Stamp(const LocalDateTime& t) {
  return FileDate(t.year, t.month, t.day) + "-" + FileTime(t.hour, t.minute, t.second);
}

}  // namespace

LocalDateTime NextSecond(LocalDateTime time) {
  using namespace std::chrono;
  // Calendar arithmetic only: the names count seconds of the wall clock, so
  // no time zone or daylight saving enters.
  sys_days day = year_month_day{year{time.year}, month{static_cast<unsigned>(time.month)},
                                std::chrono::day{static_cast<unsigned>(time.day)}};
  sys_seconds next = day + hours{time.hour} + minutes{time.minute} + seconds{time.second} +
                     seconds{1};
  sys_days nextDay = floor<days>(next);
  year_month_day date{nextDay};
  hh_mm_ss clock{next - nextDay};
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(clock.hours().count()),
                       static_cast<int>(clock.minutes().count()),
                       static_cast<int>(clock.seconds().count())};
}

std::string FreeTemporaryName(const FileDownload& download, Platform& platform,
                              const std::string& folder, LocalDateTime start) {
  FileSystem& files = platform.Files();
  for (LocalDateTime t = start;; t = NextSecond(t)) {
    std::string name = download.prefix + Stamp(t) + ".tmp";
    if (files.FileExists(folder + "/" + name)) continue;
    if (download.archive == ArchiveRule::kImportato &&
        files.FileExists(folder + "/" + kImportato + name)) {
      continue;
    }
    return name;
  }
}

Variant RunFileDownload(const FileDownload& download, Platform& platform,
                        const std::string& dbPath, int16_t idUt) {
  try {
    const std::string folder = platform.DownloadFolder();
    const std::string nomeFile = FreeTemporaryName(download, platform, folder, platform.LocalNow());

    ScaricaDuzuForm& form = ScaricaDuzu();
    form.NomeCartella = folder;
    form.NomeFile = nomeFile;
    form.NumeroFile = download.numeroFile;
    form.Load(platform);
    form.Unload();

    FileSystem& files = platform.Files();
    const std::string path = folder + "/" + nomeFile;
    if (!files.FileExists(path)) return {};

    std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(dbPath);
    std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
    LineContext context{platform, idUt};
    while (!stream->AtEndOfStream()) {
      std::optional<std::string> statement =
          download.grammar(SplitFields(stream->ReadLine()), context);
      if (statement) {
        database->Execute(*statement);
      } else {
        platform.MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloAttenzione);
      }
    }
    stream->Close();
    // The archived file is the only trace of what the terminal sent: its rows
    // must be on disk before it stops looking unimported.
    database->MakeDurable();
    database->Close();

    std::string archivio = download.archive == ArchiveRule::kImportato
                               ? kImportato + nomeFile
                               : download.prefix + Stamp(platform.LocalNow()) + ".TMP";
    files.MoveFile(path, folder + "/" + archivio);
  } catch (...) {
    ShowGeneralError(platform);
  }
  return {};
}

}  // namespace viruzedi
