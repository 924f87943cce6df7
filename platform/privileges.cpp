// SPDX-License-Identifier: GPL-3.0-or-later
// Raw read rights: root, or read access to the disk nodes.
#include "platform/privileges.h"

#include "platform/devices.h"

#include <QFile>

#include <atomic>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<int> forced_rights{-1};

}  // namespace

void override_raw_read_rights(int value)
{
    forced_rights = value < 0 ? -1 : (value != 0 ? 1 : 0);
}

bool can_read_raw_devices()
{
    if (forced_rights >= 0)
        return forced_rights == 1;
    if (::geteuid() == 0)
        return true;
    bool any = false;
    for (const platform::disk_s& disk : platform::disk_order()) {
        if (disk.image)
            continue;  // an image the user attached says nothing about device rights
        any = true;
        if (::faccessat(AT_FDCWD, QFile::encodeName(disk.node).constData(), R_OK, AT_EACCESS) != 0)
            return false;
    }
    return any;
}
