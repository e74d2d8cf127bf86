// The terminal's storage seen as a folder (mounted or kept in step by a
// sync tool): terminal file N is FOLDER/<N>.txt.
#pragma once

#include <memory>
#include <string>

#include "platform/TerminalLink.h"

namespace viruzedi {

// A link on `folder`; the folder is looked at on each transfer, not here.
//  - RiceviFile(path, N) first claims FOLDER/<N>.txt: locks it and renames
//    it inside FOLDER to a hidden name of this download's own, so that of
//    any number of downloads at once exactly one takes each file. A claim
//    whose download died (its lock free) is taken over, before <N>.txt. The
//    claim then moves onto `path`, replacing what is there (the caller's
//    reservation): within one file system by a rename; across file systems
//    copied aside, flushed, renamed onto `path` and only then deleted from
//    FOLDER. Returns false, `path` untouched, when there is nothing to
//    take. FOLDER missing: AutomationError 76; a file that cannot be taken
//    or written: 70 (naming the folder that refuses; the terminal keeps its
//    file as <N>.txt and `path` is as it was); a <N>.txt that is no regular
//    file (a folder, a pipe, a link to nothing): 75, left where it is.
//  - InviaFile(path) copies the file into FOLDER under its own name, written
//    aside and renamed into place, replacing an older one. The source
//    missing: 53; FOLDER missing: 76.
// FlagAlternativo is false and OperazioneAlternativa does nothing.
std::unique_ptr<TerminalLink> MakeDirectoryTerminalLink(std::string folder);

}  // namespace viruzedi
