// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the SOURCE of a scan (device node, listed volume, image file) into a volume record.
#pragma once

#include "storage/volume_item.h"

#include <QString>

// Finds the volume SOURCE names, the way the volume page would list it:
// - a regular file is attached as an image (a volume image is its whole-disk volume, a
//   disk image needs `partition`, numbered as partition_no);
// - a volume of the volume list, by device path, volume name or a link to either;
// - a whole disk of the drive order, which needs `partition` as a disk image does.
// `partition` is -1 when not given. Answers EXIT_DONE with *volume set, or the exit code
// (EXIT_USAGE, EXIT_SOURCE) after the reason was written to standard error.
int resolve_source(const QString& source, int partition, volume_item_s* volume);

// Opens (first call) or reopens the sector layer's drive table. Answers the drive count.
int open_drive_table();

// The mount points that count as "the scanned volume" for the output-folder check.
QStringList volume_mount_points(const volume_item_s& volume);
