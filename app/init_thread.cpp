// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up worker's discovery steps.
#include "app/init_thread.h"

#include "app/app_state.h"
#include "engines/disk/sector_access.h"
#include "storage/drive_list.h"
#include "storage/volume_list.h"

void init_c::run()
{
    // The first step on the original platform refreshes the system's disk bookkeeping by
    // running its partitioning tool with a script. Linux has no counterpart to run here:
    // the kernel and udev keep the block devices current, so discovery starts at once.

    // Failures are handled inside each step (the lists stay short or empty); whatever
    // happens, the program leaves its start-up state below.
    enumerate_volumes();
    enumerate_drives();
    drive_table_init();

    init_done = true;
    emit init_finished();
}
