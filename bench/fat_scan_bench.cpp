// SPDX-License-Identifier: GPL-3.0-or-later
// Times one full FAT quick scan of an image file, the way the program runs it: the image
// is attached as a drive, its volume comes from the volume list, the engine thread scans.
// Prints the time, the entries read and kept to standard error (standard output carries
// the engine's trace lines).
//
// Usage: fat_scan_bench IMAGE [PARTITION_NO]
#include "engines/disk/sector_access.h"
#include "engines/fat/fat_recovery.h"
#include "platform/devices.h"
#include "storage/volume_list.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s IMAGE [PARTITION_NO]\n", argv[0]);
        return 2;
    }
    const int partition_no = argc > 2 ? std::atoi(argv[2]) : 0;

    // Only the image: the machine's own disks stay out of the drive order.
    QTemporaryDir machine;
    QDir(machine.path()).mkpath(QStringLiteral("sys/block"));
    QDir(machine.path()).mkpath(QStringLiteral("dev"));
    QFile mountinfo(machine.filePath(QStringLiteral("mountinfo")));
    if (!mountinfo.open(QIODevice::WriteOnly))
        return 1;
    mountinfo.close();
    platform::roots_s roots;
    roots.sysfs = machine.filePath(QStringLiteral("sys"));
    roots.dev = machine.filePath(QStringLiteral("dev"));
    roots.mountinfo = mountinfo.fileName();
    platform::set_roots(roots);

    QElapsedTimer total;
    total.start();
    const int disk = platform::attach_image(QString::fromLocal8Bit(argv[1]));
    drive_table_init();
    enumerate_volumes();
    const volume_item_s* chosen = nullptr;
    for (const volume_item_s& v : volume_list())
        if (v.disk_no == disk && v.partition_no == partition_no)
            chosen = &v;
    if (disk < 0 || !chosen) {
        std::fprintf(stderr, "no volume %d on %s\n", partition_no, argv[1]);
        return 1;
    }

    fat_recovery_c engine;
    engine.set_volume(*chosen);
    QElapsedTimer scan;
    scan.start();
    engine.start();
    engine.wait();
    const qint64 scan_ms = scan.elapsed();
    std::fflush(stdout);
    std::fprintf(stderr, "scan_ms %lld total_ms %lld scanned %lld found %lld\n", (long long)scan_ms,
                 (long long)total.elapsed(), (long long)engine.scanned_count(), (long long)engine.found_count());
    return 0;
}
