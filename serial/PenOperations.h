// The pen reader's operations, as the public class forwards them.
#pragma once

#include <string>

#include "operation/Operation.h"
#include "serial/PenReceiver.h"

namespace viruzedi {

// Pen reader download over `pen`'s port (the object's Porta) into table
// Viruzedi, one committed row per read, until the reader says that none is
// left. A time-out ends in the pen's own box; any other failure is thrown,
// for the boundary's pen box (FailureRule::kPenBox), after the port is
// closed and a read the pen sent and that no row holds has gone to the
// recovery file its description names.
void ScaricaPenna(Operation& operation, PenReceiver& pen);

// Stores the reads of the pen's recovery file (or any file of pen lines)
// as the pen download would, all or none, then renames the file imported.
// The errors of ImportaFile.
void ImportaFilePenna(Operation& operation, const std::string& path);

// True for the pen's recovery file under any of its names.
bool IsPenRecoveryFile(const std::string& path);

}  // namespace viruzedi
