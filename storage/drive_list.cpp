// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the drive list from the drive order and each drive's geometry.
#include "storage/drive_list.h"

#include "platform/block_device.h"
#include "platform/devices.h"

namespace {

QList<drive_item_s> drives;

}  // namespace

QList<drive_item_s>& drive_list()
{
    return drives;
}

int enumerate_drives()
{
    // Records still held elsewhere (a page's model, the partition tool) keep their own
    // share of the geometry blocks, so replacing the list frees nothing they use.
    drives.clear();
    drives.append(drive_item_s{});
    const QList<platform::disk_s> order = platform::disk_order();
    for (int n = 0; n < order.size() && n < platform::drive_order_max; ++n) {
        platform::block_device_c dev;
        platform::device_info_s info;
        // The first drive that does not answer ends the list. NOTE: as in the drive table,
        // an unreadable real disk does not hide the images the user attached after them.
        if (dev.open(order[n].node) != 0 || dev.query(info) != 0 || info.size_bytes == 0 ||
            info.sector_size == 0) {
            if (order[n].image)
                break;
            while (n + 1 < order.size() && !order[n + 1].image)
                ++n;
            continue;
        }
        auto geometry = std::make_shared<disk_geometry_s>();
        geometry->bytes_per_sector = info.sector_size;
        geometry->tracks_per_cylinder = info.heads;
        geometry->sectors_per_track = info.sectors_per_track;
        geometry->media_type = order[n].removable ? media_type_removable : media_type_fixed;
        const quint64 per_cylinder = quint64(info.heads) * info.sectors_per_track * info.sector_size;
        geometry->cylinders = per_cylinder != 0 ? qint64(info.size_bytes / per_cylinder) : 0;

        drive_item_s item;
        item.path = order[n].node;
        // Whole cylinders only: the tail beyond the last one is not counted.
        item.size = quint64(geometry->bytes_per_sector) * geometry->sectors_per_track *
                    geometry->tracks_per_cylinder * quint64(geometry->cylinders);
        item.geometry = std::move(geometry);
        drives.append(item);
    }
    return 0;
}
