// SPDX-License-Identifier: GPL-3.0-or-later
// Volumes of the drive order: partitions and whole-disk file systems, with what libblkid,
// sysfs and the mount table say about them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace platform {

// Drive types of a volume, in the numbering the volume page and enumeration use.
inline constexpr int drive_type_unknown = 0;
inline constexpr int drive_type_removable = 2;
inline constexpr int drive_type_fixed = 3;
inline constexpr int drive_type_remote = 4;
inline constexpr int drive_type_optical = 5;

struct volume_s {
    QString device_path;   // "/dev/sdb1"; the image path; or "<disk>#p<n>" (see below)
    QString volume_name;   // /dev/disk/by-uuid/<UUID> when that link exists, else device_path
    QString label;
    QString file_system;   // "FAT12", "FAT16", "FAT32", "NTFS", "exFAT", upper-cased blkid type
    QString uuid;
    QStringList mount_points;  // in mount-table order
    int drive_type = drive_type_unknown;
    bool image = false;        // lives on an attached image file
    quint64 device_size = 0;   // bytes the volume spans on its disk
    quint64 total_size = 0;    // statvfs when mounted, else device_size
    quint64 free_size = 0;     // statvfs when mounted, else 0
    int disk_no = -1;          // index of the parent disk in the drive order
    int partition_no = -1;     // 1.. for a partition, 0 for a whole-disk file system
    quint64 start_sector = 0;  // first sector on the disk, 512-byte units
};

// NOTE: a partition that the kernel does not expose as a device of its own (a partition
// of an attached image, or of a loop device set up without partition scanning) has no
// node to open. Such a volume is named "<disk node or image path>#p<n>"; open_volume()
// and find_volume() resolve the name.
QString table_partition_name(const QString& disk_node, int partition_no);

// Every volume on the disks of the drive order. With details == false the file-system
// probe, mount table and free space are skipped (a quick lookup). 0, or -1 when sysfs
// itself cannot be read (the attached images are still listed then).
int probe_volumes(QList<volume_s>& out, bool details = true);

// The volume that a device node, a /dev/disk/by-* link, an image path or a "#p<n>" name
// denotes, one trailing "/" or "\" ignored. 0 or -1.
int find_volume(const QString& path, volume_s& out, bool details = false);

// Opens a volume read-only for a reader that works in byte offsets: the returned
// descriptor is the whole disk (or the volume's own node), the volume spans
// [offset, offset + length) of it. The caller closes fd. 0 or -1.
int open_volume(const QString& path, int& fd, quint64& offset, quint64& length);

// The same for a volume named by its disk's place in the drive order and its partition
// number (0 for a whole-disk file system), as the device names "/dev/hd<letter><n>" of
// the NTFS library give them. 0 or -1.
int open_disk_partition(int disk_no, int partition_no, int& fd, quint64& offset, quint64& length);

// One line of the mount table.
struct mount_s {
    QString dev_numbers;  // "major:minor"
    QString mount_point;  // unescaped
    QString fs_type;
    QString source;       // unescaped
};

// Parses /proc/self/mountinfo text; malformed lines are skipped.
QList<mount_s> parse_mountinfo(const QByteArray& text);
// Undoes the kernel's octal escapes in a mount table field ("\040" is a space).
QString unescape_mount_field(const QByteArray& field);

// Decides FAT12/FAT16/FAT32 from a boot sector by its count of data clusters, the way
// the format's documentation defines the variant. Empty when the fields do not describe
// a usable FAT volume.
QString fat_variant_from_boot_sector(const uint8_t* sector, size_t size);

// Partition table entries as libblkid reads them, before any check.
struct table_entry_s {
    int partition_no = 0;
    quint64 start_sector = 0;  // 512-byte units
    quint64 sector_count = 0;
    bool extended = false;     // an MBR extended-partition container
};

// Drops the entries that cannot be trusted: extended containers, zero length, beyond the
// end of the disk, numbers that repeat, and every entry that overlaps another one.
QList<table_entry_s> sane_table_entries(const QList<table_entry_s>& entries, quint64 disk_sectors);

}  // namespace platform
