// The infrared reader's operation, as the public class forwards it.
#pragma once

#include "operation/Operation.h"

namespace viruzedi {

// Infrared download through the infrared link library on the object's
// Porta, its rows stored in one transaction after the last record and
// before the reader is told to erase. Its time-outs end in boxes of their
// own; any other failure is thrown, for the boundary's general box, once the
// link is closed. A download to relaunch leaves "KO" in the outcome marker.
void ScaricaInfrarossi(Operation& operation);

}  // namespace viruzedi
