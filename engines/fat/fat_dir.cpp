// SPDX-License-Identifier: GPL-3.0-or-later
// FAT reader, upper half: stepping through directories, deleted entries, long names,
// path lookup.
//
// Directory entry (32 bytes, little-endian): name 0-10 (8 + 3, space padded), attribute 11,
// case flags 12 (0x08 body lower case, 0x10 extension lower case), creation time 14 and
// date 16, high cluster 20 (FAT32), write time 22 and date 24, low cluster 26, size 28.
// A long-name part (attribute 0x0F): sequence byte 0 (0x40 = last part, low 6 bits = part
// number from 1), 13 UTF-16 units at 1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30, and
// the checksum of its short name at 13. Parts precede their short entry, last part first.
//
// Notes:
// - Deleted entries (first byte 0xE5) are returned with FAT_ATTR_DELETED; dot entries,
//   volume labels and long-name parts are skipped.
// - Deleting a file overwrites byte 0 of its long-name parts too, so their part numbers
//   read as 0x25 and the run is rejected: a deleted entry never has a long name.
// - A directory is read by cluster chain; a chain that breaks (normal for a deleted
//   directory, whose clusters are free in the FAT) ends the listing with
//   FAT_INTERNAL_ERROR. The entry index is 16-bit, so no directory yields more than 65536
//   entries even when its chain loops.
#include "engines/fat/fat_dir.h"
#include "engines/fat/fat_tables.h"

#include <cstring>

namespace {

constexpr uint32_t entries_per_sector = fat_sector_size / 32;
constexpr int lfn_offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t entry_cluster(const fat_volume* volume, const uint8_t* entry)
{
    uint32_t cluster = le16(entry + 26);
    if (volume->fs_type == FS_FAT32)
        cluster |= uint32_t(le16(entry + 20)) << 16;
    return cluster;
}

const uint8_t* current_entry(const fat_dir* dir)
{
    return dir->volume->window + (dir->index % entries_per_sector) * 32;
}

uint8_t find_entry(fat_dir* dir)
{
    uint8_t code = dir_rewind(dir);
    if (code != FAT_OK)
        return code;
    fat_volume* volume = dir->volume;
    const bool lossy = dir->short_name_work[11] & FAT_NAME_LOSSY;
    uint8_t ord = 0xFF;
    uint8_t sum = 0xFF;
    do {
        if (load_window(volume, dir->sector))
            return FAT_DISK_ERROR;
        const uint8_t* e = current_entry(dir);
        dir->entry = e;
        uint8_t b0 = e[0];
        if (b0 == 0)
            return FAT_NO_ENTRY;
        const uint8_t a = e[11] & 0x7F;
        if (b0 == '.' || ((a & FAT_ATTR_VOLUME_ID) && a != FAT_ATTR_LONG_NAME)) {
            ord = 0xFF;
        } else if (a == FAT_ATTR_LONG_NAME) {
            if (b0 & 0x40) {
                sum = e[13];
                b0 &= 0xBF;
                ord = b0;
                dir->long_name_index = dir->index;
            }
            if (b0 == ord && sum == e[13] && match_lfn_part(dir->long_name_work, e))
                --ord;
            else
                ord = 0xFF;
        } else {
            if (ord == 0 && sum == sfn_checksum(e))
                return FAT_OK;
            if (!lossy && std::memcmp(e, dir->short_name_work, 11) == 0)
                return FAT_OK;
            ord = 0xFF;
            dir->long_name_index = fat_no_long_name;
        }
        code = dir_step(dir);
    } while (code == FAT_OK);
    return code;
}

// Follows the path from the root. On success dir->entry is the named entry, or null when
// the path names the root itself.
uint8_t walk_path(fat_dir* dir, const char16_t* path)
{
    if (*path == u'/' || *path == u'\\')
        ++path;
    dir->start_cluster = 0;
    if (*path < 0x20) {
        const uint8_t code = dir_rewind(dir);
        dir->entry = nullptr;
        return code;
    }
    for (;;) {
        uint8_t code = parse_name(dir, &path);
        if (code != FAT_OK)
            return code;
        code = find_entry(dir);
        const bool last = dir->short_name_work[11] & FAT_NAME_LAST;
        if (code != FAT_OK)
            return (code == FAT_NO_ENTRY && !last) ? uint8_t(FAT_NO_PATH) : code;
        if (last)
            return FAT_OK;
        if (!(dir->entry[11] & FAT_ATTR_DIRECTORY))
            return FAT_NO_PATH;
        dir->start_cluster = entry_cluster(dir->volume, dir->entry);
    }
}

}  // namespace

uint8_t sfn_checksum(const uint8_t* entry)
{
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = uint8_t((sum >> 1) + (sum << 7) + entry[i]);
    return sum;
}

bool collect_lfn_part(char16_t* work, const uint8_t* part)
{
    uint32_t i = (uint32_t(part[0] & 0x3F) - 1) * 13;
    bool ended = false;
    for (int k = 0; k < 13; ++k) {
        const uint16_t unit = le16(part + lfn_offsets[k]);
        if (!ended) {
            if (i >= fat_lfn_max)
                return false;
            work[i++] = unit;
            ended = unit == 0;
        } else if (unit != 0xFFFF) {
            return false;
        }
    }
    if (part[0] & 0x40) {
        if (i >= fat_lfn_max)
            return false;
        work[i] = 0;
    }
    return true;
}

bool match_lfn_part(const char16_t* name, const uint8_t* part)
{
    uint32_t i = (uint32_t(part[0] & 0x3F) - 1) * 13;
    bool ended = false;
    for (int k = 0; k < 13; ++k) {
        const uint16_t unit = le16(part + lfn_offsets[k]);
        if (!ended) {
            if (i >= fat_lfn_max || unicode_upper(unit) != unicode_upper(name[i]))
                return false;
            ++i;
            ended = unit == 0;
        } else if (unit != 0xFFFF) {
            return false;
        }
    }
    // The last part must end the name: nothing of the component may remain.
    if ((part[0] & 0x40) && !ended && name[i] != 0)
        return false;
    return true;
}

uint8_t dir_rewind(fat_dir* dir)
{
    fat_volume* volume = dir->volume;
    dir->index = 0;
    uint32_t cluster = dir->start_cluster;
    if (cluster == 1 || cluster >= volume->cluster_entries)
        return FAT_INTERNAL_ERROR;
    if (cluster == 0 && volume->fs_type == FS_FAT32)
        cluster = volume->dir_start;
    dir->pending = FAT_OK;
    if (cluster == 0) {
        dir->cluster = 0;
        if (volume->root_entries == 0)
            return FAT_INTERNAL_ERROR;
        dir->sector = volume->dir_start;
    } else {
        // The FAT32 root cluster comes from the boot sector and is checked here like any
        // other cluster number.
        if (cluster < 2 || cluster >= volume->cluster_entries)
            return FAT_INTERNAL_ERROR;
        dir->cluster = cluster;
        dir->sector = cluster_to_sector(volume, cluster);
    }
    dir->entry = volume->window;
    return FAT_OK;
}

uint8_t dir_step(fat_dir* dir)
{
    fat_volume* volume = dir->volume;
    const uint16_t i = uint16_t(dir->index + 1);
    if (i == 0 || dir->sector == 0)
        return FAT_NO_ENTRY;
    if (i % entries_per_sector == 0) {
        if (dir->cluster == 0) {
            // The fixed root table of FAT12/16 is root_entries long.
            if (i >= volume->root_entries)
                return FAT_NO_ENTRY;
            ++dir->sector;
        } else if (((i / entries_per_sector) & (volume->sectors_per_cluster - 1u)) == 0) {
            const uint32_t next = next_cluster(volume, dir->cluster);
            if (next == 0xFFFFFFFF)
                return FAT_DISK_ERROR;
            if (next <= 1)
                return FAT_INTERNAL_ERROR;
            if (next >= volume->cluster_entries)
                return FAT_NO_ENTRY;
            dir->cluster = next;
            dir->sector = cluster_to_sector(volume, next);
        } else {
            ++dir->sector;
        }
    }
    dir->index = i;
    dir->entry = volume->window + (i % entries_per_sector) * 32;
    return FAT_OK;
}

uint8_t read_entry(fat_dir* dir)
{
    fat_volume* volume = dir->volume;
    uint8_t ord = 0xFF;
    uint8_t sum = 0xFF;
    uint8_t code = FAT_NO_ENTRY;
    while (dir->sector != 0) {
        if (load_window(volume, dir->sector)) {
            code = FAT_DISK_ERROR;
            break;
        }
        const uint8_t* e = current_entry(dir);
        dir->entry = e;
        const uint8_t b0 = e[0];
        const uint8_t a = e[11] & 0x7F;
        if (b0 == 0) {
            dir->sector = 0;
            return FAT_NO_ENTRY;
        }
        bool valid = true;
        dir->deleted = 0;
        if (b0 == FAT_DELETED_MARK)
            dir->deleted = 1;
        else if (b0 == '.')
            valid = false;  // "." and ".." are never returned
        if (valid && (a & FAT_ATTR_VOLUME_ID) && a != FAT_ATTR_LONG_NAME)
            valid = false;  // volume label
        if (valid && a == FAT_ATTR_LONG_NAME) {
            if (b0 & 0x40) {
                sum = e[13];
                ord = b0 & 0xBF;
                dir->long_name_index = dir->index;
            } else if (b0 != ord) {
                valid = false;
            }
            if (valid && (sum != e[13] || !collect_lfn_part(dir->long_name_work, e)))
                valid = false;
            if (valid)
                --ord;
        } else if (valid) {
            // A short entry: its long name counts only when the run ended right before it
            // and carries this entry's checksum.
            if (!(ord == 0 && sum == sfn_checksum(e)))
                dir->long_name_index = fat_no_long_name;
            return FAT_OK;
        }
        if (!valid)
            ord = 0xFF;
        code = dir_step(dir);
        if (code != FAT_OK)
            break;
    }
    dir->sector = 0;
    return code;
}

void entry_to_info(const fat_dir* dir, fat_entry_info* info)
{
    info->short_name[0] = 0;
    if (info->long_name && info->long_name_capacity)
        info->long_name[0] = 0;
    if (dir->sector == 0)
        return;
    const uint8_t* e = current_entry(dir);
    decode_short_name(e, e[12], dir->deleted, info->short_name);
    info->attributes = uint8_t(e[11] | (dir->deleted ? FAT_ATTR_DELETED : 0));
    info->start_cluster = entry_cluster(dir->volume, e);
    info->size = le32(e + 28);
    info->write_date = le16(e + 24);
    info->write_time = le16(e + 22);
    info->create_date = le16(e + 16);
    info->create_time = le16(e + 14);
    if (info->long_name && info->long_name_capacity && dir->long_name_index != fat_no_long_name) {
        uint32_t n = 0;
        while (dir->long_name_work[n] && n < info->long_name_capacity - 1 && n < uint32_t(fat_lfn_max)) {
            info->long_name[n] = dir->long_name_work[n];
            ++n;
        }
        if (dir->long_name_work[n] != 0)
            n = 0;  // does not fit: no long name rather than a cut one
        info->long_name[n] = 0;
    }
}

uint8_t f_opendir(fat_dir* dir, const char16_t* path)
{
    if (!path)
        path = u"";
    fat_volume* volume = nullptr;
    uint8_t code = mount_volume(&path, &volume);
    dir->volume = volume;
    if (code == FAT_OK) {
        dir->mount_id = volume->mount_id;
        code = walk_path(dir, path);
        if (code == FAT_OK && dir->entry) {
            if (dir->entry[11] & FAT_ATTR_DIRECTORY)
                dir->start_cluster = entry_cluster(volume, dir->entry);
            else
                code = FAT_NO_PATH;
        }
        if (code == FAT_OK)
            code = dir_rewind(dir);
        if (code == FAT_NO_ENTRY)
            code = FAT_NO_PATH;
    }
    if (code != FAT_OK)
        dir->volume = nullptr;
    return code;
}

uint8_t f_readdir(fat_dir* dir, fat_entry_info* info)
{
    uint8_t code = check_object(dir->volume, dir->mount_id);
    if (code != FAT_OK)
        return code;
    if (!info)
        return dir_rewind(dir);
    if (dir->pending != FAT_OK) {
        code = dir->pending;
        dir->pending = FAT_OK;
        dir->sector = 0;
        return code;
    }
    code = read_entry(dir);
    if (code == FAT_NO_ENTRY) {
        entry_to_info(dir, info);  // sector is 0: empty names
        return FAT_OK;
    }
    if (code != FAT_OK)
        return code;
    entry_to_info(dir, info);
    code = dir_step(dir);
    if (code != FAT_OK) {
        // The entry is delivered in any case; a broken chain behind it ends the listing
        // with the next call, so the last entry of a deleted directory's first cluster is
        // not lost.
        if (code != FAT_NO_ENTRY)
            dir->pending = code;
        dir->sector = 0;
    }
    return FAT_OK;
}
