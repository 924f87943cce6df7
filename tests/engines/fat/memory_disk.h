// SPDX-License-Identifier: GPL-3.0-or-later
// An in-memory drive for the FAT reader's tests: image bytes, sectors that fail to read,
// a partition map, and a record of the highest sector anyone asked for.
#pragma once

#include "engines/fat/fat_volume.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

struct memory_disk_s {
    std::vector<uint8_t> bytes;
    std::set<uint32_t> bad_sectors;
    volume_partition_s map{};
    int bind_result = 0;
    uint32_t highest_read = 0;  // highest sector number read + 1
    uint64_t reads = 0;
};

inline memory_disk_s& memory_disk()
{
    static memory_disk_s disk;
    return disk;
}

namespace memory_disk_ops {

inline int read(int drive, void* destination, uint32_t first, uint8_t count)
{
    memory_disk_s& d = memory_disk();
    if (drive != 0)
        return DISK_NOT_READY;
    if (uint32_t(count) * 512 > transfer_buffer_size)
        return DISK_BAD_PARAM;
    ++d.reads;
    for (uint32_t s = first; s < uint64_t(first) + count; ++s) {
        if (d.bad_sectors.count(s) || (uint64_t(s) + 1) * 512 > d.bytes.size())
            return DISK_ERROR;
    }
    if (first + uint32_t(count) > d.highest_read)
        d.highest_read = first + count;
    std::memcpy(destination, d.bytes.data() + uint64_t(first) * 512, size_t(count) * 512);
    return DISK_OK;
}
inline uint8_t status(int drive) { return drive == 0 ? 0 : DISK_STATUS_NOT_READY; }
inline int count() { return 1; }
inline uint32_t sector_count(int drive) { return drive == 0 ? uint32_t(memory_disk().bytes.size() / 512) : 0; }
inline const volume_partition_s& partition(int) { return memory_disk().map; }
inline int bind(const QString&) { return memory_disk().bind_result; }

}  // namespace memory_disk_ops

inline const fat_disk_s memory_disk_hooks = {
    memory_disk_ops::read, memory_disk_ops::status, memory_disk_ops::count,
    memory_disk_ops::sector_count, memory_disk_ops::partition, memory_disk_ops::bind,
};

// Puts bytes on the memory disk (whole-disk volume, partition 0) and routes the reader to it.
inline void use_memory_disk(std::vector<uint8_t> bytes, volume_partition_s map = {})
{
    memory_disk_s& d = memory_disk();
    d = memory_disk_s{};
    d.bytes = std::move(bytes);
    d.map = map;
    fat_set_disk(&memory_disk_hooks);
}

inline std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::vector<uint8_t> bytes(size_t(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
}

inline void put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}
inline uint32_t get16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
inline uint32_t get32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// Boot-sector fields of a hand-built volume.
struct boot_fields_s {
    uint32_t bytes_per_sector = 512;
    uint32_t sectors_per_cluster = 1;
    uint32_t reserved = 1;
    uint32_t fat_count = 1;
    uint32_t root_entries = 512;
    uint32_t total_sectors = 0;  // written to the 32-bit field
    uint32_t sectors_per_fat = 0;  // written to the 16-bit field when it fits and not FAT32
    uint32_t root_cluster = 2;
    bool fat32_layout = false;     // type text at 82 and the 32-bit sectors_per_fat
    uint16_t signature = 0xAA55;
};

inline std::vector<uint8_t> make_boot_sector(const boot_fields_s& f)
{
    std::vector<uint8_t> b(512, 0);
    b[0] = 0xEB;
    b[1] = 0x3C;
    b[2] = 0x90;
    std::memcpy(&b[3], "MSWIN4.1", 8);
    put16(b, 11, f.bytes_per_sector);
    b[13] = uint8_t(f.sectors_per_cluster);
    put16(b, 14, f.reserved);
    b[16] = uint8_t(f.fat_count);
    put16(b, 17, f.root_entries);
    put32(b, 32, f.total_sectors);
    b[21] = 0xF8;
    if (f.fat32_layout) {
        put32(b, 36, f.sectors_per_fat);
        put32(b, 44, f.root_cluster);
        std::memcpy(&b[82], "FAT32   ", 8);
    } else {
        put16(b, 22, f.sectors_per_fat);
        std::memcpy(&b[54], "FAT16   ", 8);
    }
    put16(b, 510, f.signature);
    return b;
}

// Boot fields of a volume with exactly `clusters` clusters of one sector.
inline boot_fields_s fields_for_clusters(uint32_t clusters)
{
    boot_fields_s f;
    f.fat32_layout = clusters > 65525;
    f.root_entries = f.fat32_layout ? 0 : 512;
    f.sectors_per_fat = uint32_t((uint64_t(clusters + 2) * 4 + 511) / 512);
    f.total_sectors = f.reserved + f.sectors_per_fat * f.fat_count + f.root_entries / 16 + clusters;
    return f;
}

// A small hand-built FAT12 volume: one FAT, a 16-entry root table, every data cluster
// filled with its own number (cluster c holds bytes c & 0xFF).
struct small_fat12_s {
    std::vector<uint8_t> bytes;
    uint32_t spc = 1;
    uint32_t clusters = 0;
    uint32_t fat_start = 1;
    uint32_t sectors_per_fat = 0;
    uint32_t root_start = 0;
    uint32_t data_start = 0;

    small_fat12_s(uint32_t cluster_count, uint32_t sectors_per_cluster = 1)
        : spc(sectors_per_cluster), clusters(cluster_count)
    {
        sectors_per_fat = ((clusters + 2) * 3 / 2 + 1 + 511) / 512;
        root_start = fat_start + sectors_per_fat;
        data_start = root_start + 1;
        const uint32_t total = data_start + clusters * spc;
        boot_fields_s f;
        f.sectors_per_cluster = spc;
        f.root_entries = 16;
        f.total_sectors = total;
        f.sectors_per_fat = sectors_per_fat;
        bytes = make_boot_sector(f);
        std::memcpy(&bytes[54], "FAT12   ", 8);
        bytes.resize(size_t(total) * 512, 0);
        for (uint32_t c = 2; c < clusters + 2; ++c)
            std::memset(&bytes[size_t(cluster_sector(c)) * 512], int(c & 0xFF), size_t(spc) * 512);
    }
    uint32_t cluster_sector(uint32_t c) const { return data_start + (c - 2) * spc; }
    void set_fat(uint32_t n, uint32_t value)
    {
        const size_t at = size_t(fat_start) * 512 + n + n / 2;
        if (n & 1) {
            bytes[at] = uint8_t((bytes[at] & 0x0F) | ((value & 0x0F) << 4));
            bytes[at + 1] = uint8_t(value >> 4);
        } else {
            bytes[at] = uint8_t(value);
            bytes[at + 1] = uint8_t((bytes[at + 1] & 0xF0) | ((value >> 8) & 0x0F));
        }
    }
    // Writes a 32-byte short entry at byte offset `at`.
    void put_entry(size_t at, const char* name11, uint8_t attr, uint32_t cluster, uint32_t size,
                   uint8_t case_flags = 0)
    {
        std::memcpy(&bytes[at], name11, 11);
        bytes[at + 11] = attr;
        bytes[at + 12] = case_flags;
        put16(bytes, at + 26, cluster);
        put32(bytes, at + 28, size);
        put16(bytes, at + 24, (41 << 9) | (3 << 5) | 4);  // 2021-03-04
        put16(bytes, at + 22, (5 << 11) | (6 << 5) | 4);  // 05:06:08
    }
    size_t root_entry(int i) const { return size_t(root_start) * 512 + size_t(i) * 32; }
    size_t cluster_entry(uint32_t c, int i) const { return size_t(cluster_sector(c)) * 512 + size_t(i) * 32; }
};
