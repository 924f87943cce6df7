// SPDX-License-Identifier: GPL-3.0-or-later
// Bounded reads of small sysfs attribute files; every value is treated as untrusted text.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Reads at most max_bytes of a small file. 0 on success, -1 when it cannot be read.
int read_small_file(const QString& path, QByteArray& out, qint64 max_bytes = 4096);

// The first line of an attribute, trimmed. -1 when missing or empty.
int read_attribute_text(const QString& path, QString& out);

// An attribute that holds one unsigned decimal number. -1 when missing or not a number.
int read_attribute_u64(const QString& path, quint64& out);

// Compares block device names so that digit runs sort by value ("loop2" before "loop10").
bool device_name_less(const QString& a, const QString& b);

}  // namespace platform
