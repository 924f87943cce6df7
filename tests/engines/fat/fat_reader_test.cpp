// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT reader over in-memory disks: mounting checks, FAT lookups, file data, directory
// listing with deleted entries, names and path lookup.
#include "engines/fat/fat_dir.h"
#include "engines/fat/fat_tables.h"
#include "tests/engines/fat/memory_disk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string fixture_dir = std::string(PELLUCAN_FIXTURE_DIR) + "/fat_images/";

std::u16string u16(const char16_t* s) { return s ? std::u16string(s) : std::u16string(); }

struct reader_test : ::testing::Test {
    fat_volume volume;
    void SetUp() override { f_attach(0, &volume); }
    void TearDown() override
    {
        f_attach(0, nullptr);
        fat_set_disk(nullptr);
    }
    uint8_t mount()
    {
        const char16_t* path = u"";
        fat_volume* v = nullptr;
        return mount_volume(&path, &v);
    }
};

// ---- Mounting -------------------------------------------------------------------------

struct limit_case {
    uint32_t clusters;
    uint8_t type;
};

class cluster_limits : public reader_test, public ::testing::WithParamInterface<limit_case> {};

TEST_P(cluster_limits, type_follows_cluster_count)
{
    const limit_case c = GetParam();
    use_memory_disk(make_boot_sector(fields_for_clusters(c.clusters)));
    ASSERT_EQ(mount(), FAT_OK);
    EXPECT_EQ(volume.fs_type, c.type);
    EXPECT_EQ(volume.cluster_entries, c.clusters + 2);
}

INSTANTIATE_TEST_SUITE_P(fat, cluster_limits,
                         ::testing::Values(limit_case{4085, FS_FAT12}, limit_case{4086, FS_FAT16},
                                           limit_case{65525, FS_FAT16}, limit_case{65526, FS_FAT32}));

struct refused_case {
    const char* name;
    void (*patch)(boot_fields_s&);
    uint8_t expected;
};

void PrintTo(const refused_case& c, std::ostream* os) { *os << c.name; }

class refused_geometry : public reader_test, public ::testing::WithParamInterface<refused_case> {};

TEST_P(refused_geometry, is_refused)
{
    const refused_case& c = GetParam();
    boot_fields_s f = fields_for_clusters(5000);
    c.patch(f);
    use_memory_disk(make_boot_sector(f));
    EXPECT_EQ(mount(), c.expected);
    EXPECT_EQ(volume.fs_type, FS_NONE);
}

INSTANTIATE_TEST_SUITE_P(
    fat, refused_geometry,
    ::testing::Values(
        refused_case{"sector_4096", [](boot_fields_s& f) { f.bytes_per_sector = 4096; }, FAT_NO_FILESYSTEM},
        refused_case{"sector_0", [](boot_fields_s& f) { f.bytes_per_sector = 0; }, FAT_NO_FILESYSTEM},
        refused_case{"no_fats", [](boot_fields_s& f) { f.fat_count = 0; }, FAT_NO_FILESYSTEM},
        refused_case{"three_fats", [](boot_fields_s& f) { f.fat_count = 3; }, FAT_NO_FILESYSTEM},
        refused_case{"cluster_size_0", [](boot_fields_s& f) { f.sectors_per_cluster = 0; }, FAT_NO_FILESYSTEM},
        refused_case{"cluster_size_3", [](boot_fields_s& f) { f.sectors_per_cluster = 3; }, FAT_NO_FILESYSTEM},
        refused_case{"root_entries_17", [](boot_fields_s& f) { f.root_entries = 17; }, FAT_NO_FILESYSTEM},
        refused_case{"no_reserved", [](boot_fields_s& f) { f.reserved = 0; }, FAT_NO_FILESYSTEM},
        refused_case{"total_below_system", [](boot_fields_s& f) { f.total_sectors = 10; }, FAT_NO_FILESYSTEM},
        refused_case{"no_clusters", [](boot_fields_s& f) { f.total_sectors -= 5000; }, FAT_NO_FILESYSTEM},
        refused_case{"zero_total", [](boot_fields_s& f) { f.total_sectors = 0; }, FAT_NO_FILESYSTEM},
        refused_case{"fat_too_small", [](boot_fields_s& f) { f.sectors_per_fat = 2; f.total_sectors = 1 + 2 + 32 + 5000; }, FAT_NO_FILESYSTEM},
        refused_case{"fat16_no_root", [](boot_fields_s& f) { f.root_entries = 0; }, FAT_NO_FILESYSTEM},
        refused_case{"fat32_with_root", [](boot_fields_s& f) { f = fields_for_clusters(70000); f.root_entries = 512; f.total_sectors += 32; }, FAT_NO_FILESYSTEM},
        refused_case{"fat32_too_many_clusters", [](boot_fields_s& f) { f = fields_for_clusters(70000); f.sectors_per_fat = 0x200000; f.total_sectors = 0xF0000000; }, FAT_NO_FILESYSTEM},
        refused_case{"no_signature", [](boot_fields_s& f) { f.signature = 0; }, FAT_NO_FILESYSTEM}),
    [](const ::testing::TestParamInfo<refused_case>& info) { return std::string(info.param.name); });

TEST_F(reader_test, unreadable_boot_sector_is_a_disk_error)
{
    use_memory_disk(make_boot_sector(fields_for_clusters(5000)));
    memory_disk().bad_sectors.insert(0);
    EXPECT_EQ(mount(), FAT_DISK_ERROR);
}

TEST_F(reader_test, volume_numbers)
{
    use_memory_disk(make_boot_sector(fields_for_clusters(5000)));
    fat_volume* v = nullptr;
    const char16_t* path = u"1:/";
    EXPECT_EQ(mount_volume(&path, &v), FAT_NOT_ATTACHED);
    EXPECT_EQ(u16(path), u"/");
    EXPECT_EQ(f_attach(10, &volume), FAT_BAD_DRIVE);
    path = u"0:/";
    EXPECT_EQ(mount_volume(&path, &v), FAT_OK);
    EXPECT_EQ(v, &volume);
    const uint16_t first = volume.mount_id;
    f_attach(0, &volume);  // re-registering unmounts: the next use mounts again
    EXPECT_EQ(volume.fs_type, FS_NONE);
    EXPECT_EQ(mount(), FAT_OK);
    EXPECT_NE(volume.mount_id, first);
}

TEST_F(reader_test, partitioned_disk_mounts_at_partition_start)
{
    std::vector<uint8_t> disk = read_file(fixture_dir + "disk_fat32.img");
    ASSERT_FALSE(disk.empty());
    use_memory_disk(disk, volume_partition_s{0, 1, 2048});
    ASSERT_EQ(mount(), FAT_OK);
    EXPECT_EQ(volume.fs_type, FS_FAT32);
    EXPECT_EQ(volume.fat_start, 2048u + get16(disk, 2048 * 512 + 14));
    EXPECT_EQ(volume.volume_end, disk.size() / 512);

    // Without the MBR's signature sector 0 is no boot record at all: refused, even though
    // the partition itself is valid.
    disk[510] = 0;
    use_memory_disk(disk, volume_partition_s{0, 1, 2048});
    f_attach(0, &volume);
    EXPECT_EQ(mount(), FAT_NO_FILESYSTEM);
}

TEST_F(reader_test, claimed_size_is_cut_to_the_drive)
{
    std::vector<uint8_t> image = read_file(fixture_dir + "fat16.img");
    image.resize(image.size() / 2);
    use_memory_disk(image);
    ASSERT_EQ(mount(), FAT_OK);
    EXPECT_EQ(volume.volume_end, image.size() / 512);
    EXPECT_NE(load_window(&volume, volume.volume_end), 0);
    EXPECT_EQ(load_window(&volume, volume.volume_end - 1), 0);
}

// ---- FAT entries and clusters -----------------------------------------------------------

TEST_F(reader_test, fat12_entries_straddling_a_sector)
{
    small_fat12_s v(1000);
    // Entry 341 starts at FAT byte 511 (341 + 170): its two bytes lie in two sectors.
    v.set_fat(340, 0x456);
    v.set_fat(341, 0xABC);
    v.set_fat(342, 0xFF8);
    use_memory_disk(v.bytes);
    ASSERT_EQ(mount(), FAT_OK);
    ASSERT_EQ(volume.fs_type, FS_FAT12);
    EXPECT_EQ(next_cluster(&volume, 340), 0x456u);
    EXPECT_EQ(next_cluster(&volume, 341), 0xABCu);
    EXPECT_EQ(next_cluster(&volume, 342), 0xFF8u);
    EXPECT_EQ(next_cluster(&volume, 0), 1u);
    EXPECT_EQ(next_cluster(&volume, 1), 1u);
    EXPECT_EQ(next_cluster(&volume, volume.cluster_entries), 1u);
    EXPECT_EQ(next_cluster(&volume, 0xFFFFFFFF), 1u);

    EXPECT_EQ(cluster_to_sector(&volume, 2), v.data_start);
    EXPECT_EQ(cluster_to_sector(&volume, 1001), v.data_start + 999);
    EXPECT_EQ(cluster_to_sector(&volume, 1002), 0u);
    EXPECT_EQ(cluster_to_sector(&volume, 0), 0u);
    EXPECT_EQ(cluster_to_sector(&volume, 1), 0u);

    memory_disk().bad_sectors.insert(v.fat_start + 1);
    EXPECT_EQ(next_cluster(&volume, 341), 0xFFFFFFFFu);
}

TEST_F(reader_test, fat32_entries_are_28_bits)
{
    boot_fields_s f = fields_for_clusters(70000);
    std::vector<uint8_t> image = make_boot_sector(f);
    image.resize(size_t(f.reserved + f.sectors_per_fat) * 512, 0);
    put32(image, 512 + 4 * 100, 0xF0000065);
    use_memory_disk(image);
    ASSERT_EQ(mount(), FAT_OK);
    EXPECT_EQ(next_cluster(&volume, 100), 0x65u);
}

// ---- File data --------------------------------------------------------------------------

struct file_fixture : reader_test {
    small_fat12_s v{100, 2};
    fat_file file;
    std::vector<uint8_t> data = std::vector<uint8_t>(8192, 0xEE);

    void open(uint32_t start, uint32_t size)
    {
        use_memory_disk(v.bytes);
        ASSERT_EQ(mount(), FAT_OK);
        file = fat_file{};
        file.volume = &volume;
        file.mount_id = volume.mount_id;
        file.flags = FAT_FILE_READ;
        file.start_cluster = start;
        file.size = size;
    }
    // Expected bytes: cluster numbers in order, 1024 bytes each.
    static std::vector<uint8_t> clusters_of(std::initializer_list<uint32_t> list, uint32_t size)
    {
        std::vector<uint8_t> out;
        for (uint32_t c : list)
            out.insert(out.end(), 1024, uint8_t(c));
        out.resize(size);
        return out;
    }
};

TEST_F(file_fixture, chain_and_contiguous_reads)
{
    v.set_fat(10, 40);
    v.set_fat(40, 7);
    v.set_fat(7, 0xFFF);
    open(10, 3000);
    uint32_t done = 0;
    ASSERT_EQ(f_readfile(&file, data.data(), 8192, &done, false), FAT_OK);
    ASSERT_EQ(done, 3000u);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + done), clusters_of({10, 40, 7}, 3000));
    EXPECT_EQ(f_readfile(&file, data.data(), 8192, &done, false), FAT_OK);
    EXPECT_EQ(done, 0u);  // at the end: nothing, and no error

    // Contiguous: clusters 10, 11, 12 whatever the FAT says; odd sizes go through the buffer.
    open(10, 3000);
    uint32_t total = 0;
    for (uint32_t piece : {100u, 1000u, 1900u}) {
        ASSERT_EQ(f_readfile(&file, data.data() + total, piece, &done, true), FAT_OK);
        total += done;
    }
    ASSERT_EQ(total, 3000u);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + total), clusters_of({10, 11, 12}, 3000));
}

TEST_F(file_fixture, broken_reads_keep_what_was_read)
{
    struct broken_case {
        const char* name;
        uint32_t start;
        uint32_t size;
        bool contiguous;
        uint8_t code;
        uint32_t done;
    };
    v.set_fat(20, 0xFFF);  // chain ends after one cluster of a three-cluster file
    v.set_fat(30, 31);
    v.set_fat(31, 5000);   // cluster number beyond the volume
    const broken_case cases[] = {
        {"chain_ends_early", 20, 3000, false, FAT_INTERNAL_ERROR, 1024},
        {"chain_out_of_range", 30, 3000, false, FAT_INTERNAL_ERROR, 2048},
        {"contiguous_past_last_cluster", 100, 4000, true, FAT_INTERNAL_ERROR, 2048},
        {"start_cluster_1", 1, 100, false, FAT_INTERNAL_ERROR, 0},
        {"start_beyond_volume", 500, 100, true, FAT_INTERNAL_ERROR, 0},
        {"read_error_in_second_cluster", 50, 3000, true, FAT_DISK_ERROR, 1024},
        {"read_error_mid_cluster_keeps_its_first_sector", 51, 3000, true, FAT_DISK_ERROR, 512},
    };
    for (const broken_case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.start, c.size);
        memory_disk().bad_sectors.insert(c.start == 51 ? v.cluster_sector(51) + 1 : v.cluster_sector(51));
        uint32_t done = 0;
        EXPECT_EQ(f_readfile(&file, data.data(), 8192, &done, c.contiguous), c.code);
        EXPECT_EQ(done, c.done);
        // The error is latched.
        EXPECT_EQ(f_readfile(&file, data.data(), 8192, &done, c.contiguous), FAT_INTERNAL_ERROR);
        EXPECT_EQ(done, 0u);
    }
    open(10, 100);
    file.flags = 0;
    uint32_t done = 0;
    EXPECT_EQ(f_readfile(&file, data.data(), 100, &done, true), FAT_DENIED);
    file.flags = FAT_FILE_READ;
    file.mount_id = uint16_t(volume.mount_id + 1);
    EXPECT_EQ(f_readfile(&file, data.data(), 100, &done, true), FAT_BAD_OBJECT);
}

// ---- Names ------------------------------------------------------------------------------

TEST(fat_names, short_name_decoding)
{
    struct name_case {
        const char* name;
        const char* bytes;  // 11 bytes
        uint8_t case_flags;
        bool deleted;
        std::u16string expected;
    };
    const name_case cases[] = {
        {"plain", "README  TXT", 0, false, u"README.TXT"},
        {"no_extension", "MAKEFILE   ", 0, false, u"MAKEFILE"},
        {"lower_body", "README  TXT", 0x08, false, u"readme.TXT"},
        {"lower_extension", "README  TXT", 0x10, false, u"README.txt"},
        // The deletion mark stands for a one-byte character: the second letter stays.
        {"deleted_ascii", "\xE5" "EADME  TXT", 0, true, u"?EADME.TXT"},
        {"deleted_lower", "\xE5" "OWER   TXT", 0x18, true, u"?ower.txt"},
        // The mark overwrote a lead byte: mark and trail form one (replaced) character.
        {"deleted_double_byte", "\xE5\xC4\xCE\xC4    TXT", 0, true, u"\u8FE5\u6587.TXT"},
        {"deleted_one_letter", "\xE5       TXT", 0, true, u"?.TXT"},
        {"code_page_936", "\xCE\xC4\xB5\xB5       ", 0, false, u"文档"},
        {"stored_05_is_e5_lead", "\x05" "A         ", 0, false, u"\u930B"},
        {"lead_at_body_end", "ABCDEFG\xCE" "TXT", 0, false, u"ABCDEFG?.TXT"},
        {"extension_pair", "A       \xCE\xC4Z", 0, false, u"A.文Z"},
        {"extension_lead_last", "A       XY\xCE", 0, false, u"A.XY?"},
        {"euro", "\x80       TXT", 0, false, u"\u20AC.TXT"},
    };
    for (const name_case& c : cases) {
        SCOPED_TRACE(c.name);
        char16_t out[13];
        decode_short_name(reinterpret_cast<const uint8_t*>(c.bytes), c.case_flags, c.deleted, out);
        EXPECT_EQ(std::u16string(out), c.expected);
    }
}

TEST(fat_names, code_page_and_case_tables)
{
    EXPECT_EQ(oem_to_unicode('A'), u'A');
    EXPECT_EQ(oem_to_unicode(0xCEC4), u'文');
    EXPECT_EQ(oem_to_unicode(0xA1A1), 0x3000);
    EXPECT_EQ(oem_to_unicode(0xFF41), 0);  // trail byte 0x41 under lead 0xFF: no code
    EXPECT_EQ(oem_to_unicode(0x81), 0);
    EXPECT_EQ(unicode_to_oem(u'文'), 0xCEC4);
    EXPECT_EQ(unicode_to_oem(0x20AC), 0x80);
    EXPECT_EQ(unicode_to_oem(0x0400), 0);  // Cyrillic Ѐ is not in code page 936
    for (uint16_t code : {0x8140, 0xB0A1, 0xD7F9, 0xFE4F})
        EXPECT_EQ(unicode_to_oem(oem_to_unicode(code)), code) << std::hex << code;
    EXPECT_EQ(unicode_upper(u'a'), u'A');
    EXPECT_EQ(unicode_upper(u'z'), u'Z');
    EXPECT_EQ(unicode_upper(u'é'), u'É');
    EXPECT_EQ(unicode_upper(u'ÿ'), 0x178);
    EXPECT_EQ(unicode_upper(0x101), 0x100);
    EXPECT_EQ(unicode_upper(0x100), 0x100);
    EXPECT_EQ(unicode_upper(u'ж'), u'Ж');
    EXPECT_EQ(unicode_upper(0xFF41), 0xFF21);
    EXPECT_EQ(unicode_upper(u'ß'), u'ß');  // upper case is two letters: stays
    EXPECT_EQ(unicode_upper(u'文'), u'文');
}

TEST(fat_names, path_component_to_8_3)
{
    struct parse_case {
        const char16_t* path;
        uint8_t code;
        const char* sfn;  // 11 bytes, when the code is FAT_OK
        uint8_t flags;
    };
    const parse_case cases[] = {
        {u"readme.txt", FAT_OK, "README  TXT", FAT_NAME_LAST},
        {u"/dir/x", FAT_OK, "DIR        ", 0},
        {u"dir//", FAT_OK, "DIR        ", FAT_NAME_LAST},
        {u"My Documents", FAT_OK, "MYDOCUME   ", FAT_NAME_LAST | FAT_NAME_LOSSY},
        {u"a+b.c", FAT_OK, "A_B     C  ", FAT_NAME_LAST | FAT_NAME_LOSSY},
        {u"文档", FAT_OK, "\xCE\xC4\xB5\xB5       ", FAT_NAME_LAST},
        {u"\u930BA", FAT_OK, "\x05" "AA        ", FAT_NAME_LAST},
        {u"ABCDEFG文", FAT_OK, "ABCDEFG    ", FAT_NAME_LAST | FAT_NAME_LOSSY},
        {u"name.", FAT_OK, "NAME       ", FAT_NAME_LAST},
        {u"a*b", FAT_BAD_NAME, nullptr, 0},
        {u"a?", FAT_BAD_NAME, nullptr, 0},
        {u"\"q\"", FAT_BAD_NAME, nullptr, 0},
        {u"...", FAT_BAD_NAME, nullptr, 0},
        {u"  ", FAT_BAD_NAME, nullptr, 0},
    };
    for (const parse_case& c : cases) {
        SCOPED_TRACE(std::string(QString::fromUtf16(c.path).toUtf8().constData()));
        fat_dir dir;
        const char16_t* p = c.path;
        ASSERT_EQ(parse_name(&dir, &p), c.code);
        if (c.code != FAT_OK)
            continue;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(dir.short_name_work), 11), std::string(c.sfn, 11));
        EXPECT_EQ(dir.short_name_work[11], c.flags);
    }
    fat_dir dir;
    std::u16string long_name(256, u'x');
    const char16_t* p = long_name.c_str();
    EXPECT_EQ(parse_name(&dir, &p), FAT_BAD_NAME);
    long_name.resize(255);
    p = long_name.c_str();
    EXPECT_EQ(parse_name(&dir, &p), FAT_OK);
}

// ---- Directories over the fixture images --------------------------------------------------

struct listed_s {
    std::u16string short_name;
    std::u16string long_name;
    uint8_t attributes;
    uint32_t cluster;
    uint32_t size;
};

std::vector<listed_s> list(fat_dir* dir, uint32_t capacity = 256, uint8_t* last_code = nullptr)
{
    std::vector<listed_s> out;
    std::vector<char16_t> long_name(capacity ? capacity : 1);
    fat_entry_info info;
    info.long_name = long_name.data();
    info.long_name_capacity = capacity;
    for (int guard = 0; guard < 70000; ++guard) {
        const uint8_t code = f_readdir(dir, &info);
        if (last_code)
            *last_code = code;
        if (code != FAT_OK || info.short_name[0] == 0)
            break;
        out.push_back({info.short_name, capacity ? std::u16string(info.long_name) : u"", info.attributes,
                       info.start_cluster, info.size});
    }
    return out;
}

const listed_s* named(const std::vector<listed_s>& entries, const std::u16string& name)
{
    for (const listed_s& e : entries)
        if (e.short_name == name || e.long_name == name)
            return &e;
    return nullptr;
}

class fixture_images : public reader_test, public ::testing::WithParamInterface<const char*> {};

TEST_P(fixture_images, root_listing)
{
    std::vector<uint8_t> image = read_file(fixture_dir + GetParam());
    ASSERT_FALSE(image.empty()) << "fixture missing: " << GetParam();
    use_memory_disk(image);
    fat_dir dir;
    ASSERT_EQ(f_opendir(&dir, u"/"), FAT_OK);
    const std::vector<listed_s> root = list(&dir);

    const listed_s* live = named(root, u"LIVE.TXT");
    ASSERT_TRUE(live);
    EXPECT_EQ(live->attributes & FAT_ATTR_DELETED, 0);
    EXPECT_EQ(live->size, 700u);
    const listed_s* readme = named(root, u"?EADME.TXT");
    ASSERT_TRUE(readme);
    EXPECT_EQ(readme->attributes & FAT_ATTR_DELETED, FAT_ATTR_DELETED);
    EXPECT_EQ(readme->size, 1500u);
    // A deleted long-named file comes back without its long name.
    const listed_s* long_named = named(root, u"?ONGFI~1.TXT");
    ASSERT_TRUE(long_named);
    EXPECT_EQ(long_named->long_name, u"");
    EXPECT_TRUE(named(root, u"?ower.txt"));
    EXPECT_TRUE(named(root, u"?MPTY.TXT"));
    EXPECT_TRUE(named(root, u"文档"));
    const listed_s* documents = named(root, u"My Documents");
    ASSERT_TRUE(documents);
    EXPECT_EQ(documents->short_name, u"MYDOCU~1");
    EXPECT_EQ(documents->attributes & FAT_ATTR_DIRECTORY, FAT_ATTR_DIRECTORY);
    for (const listed_s& e : root) {
        EXPECT_NE(e.short_name[0], u'.');
        EXPECT_EQ(e.attributes & FAT_ATTR_VOLUME_ID, 0);  // the label is skipped
    }

    // Long names fit in capacity - 1 units, else they are left out.
    ASSERT_EQ(f_readdir(&dir, nullptr), FAT_OK);
    EXPECT_EQ(named(list(&dir, 13), u"My Documents")->long_name, u"My Documents");
    ASSERT_EQ(f_readdir(&dir, nullptr), FAT_OK);
    const std::vector<listed_s> tight = list(&dir, 12);
    EXPECT_EQ(named(tight, u"MYDOCU~1")->long_name, u"");

    struct path_case {
        const char16_t* path;
        uint8_t code;
    };
    const path_case paths[] = {
        {u"/DIR1", FAT_OK},         {u"\\dir1\\", FAT_OK},     {u"/my documents", FAT_OK},
        {u"MYDOCU~1", FAT_OK},      {u"/文档", FAT_OK},          {u"0:/DIR1", FAT_OK},
        {u"/LIVE.TXT", FAT_NO_PATH}, {u"/NOPE", FAT_NO_PATH},  {u"/NOPE/X", FAT_NO_PATH},
        {u"/LIVE.TXT/X", FAT_NO_PATH}, {u"/README.TXT", FAT_NO_PATH}, {u"/a*b", FAT_BAD_NAME},
        {u"/OLDDIR", FAT_NO_PATH},  {u"3:/", FAT_NOT_ATTACHED},
    };
    for (const path_case& c : paths) {
        SCOPED_TRACE(std::string(QString::fromUtf16(c.path).toUtf8().constData()));
        fat_dir d;
        EXPECT_EQ(f_opendir(&d, c.path), c.code);
        if (c.code != FAT_OK) {
            EXPECT_EQ(d.volume, nullptr);
        }
    }
    fat_dir sub;
    ASSERT_EQ(f_opendir(&sub, u"/DIR1"), FAT_OK);
    const std::vector<listed_s> dir1 = list(&sub);
    ASSERT_EQ(dir1.size(), 2u);
    EXPECT_TRUE(named(dir1, u"KEEP.TXT"));
    EXPECT_TRUE(named(dir1, u"?OTES.TXT"));

    // A remount makes open directories stale.
    f_attach(0, &volume);
    fat_dir other;
    ASSERT_EQ(f_opendir(&other, u"/"), FAT_OK);
    fat_entry_info info;
    EXPECT_EQ(f_readdir(&sub, &info), FAT_BAD_OBJECT);
}

INSTANTIATE_TEST_SUITE_P(fat, fixture_images, ::testing::Values("fat12.img", "fat16.img", "fat32.img"));

// ---- Hand-built directories -------------------------------------------------------------

TEST_F(reader_test, deleted_directory_keeps_its_whole_first_cluster)
{
    small_fat12_s v(50);
    v.put_entry(v.root_entry(0), "\xE5" "LDDIR     ", FAT_ATTR_DIRECTORY, 5, 0);
    // Cluster 5 is free in the FAT (deleted directory) and full: 16 deleted entries.
    for (int i = 0; i < 16; ++i) {
        char name[12];
        std::snprintf(name, sizeof name, "\xE5" "ILE%02d  TXT", i);
        v.put_entry(v.cluster_entry(5, i), name, FAT_ATTR_ARCHIVE, uint32_t(10 + i), 100);
    }
    use_memory_disk(v.bytes);
    fat_dir dir;
    ASSERT_EQ(f_opendir(&dir, u"/"), FAT_OK);
    dir.start_cluster = 5;
    ASSERT_EQ(f_readdir(&dir, nullptr), FAT_OK);
    uint8_t last = FAT_OK;
    const std::vector<listed_s> entries = list(&dir, 256, &last);
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries[15].short_name, u"?ILE15.TXT");
    EXPECT_EQ(entries[15].cluster, 25u);
    EXPECT_EQ(last, FAT_INTERNAL_ERROR);  // the chain ends the listing after that entry
}

TEST_F(reader_test, looping_directory_chain_is_bounded)
{
    small_fat12_s v(50);
    v.put_entry(v.root_entry(0), "LOOP       ", FAT_ATTR_DIRECTORY, 5, 0);
    v.set_fat(5, 5);  // the directory's chain points at itself
    v.put_entry(v.cluster_entry(5, 0), "FILE    TXT", FAT_ATTR_ARCHIVE, 9, 10);
    for (int i = 1; i < 16; ++i)
        v.put_entry(v.cluster_entry(5, i), "\xE5" "ONE    TXT", FAT_ATTR_ARCHIVE, 9, 10);
    use_memory_disk(v.bytes);
    fat_dir dir;
    ASSERT_EQ(f_opendir(&dir, u"/LOOP"), FAT_OK);
    const std::vector<listed_s> entries = list(&dir);
    EXPECT_EQ(entries.size(), 65536u);  // the 16-bit entry index ends the listing
}

TEST_F(reader_test, orphan_long_name_parts_and_labels_are_skipped)
{
    small_fat12_s v(50);
    size_t at = v.root_entry(0);
    v.put_entry(at, "VOLUME     ", FAT_ATTR_VOLUME_ID | FAT_ATTR_ARCHIVE, 0, 0);
    // A long-name part whose checksum belongs to no short entry, then a plain file.
    at = v.root_entry(1);
    v.bytes[at] = 0x41;
    v.bytes[at + 11] = FAT_ATTR_LONG_NAME;
    v.bytes[at + 13] = 0x12;
    put16(v.bytes, at + 1, u'Z');
    put16(v.bytes, at + 3, 0);
    for (int off : {5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30})
        put16(v.bytes, at + off, 0xFFFF);
    v.put_entry(v.root_entry(2), "PLAIN   TXT", FAT_ATTR_ARCHIVE, 7, 5);
    v.put_entry(v.root_entry(3), ".          ", FAT_ATTR_DIRECTORY, 2, 0);
    use_memory_disk(v.bytes);
    fat_dir dir;
    ASSERT_EQ(f_opendir(&dir, u"/"), FAT_OK);
    const std::vector<listed_s> entries = list(&dir);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].short_name, u"PLAIN.TXT");
    EXPECT_EQ(entries[0].long_name, u"");
}

}  // namespace
