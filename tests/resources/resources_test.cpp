// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in images exist at the sizes the pages draw them with, and language.ini has
// every UI text key in every language, in the line format the program's loader reads.

#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QList>
#include <QMap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

// The languages language.ini ships, in file order, with the image folder each one selects.
struct language_s {
    const char* section;
    const char* code;
};
const language_s k_languages[] = {
    {"English", "en"},  {"Deutsch", "de"},  {"Español", "es"},    {"Français", "fr"},
    {"Italiano", "it"}, {"日本語", "jp"},   {"简体中文", "cn"},    {"繁體中文", "hk"},
    {"Nederlands", "nl"}, {"Português", "pt"},
};

QSize image_size(const QString& path)
{
    QImageReader reader(path);
    const QImage img = reader.read();
    return img.isNull() ? QSize() : img.size();
}

TEST(Resources, FixedImagesHaveTheirSizes)
{
    struct image_s {
        const char* path;
        int w, h;
    };
    const image_s images[] = {
        // Window frame and title band.
        {":/images/system/so.png", 200, 100},
        {":/images/system/sl.png", 3, 16},
        {":/images/system/sr.png", 3, 16},
        {":/images/system/su.png", 70, 3},
        {":/images/top/logo.png", 110, 68},
        {":/images/top.ico", 48, 48},
        // System buttons, three states each.
        {":/images/system/quiButton1.png", 30, 21}, {":/images/system/quiButton2.png", 30, 21},
        {":/images/system/quiButton3.png", 30, 21}, {":/images/system/maxButton1.png", 30, 21},
        {":/images/system/maxButton2.png", 30, 21}, {":/images/system/maxButton3.png", 30, 21},
        {":/images/system/minButton1.png", 30, 21}, {":/images/system/minButton2.png", 30, 21},
        {":/images/system/minButton3.png", 30, 21}, {":/images/system/settingButton1.png", 30, 21},
        {":/images/system/settingButton2.png", 30, 21}, {":/images/system/settingButton3.png", 30, 21},
        {":/images/system/resumeButton1.png", 30, 21}, {":/images/system/resumeButton2.png", 30, 21},
        {":/images/system/resumeButton3.png", 30, 21},
        // Pages.
        {":/images/background/bai.png", 16, 40},
        {":/images/home/wenzi.png", 692, 188},
        {":/images/home/buttonscan1.png", 111, 41}, {":/images/home/buttonscan2.png", 111, 41},
        {":/images/home/buttonscan3.png", 111, 41}, {":/images/home/buttonrecovery1.png", 121, 41},
        {":/images/home/buttonrecovery2.png", 121, 41}, {":/images/home/buttonrecovery3.png", 121, 41},
        {":/images/partition_search/btn_wai_1.png", 100, 30},
        {":/images/partition_search/btn_wai_2.png", 100, 30},
        {":/images/partition_search/btn_wai_3.png", 100, 30},
        {":/images/partition_search/btn_start_1.png", 80, 30},
        {":/images/partition_search/btn_start_2.png", 80, 30},
        {":/images/partition_search/btn_start_3.png", 80, 30},
        {":/images/partition_search/loding_on.png", 12, 12},
        {":/images/partition_search/drives.png", 20, 20},
        {":/images/partition_search/red.png", 8, 18},
        {":/images/partition_search/green.png", 8, 18},
        {":/images/partition_search/check1.png", 14, 14},
        {":/images/partition_search/check2.png", 14, 14},
        {":/images/partition_search/icon_found1.png", 60, 60},
        {":/images/recovery/folder.png", 16, 16},
        {":/images/recovery/ani.gif", 72, 56},
    };
    for (const image_s& i : images) {
        SCOPED_TRACE(i.path);
        EXPECT_EQ(image_size(QString::fromUtf8(i.path)), QSize(i.w, i.h));
    }
}

// The progress texture is repeated from the painter's origin; the bars sit at any height, so
// the tile must continue seamlessly into itself in both directions.
TEST(Resources, ProgressTextureTilesWithoutSeam)
{
    const QImage tile(QStringLiteral(":/images/partition_search/loding_on.png"));
    ASSERT_FALSE(tile.isNull());
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            // Stripes run diagonally: the pixel one step down-right is the one to the right
            // of the pixel one step down-left, including across the tile's edges.
            const int right = (x + 1) % tile.width();
            const int down = (y + 1) % tile.height();
            EXPECT_EQ(tile.pixel(right, y), tile.pixel(x, down)) << x << "," << y;
        }
    }
}

TEST(Resources, ScanAnimationLoops)
{
    QImageReader reader(QStringLiteral(":/images/recovery/ani.gif"));
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_TRUE(reader.supportsAnimation());
    EXPECT_GT(reader.imageCount(), 4);
    EXPECT_NE(reader.loopCount(), 0);  // 0 would play once and stop
}

// Every language that language.ini ships has its own captioned buttons, not a copy of the
// English ones.
TEST(Resources, LanguageImagesExistForEveryShippedLanguage)
{
    const QImage english(QStringLiteral(":/images/multilang/en/btn_start_scan1.png"));
    ASSERT_FALSE(english.isNull());
    for (const language_s& lang : k_languages) {
        if (QLatin1String(lang.code) != QLatin1String("en")) {
            const QImage own(QStringLiteral(":/images/multilang/%1/btn_start_scan1.png")
                                 .arg(QLatin1String(lang.code)));
            EXPECT_NE(own, english) << lang.code;
        }
        const QString dir = QStringLiteral(":/images/multilang/%1/").arg(QLatin1String(lang.code));
        for (int s = 1; s <= 3; ++s) {
            for (int n = 1; n <= 3; ++n) {
                const QString top = dir + QStringLiteral("btn_top%1%2.png").arg(n).arg(s);
                SCOPED_TRACE(top.toStdString());
                EXPECT_EQ(image_size(top), QSize(95, 70));
            }
            const QString start = dir + QStringLiteral("btn_start_scan%1.png").arg(s);
            const QString resume = dir + QStringLiteral("btn_resume_recovery%1.png").arg(s);
            SCOPED_TRACE(start.toStdString());
            EXPECT_EQ(image_size(start), QSize(330, 106));
            EXPECT_EQ(image_size(resume), QSize(323, 106));
        }
    }
}

// ---------------------------------------------------------------------------------------
// language.ini

const char* const k_keys[] = {
    "back_warning", "btn_back", "btn_pause", "btn_recovery", "btn_refresh", "btn_repair",
    "btn_resume", "btn_save_result", "btn_scan", "btn_start", "btn_stop", "checkbox",
    "deep_scan_query", "drive_physical_drives", "drive_size", "elevate_query", "home_text1", "home_text2",
    "home_text3", "language_warning", "local_disk", "main_warning1", "main_warning2",
    "menu_exit", "menu_help", "partition_es", "partition_finished", "partition_fs",
    "partition_number", "partition_query", "partition_ss", "partition_text1", "quit_warning",
    "raw_progress", "recovery_check_warning", "recovery_date1", "recovery_date2",
    "recovery_free", "recovery_name", "recovery_reading", "recovery_same_volume_warning",
    "recovery_select", "recovery_total_files", "scan_nosel_warning", "startup_warning",
    "volume_logical_drives", "volume_select",
};

struct section_s {
    std::string name;
    QMap<std::string, std::string> entries;
};

QByteArray read_file(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Reads the file with the two patterns the program's loader uses, so that a line this test
// accepts is a line the program reads the same way.
std::vector<section_s> parse_language_file(const QByteArray& data, std::vector<std::string>* unread)
{
    static const std::regex section_re(R"re(^\s*\[(.*)\]\s*$)re", std::regex::ECMAScript);
    static const std::regex entry_re(R"re(^\s*([^;].*)\s*=\s*"(.+)"\s*$)re", std::regex::ECMAScript);
    std::vector<section_s> sections;
    for (const QByteArray& raw : data.split('\n')) {
        const std::string line = raw.toStdString() + "\n";
        std::smatch m;
        if (std::regex_match(line, m, section_re)) {
            sections.push_back({m[1].str(), {}});
        } else if (std::regex_match(line, m, entry_re)) {
            if (sections.empty())
                unread->push_back(line);
            else
                sections.back().entries.insert(m[1].str(), m[2].str());
        } else if (!raw.trimmed().isEmpty() && !raw.startsWith(';')) {
            unread->push_back(line);
        }
    }
    return sections;
}

TEST(LanguageFile, IsCleanUtf8WithoutByteOrderMark)
{
    const QByteArray data = read_file(QStringLiteral(PELLUCAN_SOURCE_DIR "/resources/language.ini"));
    ASSERT_FALSE(data.isEmpty());
    EXPECT_FALSE(data.startsWith("\xEF\xBB\xBF"));  // a BOM would hide the first header
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(data);
    EXPECT_FALSE(utf8.hasError());
    EXPECT_FALSE(data.contains('\r'));
    // The loader reads lines in 2048-byte pieces; keep every line well inside one piece.
    for (const QByteArray& line : data.split('\n'))
        EXPECT_LT(line.size(), 2000) << line.left(40).toStdString();
}

TEST(LanguageFile, EveryLanguageHasEveryKey)
{
    const QByteArray data = read_file(QStringLiteral(PELLUCAN_SOURCE_DIR "/resources/language.ini"));
    ASSERT_FALSE(data.isEmpty());
    std::vector<std::string> unread;
    const std::vector<section_s> sections = parse_language_file(data, &unread);
    EXPECT_TRUE(unread.empty()) << "line the loader would skip: " << (unread.empty() ? "" : unread[0]);

    ASSERT_EQ(sections.size(), std::size(k_languages));
    QSet<std::string> known;
    for (const char* k : k_keys)
        known.insert(k);
    for (size_t i = 0; i < sections.size(); ++i) {
        const section_s& s = sections[i];
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.name, k_languages[i].section);  // English first, then the registry order
        for (const char* key : k_keys) {
            SCOPED_TRACE(key);
            ASSERT_TRUE(s.entries.contains(key));  // also catches "key =" (stored with a blank)
            const std::string& text = s.entries.value(key);
            EXPECT_FALSE(text.empty());
            // Only the two escapes the loader knows: \n and \t.
            for (size_t p = text.find('\\'); p != std::string::npos; p = text.find('\\', p + 2)) {
                ASSERT_LT(p + 1, text.size());
                EXPECT_TRUE(text[p + 1] == 'n' || text[p + 1] == 't') << text;
            }
        }
        for (auto it = s.entries.cbegin(); it != s.entries.cend(); ++it)
            EXPECT_TRUE(known.contains(it.key())) << "unknown key: " << it.key();
    }
}

TEST(LanguageFile, CopiedNextToTheExecutables)
{
    const QByteArray source = read_file(QStringLiteral(PELLUCAN_SOURCE_DIR "/resources/language.ini"));
    ASSERT_FALSE(source.isEmpty());
    for (const char* dir : {"app", "cli"}) {
        SCOPED_TRACE(dir);
        EXPECT_EQ(read_file(QStringLiteral(PELLUCAN_BINARY_DIR "/%1/language.ini").arg(QLatin1String(dir))),
                  source);
    }
}

}  // namespace
