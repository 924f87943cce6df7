// SPDX-License-Identifier: GPL-3.0-or-later
// FAT reader, lower half: boot-sector checks, the sector window, FAT entries, file data.
//
// Notes:
// - Every field of the boot sector is checked before use (sector size 512, power-of-two
//   cluster size, 1 or 2 FATs, FAT large enough for the cluster count, regions inside
//   32-bit sector numbers). A volume that fails any check is refused with
//   FAT_NO_FILESYSTEM; nothing of it is read further.
// - The volume claims a size in its boot sector; the drive (or image) may hold less.
//   Reads stop at the smaller of the two (volume_end), so a truncated image gives read
//   errors at its end, never a read of another volume's sectors.
// - Every cluster number is checked against cluster_entries before it indexes the FAT or
//   becomes a sector, so a damaged FAT cannot lead outside the FAT or the data area.
#include "engines/fat/fat_volume.h"

#include <cstring>

namespace {

int layer_read(int drive, void* destination, uint32_t first_sector, uint8_t count)
{
    return drive_read(drive, destination, first_sector, count);
}

const fat_disk_s sector_layer = {
    layer_read,
    drive_status,
    drive_count,
    drive_sector_count,
    volume_partition,
    bind_volume,
};

const fat_disk_s* current_disk = &sector_layer;
fat_volume* volumes[fat_volume_slots] = {};
uint16_t mount_counter = 0;

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// 0 FAT boot sector, 1 a boot record that is not FAT (an MBR), 2 no boot record, 3 read error.
int check_boot_sector(fat_volume* volume, uint32_t sector)
{
    volume->window_sector = 0;
    if (current_disk->read(volume->drive, volume->window, sector, 1) != DISK_OK)
        return 3;
    if (le16(volume->window + 510) != 0xAA55)
        return 2;
    // The file-system type text: offset 54 in a FAT12/16 boot sector, 82 in a FAT32 one.
    if (std::memcmp(volume->window + 54, "FAT", 3) == 0 || std::memcmp(volume->window + 82, "FAT", 3) == 0)
        return 0;
    return 1;
}

}  // namespace

void fat_set_disk(const fat_disk_s* disk) { current_disk = disk ? disk : &sector_layer; }
const fat_disk_s& fat_disk() { return *current_disk; }

uint8_t f_attach(int volume_number, fat_volume* volume)
{
    if (volume_number < 0 || volume_number >= fat_volume_slots)
        return FAT_BAD_DRIVE;
    if (volumes[volume_number])
        volumes[volume_number]->fs_type = FS_NONE;
    if (volume)
        volume->fs_type = FS_NONE;
    volumes[volume_number] = volume;
    return FAT_OK;
}

uint8_t check_object(const fat_volume* volume, uint16_t mount_id)
{
    if (!volume || volume->fs_type == FS_NONE || volume->mount_id != mount_id)
        return FAT_BAD_OBJECT;
    // NOTE: the drive's status is not re-measured here (that would cost a device query per
    // entry); a drive that went away makes the next read fail with FAT_DISK_ERROR.
    if (volume->drive >= current_disk->count())
        return FAT_NOT_READY;
    return FAT_OK;
}

int fat_read_sectors(const fat_volume* volume, void* destination, uint32_t sector, uint32_t count)
{
    if (count == 0 || count > transfer_buffer_size / fat_sector_size)
        return -1;
    if (uint64_t(sector) + count > volume->volume_end)
        return -1;
    return current_disk->read(volume->drive, destination, sector, uint8_t(count)) == DISK_OK ? 0 : -1;
}

uint8_t mount_volume(const char16_t** path, fat_volume** out)
{
    int number = 0;
    const char16_t* p = *path;
    if (p && p[0] >= u'0' && p[0] <= u'9' && p[1] == u':') {
        number = p[0] - u'0';
        *path = p + 2;
    }
    if (number >= fat_volume_slots)
        return FAT_BAD_DRIVE;
    fat_volume* volume = volumes[number];
    *out = volume;
    if (!volume)
        return FAT_NOT_ATTACHED;
    if (volume->fs_type != FS_NONE && volume->drive < current_disk->count()
        && !(current_disk->status(volume->drive) & DISK_STATUS_NOT_READY))
        return FAT_OK;

    volume->fs_type = FS_NONE;
    volume->window_sector = 0;
    const volume_partition_s& map = current_disk->partition(number);
    volume->drive = map.disk_no;
    if (current_disk->status(volume->drive) & DISK_STATUS_NOT_READY)
        return FAT_NOT_READY;

    // A whole-disk file system has its boot sector at sector 0; a partitioned disk has a
    // master boot record there (0xAA55 without a FAT type text) and the volume at the
    // partition's start sector.
    uint32_t base = 0;
    int boot = check_boot_sector(volume, 0);
    if ((map.partition_no != 0 && boot == 0) || boot == 1) {
        base = map.start_sector;
        boot = check_boot_sector(volume, base);
    }
    if (boot == 3)
        return FAT_DISK_ERROR;
    if (boot != 0)
        return FAT_NO_FILESYSTEM;

    const uint8_t* bs = volume->window;
    const uint32_t bytes_per_sector = le16(bs + 11);
    const uint32_t sectors_per_cluster = bs[13];
    const uint32_t reserved_sector_count = le16(bs + 14);
    const uint32_t fat_count = bs[16];
    const uint32_t root_entries = le16(bs + 17);
    uint32_t total_sectors = le16(bs + 19);
    if (total_sectors == 0)
        total_sectors = le32(bs + 32);
    uint32_t sectors_per_fat = le16(bs + 22);
    if (sectors_per_fat == 0)
        sectors_per_fat = le32(bs + 36);
    const uint32_t root_cluster = le32(bs + 44);

    if (bytes_per_sector != fat_sector_size)
        return FAT_NO_FILESYSTEM;
    if (fat_count != 1 && fat_count != 2)
        return FAT_NO_FILESYSTEM;
    if (sectors_per_cluster == 0 || (sectors_per_cluster & (sectors_per_cluster - 1)) != 0)
        return FAT_NO_FILESYSTEM;
    if (root_entries % 16 != 0)
        return FAT_NO_FILESYSTEM;
    if (reserved_sector_count == 0)
        return FAT_NO_FILESYSTEM;
    const uint64_t system_sectors =
        uint64_t(reserved_sector_count) + uint64_t(sectors_per_fat) * fat_count + root_entries / 16;
    if (total_sectors < system_sectors)
        return FAT_NO_FILESYSTEM;
    const uint64_t clusters = (total_sectors - system_sectors) / sectors_per_cluster;
    if (clusters == 0)
        return FAT_NO_FILESYSTEM;
    // Sector numbers are 32-bit: the whole volume must lie below sector 2^32.
    if (uint64_t(base) + total_sectors > 0xFFFFFFFFull)
        return FAT_NO_FILESYSTEM;

    uint8_t type = FS_FAT12;
    if (clusters >= 4086)
        type = FS_FAT16;
    if (clusters > 65525)
        type = FS_FAT32;

    uint64_t fat_bytes = 0;
    const uint64_t entries = clusters + 2;
    if (type == FS_FAT32) {
        // FAT32 entries hold 28-bit cluster numbers and 0x0FFFFFF6 and above are reserved
        // marks: a volume claiming more clusters cannot be addressed.
        if (root_entries != 0 || clusters > 0x0FFFFFF5)
            return FAT_NO_FILESYSTEM;
        fat_bytes = entries * 4;
    } else {
        if (root_entries == 0)
            return FAT_NO_FILESYSTEM;
        fat_bytes = type == FS_FAT16 ? entries * 2 : entries * 3 / 2 + (entries & 1);
    }
    if (sectors_per_fat < (fat_bytes + fat_sector_size - 1) / fat_sector_size)
        return FAT_NO_FILESYSTEM;

    volume->sectors_per_cluster = uint8_t(sectors_per_cluster);
    volume->fat_count = uint8_t(fat_count);
    volume->root_entries = uint16_t(root_entries);
    volume->cluster_entries = uint32_t(entries);
    volume->sectors_per_fat = sectors_per_fat;
    volume->fat_start = base + reserved_sector_count;
    volume->data_start = uint32_t(base + system_sectors);
    volume->dir_start = type == FS_FAT32 ? root_cluster : volume->fat_start + sectors_per_fat * fat_count;
    uint64_t end = uint64_t(base) + total_sectors;
    const uint32_t held = current_disk->sector_count(volume->drive);
    if (held != 0 && held < end)
        end = held;
    volume->volume_end = uint32_t(end);
    volume->mount_id = ++mount_counter;
    volume->window_sector = 0;
    volume->fs_type = type;
    return FAT_OK;
}

int load_window(fat_volume* volume, uint32_t sector)
{
    if (sector == volume->window_sector || sector == 0)
        return 0;
    if (fat_read_sectors(volume, volume->window, sector, 1) != 0)
        return 1;
    volume->window_sector = sector;
    return 0;
}

uint32_t next_cluster(fat_volume* volume, uint32_t n)
{
    if (n < 2 || n >= volume->cluster_entries)
        return 1;
    switch (volume->fs_type) {
    case FS_FAT12: {
        // 12-bit entries packed in pairs into three bytes; an entry may straddle two
        // sectors, so each byte goes through the window on its own.
        const uint32_t offset = n + n / 2;
        if (load_window(volume, volume->fat_start + offset / fat_sector_size))
            return 0xFFFFFFFF;
        const uint32_t low = volume->window[offset % fat_sector_size];
        if (load_window(volume, volume->fat_start + (offset + 1) / fat_sector_size))
            return 0xFFFFFFFF;
        const uint32_t value = low | (uint32_t(volume->window[(offset + 1) % fat_sector_size]) << 8);
        return (n & 1) ? value >> 4 : value & 0xFFF;
    }
    case FS_FAT16: {
        const uint32_t offset = n * 2;
        if (load_window(volume, volume->fat_start + offset / fat_sector_size))
            return 0xFFFFFFFF;
        return le16(volume->window + offset % fat_sector_size);
    }
    case FS_FAT32: {
        const uint32_t offset = n * 4;
        if (load_window(volume, volume->fat_start + offset / fat_sector_size))
            return 0xFFFFFFFF;
        return le32(volume->window + offset % fat_sector_size) & 0x0FFFFFFF;
    }
    default:
        return 1;
    }
}

uint32_t cluster_to_sector(const fat_volume* volume, uint32_t n)
{
    if (n - 2 >= volume->cluster_entries - 2)
        return 0;
    return (n - 2) * volume->sectors_per_cluster + volume->data_start;
}

uint8_t f_readfile(fat_file* file, void* destination, uint32_t count, uint32_t* done, bool contiguous)
{
    *done = 0;
    uint8_t code = check_object(file->volume, file->mount_id);
    if (code != FAT_OK)
        return code;
    if (file->flags & FAT_FILE_ERROR)
        return FAT_INTERNAL_ERROR;
    if (!(file->flags & FAT_FILE_READ))
        return FAT_DENIED;
    fat_volume* volume = file->volume;
    if (file->position >= file->size)
        count = 0;
    else if (count > file->size - file->position)
        count = file->size - file->position;

    auto* out = static_cast<uint8_t*>(destination);
    const uint32_t cluster_mask = volume->sectors_per_cluster - 1u;
    while (count > 0) {
        const uint32_t sector_in_cluster = (file->position / fat_sector_size) & cluster_mask;
        if (file->position % fat_sector_size == 0 && sector_in_cluster == 0) {
            uint32_t cluster;
            if (file->position == 0)
                cluster = file->start_cluster;
            else if (contiguous)
                cluster = file->cluster + 1;
            else
                cluster = next_cluster(volume, file->cluster);
            if (cluster < 2) {
                file->flags |= FAT_FILE_ERROR;
                return FAT_INTERNAL_ERROR;
            }
            if (cluster == 0xFFFFFFFF) {
                file->flags |= FAT_FILE_ERROR;
                return FAT_DISK_ERROR;
            }
            file->cluster = cluster;
        }
        uint32_t sector = cluster_to_sector(volume, file->cluster);
        if (sector == 0) {
            file->flags |= FAT_FILE_ERROR;
            return FAT_INTERNAL_ERROR;
        }
        sector += sector_in_cluster;
        if (file->position % fat_sector_size == 0 && count >= fat_sector_size) {
            // Whole sectors go straight to the caller, at most to the end of this cluster.
            uint32_t n = count / fat_sector_size;
            if (n > volume->sectors_per_cluster - sector_in_cluster)
                n = volume->sectors_per_cluster - sector_in_cluster;
            if (fat_read_sectors(volume, out, sector, n) != 0) {
                // Keep every sector before the bad one: read them one by one.
                uint32_t good = 0;
                while (good < n && fat_read_sectors(volume, out + good * fat_sector_size, sector + good, 1) == 0)
                    ++good;
                file->position += good * fat_sector_size;
                *done += good * fat_sector_size;
                file->flags |= FAT_FILE_ERROR;
                return FAT_DISK_ERROR;
            }
            const uint32_t bytes = n * fat_sector_size;
            file->position += bytes;
            out += bytes;
            *done += bytes;
            count -= bytes;
            continue;
        }
        if (file->buffered_sector != sector) {
            if (fat_read_sectors(volume, file->buffer, sector, 1) != 0) {
                file->flags |= FAT_FILE_ERROR;
                return FAT_DISK_ERROR;
            }
            file->buffered_sector = sector;
        }
        const uint32_t offset = file->position % fat_sector_size;
        uint32_t n = fat_sector_size - offset;
        if (n > count)
            n = count;
        std::memcpy(out, file->buffer + offset, n);
        file->position += n;
        out += n;
        *done += n;
        count -= n;
    }
    return FAT_OK;
}
