// SPDX-License-Identifier: GPL-3.0-or-later
// FAT names: code page 936 short-name decoding, the 8.3 form of a path component, and
// the Unicode conversions behind both.
//
// Short names are stored in an OEM code page; here it is code page 936 (GBK), where a byte
// 0x81..0xFE followed by a trail byte (0x40..0x7E, 0x80..0xFE) is one double-byte
// character. Byte 0 of a name has two special values: 0xE5 marks a deleted entry, and 0x05
// stands for a real 0xE5 lead byte in a live entry.
#include "engines/fat/fat_dir.h"
#include "engines/fat/fat_tables.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

uint16_t oem_to_unicode(uint16_t code)
{
    if (code < 0x80)
        return code;
    if (code == 0x80)
        return 0x20AC;  // the euro sign, the one single-byte code above 0x7F
    const uint8_t lead = uint8_t(code >> 8);
    const uint8_t trail = uint8_t(code);
    if (!cp936_is_lead(lead) || !cp936_is_trail(trail))
        return 0;
    const int column = trail < 0x80 ? trail - 0x40 : trail - 0x41;
    return cp936_to_unicode[(lead - 0x81) * cp936_trail_count + column];
}

uint16_t unicode_to_oem(uint16_t unit)
{
    if (unit < 0x80)
        return unit;
    // The reverse table is built once from the forward one and sorted by Unicode; where two
    // codes give the same character the smaller code wins.
    static const std::vector<std::pair<uint16_t, uint16_t>> reverse = [] {
        std::vector<std::pair<uint16_t, uint16_t>> pairs;
        pairs.reserve(22000);
        pairs.emplace_back(uint16_t(0x20AC), uint16_t(0x80));
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                const uint16_t code = uint16_t(lead << 8 | trail);
                const uint16_t u = oem_to_unicode(code);
                if (u)
                    pairs.emplace_back(u, code);
            }
        }
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        return pairs;
    }();
    auto it = std::lower_bound(reverse.begin(), reverse.end(), unit,
                               [](const auto& pair, uint16_t u) { return pair.first < u; });
    if (it == reverse.end() || it->first != unit)
        return 0;
    return it->second;
}

uint16_t unicode_upper(uint16_t unit)
{
    if (unit < 0x61)
        return unit;
    for (int i = 0; i < unicode_upper_range_count; ++i) {
        const case_range_s& r = unicode_upper_ranges[i];
        if (unit >= r.first && unit <= r.last && (unit - r.first) % r.step == 0)
            return uint16_t(unit + r.delta);
    }
    return unit;
}

namespace {

// One short-name part (body or extension) to UTF-16. pair_before: the last index at which
// a lead byte may still take the following byte as its trail.
int decode_part(const uint8_t* bytes, int count, bool lower, bool deleted_first, char16_t* out)
{
    int o = 0;
    for (int i = 0; i < count; ++i) {
        uint8_t c = bytes[i];
        if (c == ' ')
            break;
        if (lower && c >= 'A' && c <= 'Z')
            c = uint8_t(c + 0x20);
        uint16_t code = c;
        if (cp936_is_lead(c) && i + 1 < count && cp936_is_trail(bytes[i + 1])) {
            // NOTE: a deleted entry has lost its first byte to the 0xE5 mark. When the next
            // byte is ASCII the mark stood for a one-byte character (README.TXT becomes
            // E5 "EADME" "TXT"): pairing it would swallow the second letter. Only a next
            // byte of 0x80 or above can be the trail of a lost double-byte character.
            if (!(deleted_first && i == 0 && bytes[1] < 0x80)) {
                code = uint16_t(c << 8 | bytes[i + 1]);
                ++i;
            }
        }
        if (code >= 0x80) {
            const uint16_t u = oem_to_unicode(code);
            out[o++] = u ? char16_t(u) : u'?';
        } else {
            out[o++] = char16_t(code);
        }
    }
    return o;
}

}  // namespace

void decode_short_name(const uint8_t* name11, uint8_t case_flags, bool deleted, char16_t* out)
{
    uint8_t body[8];
    std::memcpy(body, name11, 8);
    if (body[0] == 0x05)
        body[0] = 0xE5;
    int o = decode_part(body, 8, case_flags & 0x08, deleted && name11[0] == FAT_DELETED_MARK, out);
    if (name11[8] != ' ') {
        out[o++] = u'.';
        o += decode_part(name11 + 8, 3, case_flags & 0x10, false, out + o);
    }
    out[o] = 0;
}

uint8_t parse_name(fat_dir* dir, const char16_t** path)
{
    const char16_t* p = *path;
    while (*p == u'/' || *p == u'\\')
        ++p;
    char16_t* lfn = dir->long_name_work;
    int length = 0;
    for (;;) {
        const char16_t w = *p;
        if (w < 0x20 || w == u'/' || w == u'\\')
            break;
        if (length >= fat_lfn_max)
            return FAT_BAD_NAME;
        if (w < 0x80 && (w == u'"' || w == 0x7F || std::strchr("*:<>?|", char(w))))
            return FAT_BAD_NAME;
        lfn[length++] = w;
        ++p;
    }
    const char16_t* rest = p;
    while (*rest == u'/' || *rest == u'\\')
        ++rest;
    const bool last = *rest < 0x20;
    *path = p;
    while (length > 0 && (lfn[length - 1] == u' ' || lfn[length - 1] == u'.'))
        --length;
    if (length == 0)
        return FAT_BAD_NAME;
    lfn[length] = 0;

    // The 8.3 form: body up to 8 and extension up to 3 bytes, upper case, OEM encoded.
    uint8_t* sfn = dir->short_name_work;
    std::memset(sfn, ' ', 11);
    bool lossy = false;
    int start = 0;
    while (start < length && (lfn[start] == u' ' || lfn[start] == u'.'))
        ++start;
    if (start > 0)
        lossy = true;
    int after_dot = length;
    while (after_dot > start && lfn[after_dot - 1] != u'.')
        --after_dot;
    int body_end = length;
    int ext_begin = length;
    if (after_dot > start) {
        body_end = after_dot - 1;
        ext_begin = after_dot;
    }
    auto put = [&](int from, int to, int pos, int limit) {
        for (int k = from; k < to; ++k) {
            uint16_t w = lfn[k];
            if (w == u' ' || w == u'.') {
                lossy = true;
                continue;
            }
            uint16_t code;
            if (w >= 0x80) {
                code = unicode_to_oem(unicode_upper(w));
                if (code == 0) {
                    code = '_';
                    lossy = true;
                }
            } else if (std::strchr("+,;=[]", char(w))) {
                code = '_';
                lossy = true;
            } else {
                code = (w >= 'a' && w <= 'z') ? uint16_t(w - 0x20) : w;
            }
            const int width = code > 0xFF ? 2 : 1;
            if (pos + width > limit) {
                lossy = true;
                break;
            }
            if (width == 2)
                sfn[pos++] = uint8_t(code >> 8);
            sfn[pos++] = uint8_t(code);
        }
    };
    put(start, body_end, 0, 8);
    put(ext_begin, length, 8, 11);
    if (sfn[0] == FAT_DELETED_MARK)
        sfn[0] = 0x05;
    sfn[11] = uint8_t((last ? FAT_NAME_LAST : 0) | (lossy ? FAT_NAME_LOSSY : 0));
    return FAT_OK;
}
