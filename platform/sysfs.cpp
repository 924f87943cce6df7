// SPDX-License-Identifier: GPL-3.0-or-later
// Bounded reads of small sysfs attribute files.
#include "platform/sysfs.h"

#include <QFile>

namespace platform {

int read_small_file(const QString& path, QByteArray& out, qint64 max_bytes)
{
    out.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    out = file.read(max_bytes);
    return 0;
}

int read_attribute_text(const QString& path, QString& out)
{
    out.clear();
    QByteArray raw;
    if (read_small_file(path, raw) != 0)
        return -1;
    const qsizetype eol = raw.indexOf('\n');
    if (eol >= 0)
        raw.truncate(eol);
    out = QString::fromUtf8(raw).trimmed();
    return out.isEmpty() ? -1 : 0;
}

int read_attribute_u64(const QString& path, quint64& out)
{
    out = 0;
    QString text;
    if (read_attribute_text(path, text) != 0)
        return -1;
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, 10);
    if (!ok || text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
        return -1;
    out = value;
    return 0;
}

bool device_name_less(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Compare the digit runs as numbers without converting them (they may be long):
            // strip leading zeros, then the longer run is larger, else compare text.
            qsizetype si = i, sj = j;
            while (si + 1 < ei && a[si] == QLatin1Char('0'))
                ++si;
            while (sj + 1 < ej && b[sj] == QLatin1Char('0'))
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int c = QStringView(a).mid(si, ei - si).compare(QStringView(b).mid(sj, ej - sj));
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i].isLetter() && b[j].isLetter()) {
            // Letter runs: the kernel names disks sda .. sdz, sdaa ..; after a common
            // start the shorter run comes first.
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isLetter())
                ++ei;
            while (ej < b.size() && b[ej].isLetter())
                ++ej;
            const QStringView ra = QStringView(a).mid(i, ei - i);
            const QStringView rb = QStringView(b).mid(j, ej - j);
            if (ra.size() != rb.size() && ra.front() == rb.front())
                return ra.size() < rb.size();
            const int c = ra.compare(rb);
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace platform
