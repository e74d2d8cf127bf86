// Received files that a crash left between their arrival and the terminal
// hearing of it (kMarcaDaConfermare, platform/TerminalLink.h): the terminal
// kept its copy or dropped it, nobody knows which, until the next download
// of their kind sees what the terminal sends.
#pragma once

#include <string>

#include "database/Database.h"
#include "viruzedi/Platform.h"
#include "terminal/FileDownload.h"

namespace viruzedi {

// After the transfer of `download` into `folder`, `received` naming the
// file just received ("" when the terminal sent none). An earlier file of
// the kind whose delivery was unknown is the same file sent again when its
// bytes are those just received: still waiting, it is removed (the one
// just received is imported in its place); stored already, as the import
// ledger tells, the one just received is a copy, and true is returned for
// the caller to drop it. Otherwise the terminal had dropped its copy, and
// the earlier file is a file like any other. Either way it is settled: its
// marker goes.
bool SettleUnconfirmedFiles(const FileDownload& download, Platform& platform, Database& database,
                            const std::string& folder, const std::string& received);

}  // namespace viruzedi
