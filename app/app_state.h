// SPDX-License-Identifier: GPL-3.0-or-later
// Process-wide flags read by the page flow.
#pragma once

#include <atomic>

// Set once by the start-up worker when discovery has ended; never reset.
extern std::atomic<bool> init_done;
// True while an engine thread of the recovery page runs; written by the recovery page only.
extern std::atomic<bool> scan_running;
