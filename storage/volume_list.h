// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide list of volumes the user may scan, header record first.
#pragma once

#include "storage/volume_item.h"

#include <QList>

// Rebuilds volume_list(): an empty header record, then the removable volumes and (with
// raw read rights) the fixed ones of the drive order, sorted by their first mount point
// (the device path when not mounted). 0, or -1 when the system's device tree cannot be
// read at all (the list is then empty, without even the header).
int enumerate_volumes();
QList<volume_item_s>& volume_list();
