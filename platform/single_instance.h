// SPDX-License-Identifier: GPL-3.0-or-later
// One running instance per user: an exclusive lock on a file held for the life of the process.
#pragma once

#include <QString>

// Takes an exclusive flock on "<name>.lock" in $XDG_RUNTIME_DIR (or, when that is not
// usable, "<name>-<uid>.lock" in the temp folder). 0 when we are the only instance, -1
// when another process holds the lock or it cannot be taken. The lock stays held until
// the process ends; calling again after success answers 0.
int acquire_single_instance(const QString& name);

// Where the lock file of that name lives for this process's environment.
QString single_instance_lock_path(const QString& name);
