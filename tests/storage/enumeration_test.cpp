// SPDX-License-Identifier: GPL-3.0-or-later
// The volume and drive lists over fake machines, and over a real loop device when allowed.
#include "platform/devices.h"
#include "platform/privileges.h"
#include "storage/drive_list.h"
#include "storage/volume_list.h"
#include "tests/platform/fake_machine.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A desktop: a fixed disk with a primary and a logical partition (the first mounted at
// "/", the logical one not mounted), a USB stick formatted without a partition table, an
// optical drive, zram, a device-mapper volume, a loop device with a backing file and one
// without.
void build_desktop(fake_machine_c& m)
{
    fake_disk_s sda;
    sda.name = QStringLiteral("sda");
    sda.image = fixture_image("disk_mbr.img");
    sda.dev_numbers = QStringLiteral("8:0");
    sda.partitions = {
        {QStringLiteral("sda1"), 1, 2048, 2048, QStringLiteral("8:1")},
        {QStringLiteral("sda2"), 2, 8192, 2, QStringLiteral("8:2")},  // extended container
        // No node for the logical partition: it is probed through the disk.
        {QStringLiteral("sda5"), 5, 10240, 16384, QStringLiteral("8:5"), false},
    };
    m.add(sda);

    fake_disk_s stick;
    stick.name = QStringLiteral("sdb");
    stick.image = fixture_image("volume_fat.img");
    stick.removable = true;
    stick.dev_numbers = QStringLiteral("8:16");
    m.add(stick);

    fake_disk_s loop0;
    loop0.name = QStringLiteral("loop0");
    loop0.image = fixture_image("volume_fat.img");
    loop0.backing_file = QStringLiteral("/srv/images/card.img");
    loop0.dev_numbers = QStringLiteral("7:0");
    m.add(loop0);
    fake_disk_s loop1;
    loop1.name = QStringLiteral("loop1");
    loop1.sectors = 2048;
    m.add(loop1);

    m.add_other(QStringLiteral("sr0"), fixture_image("volume_fat.img"));
    m.add_other(QStringLiteral("zram0"), QString());
    m.add_other(QStringLiteral("dm-0"), fixture_image("volume_fat.img"));

    m.set_mountinfo("22 1 8:1 / / rw - vfat /dev/sda1 rw\n"
                    "30 22 8:16 / /media/u/MY\\040STICK rw - vfat /dev/sdb rw\n"
                    "31 22 253:0 / /home rw - vfat /dev/mapper/home rw\n"
                    "32 22 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
                    "33 22 8:1 / /srv/bind rw - vfat /dev/sda1 rw\n"
                    "garbage line\n");
    QDir().mkpath(m.roots().dev + QStringLiteral("/disk/by-uuid"));
    QFile::link(QStringLiteral("../../sda1"), m.roots().dev + QStringLiteral("/disk/by-uuid/1234-5678"));
}

class enumeration_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(machine.valid());
        platform::set_roots(machine.roots());
        platform::detach_images();
        override_raw_read_rights(1);
    }
    void TearDown() override
    {
        override_raw_read_rights(-1);
        platform::detach_images();
        platform::set_roots(platform::roots_s{});
    }
    const volume_item_s* find(const QString& device_path) const
    {
        for (const volume_item_s& v : volume_list())
            if (v.device_path == device_path)
                return &v;
        return nullptr;
    }
    fake_machine_c machine;
};

TEST_F(enumeration_test, desktop_volumes)
{
    build_desktop(machine);
    ASSERT_EQ(enumerate_volumes(), 0);
    const QList<volume_item_s>& list = volume_list();
    ASSERT_EQ(list.size(), 5);

    const volume_item_s& header = list[0];
    EXPECT_TRUE(header.device_path.isEmpty() && header.volume_name.isEmpty() && header.root_path.isEmpty());
    EXPECT_EQ(header.total_size, 0u);
    EXPECT_EQ(header.partition_no, -1);

    struct expected_s {
        const char* node;
        QString root_path;
        const char* file_system;
        const char* label;
        int disk_no;
        int partition_no;
        quint64 size;  // 0: the mounted root, whose sizes come from the real file system
    };
    // Drive order: loop0, sda, sdb.
    const expected_s expected[] = {
        {"sda1", QStringLiteral("/"), "FAT12", "PART1", 1, 1, 0},
        {"sdb", QStringLiteral("/media/u/MY STICK"), "FAT12", "SUPERFLOPPY", 2, 0, 1024 * 1024},
        {"loop0", machine.node(QStringLiteral("loop0")), "FAT12", "SUPERFLOPPY", 0, 0, 1024 * 1024},
        {"sda5", machine.node(QStringLiteral("sda5")), "FAT16", "LOGICAL5", 1, 5, 16384 * 512},
    };
    for (const expected_s& e : expected) {
        SCOPED_TRACE(e.node);
        const volume_item_s* v = find(machine.node(QLatin1String(e.node)));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->root_path, e.root_path);
        EXPECT_EQ(v->file_system, QLatin1String(e.file_system));
        EXPECT_EQ(v->label, QLatin1String(e.label));
        EXPECT_EQ(v->disk_no, e.disk_no);
        EXPECT_EQ(v->partition_no, e.partition_no);
        if (e.size != 0) {
            // Not mounted (or its mount point is gone): the device size, nothing free.
            EXPECT_EQ(v->total_size, e.size);
            EXPECT_EQ(v->free_size, 0u);
        } else {
            EXPECT_GT(v->total_size, 0u);
            EXPECT_LE(v->free_size, v->total_size);
        }
    }
    EXPECT_EQ(find(machine.node(QStringLiteral("sda1")))->volume_name,
              machine.roots().dev + QStringLiteral("/disk/by-uuid/1234-5678"));
    EXPECT_EQ(find(machine.node(QStringLiteral("sda5")))->volume_name, machine.node(QStringLiteral("sda5")));
    for (qsizetype i = 2; i < list.size(); ++i)
        EXPECT_LT(list[i - 1].root_path, list[i].root_path) << "sorted by root path";

    // A second enumeration gives the same list, nothing twice.
    const QList<volume_item_s> first = list;
    ASSERT_EQ(enumerate_volumes(), 0);
    ASSERT_EQ(volume_list().size(), first.size());
    for (qsizetype i = 0; i < first.size(); ++i)
        EXPECT_EQ(volume_list()[i].device_path, first[i].device_path);
}

TEST_F(enumeration_test, without_raw_rights_only_removable_volumes_and_images)
{
    build_desktop(machine);
    override_raw_read_rights(0);
    ASSERT_EQ(platform::attach_image(fixture_image("disk_mbr.img")), 3);
    ASSERT_EQ(enumerate_volumes(), 0);
    QStringList paths;
    for (const volume_item_s& v : volume_list())
        paths << v.device_path;
    const QString image = QFileInfo(fixture_image("disk_mbr.img")).canonicalFilePath();
    QStringList expected = {machine.node(QStringLiteral("sdb")), image + QStringLiteral("#p1"),
                            image + QStringLiteral("#p5")};
    // The header first; the order of the rest follows the root paths, which depend on
    // where the temporary tree and the fixtures lie, so compare them as a set.
    ASSERT_FALSE(paths.isEmpty());
    EXPECT_EQ(paths.takeFirst(), QString());
    std::sort(paths.begin(), paths.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(paths, expected);
    for (qsizetype i = 2; i < volume_list().size(); ++i)
        EXPECT_LT(volume_list()[i - 1].root_path, volume_list()[i].root_path) << "sorted by root path";
}

TEST_F(enumeration_test, nothing_to_read)
{
    // No sysfs at all: the walk cannot start.
    platform::roots_s r = machine.roots();
    r.sysfs = machine.path() + QStringLiteral("/missing");
    platform::set_roots(r);
    volume_list().append(volume_item_s{});  // stale content must go
    EXPECT_EQ(enumerate_volumes(), -1);
    EXPECT_TRUE(volume_list().isEmpty());
    EXPECT_EQ(enumerate_drives(), 0);
    EXPECT_EQ(drive_list().size(), 1);
    EXPECT_TRUE(drive_list()[0].path.isEmpty());
    EXPECT_EQ(drive_list()[0].geometry, nullptr);

    // A machine with disks but none of them carries a volume: just the header.
    platform::set_roots(machine.roots());
    fake_disk_s blank;
    blank.name = QStringLiteral("sda");
    blank.sectors = 4096;
    machine.add(blank);
    EXPECT_EQ(enumerate_volumes(), 0);
    EXPECT_EQ(volume_list().size(), 1);
}

TEST_F(enumeration_test, desktop_drives)
{
    build_desktop(machine);
    ASSERT_EQ(enumerate_drives(), 0);
    const QList<drive_item_s>& list = drive_list();
    ASSERT_EQ(list.size(), 4);
    EXPECT_TRUE(list[0].path.isEmpty());
    EXPECT_EQ(list[0].size, 0u);
    EXPECT_EQ(list[0].geometry, nullptr);

    struct expected_s {
        const char* node;
        quint64 size;
        qint64 cylinders;
        quint32 media_type;
    };
    // Whole cylinders of 255 x 63 x 512 bytes: 16 MiB holds two, 1 MiB none.
    const expected_s expected[] = {
        {"loop0", 0, 0, media_type_fixed},
        {"sda", 2ull * 255 * 63 * 512, 2, media_type_fixed},
        {"sdb", 0, 0, media_type_removable},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].node);
        const drive_item_s& d = list[i + 1];
        EXPECT_EQ(d.path, machine.node(QLatin1String(expected[i].node)));
        EXPECT_EQ(d.size, expected[i].size);
        ASSERT_NE(d.geometry, nullptr);
        EXPECT_EQ(d.geometry->cylinders, expected[i].cylinders);
        EXPECT_EQ(d.geometry->tracks_per_cylinder, 255u);
        EXPECT_EQ(d.geometry->sectors_per_track, 63u);
        EXPECT_EQ(d.geometry->bytes_per_sector, 512u);
        EXPECT_EQ(d.geometry->media_type, expected[i].media_type);
    }

    // A record kept by a page keeps its geometry after the list is rebuilt.
    const drive_item_s kept = list[2];
    const disk_geometry_s* block = kept.geometry.get();
    ASSERT_EQ(enumerate_drives(), 0);
    EXPECT_EQ(drive_list().size(), 4);
    EXPECT_EQ(kept.geometry.get(), block);
    EXPECT_EQ(kept.geometry->cylinders, 2);
}

TEST_F(enumeration_test, drive_list_stops_at_a_gap)
{
    for (const char* name : {"sda", "sdb", "sdc"}) {
        fake_disk_s d;
        d.name = QLatin1String(name);
        d.sectors = 64;
        d.node = QLatin1String(name) != QLatin1String("sdb");  // sdb vanished
        machine.add(d);
    }
    ASSERT_EQ(enumerate_drives(), 0);
    ASSERT_EQ(drive_list().size(), 2);
    EXPECT_EQ(drive_list()[1].path, machine.node(QStringLiteral("sda")));

    // An attached image is still listed after the real disks that do not answer.
    const QString image = QFileInfo(fixture_image("volume_fat.img")).canonicalFilePath();
    ASSERT_EQ(platform::attach_image(image), 3);
    ASSERT_EQ(enumerate_drives(), 0);
    ASSERT_EQ(drive_list().size(), 3);
    EXPECT_EQ(drive_list()[2].path, image);
}

// The real machine: a FAT image on a loop device is a drive and an unmounted volume.
TEST(enumeration_loop_device, real_loop_device_is_listed)
{
    const QString losetup = QStandardPaths::findExecutable(QStringLiteral("losetup"),
                                                           {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (losetup.isEmpty())
        GTEST_SKIP() << "losetup is not installed";
    if (::geteuid() != 0)
        GTEST_SKIP() << "attaching a loop device needs root";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString image = dir.path() + QStringLiteral("/stick.img");
    ASSERT_TRUE(QFile::copy(fixture_image("volume_fat.img"), image));
    QProcess attach;
    attach.start(losetup, {QStringLiteral("--find"), QStringLiteral("--show"), QStringLiteral("--read-only"), image});
    if (!attach.waitForFinished(10000) || attach.exitCode() != 0)
        GTEST_SKIP() << "no loop device available here: " << attach.readAllStandardError().toStdString();
    const QString node = QString::fromUtf8(attach.readAllStandardOutput()).trimmed();
    struct detach_s {
        QString losetup, node;
        ~detach_s() { QProcess::execute(losetup, {QStringLiteral("--detach"), node}); }
    } detach{losetup, node};

    platform::set_roots(platform::roots_s{});
    platform::detach_images();
    ASSERT_EQ(enumerate_drives(), 0);
    bool drive_found = false;
    for (const drive_item_s& d : drive_list())
        drive_found = drive_found || d.path == node;
    if (!drive_found && drive_list().size() > platform::drive_order_max)
        GTEST_SKIP() << "ten drives come before the loop device";
    EXPECT_TRUE(drive_found) << node.toStdString();

    ASSERT_EQ(enumerate_volumes(), 0);
    const volume_item_s* volume = nullptr;
    for (const volume_item_s& v : volume_list())
        if (v.device_path == node)
            volume = &v;
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->file_system, QStringLiteral("FAT12"));
    EXPECT_EQ(volume->label, QStringLiteral("SUPERFLOPPY"));
    EXPECT_EQ(volume->partition_no, 0);
    EXPECT_EQ(volume->root_path, node);
    EXPECT_EQ(volume->total_size, 1024u * 1024);
    EXPECT_GE(volume->disk_no, 0);
}

}  // namespace
