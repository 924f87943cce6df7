// SPDX-License-Identifier: GPL-3.0-or-later
// FAT reader, upper half: directory objects, entries (deleted ones included), long names,
// path lookup and the code page 936 short-name decoding.
#pragma once

#include "engines/fat/fat_volume.h"

#include <cstdint>

inline constexpr int fat_lfn_max = 255;                  // UTF-16 units of a long name
inline constexpr uint16_t fat_no_long_name = 0xFFFF;     // long_name_index: none
inline constexpr uint8_t FAT_ATTR_READ_ONLY = 0x01;
inline constexpr uint8_t FAT_ATTR_HIDDEN = 0x02;
inline constexpr uint8_t FAT_ATTR_SYSTEM = 0x04;
inline constexpr uint8_t FAT_ATTR_VOLUME_ID = 0x08;
inline constexpr uint8_t FAT_ATTR_DIRECTORY = 0x10;
inline constexpr uint8_t FAT_ATTR_ARCHIVE = 0x20;
inline constexpr uint8_t FAT_ATTR_DELETED = 0x40;        // added by the reader, not on disk
inline constexpr uint8_t FAT_ATTR_LONG_NAME = 0x0F;
inline constexpr uint8_t FAT_DELETED_MARK = 0xE5;        // first name byte of a deleted entry

// An open directory.
struct fat_dir {
    fat_volume* volume = nullptr;
    uint16_t mount_id = 0;
    uint16_t index = 0;          // current 32-byte entry within the directory
    uint32_t start_cluster = 0;  // 0 = the fixed root table of FAT12/16 (the root on FAT32)
    uint32_t cluster = 0;        // current cluster; 0 in the fixed root table
    uint32_t sector = 0;         // sector of the current entry; 0 = end of directory
    const uint8_t* entry = nullptr;  // current entry inside the volume's window
    uint8_t short_name_work[12] = {};  // 8.3 form of a path component and its flags byte
    char16_t long_name_work[fat_lfn_max + 1] = {};
    uint16_t long_name_index = fat_no_long_name;  // first entry of the current long-name run
    uint16_t deleted = 0;        // the entry read last starts with 0xE5
    // A broken chain met while stepping past the entry just returned; reported by the
    // next f_readdir so that the entry itself is still delivered.
    uint8_t pending = FAT_OK;
};

// What f_readdir returns.
struct fat_entry_info {
    uint32_t size = 0;
    uint32_t start_cluster = 0;
    uint16_t write_date = 0;
    uint16_t write_time = 0;
    uint16_t create_date = 0;
    uint16_t create_time = 0;
    uint8_t attributes = 0;  // as stored, plus FAT_ATTR_DELETED for a deleted entry
    char16_t short_name[13] = {};
    char16_t* long_name = nullptr;  // caller's buffer, may be null
    uint32_t long_name_capacity = 0;  // in UTF-16 units
};

// Opens the directory named by path ("/" or "" for the root; "N:" selects volume N).
uint8_t f_opendir(fat_dir* dir, const char16_t* path);
// With info: the next entry (an empty short name at the end). Without: rewinds.
uint8_t f_readdir(fat_dir* dir, fat_entry_info* info);

uint8_t dir_rewind(fat_dir* dir);
uint8_t dir_step(fat_dir* dir);
uint8_t read_entry(fat_dir* dir);
uint8_t sfn_checksum(const uint8_t* entry);
bool collect_lfn_part(char16_t* work, const uint8_t* part);
bool match_lfn_part(const char16_t* name, const uint8_t* part);
void entry_to_info(const fat_dir* dir, fat_entry_info* info);

// Short-name body and extension (11 bytes of a directory entry) to UTF-16, NUL-terminated
// in out[13]. case_flags is entry byte 12; deleted says byte 0 is the deletion mark.
void decode_short_name(const uint8_t* name11, uint8_t case_flags, bool deleted, char16_t* out);
// One path component: stores it in dir->long_name_work and its 8.3 form in
// dir->short_name_work; advances *path past it.
uint8_t parse_name(fat_dir* dir, const char16_t** path);

// Flags byte of short_name_work[11].
inline constexpr uint8_t FAT_NAME_LAST = 0x04;   // the component is the last of the path
inline constexpr uint8_t FAT_NAME_LOSSY = 0x02;  // the 8.3 form is not exact
