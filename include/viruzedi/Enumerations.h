// The three public enumerations (32-bit signed values; each member's help
// string is its own name).
#pragma once

#include <cstdint>

namespace viruzedi {

enum Scarica_COM : int32_t {
  COM1 = 1, COM2 = 2, COM3 = 3, COM4 = 4, COM5 = 5, COM6 = 6, COM7 = 7, COM8 = 8,
};

enum Scarica_Baud : int32_t {
  B115200 = 1, B57600 = 2, B38400 = 3, B19200 = 4, B9600 = 5,
};

enum Scarica_ModFile : int32_t {
  Sovrascrivi = 1, Accoda = 2, Rinomina = 3, Auto = 4,
};

struct EnumerationMember {
  const char* name;
  int32_t value;
};

inline constexpr EnumerationMember kScaricaCOMMembers[] = {
    {"COM1", 1}, {"COM2", 2}, {"COM3", 3}, {"COM4", 4},
    {"COM5", 5}, {"COM6", 6}, {"COM7", 7}, {"COM8", 8}};
inline constexpr EnumerationMember kScaricaBaudMembers[] = {
    {"B115200", 1}, {"B57600", 2}, {"B38400", 3}, {"B19200", 4}, {"B9600", 5}};
inline constexpr EnumerationMember kScaricaModFileMembers[] = {
    {"Sovrascrivi", 1}, {"Accoda", 2}, {"Rinomina", 3}, {"Auto", 4}};

}  // namespace viruzedi
