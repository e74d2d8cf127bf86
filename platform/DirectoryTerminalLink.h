// The terminal's storage seen as a folder (mounted or kept in step by a
// sync tool): terminal file N is FOLDER/<N>.txt.
#pragma once

#include <memory>
#include <string>

#include "platform/TerminalLink.h"

namespace viruzedi {

// A link on `folder`; the folder is looked at on each transfer, not here.
//  - RiceviFile(path, N) moves FOLDER/<N>.txt to `path`, so the terminal's
//    file is taken once. Within one file system the move is a rename; across
//    file systems the file is copied aside, flushed to disk, renamed into
//    place and only then deleted from FOLDER. `path` shows the whole file or
//    nothing. No <N>.txt: returns with no file at `path`. FOLDER missing:
//    AutomationError 76; a file that cannot be taken or written: 70 (then
//    the terminal keeps its file and nothing is left at `path`); a <N>.txt
//    that is no regular file (a folder, a pipe, a link to nothing): 75,
//    left where it is.
//  - InviaFile(path) copies the file into FOLDER under its own name, written
//    aside and renamed into place, replacing an older one. The source
//    missing: 53; FOLDER missing: 76.
// FlagAlternativo is false and OperazioneAlternativa does nothing.
std::unique_ptr<TerminalLink> MakeDirectoryTerminalLink(std::string folder);

}  // namespace viruzedi
