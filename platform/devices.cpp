// SPDX-License-Identifier: GPL-3.0-or-later
// The drive order built from sysfs, plus the disk and volume images the user attached.
#include "platform/devices.h"

#include "platform/sysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QMutex state_lock;
roots_s current_roots;
QStringList attached_images;  // canonical paths, in the order they were attached

// Upper bound on the entries of /sys/block we look at; a real machine has far fewer.
constexpr int sysfs_entries_max = 4096;

QList<disk_s> real_disks(const roots_s& r)
{
    QList<disk_s> disks;
    const QString block_dir = r.sysfs + QStringLiteral("/block");
    QStringList names = QDir(block_dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    if (names.size() > sysfs_entries_max)
        names = names.mid(0, sysfs_entries_max);
    for (const QString& name : std::as_const(names)) {
        if (!is_disk_name(name))
            continue;
        const QString dir = block_dir + QLatin1Char('/') + name;
        if (name.startsWith(QLatin1String("loop"))) {
            // A loop device without a backing file holds nothing.
            QString backing;
            if (read_attribute_text(dir + QStringLiteral("/loop/backing_file"), backing) != 0)
                continue;
        }
        // An empty card reader or a drive without a medium reports size 0.
        quint64 sectors = 0;
        if (read_attribute_u64(dir + QStringLiteral("/size"), sectors) != 0 || sectors == 0)
            continue;
        disk_s disk;
        disk.name = name;
        disk.node = r.dev + QLatin1Char('/') + name;
        disk.sysfs_dir = dir;
        QString numbers;
        if (read_attribute_text(dir + QStringLiteral("/dev"), numbers) == 0)
            disk.dev_numbers = numbers;
        quint64 removable = 0;
        if (read_attribute_u64(dir + QStringLiteral("/removable"), removable) == 0 && removable == 1)
            disk.removable = true;
        // A USB disk is removable for the user even when the kernel calls it fixed: the
        // sysfs entry links into the device tree below the USB host controller.
        const QString real = QFileInfo(dir).canonicalFilePath();
        if (real.contains(QLatin1String("/usb")))
            disk.removable = true;
        disks.append(disk);
    }
    std::sort(disks.begin(), disks.end(),
              [](const disk_s& a, const disk_s& b) { return device_name_less(a.name, b.name); });
    return disks;
}

}  // namespace

void set_roots(const roots_s& r)
{
    QMutexLocker lock(&state_lock);
    current_roots = r;
}

roots_s roots()
{
    QMutexLocker lock(&state_lock);
    return current_roots;
}

bool is_disk_name(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:sd[a-z]+|hd[a-z]+|vd[a-z]+|xvd[a-z]+|nvme[0-9]+n[0-9]+|mmcblk[0-9]+|loop[0-9]+)$"));
    return pattern.match(name).hasMatch();
}

int attach_image(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        return -1;
    const QByteArray native = QFile::encodeName(canonical);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    ::close(fd);

    QMutexLocker lock(&state_lock);
    const roots_s r = current_roots;
    lock.unlock();
    const int real_count = std::min<int>(real_disks(r).size(), drive_order_max);
    lock.relock();
    const qsizetype known = attached_images.indexOf(canonical);
    if (known >= 0) {
        const int number = real_count + int(known);
        return number < drive_order_max ? number : -1;
    }
    if (real_count + attached_images.size() >= drive_order_max)
        return -1;
    attached_images.append(canonical);
    return real_count + int(attached_images.size()) - 1;
}

void detach_images()
{
    QMutexLocker lock(&state_lock);
    attached_images.clear();
}

QList<disk_s> disk_order()
{
    QMutexLocker lock(&state_lock);
    const roots_s r = current_roots;
    const QStringList images = attached_images;
    lock.unlock();

    QList<disk_s> order = real_disks(r);
    for (const QString& image : images) {
        disk_s disk;
        disk.name = image;
        disk.node = image;
        disk.image = true;
        order.append(disk);
    }
    if (order.size() > drive_order_max)
        order.resize(drive_order_max);
    return order;
}

}  // namespace platform
