// The 16-bit CRC of the XMODEM family (polynomial 0x1021, initial value 0,
// no reflection), as the YMODEM blocks carry it.
#pragma once

#include <cstdint>
#include <string_view>

namespace viruzedi {

// The CRC of `bytes`, continuing from `crc` (0 for a fresh start).
uint16_t Crc16Xmodem(std::string_view bytes, uint16_t crc = 0);

}  // namespace viruzedi
