// The pen's recovery file. The pen forgets a read as it sends it, so a read
// that was received and could not be stored has no other copy: it goes to
// this file, from which `viruzedi importa --formato scarica` stores it later.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "viruzedi/Platform.h"

namespace viruzedi {

// Appends `received` (the bytes as the pen sent them, no line end) and CR LF,
// in one write, to Penna_non_salvate.txt in the download folder, creating the
// folder when missing. Returns the sentence that the failure's message ends
// with: it names the file, or, when the file cannot be written, quotes the
// characters. Never throws: it runs on a failure path, whose own failure is
// the one to report.
std::string SalvaNonSalvate(Platform& platform, const std::string& received) noexcept;

// A read whose commit's outcome is unknown (the server's connection went
// during COMMIT and could not be asked) goes to the recovery file with the
// key its commit would have left in the ledger, after a tab: the read and
// the key of a keyed line, or the line alone and "" for a plain one.
std::string KeyedLine(const std::string& read, const std::string& key);
std::pair<std::string, std::string> SplitKeyedLine(const std::string& line);

// Removes from the recovery file, written aside and then renamed, the keyed
// lines whose read `stored` says was committed after all (its key is the
// one the ledger holds). A file that another process holds is left alone.
// The file system's errors.
void RemoveStoredKeyedLines(Platform& platform,
                            const std::function<bool(const std::string& key)>& stored);

}  // namespace viruzedi
