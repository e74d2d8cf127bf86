// The reader program's operations, as the public class forwards them, and
// the two steps of them that stand on their own.
#pragma once

#include <cstdint>
#include <string>

#include "operation/Operation.h"
#include "platform/ProcessRunner.h"
#include "readerprog/ReaderCommandLine.h"
#include "readerprog/ReaderFileImport.h"

namespace viruzedi {

// What both reader program imports (Scarica2, Scarica_ZidoriVovi) do:
// check `database` and its columns, run the reader program for the reader
// file, then import that file all or nothing (ImportReaderLines). Shows the
// no-data message when the program finished and left no file. Throws
// AutomationError on any failure; once the check has passed it names the
// reader file. The program's exit statuses
// become 5, 8002, 8005, 57, a program that cannot start 53, a stop 18.
void ImportReaderFile(Operation& operation, const std::string& database,
                      const ReaderProgramParameters& parameters, const ReaderFileFormat& format);

// ImportaFile for a reader file (of the GS1 import when `gs1`): the file an
// operator imports by hand once the cause of its failure is fixed.
void ImportaFileLettore(Operation& operation, const std::string& path, bool gs1);

// Runs a command line as a child process and waits for it without limit; a
// stop request ends the child (SIGTERM) and the wait. How it ended. Throws
// 6, before any process exists, when `showState` does not fit 16 bits.
ProcessExit EseguiEAttendi(Platform& platform, const std::string& commandLine,
                           int32_t showState = 0);

// Folder of the component's own library file, ending in the separator.
std::string PercorsoApp(Platform& platform);

}  // namespace viruzedi
