// The portable terminal's operations, as the public class forwards them.
#pragma once

#include <string>
#include <vector>

#include "operation/Operation.h"
#include "viruzedi/ImportFormat.h"

namespace viruzedi {

// The pipeline of the four file downloads (Scarica3, Scarica4, Scarica5,
// Scarica_RimesseOF); `format` picks what differs. Failures end in boxes.
void ScaricaFileTerminale(Operation& operation, ImportFormat format);

// Sends the prepared upload file to the terminal. Throws AutomationError
// only when the form itself cannot be made.
void CaricaFileTerminale(Operation& operation);

// ImportaFile for a received file that waits under one of `format`'s names:
// the import its download would have made, then the archive.
void ImportaFileRicevuto(Operation& operation, const std::string& path, ImportFormat format);

// The formats whose downloads receive or archive a file under `name`.
std::vector<ImportFormat> ReceivedFormatsNamed(const std::string& name);

}  // namespace viruzedi
