// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the SOURCE of a scan (device node, listed volume, image file) into a volume record.
#include "cli/cli_source.h"

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "engines/disk/sector_access.h"
#include "platform/devices.h"
#include "platform/volumes.h"
#include "storage/volume_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A path with links resolved, for comparing two names of one device.
QString canonical(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && (trimmed.endsWith(QLatin1Char('/')) || trimmed.endsWith(QLatin1Char('\\'))))
        trimmed.chop(1);
    const QString resolved = QFileInfo(trimmed).canonicalFilePath();
    return resolved.isEmpty() ? trimmed : resolved;
}

bool names_volume(const volume_item_s& volume, const QString& source, const QString& source_canonical)
{
    if (volume.device_path.isEmpty())
        return false;  // the header record
    if (volume.device_path == source || volume.volume_name == source)
        return true;
    return canonical(volume.device_path) == source_canonical || canonical(volume.volume_name) == source_canonical;
}

QString partition_line(const volume_item_s& volume)
{
    return QStringLiteral("  --partition %1  %2  %3  %4")
        .arg(volume.partition_no)
        .arg(volume.file_system.isEmpty() ? QStringLiteral("(no file system)") : volume.file_system)
        .arg(human_size(volume.total_size))
        .arg(volume.label)
        .trimmed()
        .prepend(QStringLiteral("  "));
}

// Picks the volume of disk `disk_no`: its whole-disk file system, or partition `partition`.
int pick_on_disk(const QString& source, int disk_no, int partition, volume_item_s* volume)
{
    QList<volume_item_s> partitions;
    const volume_item_s* whole = nullptr;
    for (const volume_item_s& v : volume_list()) {
        if (v.device_path.isEmpty() || v.disk_no != disk_no)
            continue;
        if (v.partition_no == 0)
            whole = &v;
        else
            partitions.append(v);
    }
    std::sort(partitions.begin(), partitions.end(),
              [](const volume_item_s& a, const volume_item_s& b) { return a.partition_no < b.partition_no; });

    if (partition < 0 && whole != nullptr) {
        *volume = *whole;
        return EXIT_DONE;
    }
    if (partition > 0) {
        for (const volume_item_s& v : partitions) {
            if (v.partition_no == partition) {
                *volume = v;
                return EXIT_DONE;
            }
        }
    } else if (partition == 0 && whole != nullptr) {
        *volume = *whole;
        return EXIT_DONE;
    }

    if (partitions.isEmpty()) {
        if (partition >= 0)
            print_error(QStringLiteral("pellucan-cli: %1 has no partition %2 (it holds no partition table)")
                            .arg(source)
                            .arg(partition));
        else
            print_error(QStringLiteral("pellucan-cli: no file system or partition table found on %1").arg(source));
        return partition >= 0 ? EXIT_USAGE : EXIT_SOURCE;
    }
    if (partition >= 0)
        print_error(QStringLiteral("pellucan-cli: %1 has no partition %2; its partitions are:").arg(source).arg(partition));
    else
        print_error(QStringLiteral("pellucan-cli: %1 holds a partition table; choose a partition with --partition N:")
                        .arg(source));
    for (const volume_item_s& v : partitions)
        print_error(partition_line(v));
    return EXIT_USAGE;
}

// An image is scanned on its own: the machine's disks are left out of the drive order by
// pointing the layer at an empty device tree. Reading an image then needs no raw-device
// rights, and a real disk that cannot be opened (which ends the drive table) cannot hide
// the image behind it.
int isolate_images()
{
    static QTemporaryDir empty_tree;
    if (!empty_tree.isValid() || !QDir(empty_tree.path()).mkpath(QStringLiteral("block")))
        return -1;
    platform::roots_s roots = platform::roots();
    roots.sysfs = empty_tree.path();
    platform::set_roots(roots);
    return 0;
}

}  // namespace

int open_drive_table()
{
    // The first call allocates the transfer buffer and starts the drive monitor.
    static bool initialised = false;
    if (!initialised) {
        initialised = true;
        return drive_table_init();
    }
    return drive_table_reopen();
}

int resolve_source(const QString& source, int partition, volume_item_s* volume)
{
    const QByteArray encoded = QFile::encodeName(source);
    struct stat st;
    if (::stat(encoded.constData(), &st) != 0) {
        print_error(QStringLiteral("pellucan-cli: cannot open %1: %2")
                        .arg(source, QString::fromLocal8Bit(std::strerror(errno))));
        return EXIT_SOURCE;
    }
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
        print_error(QStringLiteral("pellucan-cli: %1 is neither a block device nor an image file").arg(source));
        return EXIT_SOURCE;
    }
    // The source is only ever read; say early and plainly when even that is not allowed.
    const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error_number = errno;
        QString reason = QString::fromLocal8Bit(std::strerror(error_number));
        if (error_number == EACCES && S_ISBLK(st.st_mode))
            reason += QStringLiteral(" (run as root or as a member of the \"disk\" group)");
        print_error(QStringLiteral("pellucan-cli: cannot open %1: %2").arg(source, reason));
        return EXIT_SOURCE;
    }
    ::close(fd);

    int disk_no = -1;
    if (S_ISREG(st.st_mode)) {
        if (isolate_images() != 0) {
            print_error(QStringLiteral("pellucan-cli: cannot prepare the image scan (no temporary folder)"));
            return EXIT_SOURCE;
        }
        disk_no = platform::attach_image(source);
        if (disk_no < 0) {
            print_error(QStringLiteral("pellucan-cli: cannot use %1 as an image (too many drives attached?)").arg(source));
            return EXIT_SOURCE;
        }
    }
    open_drive_table();
    enumerate_volumes();

    const QString source_canonical = canonical(source);
    if (disk_no < 0) {
        for (const volume_item_s& v : volume_list()) {
            if (!names_volume(v, source, source_canonical))
                continue;
            if (partition >= 0 && v.partition_no != 0) {
                print_error(QStringLiteral("pellucan-cli: --partition applies to a drive or disk image; %1 is a volume")
                                .arg(source));
                return EXIT_USAGE;
            }
            *volume = v;
            return EXIT_DONE;
        }
        const QList<platform::disk_s> disks = platform::disk_order();
        for (qsizetype i = 0; i < disks.size(); ++i) {
            if (canonical(disks.at(i).node) == source_canonical)
                disk_no = static_cast<int>(i);
        }
        if (disk_no < 0) {
            print_error(QStringLiteral("pellucan-cli: %1 is not a volume or disk that can be scanned "
                                       "(see 'pellucan-cli volumes')")
                            .arg(source));
            return EXIT_SOURCE;
        }
    }
    return pick_on_disk(source, disk_no, partition, volume);
}

QStringList volume_mount_points(const volume_item_s& volume)
{
    platform::volume_s found;
    if (platform::find_volume(volume.device_path, found, true) == 0)
        return found.mount_points;
    if (!volume.root_path.isEmpty() && volume.root_path != volume.device_path)
        return {volume.root_path};
    return {};
}
