// SPDX-License-Identifier: GPL-3.0-or-later
// The drive order: the whole disks of the machine in a stable order, then attached images.
#pragma once

#include <QList>
#include <QString>

namespace platform {

// Where the layer looks for the kernel's views of the machine. Tests point these at a
// small fake tree; the program keeps the defaults.
struct roots_s {
    QString sysfs{QStringLiteral("/sys")};
    QString dev{QStringLiteral("/dev")};
    QString mountinfo{QStringLiteral("/proc/self/mountinfo")};
};

void set_roots(const roots_s&);
roots_s roots();

// Registers a regular file (a volume image, or a disk image with a partition table) in
// the drive order after the real disks. Returns its disk number, -1 when the file is not
// a readable regular file or the order is full. Attaching the same file again returns
// the number it already has.
int attach_image(const QString& path);
void detach_images();

inline constexpr int drive_order_max = 10;

// One whole disk of the drive order.
struct disk_s {
    QString name;         // kernel name ("sda", "loop0"); the image path for an image
    QString node;         // device node under the dev root, or the image path
    QString sysfs_dir;    // <sysfs>/block/<name>; empty for an image
    QString dev_numbers;  // "major:minor" from sysfs; empty for an image
    bool image = false;
    bool removable = false;  // sysfs removable = 1, or attached through USB
};

// The drive order: real disks from sysfs (sd*, nvme*n*, vd*, hd*, mmcblk*, xvd*, and loop
// devices with a backing file; never ram, zram, dm, sr or partitions, and never a disk
// without a medium), sorted by name, then the attached images; ten at most.
QList<disk_s> disk_order();

// Whether a sysfs block device name is a whole disk that belongs in the drive order
// (the loop backing-file and size checks are made separately).
bool is_disk_name(const QString& name);

}  // namespace platform
