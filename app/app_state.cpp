// SPDX-License-Identifier: GPL-3.0-or-later
// Storage of the process-wide page-flow flags.
#include "app/app_state.h"

std::atomic<bool> init_done{false};
std::atomic<bool> scan_running{false};
