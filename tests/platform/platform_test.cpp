// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer: drive order, image volumes, mount table, FAT variant, partition
// table checks, single-instance lock.
#include "platform/block_device.h"
#include "platform/devices.h"
#include "platform/single_instance.h"
#include "platform/sysfs.h"
#include "platform/volumes.h"
#include "tests/platform/fake_machine.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QStringList order_names()
{
    QStringList names;
    for (const platform::disk_s& d : platform::disk_order())
        names << d.name;
    return names;
}

class platform_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(machine.valid());
        platform::set_roots(machine.roots());
        platform::detach_images();
    }
    void TearDown() override { platform::detach_images(); }
    fake_machine_c machine;
};

TEST_F(platform_test, drive_order_keeps_real_disks_sorted)
{
    const QString backing = fixture_image("volume_fat.img");
    for (const char* name : {"sda", "vda", "nvme0n1", "mmcblk0", "xvda", "hda", "ram0", "zram0",
                             "dm-0", "sr0", "md0", "mmcblk0boot0", "nvme0n1p1", "sdz9"}) {
        fake_disk_s d;
        d.name = QLatin1String(name);
        d.sectors = 64;
        machine.add(d);
    }
    fake_disk_s empty_reader;  // a card reader without a card
    empty_reader.name = QStringLiteral("sdb");
    empty_reader.sectors = 0;
    empty_reader.node = false;
    machine.add(empty_reader);
    for (const char* name : {"loop10", "loop2", "loop3"}) {
        fake_disk_s d;
        d.name = QLatin1String(name);
        d.sectors = 64;
        if (QLatin1String(name) != QLatin1String("loop3"))  // loop3 has no backing file
            d.backing_file = backing;
        machine.add(d);
    }
    fake_disk_s usb;
    usb.name = QStringLiteral("sdc");
    usb.sectors = 64;
    usb.usb = true;
    machine.add(usb);

    const QStringList expected = {QStringLiteral("hda"),     QStringLiteral("loop2"),
                                  QStringLiteral("loop10"),  QStringLiteral("mmcblk0"),
                                  QStringLiteral("nvme0n1"), QStringLiteral("sda"),
                                  QStringLiteral("sdc"),     QStringLiteral("vda"),
                                  QStringLiteral("xvda")};
    EXPECT_EQ(order_names(), expected);
    for (const platform::disk_s& d : platform::disk_order()) {
        SCOPED_TRACE(d.name.toStdString());
        EXPECT_EQ(d.node, machine.node(d.name));
        EXPECT_EQ(d.removable, d.name == QLatin1String("sdc"));
    }

    // Images come after the real disks, ten drives at most.
    EXPECT_EQ(platform::attach_image(fixture_image("volume_fat.img")), 9);
    EXPECT_EQ(platform::attach_image(fixture_image("disk_mbr.img")), -1);
    EXPECT_EQ(platform::disk_order().size(), platform::drive_order_max);
    EXPECT_TRUE(platform::disk_order().last().image);
}

TEST_F(platform_test, attach_image_refuses_what_is_not_an_image)
{
    EXPECT_EQ(platform::attach_image(machine.path()), -1);  // a folder
    EXPECT_EQ(platform::attach_image(machine.path() + QStringLiteral("/missing.img")), -1);
    EXPECT_EQ(platform::attach_image(QString()), -1);
    EXPECT_EQ(platform::attach_image(QStringLiteral("/dev/null")), -1);  // not a regular file
    EXPECT_TRUE(platform::disk_order().isEmpty());
}

TEST_F(platform_test, at_most_ten_disks)
{
    for (char c = 'a'; c <= 'k'; ++c) {
        fake_disk_s d;
        d.name = QStringLiteral("sd") + QLatin1Char(c);
        d.sectors = 8;
        machine.add(d);
    }
    const QStringList names = order_names();
    ASSERT_EQ(names.size(), 10);
    EXPECT_EQ(names.first(), QStringLiteral("sda"));
    EXPECT_EQ(names.last(), QStringLiteral("sdj"));
    EXPECT_EQ(platform::attach_image(fixture_image("volume_fat.img")), -1);
}

TEST_F(platform_test, image_volumes_come_from_the_partition_table)
{
    const QString disk = QFileInfo(fixture_image("disk_mbr.img")).canonicalFilePath();
    const QString floppy = QFileInfo(fixture_image("volume_fat.img")).canonicalFilePath();
    const QString garbage = QFileInfo(fixture_image("disk_garbage.img")).canonicalFilePath();
    ASSERT_EQ(platform::attach_image(disk), 0);
    ASSERT_EQ(platform::attach_image(floppy), 1);
    ASSERT_EQ(platform::attach_image(garbage), 2);

    QList<platform::volume_s> volumes;
    ASSERT_EQ(platform::probe_volumes(volumes), 0);
    struct expected_s {
        QString device_path;
        QString file_system;
        QString label;
        int disk_no;
        int partition_no;
        quint64 start;
        quint64 size;
    };
    // The garbage table: 1 and 2 overlap, 3 runs past the end; only 4 is trusted.
    const QList<expected_s> expected = {
        {disk + QStringLiteral("#p1"), QStringLiteral("FAT12"), QStringLiteral("PART1"), 0, 1, 2048, 2048 * 512},
        {disk + QStringLiteral("#p5"), QStringLiteral("FAT16"), QStringLiteral("LOGICAL5"), 0, 5, 10240, 16384 * 512},
        {floppy, QStringLiteral("FAT12"), QStringLiteral("SUPERFLOPPY"), 1, 0, 0, 1024 * 1024},
        {garbage + QStringLiteral("#p4"), QString(), QString(), 2, 4, 6144, 1024 * 512},
    };
    ASSERT_EQ(volumes.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const expected_s& e = expected[i];
        const platform::volume_s& v = volumes[i];
        SCOPED_TRACE(e.device_path.toStdString());
        EXPECT_EQ(v.device_path, e.device_path);
        EXPECT_EQ(v.volume_name, e.device_path);
        EXPECT_EQ(v.file_system, e.file_system);
        EXPECT_EQ(v.label, e.label);
        EXPECT_EQ(v.disk_no, e.disk_no);
        EXPECT_EQ(v.partition_no, e.partition_no);
        EXPECT_EQ(v.start_sector, e.start);
        EXPECT_EQ(v.device_size, e.size);
        EXPECT_EQ(v.total_size, e.size);
        EXPECT_EQ(v.free_size, 0u);
        EXPECT_TRUE(v.mount_points.isEmpty());
        EXPECT_TRUE(v.image);
    }
}

TEST_F(platform_test, open_volume_gives_the_partition_range)
{
    const QString disk = QFileInfo(fixture_image("disk_mbr.img")).canonicalFilePath();
    ASSERT_EQ(platform::attach_image(disk), 0);
    int fd = -1;
    quint64 offset = 0, length = 0;
    ASSERT_EQ(platform::open_volume(disk + QStringLiteral("#p5/"), fd, offset, length), 0);
    EXPECT_EQ(offset, 10240u * 512);
    EXPECT_EQ(length, 16384u * 512);
    char boot[512];
    ASSERT_EQ(::pread(fd, boot, sizeof boot, off_t(offset)), ssize_t(sizeof boot));
    EXPECT_EQ(std::memcmp(boot + 54, "FAT16", 5), 0);
    // Opened for reading only.
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_ACCMODE, O_RDONLY);
    ::close(fd);
    EXPECT_EQ(platform::open_volume(disk + QStringLiteral("#p3"), fd, offset, length), -1);
    EXPECT_EQ(fd, -1);

    // By disk and partition number.
    ASSERT_EQ(platform::open_disk_partition(0, 1, fd, offset, length), 0);
    EXPECT_EQ(offset, 2048u * 512);
    EXPECT_EQ(length, 2048u * 512);
    ::close(fd);
    EXPECT_EQ(platform::open_disk_partition(0, 2, fd, offset, length), -1) << "extended container";
    EXPECT_EQ(platform::open_disk_partition(1, 1, fd, offset, length), -1);
    EXPECT_EQ(platform::open_disk_partition(-1, 0, fd, offset, length), -1);
}

TEST(platform_parsers, mountinfo)
{
    const QByteArray text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "30 22 8:16 / /media/u/MY\\040STICK rw master:2 - vfat /dev/sdb rw\n"
        "31 22 8:17 / /mnt/back\\134slash\\011tab rw - vfat /dev/sdb1 rw\n"
        "32 22 8:2 / /srv/no-dash rw ext4 /dev/sda2 rw x y\n"  // no separator
        "33 22 x:y / /bad rw - ext4 /dev/sda3 rw\n"            // bad numbers
        "34 22 8:3 / relative rw - ext4 /dev/sda3 rw\n"        // not absolute
        "35 22 8:4 / /cut\n"                                   // too short
        "\n"
        "36 22 8:5 / /odd\\9escape rw - ext4 /dev/sda5 rw\n";
    const QList<platform::mount_s> mounts = platform::parse_mountinfo(text);
    ASSERT_EQ(mounts.size(), 4);
    EXPECT_EQ(mounts[0].mount_point, QStringLiteral("/"));
    EXPECT_EQ(mounts[0].dev_numbers, QStringLiteral("8:1"));
    EXPECT_EQ(mounts[0].source, QStringLiteral("/dev/sda1"));
    EXPECT_EQ(mounts[0].fs_type, QStringLiteral("ext4"));
    EXPECT_EQ(mounts[1].mount_point, QStringLiteral("/media/u/MY STICK"));
    EXPECT_EQ(mounts[2].mount_point, QStringLiteral("/mnt/back\\slash\ttab"));
    EXPECT_EQ(mounts[3].mount_point, QStringLiteral("/odd\\9escape"));
}

// A FAT boot sector with the fields that decide the variant.
QByteArray boot_sector(int bytes_per_sector, int sectors_per_cluster, int reserved, int fats,
                       int root_entries, quint32 total, quint32 fat_size, bool fat32_layout)
{
    QByteArray s(512, '\0');
    auto put16 = [&](int off, quint32 v) {
        s[off] = char(v & 0xFF);
        s[off + 1] = char((v >> 8) & 0xFF);
    };
    auto put32 = [&](int off, quint32 v) {
        put16(off, v & 0xFFFF);
        put16(off + 2, v >> 16);
    };
    put16(11, quint32(bytes_per_sector));
    s[13] = char(sectors_per_cluster);
    put16(14, quint32(reserved));
    s[16] = char(fats);
    put16(17, quint32(root_entries));
    if (total < 0x10000 && !fat32_layout)
        put16(19, total);
    else
        put32(32, total);
    if (fat32_layout)
        put32(36, fat_size);
    else
        put16(22, fat_size);
    s[510] = char(0x55);
    s[511] = char(0xAA);
    return s;
}

TEST(platform_parsers, fat_variant_by_cluster_count)
{
    struct fat_case {
        const char* name;
        QByteArray sector;
        const char* expected;
    };
    // Data sectors = total - reserved - fats * fat_size - root directory sectors.
    const fat_case cases[] = {
        {"floppy", boot_sector(512, 1, 1, 2, 224, 2880, 9, false), "FAT12"},
        {"4084 clusters", boot_sector(512, 1, 1, 2, 512, 1 + 2 * 12 + 32 + 4084, 12, false), "FAT12"},
        {"4085 clusters", boot_sector(512, 1, 1, 2, 512, 1 + 2 * 12 + 32 + 4085, 12, false), "FAT16"},
        {"65524 clusters", boot_sector(512, 1, 1, 2, 512, 1 + 2 * 256 + 32 + 65524, 256, false), "FAT16"},
        {"65525 clusters", boot_sector(512, 1, 32, 2, 0, 32 + 2 * 512 + 65525, 512, true), "FAT32"},
        {"large FAT32", boot_sector(512, 8, 32, 2, 0, 4000000, 3900, true), "FAT32"},
        {"sector size 0", boot_sector(0, 1, 1, 2, 224, 2880, 9, false), ""},
        {"sector size 513", boot_sector(513, 1, 1, 2, 224, 2880, 9, false), ""},
        {"cluster size 3", boot_sector(512, 3, 1, 2, 224, 2880, 9, false), ""},
        {"cluster size 0", boot_sector(512, 0, 1, 2, 224, 2880, 9, false), ""},
        {"no reserved sector", boot_sector(512, 1, 0, 2, 224, 2880, 9, false), ""},
        {"no FAT", boot_sector(512, 1, 1, 0, 224, 2880, 9, false), ""},
        {"FAT size 0", boot_sector(512, 1, 1, 2, 224, 2880, 0, false), ""},
        {"metadata fills the volume", boot_sector(512, 1, 1, 2, 224, 1 + 18 + 14, 9, false), ""},
        {"huge FATs", boot_sector(512, 1, 1, 255, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, true), ""},
    };
    for (const fat_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::fat_variant_from_boot_sector(
                      reinterpret_cast<const uint8_t*>(c.sector.constData()), size_t(c.sector.size())),
                  QLatin1String(c.expected));
    }
    EXPECT_TRUE(platform::fat_variant_from_boot_sector(nullptr, 512).isEmpty());
    const QByteArray floppy = boot_sector(512, 1, 1, 2, 224, 2880, 9, false);
    EXPECT_TRUE(platform::fat_variant_from_boot_sector(reinterpret_cast<const uint8_t*>(floppy.constData()), 511)
                    .isEmpty());
}

TEST(platform_parsers, partition_table_checks)
{
    using entry = platform::table_entry_s;
    struct table_case {
        const char* name;
        QList<entry> entries;
        QList<int> kept;
    };
    const quint64 disk = 10000;
    const table_case cases[] = {
        {"sound", {{1, 100, 100, false}, {2, 200, 800, false}}, {1, 2}},
        {"extended container", {{1, 100, 100, false}, {2, 200, 9800, true}, {5, 300, 100, false}}, {1, 5}},
        {"zero length", {{1, 100, 0, false}, {2, 200, 10, false}}, {2}},
        {"starts at the table", {{1, 0, 100, false}}, {}},
        {"ends past the disk", {{1, 9000, 1001, false}, {2, 100, 100, false}}, {2}},
        {"ends at the disk end", {{1, 9000, 1000, false}}, {1}},
        {"starts past the disk", {{1, 10000, 1, false}}, {}},
        {"length wraps around", {{1, 5000, ~quint64(0) - 100, false}}, {}},
        {"overlap drops both", {{1, 100, 200, false}, {2, 250, 100, false}, {3, 400, 10, false}}, {3}},
        {"touching is fine", {{1, 100, 100, false}, {2, 200, 100, false}}, {1, 2}},
        {"same number twice", {{1, 100, 10, false}, {1, 200, 10, false}}, {}},
        {"bad numbers", {{0, 100, 10, false}, {256, 200, 10, false}, {-1, 300, 10, false}}, {}},
    };
    for (const table_case& c : cases) {
        SCOPED_TRACE(c.name);
        QList<int> kept;
        for (const entry& e : platform::sane_table_entries(c.entries, disk))
            kept << e.partition_no;
        EXPECT_EQ(kept, c.kept);
    }
}

TEST(platform_parsers, device_names_sort_by_number)
{
    const QStringList sorted = {QStringLiteral("loop2"), QStringLiteral("loop10"), QStringLiteral("nvme0n1"),
                                QStringLiteral("nvme0n2"), QStringLiteral("nvme1n1"), QStringLiteral("sda"),
                                QStringLiteral("sdb"), QStringLiteral("sdaa")};
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        for (qsizetype j = 0; j < sorted.size(); ++j) {
            SCOPED_TRACE((sorted[i] + QLatin1Char(' ') + sorted[j]).toStdString());
            EXPECT_EQ(platform::device_name_less(sorted[i], sorted[j]), i < j);
        }
    }
}

TEST(platform_block_device, image_reads_and_refusals)
{
    platform::block_device_c dev;
    EXPECT_EQ(dev.open(QStringLiteral("/dev/null")), -1) << "character devices are refused";
    EXPECT_EQ(dev.open(QStringLiteral(PELLUCAN_FIXTURE_DIR)), -1) << "folders are refused";
    ASSERT_EQ(dev.open(fixture_image("volume_fat.img")), 0);
    platform::device_info_s info;
    ASSERT_EQ(dev.query(info), 0);
    EXPECT_EQ(info.size_bytes, 1024u * 1024);
    EXPECT_EQ(info.sector_size, 512u);
    EXPECT_EQ(info.heads, 255u);
    EXPECT_EQ(info.sectors_per_track, 63u);
    EXPECT_TRUE(info.regular_file);
    EXPECT_TRUE(dev.answers());
    EXPECT_EQ(::fcntl(dev.fd(), F_GETFL) & O_ACCMODE, O_RDONLY);

    char buf[1024];
    EXPECT_EQ(dev.read_at(0, buf, 512), 0);
    EXPECT_EQ(static_cast<unsigned char>(buf[510]), 0x55);
    EXPECT_EQ(dev.read_at(1024 * 1024 - 512, buf, 512), 0);
    EXPECT_EQ(dev.read_at(1024 * 1024 - 512, buf, 1024), -1) << "short read at the end";
    EXPECT_EQ(dev.read_at(1024 * 1024, buf, 1), -1);
    EXPECT_EQ(dev.read_at(~quint64(0) - 10, buf, 512), -1);
    EXPECT_EQ(dev.read_at(0, nullptr, 512), -1);
    EXPECT_EQ(dev.read_at(0, buf, 0), 0);
}

TEST(platform_single_instance, lock_is_held)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString path = single_instance_lock_path(QStringLiteral("Pellucan"));
    EXPECT_EQ(path, runtime.path() + QStringLiteral("/Pellucan.lock"));
    ASSERT_EQ(acquire_single_instance(QStringLiteral("Pellucan")), 0);
    EXPECT_EQ(acquire_single_instance(QStringLiteral("Pellucan")), 0) << "we already hold it";

    // Another process opening the same file cannot take the lock.
    const int other = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), -1);
    EXPECT_EQ(errno, EWOULDBLOCK);
    ::close(other);

    // Without a usable runtime folder: the temp folder, with the user id in the name.
    qputenv("XDG_RUNTIME_DIR", QByteArray("/nonexistent-runtime"));
    EXPECT_EQ(single_instance_lock_path(QStringLiteral("Pellucan")),
              QDir::tempPath() + QStringLiteral("/Pellucan-") + QString::number(::geteuid()) +
                  QStringLiteral(".lock"));
}

}  // namespace
