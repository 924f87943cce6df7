// SPDX-License-Identifier: GPL-3.0-or-later
// Read-only FAT12/16/32 reader, lower half: mounting, the one-sector window, FAT lookups,
// cluster arithmetic and reading file data (also as one contiguous run for deleted files).
#pragma once

#include "engines/disk/sector_access.h"

#include <cstdint>

// Result codes of every reader operation.
enum fat_result_e : uint8_t {
    FAT_OK = 0,
    FAT_DISK_ERROR = 1,      // a sector read failed
    FAT_INTERNAL_ERROR = 2,  // a cluster number out of range or a broken chain
    FAT_NOT_READY = 3,       // the drive is not ready
    FAT_NO_ENTRY = 4,        // no such entry / end of directory
    FAT_NO_PATH = 5,         // a path component is missing or is not a directory
    FAT_BAD_NAME = 6,        // a path component is not a valid name
    FAT_DENIED = 7,          // the file was not opened for reading
    FAT_BAD_OBJECT = 9,      // the object is not bound to a currently mounted volume
    FAT_BAD_DRIVE = 11,      // volume number above 9
    FAT_NOT_ATTACHED = 12,   // no fat_volume registered for that number
    FAT_NO_FILESYSTEM = 13,  // no valid FAT boot sector
    FAT_NO_MEMORY = 17,      // a work buffer could not be allocated
};

inline constexpr int fat_volume_slots = 10;
inline constexpr uint32_t fat_sector_size = 512;

enum fat_type_e : uint8_t { FS_NONE = 0, FS_FAT12 = 1, FS_FAT16 = 2, FS_FAT32 = 3 };

// One mounted volume. All sector numbers are absolute sectors of the drive.
struct fat_volume {
    uint8_t fs_type = FS_NONE;
    uint8_t drive = 0;
    uint8_t sectors_per_cluster = 0;
    uint8_t fat_count = 0;
    uint16_t mount_id = 0;
    uint16_t root_entries = 0;     // entries of the fixed root directory (FAT12/16)
    uint32_t cluster_entries = 0;  // data clusters + 2: the FAT entries in use
    uint32_t sectors_per_fat = 0;
    uint32_t fat_start = 0;
    uint32_t dir_start = 0;        // FAT12/16: first root directory sector; FAT32: root cluster
    uint32_t data_start = 0;       // sector of cluster 2
    uint32_t window_sector = 0;    // sector held in window; 0 = none
    // First sector past the volume: the end the boot sector claims, cut to what the drive
    // holds. No read of the reader reaches this sector or beyond.
    uint32_t volume_end = 0;
    uint8_t window[fat_sector_size] = {};
};

// An open file. The FAT engine fills one directly from a directory entry.
struct fat_file {
    fat_volume* volume = nullptr;
    uint16_t mount_id = 0;
    uint8_t flags = 0;  // FAT_FILE_READ, FAT_FILE_ERROR
    uint32_t position = 0;
    uint32_t size = 0;
    uint32_t start_cluster = 0;
    uint32_t cluster = 0;
    uint32_t buffered_sector = 0;
    uint8_t buffer[fat_sector_size] = {};
};

inline constexpr uint8_t FAT_FILE_READ = 0x01;
inline constexpr uint8_t FAT_FILE_ERROR = 0x80;  // latched: every later read fails

// Where the reader's sectors come from. The program reads through the sector access
// layer; tests and fuzz targets put an in-memory disk in its place.
struct fat_disk_s {
    int (*read)(int drive, void* destination, uint32_t first_sector, uint8_t count);
    uint8_t (*status)(int drive);  // re-measures the drive
    int (*count)();
    uint32_t (*sector_count)(int drive);  // 0 when not known
    const volume_partition_s& (*partition)(int volume_no);
    int (*bind)(const QString& volume_name);  // fills partition(0); 0 or -1
};
void fat_set_disk(const fat_disk_s* disk);  // nullptr: the sector access layer
const fat_disk_s& fat_disk();

uint8_t f_attach(int volume_number, fat_volume* volume);
// Consumes an "N:" prefix of *path and mounts that volume (0 without a prefix).
uint8_t mount_volume(const char16_t** path, fat_volume** volume);
uint8_t check_object(const fat_volume* volume, uint16_t mount_id);
int load_window(fat_volume* volume, uint32_t sector);
// Next cluster of the chain: 1 on a range error, 0xFFFFFFFF on a disk error; end-of-chain
// marks come back as they are (they are >= cluster_entries).
uint32_t next_cluster(fat_volume* volume, uint32_t cluster);
uint32_t cluster_to_sector(const fat_volume* volume, uint32_t cluster);
// Reads count bytes at the file position; done receives the bytes copied. In contiguous
// mode the FAT is not consulted: the file is taken to fill the clusters after its start.
uint8_t f_readfile(fat_file* file, void* destination, uint32_t count, uint32_t* done, bool contiguous);

// Reads count sectors for the reader, refusing any sector at or past volume_end.
int fat_read_sectors(const fat_volume* volume, void* destination, uint32_t sector, uint32_t count);
