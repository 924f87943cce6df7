// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the process may read raw block devices.
#pragma once

// True when the effective user is root, or when every disk of the drive order can be
// opened for reading (membership of the "disk" group). False when there is no disk at all
// and we are not root.
bool can_read_raw_devices();

// Test seam: 1 or 0 fixes the answer of can_read_raw_devices(); -1 (the default) asks
// the system again.
void override_raw_read_rights(int value);
