// SPDX-License-Identifier: GPL-3.0-or-later
// Size texts, the language-file loader and the settings fall-backs.
#include "app/language.h"
#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

void write_file(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray read_file(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

}  // namespace

TEST(format_size, thresholds_are_strict_and_units_follow_printf)
{
    const std::vector<std::pair<quint64, const char*>> cases = {
        {0, "0B"},
        {1, "1B"},
        {1024, "1024B"},
        {1025, "1.00K"},
        {1536, "1.50K"},
        {1048576, "1024.00K"},
        {1048577, "1.00M"},
        {1073741824, "1024.00M"},
        {1073741825, "1.00G"},
        {5368709120ULL, "5.00G"},
        {0xFFFFFFFFFFFFFFFFULL, "17179869184.00G"},
    };
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(format_size(bytes).toStdString(), text);
    }
}

// One language file, one load, and what the tables hold afterwards.
struct language_case_s {
    const char* name;
    QByteArray file;
    const char* wanted;
    std::vector<std::pair<QByteArray, QString>> texts;  // key bytes -> expected text ("" = absent)
    QStringList names;
    int index;
};

void PrintTo(const language_case_s& c, std::ostream* os)
{
    *os << c.name;
}

class language_file : public ::testing::TestWithParam<language_case_s> {};

TEST_P(language_file, loads_as_described)
{
    const language_case_s& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("language.ini"));
    write_file(path, c.file);

    language_tables_s tables;
    ASSERT_EQ(load_language_file(tables, path, QString::fromUtf8(c.wanted), true), 0);
    EXPECT_EQ(tables.names, c.names);
    EXPECT_EQ(tables.index, c.index);
    for (const auto& [key, text] : c.texts) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(tables.table.value(key).toStdString(), text.toStdString());
    }
}

const QByteArray long_text(3000, 'x');
// A line of 2047 bytes without a line end is one piece; the rest of the line is the next.
const QByteArray piece_filler = QByteArray(2047, 'z');

INSTANTIATE_TEST_SUITE_P(
    cases, language_file,
    ::testing::Values(
        language_case_s{"plain", "[English]\nbtn_back=\"Back\"\nbtn_scan = \"Scan\"\n", "English",
                        {{"btn_back", QStringLiteral("Back")}, {"btn_scan ", QStringLiteral("Scan")}, {"btn_scan", {}}},
                        {QStringLiteral("English")}, 0},
        language_case_s{"utf8_section_and_text", "[English]\n[Français]\nbtn_back=\"Retour à l'accueil\"\n", "Français",
                        {{"btn_back", QStringLiteral("Retour à l'accueil")}},
                        {QStringLiteral("English"), QStringLiteral("Français")}, 1},
        language_case_s{"byte_order_mark_hides_the_first_header", "\xEF\xBB\xBF[English]\nk=\"v\"\n", "English",
                        {{"k", {}}}, {}, 0},
        language_case_s{"no_sections", "k=\"v\"\nother=\"w\"\n", "English", {{"k", {}}}, {}, 0},
        language_case_s{"over_long_line_is_matched_in_pieces",
                        "[English]\nlong=\"" + long_text + "\"\n" + piece_filler + "k2=\"v2\"\nafter=\"ok\"\n",
                        "English", {{"long", {}}, {"k2", QStringLiteral("v2")}, {"after", QStringLiteral("ok")}},
                        {QStringLiteral("English")}, 0},
        language_case_s{"escapes",
                        "[English]\ntab=\"a\\tb\"\nnl=\"a\\nb\"\nboth=\"x\\\\ny\"\nother=\"a\\rb\"\n", "English",
                        {{"tab", QStringLiteral("a\tb")},
                         {"nl", QStringLiteral("a\nb")},
                         {"both", QStringLiteral("x\\\ny")},
                         {"other", QStringLiteral("a\\rb")}},
                        {QStringLiteral("English")}, 0},
        language_case_s{"comments_and_indented_semicolons", "[English]\n;c=\"comment\"\n  ;k=\"entry\"\n", "English",
                        {{";c", {}}, {"c", {}}, {" ;k", QStringLiteral("entry")}}, {QStringLiteral("English")}, 0},
        language_case_s{"quotes_inside_text_and_empty_text", "[English]\nq=\"say \"hi\"\"\nempty=\"\"\n", "English",
                        {{"q", QStringLiteral("say \"hi\"")}, {"empty", {}}}, {QStringLiteral("English")}, 0},
        language_case_s{"crlf_line_ends", "[English]\r\nk=\"v\"\r\n", "English", {{"k", QStringLiteral("v")}},
                        {QStringLiteral("English")}, 0},
        language_case_s{"repeated_section_is_read_again",
                        "[English]\na=\"1\"\n[Deutsch]\na=\"de\"\n[English]\nb=\"2\"\n", "English",
                        {{"a", QStringLiteral("1")}, {"b", QStringLiteral("2")}},
                        {QStringLiteral("English"), QStringLiteral("Deutsch"), QStringLiteral("English")}, 2},
        language_case_s{"header_right_after_a_read_section_stops_reading",
                        "[Deutsch]\na=\"1\"\n[Deutsch]\nb=\"2\"\n", "Deutsch", {{"a", QStringLiteral("1")}, {"b", {}}},
                        {QStringLiteral("Deutsch"), QStringLiteral("Deutsch")}, 0},
        language_case_s{"blank_inside_brackets_belongs_to_the_name", "[ English]\nk=\"v\"\n", "English", {{"k", {}}},
                        {QStringLiteral(" English")}, 0},
        language_case_s{"missing_language_reads_nothing", "[English]\nk=\"v\"\n[Deutsch]\nk=\"w\"\n", "Klingon",
                        {{"k", {}}}, {QStringLiteral("English"), QStringLiteral("Deutsch")}, 0},
        language_case_s{"nul_bytes_and_binary_noise", QByteArray("[English]\nk=\"a\0b\"\n\xff\xfe[\x01]\n", 22),
                        "English", {{"k", QString::fromUtf8("a\0b", 3)}},
                        {QStringLiteral("English")}, 0}),
    [](const ::testing::TestParamInfo<language_case_s>& info) { return std::string(info.param.name); });

TEST(language_file_edges, missing_file_leaves_the_tables_alone)
{
    language_tables_s tables;
    tables.names = {QStringLiteral("English")};
    tables.table.insert("k", QStringLiteral("v"));
    EXPECT_EQ(load_language_file(tables, QStringLiteral("/nonexistent/language.ini"), QStringLiteral("English"), true),
              -1);
    EXPECT_EQ(tables.names, QStringList{QStringLiteral("English")});
    EXPECT_EQ(tables.table.value("k"), QStringLiteral("v"));
}

TEST(language_file_edges, later_language_overwrites_english_key_by_key)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("language.ini"));
    write_file(path, "[English]\na=\"A\"\nb=\"B\"\n[Deutsch]\na=\"Ä\"\n");
    language_tables_s tables;
    ASSERT_EQ(load_language_file(tables, path, QStringLiteral("English"), false), 0);
    ASSERT_EQ(load_language_file(tables, path, QStringLiteral("Deutsch"), true), 0);
    EXPECT_EQ(tables.table.value("a"), QStringLiteral("Ä"));
    EXPECT_EQ(tables.table.value("b"), QStringLiteral("B"));
    EXPECT_EQ(tables.index, 1);
    EXPECT_EQ(language_code(tables), QStringLiteral("de"));
}

TEST(language_file_edges, pathological_lines_stay_fast)
{
    // Lines full of equals signs and quotes are the backtracking matcher's worst case;
    // a file of them must still load (a hang shows as the test's time-out).
    QByteArray file = "[English]\n";
    for (int i = 0; i < 200; ++i) {
        file += QByteArray(2000, '=') + "\n";
        QByteArray mixed;
        while (mixed.size() < 2040)
            mixed += "=\" ";
        file += mixed + "\"\n";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("language.ini"));
    write_file(path, file);
    language_tables_s tables;
    EXPECT_EQ(load_language_file(tables, path, QStringLiteral("English"), false), 0);
}

TEST(language_code, names_map_to_codes_ignoring_case)
{
    const std::vector<std::pair<QString, const char*>> cases = {
        {QStringLiteral("Deutsch"), "de"},     {QStringLiteral("DEUTSCH"), "de"},    {QStringLiteral("français"), "fr"},
        {QStringLiteral("Español"), "es"},     {QStringLiteral("简体中文"), "cn"},   {QStringLiteral("繁體中文"), "hk"},
        {QStringLiteral("Italiano"), "it"},    {QStringLiteral("日本語"), "jp"},     {QStringLiteral("Português"), "pt"},
        {QStringLiteral("Nederlands"), "nl"},  {QStringLiteral("العربية"), "ar"},    {QStringLiteral("English"), "en"},
        {QStringLiteral("Klingon"), "en"},
    };
    for (const auto& [name, code] : cases) {
        SCOPED_TRACE(name.toStdString());
        language_tables_s tables;
        tables.names = {QStringLiteral("English"), name};
        tables.index = 1;
        EXPECT_EQ(language_code(tables).toStdString(), code);
    }
    language_tables_s none;
    EXPECT_EQ(language_code(none), QStringLiteral("en"));
    none.names = {QStringLiteral("Deutsch")};
    none.index = 5;
    EXPECT_EQ(language_code(none), QStringLiteral("en"));
}

// Settings: "Pellucan.ini" in the working directory, the per-user choice as fall-back.
struct settings_case_s {
    const char* name;
    const char* ini;       // nullptr: no file
    const char* registry;  // nullptr: no per-user file
    const char* language;
    bool ini_written;      // "Pellucan.ini" exists after start-up
};

void PrintTo(const settings_case_s& c, std::ostream* os)
{
    *os << c.name;
}

class settings_fallback : public ::testing::TestWithParam<settings_case_s> {};

TEST_P(settings_fallback, chooses_the_language)
{
    const settings_case_s& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString old_cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
    QDir(dir.path()).mkdir(QStringLiteral("config"));
    if (c.ini)
        write_file(dir.filePath(QStringLiteral("Pellucan.ini")), c.ini);
    if (c.registry)
        write_file(dir.filePath(QStringLiteral("config/Pellucan_Init.conf")), c.registry);
    const QByteArray registry_before = read_file(dir.filePath(QStringLiteral("config/Pellucan_Init.conf")));

    EXPECT_EQ(load_settings(), 0);
    EXPECT_EQ(current_language().toStdString(), c.language);
    EXPECT_EQ(QFile::exists(dir.filePath(QStringLiteral("Pellucan.ini"))), c.ini_written);
    // The per-user choice is only read.
    EXPECT_EQ(read_file(dir.filePath(QStringLiteral("config/Pellucan_Init.conf"))), registry_before);
    EXPECT_EQ(QFile::exists(dir.filePath(QStringLiteral("config/Pellucan_Init.conf"))), c.registry != nullptr);
    if (!c.ini && c.ini_written) {
        const QSettings written(dir.filePath(QStringLiteral("Pellucan.ini")), QSettings::IniFormat);
        EXPECT_EQ(written.value(QStringLiteral("language")).toString().toStdString(), c.language);
        EXPECT_FALSE(written.contains(QStringLiteral("recovery_folder")));
    }
    QDir::setCurrent(old_cwd);
}

INSTANTIATE_TEST_SUITE_P(
    cases, settings_fallback,
    ::testing::Values(
        settings_case_s{"no_file_registry_4", nullptr, "[General]\nlanguage=4\n", "Français", true},
        settings_case_s{"no_file_no_registry", nullptr, nullptr, "English", false},
        settings_case_s{"registry_0", nullptr, "[General]\nlanguage=0\n", "English", false},
        settings_case_s{"registry_11", nullptr, "[General]\nlanguage=11\n", "English", false},
        settings_case_s{"registry_text", nullptr, "[General]\nlanguage=abc\n", "English", false},
        settings_case_s{"registry_negative", nullptr, "[General]\nlanguage=-1\n", "English", false},
        settings_case_s{"registry_10", nullptr, "[General]\nlanguage=10\n", "Português", true},
        settings_case_s{"file_wins_over_registry", "[General]\nlanguage=Deutsch\n", "[General]\nlanguage=4\n",
                        "Deutsch", true},
        settings_case_s{"empty_file_value_uses_registry", "[General]\nlanguage=\nrecovery_folder=/x\n",
                        "[General]\nlanguage=9\n", "Nederlands", true},
        settings_case_s{"garbage_file", "\x01\x02[[[=\n\xff\xfe\n", nullptr, "English", true}),
    [](const ::testing::TestParamInfo<settings_case_s>& info) { return std::string(info.param.name); });

TEST(settings, save_writes_both_keys_with_the_folder_as_read)
{
    QTemporaryDir dir;
    const QString old_cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
    write_file(dir.filePath(QStringLiteral("Pellucan.ini")), "[General]\nrecovery_folder=/home/u/out\nlanguage=English\n");

    load_settings();
    EXPECT_EQ(recovery_folder(), QStringLiteral("/home/u/out"));
    set_current_language(QStringLiteral("日本語"));
    save_settings();

    const QSettings written(dir.filePath(QStringLiteral("Pellucan.ini")), QSettings::IniFormat);
    EXPECT_EQ(written.value(QStringLiteral("recovery_folder")).toString(), QStringLiteral("/home/u/out"));
    EXPECT_EQ(written.value(QStringLiteral("language")).toString(), QStringLiteral("日本語"));
    QDir::setCurrent(old_cwd);
}

TEST(settings, startup_loads_english_under_the_chosen_language)
{
    QTemporaryDir dir;
    const QString old_cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
    write_file(dir.filePath(QStringLiteral("Pellucan.ini")), "[General]\nlanguage=Italiano\n");
    write_file(dir.filePath(QStringLiteral("language.ini")),
               "[English]\nbtn_back=\"Back\"\nbtn_scan=\"Scan\"\n[Italiano]\nbtn_back=\"Indietro\"\n");

    load_settings();
    EXPECT_EQ(text_of("btn_back"), QStringLiteral("Indietro"));
    EXPECT_EQ(text_of("btn_scan"), QStringLiteral("Scan"));
    EXPECT_EQ(language_code(), QStringLiteral("it"));
    EXPECT_EQ(start_scan_image(2), QStringLiteral("/images/multilang/it/btn_start_scan2.png"));
    EXPECT_EQ(resume_recovery_image(3), QStringLiteral("/images/multilang/it/btn_resume_recovery3.png"));
    EXPECT_EQ(top_button_image(1, 2), QStringLiteral(":/images/multilang/it/btn_top12.png"));
    // A key nobody defined reads empty and is then part of the table.
    EXPECT_TRUE(text_of("no_such_key").isEmpty());
    EXPECT_TRUE(language_tables().table.contains("no_such_key"));
    QDir::setCurrent(old_cwd);
}
