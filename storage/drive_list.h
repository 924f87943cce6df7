// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide list of physical drives (and attached disk images), header record first.
#pragma once

#include "storage/volume_item.h"

#include <QList>

// Rebuilds drive_list(): an empty header record, then the drives of the drive order that
// open and report a size, in order, ten at most; the first that does not answer ends the
// list. Returns 0.
int enumerate_drives();
QList<drive_item_s>& drive_list();
