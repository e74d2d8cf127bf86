// What the command says to a command name it does not know: the name as
// typed and the nearest of its commands, so that `scarica6`, `Scarica4` or
// `in_attesa` lead to the command meant instead of to a bare usage error.
#pragma once

#include <string>
#include <vector>

namespace viruzedi::cli {

// The edits (a letter added, removed, replaced, or two neighbours swapped)
// that turn one name into the other, letter case ignored: a person who
// types `Scarica4` means `scarica4`.
size_t NameDistance(const std::string& a, const std::string& b);

// The names of `commands` (in their order) nearest to `typed`, all of those
// at the least distance; none when even the nearest differs too much to be
// a slip of the keyboard.
std::vector<std::string> NearestCommands(const std::string& typed,
                                         const std::vector<std::string>& commands);

// One line: `typed` is no command, the nearest ones if any, and where the
// commands are listed.
std::string UnknownCommandText(const std::string& typed, const std::vector<std::string>& commands);

}  // namespace viruzedi::cli
