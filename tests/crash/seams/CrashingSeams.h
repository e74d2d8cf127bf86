// The component's seams with the system, each call of one that changes what
// a crash leaves behind counted, and the process ended at the entry of call
// N, the call not made: on Windows, where no tracer can kill a process at
// a system call, the crash points of a download are these calls. The file
// system (every write, move, delete, creation), the terminal link (each
// transfer) and the database engine (each batch of rows, statement, begin,
// commit, restart, making durable, ledger statement) are the seams; a kill between two of their
// calls leaves what a kill at the next one does.
#pragma once

#include <memory>
#include <string>

#include "database/Engine.h"
#include "platform/FileSystem.h"
#include "viruzedi/Platform.h"
#include "platform/TerminalLink.h"

namespace viruzedi::testing {

// Ends the process at the entry of seam call `number` (from 1); 0 never.
void CrashAtSeamCall(int number);
// The seam calls made so far, and by name ("Begin 1 Commit 1 ...").
int SeamCallsMade();
std::string SeamCallsByName();

// Ends the process as a kill would: nothing buffered is written, nothing is
// tidied; status 137, as a shell reports a SIGKILL.
[[noreturn]] void EndAsKilled();

// The platform of `target`, its file system and terminal links counted and
// its boxes printed on standard output (nobody is there to close them);
// the download folder and the terminal link setting are the given ones.
std::shared_ptr<Platform> CrashingPlatform(std::shared_ptr<Platform> target,
                                           std::string downloadFolder, std::string terminalSetting);

// Routes every database engine through one whose sessions count.
void CountEngineCalls();

}  // namespace viruzedi::testing
