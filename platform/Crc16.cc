#include "platform/Crc16.h"

#include <array>

namespace viruzedi {
namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    uint16_t crc = static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    table[byte] = crc;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

uint16_t Crc16Xmodem(std::string_view bytes, uint16_t crc) {
  for (char c : bytes) {
    unsigned index = ((crc >> 8) ^ static_cast<unsigned char>(c)) & 0xFF;
    crc = static_cast<uint16_t>((crc << 8) ^ kTable[index]);
  }
  return crc;
}

}  // namespace viruzedi
