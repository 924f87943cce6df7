// SPDX-License-Identifier: GPL-3.0-or-later
// The drive table over image files: reads, bounds, binding volumes, reopening.
#include "engines/disk/sector_access.h"
#include "platform/devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(PELLUCAN_FIXTURE_DIR "/disk_images/") + QLatin1String(name);
}

class sector_access_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.isValid());
        // An empty sysfs: no real disk of this machine enters the drive order.
        platform::roots_s r;
        r.sysfs = tree.path() + QStringLiteral("/sys");
        r.dev = tree.path() + QStringLiteral("/dev");
        r.mountinfo = tree.path() + QStringLiteral("/mountinfo");
        QDir().mkpath(r.sysfs + QStringLiteral("/block"));
        platform::set_roots(r);
        platform::detach_images();
        ASSERT_EQ(platform::attach_image(fixture("disk_mbr.img")), 0);
        ASSERT_EQ(platform::attach_image(fixture("volume_fat.img")), 1);
        ASSERT_EQ(drive_table_init(), 2);
    }
    void TearDown() override
    {
        platform::detach_images();
        drive_table_reopen();
    }
    QTemporaryDir tree;
};

TEST_F(sector_access_test, reads_and_bounds)
{
    // disk_mbr.img holds 32768 sectors.
    struct read_case {
        const char* name;
        int index;
        uint32_t first;
        int count;
        int expected;
    };
    const read_case cases[] = {
        {"first sector", 0, 0, 1, DISK_OK},
        {"whole buffer", 0, 0, 128, DISK_OK},
        {"last sector", 0, 32767, 1, DISK_OK},
        {"nothing asked", 0, 100, 0, DISK_OK},
        {"runs past the end", 0, 32767, 2, DISK_ERROR},
        {"starts at the end", 0, 32768, 1, DISK_ERROR},
        {"far beyond", 0, 0xFFFFFFFFu, 1, DISK_ERROR},
        // The size check comes before any position check: the device is not touched.
        {"129 sectors", 0, 0, 129, DISK_BAD_PARAM},
        {"255 sectors past the end", 0, 0xFFFFFFFFu, 255, DISK_BAD_PARAM},
        {"no such drive", 2, 0, 1, DISK_NOT_READY},
        {"negative index", -1, 0, 1, DISK_NOT_READY},
        {"beyond the table", drive_table_max, 0, 1, DISK_NOT_READY},
    };
    std::vector<unsigned char> buffer(transfer_buffer_size + 512, 0xEE);
    for (const read_case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(buffer.begin(), buffer.end(), 0xEE);
        EXPECT_EQ(drive_read(c.index, buffer.data(), c.first, uint8_t(c.count)), c.expected);
        if (c.expected != DISK_OK) {
            EXPECT_EQ(buffer[0], 0xEE) << "a failed read must leave the destination alone";
        }
        // Nothing is ever written beyond what was asked for.
        const size_t end = size_t(c.count) * 512;
        if (c.expected == DISK_OK && end < buffer.size()) {
            EXPECT_EQ(buffer[end], 0xEE);
        }
    }
}

TEST_F(sector_access_test, read_returns_the_image_bytes)
{
    QFile image(fixture("disk_mbr.img"));
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    const QByteArray all = image.readAll();
    ASSERT_EQ(all.size(), 32768 * 512);

    std::vector<unsigned char> buffer(transfer_buffer_size);
    ASSERT_EQ(drive_read(0, buffer.data(), 0, 1), DISK_OK);
    EXPECT_EQ(buffer[510], 0x55);
    EXPECT_EQ(buffer[511], 0xAA);
    // The FAT16 boot sector of the logical partition, 128 sectors at once.
    ASSERT_EQ(drive_read(0, buffer.data(), 10240, 128), DISK_OK);
    EXPECT_EQ(std::memcmp(buffer.data(), all.constData() + 10240 * 512, 128 * 512), 0);
    EXPECT_EQ(std::memcmp(buffer.data() + 54, "FAT16", 5), 0);
}

TEST_F(sector_access_test, table_sizes_and_trace)
{
    // The real size bounds readers; the table keeps the whole-cylinder count.
    EXPECT_EQ(drive_sector_count(0), 32768u);
    EXPECT_EQ(drive_sector_count(1), 2048u);
    EXPECT_EQ(drive_sector_count(2), 0u);
    EXPECT_EQ(drive_count(), 2);
    EXPECT_EQ(drive_status(0) & DISK_STATUS_NOT_READY, 0);
    EXPECT_EQ(drive_status(5), DISK_STATUS_NOT_READY);

    testing::internal::CaptureStdout();
    EXPECT_EQ(drive_table_reopen(), 2);
    const std::string out = testing::internal::GetCapturedStdout();
    // 16 MiB: 2 whole cylinders of 255 x 63 sectors; 1 MiB: no whole cylinder.
    const std::string disk0 = "Disk# 0 <== " + QFile::encodeName(QFileInfo(fixture("disk_mbr.img")).canonicalFilePath()).toStdString() +
                              " (15MB, 512 bytes * 32130 sectors)\n";
    const std::string disk1 = "Disk# 1 <== " + QFile::encodeName(QFileInfo(fixture("volume_fat.img")).canonicalFilePath()).toStdString() +
                              " (0MB, 512 bytes * 0 sectors)\n";
    EXPECT_EQ(out, disk0 + disk1);
}

TEST_F(sector_access_test, bind_volume_paths)
{
    const QString disk = QFileInfo(fixture("disk_mbr.img")).canonicalFilePath();
    const QString volume = QFileInfo(fixture("volume_fat.img")).canonicalFilePath();
    QFile::link(volume, tree.path() + QStringLiteral("/link.img"));
    struct bind_case {
        QString path;
        int rc;
        int disk_no;
        int partition_no;
        uint32_t start;
    };
    const bind_case cases[] = {
        {disk + QStringLiteral("#p1"), 0, 0, 1, 2048},
        {disk + QStringLiteral("#p1/"), 0, 0, 1, 2048},
        {disk + QStringLiteral("#p1\\"), 0, 0, 1, 2048},
        {disk + QStringLiteral("#p5"), 0, 0, 5, 10240},
        {volume, 0, 1, 0, 0},
        {volume + QLatin1Char('/'), 0, 1, 0, 0},
        {tree.path() + QStringLiteral("/link.img"), 0, 1, 0, 0},
        // The extended container is not a volume, nor is a disk with a partition table.
        {disk + QStringLiteral("#p2"), -1, 0, 0, 0},
        {disk, -1, 0, 0, 0},
        {disk + QStringLiteral("#p9"), -1, 0, 0, 0},
        {tree.path() + QStringLiteral("/missing.img"), -1, 0, 0, 0},
        {QString(), -1, 0, 0, 0},
        {QStringLiteral("/"), -1, 0, 0, 0},
    };
    for (const bind_case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        // A failed bind leaves the previous binding in place; start from a known one.
        ASSERT_EQ(bind_volume(volume), 0);
        EXPECT_EQ(bind_volume(c.path), c.rc);
        if (c.rc != 0)
            continue;
        const volume_partition_s& entry = volume_partition(0);
        EXPECT_EQ(entry.disk_no, c.disk_no);
        EXPECT_EQ(entry.partition_no, c.partition_no);
        EXPECT_EQ(entry.start_sector, c.start);
    }
}

TEST_F(sector_access_test, reopen_follows_the_drive_order)
{
    // Copies that can be taken away, as a USB stick can be pulled.
    const QString a = tree.path() + QStringLiteral("/a.img");
    const QString b = tree.path() + QStringLiteral("/b.img");
    ASSERT_TRUE(QFile::copy(fixture("volume_fat.img"), a));
    ASSERT_TRUE(QFile::copy(fixture("volume_fat.img"), b));
    // Attached after init: only a reopen opens them.
    EXPECT_EQ(platform::attach_image(a), 2);
    EXPECT_EQ(platform::attach_image(b), 3);
    EXPECT_EQ(platform::attach_image(a), 2) << "the same file keeps its number";
    EXPECT_EQ(drive_count(), 2);
    EXPECT_EQ(drive_table_reopen(), 4);
    unsigned char sector[512];
    EXPECT_EQ(drive_read(3, sector, 0, 1), DISK_OK);

    // The medium goes away: the status says so and reads stop.
    ASSERT_TRUE(QFile::remove(b));
    EXPECT_NE(drive_status(3) & DISK_STATUS_NOT_READY, 0);
    EXPECT_EQ(drive_read(3, sector, 0, 1), DISK_NOT_READY);

    // A gap in the order hides every later drive.
    ASSERT_TRUE(QFile::remove(a));
    EXPECT_EQ(drive_table_reopen(), 2);
    EXPECT_EQ(drive_read(2, sector, 0, 1), DISK_NOT_READY);
    EXPECT_EQ(drive_read(1, sector, 0, 1), DISK_OK);
}

TEST_F(sector_access_test, unreadable_real_disks_do_not_hide_images)
{
    // Two real disks that cannot be opened (no rights, or not passed into a container).
    for (const char* name : {"sda", "sdb"}) {
        const QString dir = tree.path() + QStringLiteral("/sys/block/") + QLatin1String(name);
        ASSERT_TRUE(QDir().mkpath(dir));
        QFile size(dir + QStringLiteral("/size"));
        ASSERT_TRUE(size.open(QIODevice::WriteOnly));
        size.write("64\n");
    }
    platform::detach_images();
    ASSERT_EQ(platform::attach_image(fixture("disk_mbr.img")), 2);
    ASSERT_EQ(platform::attach_image(fixture("volume_fat.img")), 3);
    EXPECT_EQ(drive_table_reopen(), 4);
    unsigned char sector[512];
    EXPECT_EQ(drive_read(0, sector, 0, 1), DISK_NOT_READY);
    EXPECT_EQ(drive_read(1, sector, 0, 1), DISK_NOT_READY);
    EXPECT_EQ(drive_status(0), DISK_STATUS_NOT_READY);
    EXPECT_EQ(drive_read(2, sector, 0, 1), DISK_OK);
    EXPECT_EQ(drive_read(3, sector, 0, 1), DISK_OK);
    ASSERT_EQ(bind_volume(QFileInfo(fixture("disk_mbr.img")).canonicalFilePath() + QStringLiteral("#p5")), 0);
    EXPECT_EQ(volume_partition(0).disk_no, 2);
    EXPECT_EQ(volume_partition(0).start_sector, 10240u);
}

// A 3 TiB sparse disk with a GPT: one partition near the start, one beyond the 32-bit
// sector numbers of this layer. Binding the far one must fail rather than keep the low
// 32 bits of its start and read some other place of the disk.
TEST_F(sector_access_test, volumes_beyond_32_bit_sectors_are_not_bound)
{
    const QString sfdisk = QStandardPaths::findExecutable(QStringLiteral("sfdisk"),
                                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (sfdisk.isEmpty())
        GTEST_SKIP() << "sfdisk is not installed";
    const QString path = tree.path() + QStringLiteral("/big.img");
    QFile big(path);
    if (!big.open(QIODevice::WriteOnly) || !big.resize(qint64(3) << 40))
        GTEST_SKIP() << "this file system cannot hold a 3 TiB sparse file";
    big.close();
    QProcess run;
    run.start(sfdisk, {QStringLiteral("--quiet"), path});
    run.write("label: gpt\nunit: sectors\nstart=2048, size=2048\nstart=4400000000, size=2048\n");
    run.closeWriteChannel();
    ASSERT_TRUE(run.waitForFinished(30000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    ASSERT_EQ(platform::attach_image(path), 2);
    ASSERT_EQ(drive_table_reopen(), 3);
    const QString name = QFileInfo(path).canonicalFilePath();
    ASSERT_EQ(bind_volume(name + QStringLiteral("#p1")), 0);
    EXPECT_EQ(volume_partition(0).disk_no, 2);
    EXPECT_EQ(volume_partition(0).start_sector, 2048u);
    EXPECT_EQ(bind_volume(name + QStringLiteral("#p2")), -1);
    EXPECT_EQ(volume_partition(0).start_sector, 2048u) << "a failed bind keeps the previous volume";

    // Readers see the whole 32-bit sector range as readable, and its last sector reads.
    EXPECT_EQ(drive_sector_count(2), 0xFFFFFFFFu);
    unsigned char sector[512];
    EXPECT_EQ(drive_read(2, sector, 0xFFFFFFFEu, 1), DISK_OK);
}

}  // namespace
