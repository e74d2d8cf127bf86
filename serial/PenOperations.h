// The pen reader's operations, as the public class forwards them.
#pragma once

#include <string>

#include "operation/Operation.h"
#include "serial/PenReceiver.h"

namespace viruzedi {

// Pen reader download over `pen`'s port (the object's Porta) into table
// Viruzedi, one committed row per read, until the reader says that none is
// left. Every failure ends in a box; a read the pen sent and that no row
// holds goes to the recovery file the box names.
void ScaricaPenna(Operation& operation, PenReceiver& pen);

// Stores the reads of the pen's recovery file (or any file of pen lines)
// as the pen download would, all or none, then renames the file imported.
// The errors of ImportaFile.
void ImportaFilePenna(Operation& operation, const std::string& path);

// True for the pen's recovery file under any of its names.
bool IsPenRecoveryFile(const std::string& path);

}  // namespace viruzedi
