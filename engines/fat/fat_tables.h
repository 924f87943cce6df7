// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 936 (GBK) and Unicode upper-case conversions used for FAT short names.
#pragma once

#include <cstdint>

inline constexpr int cp936_lead_count = 0xFE - 0x81 + 1;  // lead bytes 0x81..0xFE
inline constexpr int cp936_trail_count = 190;              // 0x40..0x7E and 0x80..0xFE

struct case_range_s {
    uint16_t first;
    uint16_t last;
    uint16_t delta;  // added modulo 0x10000
    uint16_t step;
};

extern const uint16_t cp936_to_unicode[cp936_lead_count * cp936_trail_count];
extern const case_range_s unicode_upper_ranges[];
extern const int unicode_upper_range_count;

// Lead byte of a double-byte code (0x81..0xFE) and valid trail byte (0x40..0x7E, 0x80..0xFE).
inline bool cp936_is_lead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
inline bool cp936_is_trail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

// OEM code (one byte, or lead * 256 + trail) to a UTF-16 unit; codes below 0x80 are
// themselves; 0 when the code has no mapping.
uint16_t oem_to_unicode(uint16_t code);
// UTF-16 unit to an OEM code (a value above 0xFF is a double-byte code); units below 0x80
// are themselves; 0 when code page 936 cannot represent the unit.
uint16_t unicode_to_oem(uint16_t unit);
// Simple upper case of one UTF-16 unit; the unit itself when it has none.
uint16_t unicode_upper(uint16_t unit);
