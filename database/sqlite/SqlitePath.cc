#include "database/sqlite/SqlitePath.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace viruzedi {

std::string SqlitePathProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  // Only what the system says of the name matters: the file may not exist.
  static_cast<void>(fs::status(path, error));
  if (error == std::errc::filename_too_long) {
    return "un nome di cartella o di file del percorso è più lungo di quanto il file system "
           "accetti";
  }
  const sqlite3_vfs* files = sqlite3_vfs_find(nullptr);
  const fs::path whole = fs::absolute(path, error);
  if (files == nullptr || error) return "";
  const size_t length = whole.string().size();
  if (length <= static_cast<size_t>(files->mxPathname)) return "";
  return "il percorso completo è lungo " + std::to_string(length) + " byte e SQLite ne accetta "
         "al più " + std::to_string(files->mxPathname);
}

}  // namespace viruzedi
