// What makes a path unusable for an SQLite file before SQLite is asked:
// SQLite's answer to a path it cannot take is "unable to open database
// file", which the engine would pass on as a disk error or a refused
// permission and send the person to check the disk or their rights.
#pragma once

#include <filesystem>
#include <string>

namespace viruzedi {

// Why `path` cannot name an SQLite file, in the component's words ("" when
// it can): a name in it longer than the file system takes, or a whole path
// (relative ones made absolute, as SQLite makes them) longer than SQLite's
// file layer takes with the journal's suffix (504 bytes on Linux).
std::string SqlitePathProblem(const std::string& path);

// The file at `path` as an open finds it, checked first: SQLite would create
// a missing file and happily read an empty one as an empty database, which
// the engine wants neither of. 3024 when missing, 3051 when it cannot be
// looked at, 3343 for anything but a file with something in it.
std::filesystem::file_status CheckedFileStatus(const std::string& path);

// A path as the path part of a file: URI, every byte that could end or
// change it escaped.
std::string UriPath(const std::string& path);

}  // namespace viruzedi
