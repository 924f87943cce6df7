// SPDX-License-Identifier: GPL-3.0-or-later
// The records of one logical volume and one physical drive, shared by the pages and engines.
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>

// One logical volume: a partition, or a whole disk (or image) that carries a file system.
struct volume_item_s {
    QString device_path;  // device node ("/dev/sdb1"), or the image path for an image volume
    QString volume_name;  // stable name: /dev/disk/by-uuid/<UUID> when it exists, else device_path
    QString label;
    QString file_system;  // "FAT12", "FAT16", "FAT32", "NTFS", "exFAT", or the upper-cased blkid type
    QString root_path;    // first mount point, or device_path when not mounted
    quint64 total_size = 0;
    quint64 free_size = 0;
    qint32 partition_no = -1;  // 1 for the first partition; 0 for a whole-disk file system
    qint32 disk_no = -1;       // index of the parent disk in the drive order
};
Q_DECLARE_METATYPE(volume_item_s)

// The geometry block of a drive, in the shape of the disk's geometry query:
// cylinders x tracks per cylinder x sectors per track x bytes per sector.
struct disk_geometry_s {
    qint64 cylinders = 0;
    quint32 media_type = 0;  // 11 removable media, 12 fixed hard disk
    quint32 tracks_per_cylinder = 0;
    quint32 sectors_per_track = 0;
    quint32 bytes_per_sector = 0;
};

inline constexpr quint32 media_type_removable = 11;
inline constexpr quint32 media_type_fixed = 12;

// One physical drive (or disk image) of the drive order.
struct drive_item_s {
    QString path;      // device node ("/dev/sdb") or image path; empty in the header record
    quint64 size = 0;  // cylinders x heads x sectors x bytes per sector, in 64 bits
    // Shared by every copy of the record, so that a page or the partition tool that still
    // points at a record keeps its geometry alive after the list was rebuilt.
    std::shared_ptr<const disk_geometry_s> geometry;  // null in the header record
};
Q_DECLARE_METATYPE(drive_item_s)
