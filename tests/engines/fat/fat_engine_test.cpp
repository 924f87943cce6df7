// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT engine end to end: the fixture volumes (in memory and through the drive order as
// image files), the result store rules, extraction, path_of, pause and stop, and a table
// of damaged twins of one good image.
#include "engines/disk/sector_access.h"
#include "engines/fat/fat_recovery.h"
#include "platform/devices.h"
#include "storage/volume_list.h"
#include "tests/engines/fat/memory_disk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string fixture_dir = std::string(PELLUCAN_FIXTURE_DIR) + "/fat_images/";
constexpr qint64 fixture_mtime = 1614834368;  // 2021-03-04 05:06:08 UTC

struct utc_environment : ::testing::Environment {
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};
const auto* const utc = ::testing::AddGlobalTestEnvironment(new utc_environment);

void run_scan(fat_recovery_c& engine)
{
    engine.start();
    ASSERT_TRUE(engine.wait(60000));
}

const fat_node* find_node(const fat_recovery_c& engine, const QString& name, quint32 size = 0)
{
    for (const fat_node& node : engine.result_store())
        if (node.name == name && (size == 0 || node.size == size))
            return &node;
    return nullptr;
}

QString parent_name(const fat_recovery_c& engine, const fat_node& node)
{
    return engine.result_store().value(node.parent).name;
}

std::vector<uint8_t> file_bytes(const QString& path) { return read_file(path.toStdString()); }

// The deleted files every fixture volume holds, with the file they were made from.
struct expected_file {
    const char16_t* name;
    quint32 size;
    const char16_t* parent;
    const char* source;
};
const expected_file expected_files[] = {
    {u"#EADME.TXT", 1500, u"", "README.TXT"},
    {u"#ONGFI~1.TXT", 3000, u"", "Long File Name.txt"},
    {u"#ower.txt", 100, u"", "lower.txt"},
    {u"#文.TXT", 300, u"", "ZZZZ.TXT"},
    {u"#OTES.TXT", 5000, u"DIR1", "NOTES.TXT"},
    {u"#EPORT.DOC", 2500, u"My Documents", "REPORT.DOC"},
    {u"#.TXT", 1200, u"#LDDIR", "A.TXT"},
    {u"#.TXT", 800, u"#LDDIR", "B.TXT"},
    {u"#RAG.BIN", 2048, u"", "FRAG.BIN"},  // fragmented: right only up to its first cluster
};

void check_fixture_scan(fat_recovery_c& engine, QTemporaryDir& out)
{
    const auto& store = engine.result_store();
    EXPECT_EQ(engine.found_count(), 14);
    EXPECT_EQ(store.size(), 15);  // + the root
    ASSERT_TRUE(store.contains(0));
    const fat_node& root = store[0];
    EXPECT_EQ(root.attr, FAT_ATTR_DIRECTORY);
    EXPECT_TRUE(root.name.isEmpty());
    EXPECT_EQ(root.marked, 1);
    EXPECT_EQ(root.children.size(), 10);
    EXPECT_EQ(engine.progress(), engine.scanned_count() / 2000.0 - 1 / 2000.0);

    for (const expected_file& f : expected_files) {
        const QString name = QString::fromUtf16(f.name);
        SCOPED_TRACE(f.source);
        const fat_node* node = find_node(engine, name, f.size);
        ASSERT_TRUE(node);
        EXPECT_EQ(node->attr & (FAT_ATTR_DELETED | FAT_ATTR_DIRECTORY), FAT_ATTR_DELETED);
        EXPECT_EQ(node->mtime, fixture_mtime);
        EXPECT_EQ(parent_name(engine, *node), QString::fromUtf16(f.parent));
        EXPECT_TRUE(store[node->parent].children.contains(node));

        const QString target = out.filePath(QString::number(node->cluster));
        ASSERT_EQ(engine.extract(node->cluster, target), 0);
        const std::vector<uint8_t> got = file_bytes(target);
        const std::vector<uint8_t> want = read_file(fixture_dir + "expected/" + f.source);
        ASSERT_EQ(want.size(), f.size);
        ASSERT_EQ(got.size(), want.size());
        if (std::string(f.source) == "FRAG.BIN") {
            EXPECT_TRUE(std::equal(want.begin(), want.begin() + 512, got.begin()));
            EXPECT_NE(got, want);  // past the first fragment the contiguous read is wrong
        } else {
            EXPECT_EQ(got, want);
        }
    }
    struct dir_case {
        const char16_t* name;
        quint8 attr;
        quint8 marked;
    };
    for (const dir_case& d : {dir_case{u"DIR1", 0x10, 1}, dir_case{u"My Documents", 0x10, 1},
                              dir_case{u"#LDDIR", 0x50, 1}, dir_case{u"文档", 0x10, 0},
                              dir_case{u"\u930B", 0x10, 0}}) {
        const fat_node* node = find_node(engine, QString::fromUtf16(d.name));
        ASSERT_TRUE(node) << QString::fromUtf16(d.name).toStdString();
        EXPECT_EQ(node->attr & 0x50, d.attr);
        EXPECT_EQ(node->marked, d.marked);
        EXPECT_EQ(node->parent, 0u);
    }
    // Files inside the deleted directory are flagged as found below a deleted directory.
    EXPECT_EQ(find_node(engine, QStringLiteral("#.TXT"), 1200)->under_deleted, 1);
    EXPECT_EQ(find_node(engine, QStringLiteral("#OTES.TXT"))->under_deleted, 0);
    // Live files and the empty deleted file are never kept.
    for (const char* absent : {"LIVE.TXT", "KEEP.TXT", "#MPTY.TXT", "FILL1.BIN"})
        EXPECT_FALSE(find_node(engine, QString::fromLatin1(absent))) << absent;
}

class fixture_scan : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { fat_set_disk(nullptr); }
};

TEST_P(fixture_scan, finds_every_deleted_file)
{
    const std::vector<uint8_t> image = read_file(fixture_dir + GetParam());
    ASSERT_FALSE(image.empty());
    use_memory_disk(image);
    fat_recovery_c engine;
    run_scan(engine);
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    check_fixture_scan(engine, out);
    EXPECT_LE(memory_disk().highest_read, image.size() / 512);
}

INSTANTIATE_TEST_SUITE_P(fat, fixture_scan, ::testing::Values("fat12.img", "fat16.img", "fat32.img"));

// Through the drive order, as the program runs: the image is attached as a drive, its
// volume comes from the volume list and the engine binds and reads it.
TEST(fat_engine, scans_images_through_the_drive_order)
{
    struct image_case {
        const char* file;
        int partition_no;
    };
    // An empty machine: the attached images are the only drives.
    QTemporaryDir machine;
    ASSERT_TRUE(QDir(machine.path()).mkpath(QStringLiteral("sys/block")));
    ASSERT_TRUE(QDir(machine.path()).mkpath(QStringLiteral("dev")));
    QFile mountinfo(machine.filePath(QStringLiteral("mountinfo")));
    ASSERT_TRUE(mountinfo.open(QIODevice::WriteOnly));
    mountinfo.close();
    platform::roots_s roots;
    roots.sysfs = machine.filePath(QStringLiteral("sys"));
    roots.dev = machine.filePath(QStringLiteral("dev"));
    roots.mountinfo = mountinfo.fileName();
    platform::set_roots(roots);
    drive_table_init();
    for (const image_case& c : {image_case{"fat16.img", 0}, image_case{"disk_fat32.img", 1}}) {
        SCOPED_TRACE(c.file);
        const QString path = QString::fromStdString(fixture_dir + c.file);
        const int disk = platform::attach_image(path);
        ASSERT_GE(disk, 0);
        drive_table_reopen();
        ASSERT_EQ(enumerate_volumes(), 0);
        const volume_item_s* chosen = nullptr;
        for (const volume_item_s& v : volume_list())
            if (v.disk_no == disk && v.partition_no == c.partition_no)
                chosen = &v;
        ASSERT_TRUE(chosen);
        EXPECT_TRUE(chosen->file_system.startsWith(QStringLiteral("FAT")));

        fat_recovery_c engine;
        engine.set_volume(*chosen);
        run_scan(engine);
        QTemporaryDir out;
        check_fixture_scan(engine, out);

        QString live;
        const fat_node* notes = find_node(engine, QStringLiteral("#OTES.TXT"));
        ASSERT_TRUE(notes);
        ASSERT_EQ(engine.path_of(notes->cluster, &live), 0);
        QString root = chosen->root_path;
        if (root.endsWith(u'/'))
            root.chop(1);
        EXPECT_EQ(live, root + QStringLiteral("/DIR1/#OTES.TXT"));
        platform::detach_images();
        drive_table_reopen();
    }
}

TEST(fat_engine, unbindable_volume_yields_the_empty_root)
{
    use_memory_disk(read_file(fixture_dir + "fat16.img"));
    memory_disk().bind_result = -1;
    fat_recovery_c engine;
    run_scan(engine);
    EXPECT_EQ(engine.found_count(), 0);
    ASSERT_EQ(engine.result_store().size(), 1);
    EXPECT_TRUE(engine.result_store()[0].children.isEmpty());
    EXPECT_EQ(engine.result_store()[0].marked, 0);
    fat_set_disk(nullptr);
}

// ---- Writing out and paths ----------------------------------------------------------------

struct scanned_fat16 : ::testing::Test {
    std::vector<uint8_t> image = read_file(fixture_dir + "fat16.img");
    fat_recovery_c engine;
    QTemporaryDir out;
    void SetUp() override
    {
        ASSERT_FALSE(image.empty());
        use_memory_disk(image);
        volume_item_s v;
        v.root_path = QStringLiteral("/media/usb/");
        engine.set_volume(v);
        run_scan(engine);
    }
    void TearDown() override { fat_set_disk(nullptr); }
};

TEST_F(scanned_fat16, extract_never_follows_a_planted_link)
{
    const fat_node* readme = find_node(engine, QStringLiteral("#EADME.TXT"));
    ASSERT_TRUE(readme);
    const QString victim = out.filePath(QStringLiteral("victim"));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    const QString link = out.filePath(QStringLiteral("link"));
    ASSERT_EQ(symlink(victim.toUtf8().constData(), link.toUtf8().constData()), 0);
    EXPECT_EQ(engine.extract(readme->cluster, link), -1);
    EXPECT_EQ(file_bytes(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));

    EXPECT_EQ(engine.extract(0xDEAD, out.filePath(QStringLiteral("none"))), -1);
    EXPECT_EQ(engine.extract(readme->cluster, out.filePath(QStringLiteral("no/such/dir"))), -1);
}

TEST_F(scanned_fat16, read_error_gives_a_shorter_file)
{
    const fat_node* notes = find_node(engine, QStringLiteral("#OTES.TXT"));
    ASSERT_TRUE(notes);
    const std::vector<uint8_t> want = read_file(fixture_dir + "expected/NOTES.TXT");
    // The fourth sector of the file cannot be read: the file ends after the third.
    fat_volume probe;
    f_attach(1, &probe);
    const char16_t* p = u"1:";
    fat_volume* v = nullptr;
    ASSERT_EQ(mount_volume(&p, &v), FAT_OK);
    memory_disk().bad_sectors.insert(cluster_to_sector(&probe, notes->cluster) + 3);
    f_attach(1, nullptr);
    const QString target = out.filePath(QStringLiteral("notes"));
    ASSERT_EQ(engine.extract(notes->cluster, target), 0);
    const std::vector<uint8_t> got = file_bytes(target);
    ASSERT_EQ(got.size(), 3 * 512u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), want.begin()));
}

TEST_F(scanned_fat16, path_of_follows_parents)
{
    QString path = QStringLiteral("untouched");
    const fat_node* report = find_node(engine, QStringLiteral("#EPORT.DOC"));
    ASSERT_TRUE(report);
    ASSERT_EQ(engine.path_of(report->cluster, &path), 0);
    EXPECT_EQ(path, QStringLiteral("/media/usb/My Documents/#EPORT.DOC"));
    ASSERT_EQ(engine.path_of(find_node(engine, QStringLiteral("#EADME.TXT"))->cluster, &path), 0);
    EXPECT_EQ(path, QStringLiteral("/media/usb/#EADME.TXT"));
    path = QStringLiteral("untouched");
    EXPECT_EQ(engine.path_of(0xBEEF, &path), -1);
    EXPECT_EQ(path, QStringLiteral("untouched"));
}

// ---- Store rules on patched twins -----------------------------------------------------------

// Byte offset of the directory entry whose 11 name bytes are name11, searched from `from`.
size_t entry_at(const std::vector<uint8_t>& image, const char* name11, size_t from = 0)
{
    for (size_t at = from; at + 32 <= image.size(); at += 32)
        if (std::memcmp(&image[at], name11, 11) == 0)
            return at;
    ADD_FAILURE() << "no entry " << name11;
    return 0;
}

TEST(fat_engine, same_start_cluster_rules)
{
    std::vector<uint8_t> image = read_file(fixture_dir + "fat16.img");
    ASSERT_FALSE(image.empty());
    // Two deleted files with one start cluster: the later creation time wins, in either order.
    const size_t readme = entry_at(image, "\xE5" "EADME  TXT");
    const size_t lower = entry_at(image, "\xE5" "OWER   TXT");
    put16(image, lower + 26, get16(image, readme + 26));
    put16(image, lower + 16, (42 << 9) | (1 << 5) | 1);  // created 2022-01-01: later
    // A deleted directory and a live one with one start cluster: the live one wins.
    const size_t olddir = entry_at(image, "\xE5" "LDDIR     ");
    const size_t dir1 = entry_at(image, "DIR1       ");
    put16(image, olddir + 26, get16(image, dir1 + 26));
    use_memory_disk(image);
    fat_recovery_c engine;
    run_scan(engine);
    const fat_node& shared = engine.result_store()[get16(image, readme + 26)];
    EXPECT_EQ(shared.name, QStringLiteral("#ower.txt"));
    const fat_node& dir = engine.result_store()[get16(image, dir1 + 26)];
    EXPECT_EQ(dir.name, QStringLiteral("DIR1"));
    EXPECT_EQ(dir.children.size(), 1);  // walked once: NOTES.TXT is listed once
    fat_set_disk(nullptr);
}

// ---- Damaged volumes: every scan ends, reads stay inside the volume ------------------------

struct twin_case {
    const char* name;
    void (*patch)(std::vector<uint8_t>& image);
    int min_found;  // what must still be found
};

void PrintTo(const twin_case& c, std::ostream* os) { *os << c.name; }

class damaged_twin : public ::testing::TestWithParam<twin_case> {
protected:
    void TearDown() override { fat_set_disk(nullptr); }
};

void set_fat16(std::vector<uint8_t>& image, uint32_t cluster, uint32_t value)
{
    put16(image, get16(image, 14) * 512 + cluster * 2, value);
}

TEST_P(damaged_twin, scan_ends_inside_the_volume)
{
    std::vector<uint8_t> image = read_file(fixture_dir + "fat16.img");
    ASSERT_FALSE(image.empty());
    GetParam().patch(image);
    use_memory_disk(image);
    memory_disk().bad_sectors.clear();
    if (std::string(GetParam().name) == "read_error_in_dir1") {
        const size_t dir1 = entry_at(image, "DIR1       ");
        const uint32_t spf = get16(image, 22);
        const uint32_t data = get16(image, 14) + spf * image[16] + get16(image, 17) / 16;
        memory_disk().bad_sectors.insert(data + (get16(image, dir1 + 26) - 2) * image[13]);
    }
    fat_recovery_c engine;
    run_scan(engine);
    EXPECT_GE(engine.found_count(), GetParam().min_found);
    ASSERT_TRUE(engine.result_store().contains(0));
    EXPECT_LE(memory_disk().highest_read, image.size() / 512);

    // Writing out every kept file ends too, and never reads outside the volume.
    QTemporaryDir out;
    for (const fat_node& node : engine.result_store()) {
        if (node.attr & FAT_ATTR_DIRECTORY)
            continue;
        const QString target = out.filePath(QString::number(node.cluster));
        EXPECT_EQ(engine.extract(node.cluster, target), 0);
        EXPECT_LE(QFileInfo(target).size(), qint64(image.size()));
        QString path;
        engine.path_of(node.cluster, &path);
    }
    EXPECT_LE(memory_disk().highest_read, image.size() / 512);
}

INSTANTIATE_TEST_SUITE_P(
    fat, damaged_twin,
    ::testing::Values(
        twin_case{"intact", [](std::vector<uint8_t>&) {}, 14},
        twin_case{"sector_size_4096", [](std::vector<uint8_t>& i) { put16(i, 11, 4096); }, 0},
        twin_case{"zero_boot_fields", [](std::vector<uint8_t>& i) { std::memset(&i[11], 0, 25); }, 0},
        twin_case{"no_signature", [](std::vector<uint8_t>& i) { i[511] = 0; }, 0},
        twin_case{"truncated_to_boot_sector", [](std::vector<uint8_t>& i) { i.resize(512); }, 0},
        twin_case{"truncated_in_data", [](std::vector<uint8_t>& i) { i.resize(i.size() / 4); }, 14},
        twin_case{"truncated_in_fat", [](std::vector<uint8_t>& i) { i.resize(3 * 512); }, 0},
        twin_case{"cluster_beyond_volume",
                  [](std::vector<uint8_t>& i) { put16(i, entry_at(i, "DIR1       ") + 26, 0xFFF0); }, 13},
        twin_case{"size_beyond_volume",
                  [](std::vector<uint8_t>& i) { put32(i, entry_at(i, "\xE5" "EADME  TXT") + 28, 0xFFFFFFFF); }, 14},
        twin_case{"deleted_file_at_last_cluster",
                  [](std::vector<uint8_t>& i) {
                      const size_t e = entry_at(i, "\xE5" "EADME  TXT");
                      put16(i, e + 26, 16382);  // near the end: the contiguous run leaves the volume
                      put32(i, e + 28, 1 << 20);
                  },
                  14},
        twin_case{"directory_chain_loops",
                  [](std::vector<uint8_t>& i) {
                      const uint32_t c = get16(i, entry_at(i, "DIR1       ") + 26);
                      set_fat16(i, c, c);
                  },
                  14},
        twin_case{"directory_contains_itself",
                  [](std::vector<uint8_t>& i) {
                      const size_t dir1 = entry_at(i, "DIR1       ");
                      const size_t keep = entry_at(i, "KEEP    TXT");
                      i[keep + 11] = FAT_ATTR_DIRECTORY;
                      put16(i, keep + 26, get16(i, dir1 + 26));
                  },
                  14},
        twin_case{"directories_contain_each_other",
                  [](std::vector<uint8_t>& i) {
                      const size_t dir1 = entry_at(i, "DIR1       ");
                      const size_t docs = entry_at(i, "MYDOCU~1   ");
                      const size_t keep = entry_at(i, "KEEP    TXT");
                      i[keep + 11] = FAT_ATTR_DIRECTORY;
                      put16(i, keep + 26, get16(i, docs + 26));
                      const size_t report = entry_at(i, "\xE5" "EPORT  DOC");
                      i[report] = 'R';
                      i[report + 11] = FAT_ATTR_DIRECTORY;
                      put16(i, report + 26, get16(i, dir1 + 26));
                  },
                  12},
        twin_case{"root_cluster_chain_in_fat_garbage",
                  [](std::vector<uint8_t>& i) {
                      const uint32_t fat = get16(i, 14) * 512;
                      for (uint32_t k = 4; k < 512; k += 2)
                          put16(i, fat + k, 0xFFF7 - k);
                  },
                  14},
        twin_case{"read_error_in_dir1", [](std::vector<uint8_t>&) {}, 13}),
    [](const ::testing::TestParamInfo<twin_case>& info) { return std::string(info.param.name); });

// A self-containing directory stays where it was found, so its deleted files keep a path.
TEST(fat_engine, directory_entry_naming_an_ancestor_keeps_the_tree)
{
    std::vector<uint8_t> image = read_file(fixture_dir + "fat16.img");
    const size_t dir1 = entry_at(image, "DIR1       ");
    const size_t keep = entry_at(image, "KEEP    TXT");
    image[keep + 11] = FAT_ATTR_DIRECTORY;
    put16(image, keep + 26, get16(image, dir1 + 26));
    use_memory_disk(image);
    fat_recovery_c engine;
    run_scan(engine);
    auto found = engine.result_store().constFind(get16(image, dir1 + 26));
    ASSERT_NE(found, engine.result_store().constEnd());
    const fat_node& d = *found;
    EXPECT_EQ(d.name, QStringLiteral("DIR1"));
    EXPECT_EQ(d.parent, 0u);
    EXPECT_TRUE(engine.result_store()[0].children.contains(&d));
    EXPECT_EQ(d.marked, 1);
    fat_set_disk(nullptr);
}

// ---- Pause and stop -------------------------------------------------------------------------

std::atomic<fat_recovery_c*> pausing_engine{nullptr};
std::atomic<int> reads_until_pause{0};

int pausing_read(int drive, void* destination, uint32_t first, uint8_t count)
{
    if (--reads_until_pause == 0)
        pausing_engine.load()->set_paused(1);
    return memory_disk_ops::read(drive, destination, first, count);
}

TEST(fat_engine, stop_during_pause_keeps_what_was_found)
{
    use_memory_disk(read_file(fixture_dir + "fat16.img"));
    fat_disk_s hooks = memory_disk_hooks;
    hooks.read = pausing_read;
    fat_set_disk(&hooks);
    fat_recovery_c engine;
    pausing_engine = &engine;
    reads_until_pause = 4;  // boot sector, root sector, the first subdirectory...
    engine.start();
    while (!engine.is_paused())
        QThread::msleep(5);
    QThread::msleep(250);
    const qint64 scanned = engine.scanned_count();
    EXPECT_FALSE(engine.isFinished());
    engine.set_state(STATE_STOPPED);
    ASSERT_TRUE(engine.wait(5000));
    EXPECT_EQ(engine.scanned_count(), scanned);  // nothing more was read while paused
    EXPECT_LT(engine.found_count(), 14);
    EXPECT_EQ(engine.state(), STATE_STOPPED);
    // The store is complete in shape: root present, every kept node linked to its parent.
    const auto& store = engine.result_store();
    ASSERT_TRUE(store.contains(0));
    for (const fat_node& node : store)
        if (node.cluster != 0) {
            EXPECT_TRUE(store[node.parent].children.contains(&node));
        }
    engine.reset();
    EXPECT_EQ(engine.result_store().size(), 0);
    EXPECT_EQ(engine.state(), STATE_RUNNING);
    EXPECT_EQ(engine.found_count(), 0);
    fat_set_disk(nullptr);
}

// Progress rises with the entries read: the 2001st read sets exactly 1.0, later ones 0.99.
TEST(fat_engine, progress_counts_entries_read)
{
    struct progress_case {
        int files;
        double progress;
    };
    // Reads: the directory's entry, its files, its end, the root's end.
    for (const progress_case& c : {progress_case{1998, 1.0}, progress_case{1999, 0.99}}) {
        SCOPED_TRACE(c.files);
        small_fat12_s v(200);
        v.put_entry(v.root_entry(0), "BIG        ", FAT_ATTR_DIRECTORY, 2, 0);
        for (uint32_t cl = 2; cl < 2 + 126; ++cl)
            v.set_fat(cl, cl + 1 < 2 + 126 ? cl + 1 : 0xFFF);
        for (uint32_t cl = 2; cl < 2 + 126; ++cl)
            std::memset(&v.bytes[size_t(v.cluster_sector(cl)) * 512], 0, 512);
        for (int i = 0; i < c.files; ++i) {
            const size_t at = size_t(v.cluster_sector(2 + i / 16)) * 512 + size_t(i % 16) * 32;
            v.put_entry(at, "FILE    TXT", FAT_ATTR_ARCHIVE, 150, 10);
        }
        use_memory_disk(v.bytes);
        fat_recovery_c engine;
        run_scan(engine);
        EXPECT_EQ(engine.scanned_count(), c.files + 3);
        EXPECT_EQ(engine.progress(), c.progress);
        EXPECT_EQ(engine.found_count(), 1);
    }
    fat_set_disk(nullptr);
}

TEST(fat_engine, time_conversion)
{
    EXPECT_EQ(fat_time_to_epoch((41 << 9) | (3 << 5) | 4, (5 << 11) | (6 << 5) | 4), fixture_mtime);
    EXPECT_EQ(fat_time_to_epoch((0 << 9) | (1 << 5) | 1, 0), 315532800);  // 1980-01-01
    EXPECT_EQ(fat_time_to_epoch(0, 0), 0);                                 // no date
    EXPECT_EQ(fat_time_to_epoch((41 << 9) | (13 << 5) | 1, 0), 0);          // month 13
    EXPECT_EQ(fat_time_to_epoch((41 << 9) | (1 << 5) | 1, 24 << 11), 0);    // hour 24
}

}  // namespace
