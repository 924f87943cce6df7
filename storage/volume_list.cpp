// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the volume list from the platform layer's volumes.
//
// Notes:
// - Optical and network volumes are never listed; neither is a volume whose disk is not
//   in the drive order (device-mapper, RAID), which the platform layer gives disk -1.
// - Without raw read rights the fixed disks' volumes are dropped, as they could not be
//   read anyway; volumes of attached images stay, since the image file itself was opened.
// - Unmounted volumes are listed: recovery is normally run on an unmounted volume.
#include "storage/volume_list.h"

#include "platform/privileges.h"
#include "platform/volumes.h"

#include <algorithm>

namespace {

QList<volume_item_s> volumes;

}  // namespace

QList<volume_item_s>& volume_list()
{
    return volumes;
}

int enumerate_volumes()
{
    volumes.clear();
    QList<platform::volume_s> found;
    if (platform::probe_volumes(found, true) != 0)
        return -1;
    const bool raw_rights = can_read_raw_devices();

    QList<volume_item_s> kept;
    for (const platform::volume_s& v : std::as_const(found)) {
        if (v.drive_type == platform::drive_type_optical || v.drive_type == platform::drive_type_remote)
            continue;
        if (!raw_rights && !v.image && v.drive_type == platform::drive_type_fixed)
            continue;
        if (v.disk_no < 0 || v.partition_no < 0)
            continue;
        volume_item_s item;
        item.device_path = v.device_path;
        item.volume_name = v.volume_name;
        item.label = v.label;
        item.file_system = v.file_system;
        item.root_path = v.mount_points.isEmpty() ? v.device_path : v.mount_points.first();
        item.total_size = v.total_size;
        item.free_size = v.free_size;
        item.partition_no = v.partition_no;
        item.disk_no = v.disk_no;
        kept.append(item);
    }
    // QString's ordering compares UTF-16 code units one by one, case-sensitive.
    std::sort(kept.begin(), kept.end(),
              [](const volume_item_s& a, const volume_item_s& b) { return a.root_path < b.root_path; });
    volumes.append(volume_item_s{});
    volumes.append(kept);
    return 0;
}
