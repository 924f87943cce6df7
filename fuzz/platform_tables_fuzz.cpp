// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the platform layer's parsers of untrusted text and tables: the mount table,
// the FAT variant of a boot sector, and the partition-table sanity filter.
#include "platform/volumes.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

uint64_t take64(const uint8_t*& p, const uint8_t* end)
{
    uint64_t v = 0;
    for (int i = 0; i < 8 && p < end; ++i, ++p)
        v |= uint64_t(*p) << (8 * i);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The whole input as mount table text.
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const platform::mount_s& m : platform::parse_mountinfo(text))
        (void)m.mount_point.size();

    // The first 512 bytes as a boot sector (shorter inputs too: the size is passed on).
    (void)platform::fat_variant_from_boot_sector(data, size < 512 ? size : 512);

    // The input as partition entries: number, start, length, extended flag; the first
    // eight bytes give the disk size. Whatever is kept must lie inside the disk, have a
    // length, and overlap nothing else kept.
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    const uint64_t disk_sectors = take64(p, end);
    QList<platform::table_entry_s> entries;
    while (end - p >= 18 && entries.size() < 256) {
        platform::table_entry_s e;
        e.partition_no = int(int8_t(*p++));
        e.extended = (*p++ & 1) != 0;
        e.start_sector = take64(p, end);
        e.sector_count = take64(p, end);
        entries.append(e);
    }
    const QList<platform::table_entry_s> kept = platform::sane_table_entries(entries, disk_sectors);
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const platform::table_entry_s& a = kept[i];
        if (a.extended || a.sector_count == 0 || a.start_sector > disk_sectors
            || a.sector_count > disk_sectors - a.start_sector)
            std::abort();
        for (qsizetype j = i + 1; j < kept.size(); ++j) {
            const platform::table_entry_s& b = kept[j];
            if (a.start_sector < b.start_sector + b.sector_count && b.start_sector < a.start_sector + a.sector_count)
                std::abort();
        }
    }
    return 0;
}
