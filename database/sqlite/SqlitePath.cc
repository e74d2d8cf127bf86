#include "database/sqlite/SqlitePath.h"

#include <sqlite3.h>

#include <cctype>
#include <filesystem>
#include <system_error>

#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

// The longest name SQLite gives a file beside the database.
constexpr char kLongestSuffix[] = "-journal";

}  // namespace

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
  // The journal beside the file is named by the file's path and its suffix,
  // and must fit as well.
  const size_t most = static_cast<size_t>(files->mxPathname) - (sizeof kLongestSuffix - 1);
  const size_t length = whole.string().size();
  if (length <= most) return "";
  return "il percorso completo è lungo " + std::to_string(length) +
         " byte e SQLite ne accetta "
         "al più " +
         std::to_string(most);
}

std::filesystem::file_status CheckedFileStatus(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) RaiseDatabaseError(kDbFileNotFound, path);
  if (error) RaiseDatabaseError(kDbCannotOpen, path);
  if (!fs::is_regular_file(status)) RaiseDatabaseError(kDbNotADatabase, path);
  std::uintmax_t size = fs::file_size(path, error);
  if (error) RaiseDatabaseError(kDbCannotOpen, path);
  if (size == 0) RaiseDatabaseError(kDbNotADatabase, path);
  return status;
}

std::string UriPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0xF];
    }
  }
  return escaped;
}

}  // namespace viruzedi
