// What makes a path unusable for an SQLite file before SQLite is asked:
// SQLite's answer to a path it cannot take is "unable to open database
// file", which the engine would pass on as a disk error or a refused
// permission and send the person to check the disk or their rights.
#pragma once

#include <string>

namespace viruzedi {

// Why `path` cannot name an SQLite file, in the component's words ("" when
// it can): a name in it longer than the file system takes, or a whole path
// (relative ones made absolute, as SQLite makes them) longer than SQLite's
// file layer takes with the journal's suffix (504 bytes on Linux).
std::string SqlitePathProblem(const std::string& path);

}  // namespace viruzedi
