// SPDX-License-Identifier: GPL-3.0-or-later
// Loader of "language.ini": one section per language, entries `key = "text"`.
//
// The file is read in pieces of at most 2047 bytes, a line end included, and each piece
// is matched whole against two ECMAScript patterns (section header and entry). Keys stay
// the bytes that were read (so `key = "x"` stores "key " with its trailing blank); section
// names and texts are decoded from UTF-8. A byte-order mark is not skipped: a first line
// that starts with one matches neither pattern.
#include "app/language.h"

#include "app/message_box.h"
#include "app/settings.h"

#include <QFile>

#include <cstdio>
#include <regex>
#include <string>

namespace {

constexpr int line_piece_max = 2047;  // bytes per read of a 2048-byte line buffer

// ECMAScript's \s in the classic locale.
bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Cheap tests that every line the entry pattern matches passes: an equals sign, and a
// double quote as the last character before the trailing blanks. They keep the
// backtracking matcher off the pieces that cannot match (such as 2047 bytes of text
// without an equals sign) and change no result.
bool may_be_entry(const std::string& piece)
{
    if (piece.find('=') == std::string::npos)
        return false;
    std::size_t end = piece.size();
    while (end > 0 && is_blank(piece[end - 1]))
        --end;
    return end > 0 && piece[end - 1] == '"';
}

bool may_be_section(const std::string& piece)
{
    std::size_t end = piece.size();
    while (end > 0 && is_blank(piece[end - 1]))
        --end;
    return end > 0 && piece[end - 1] == ']';
}

// Reads one piece: up to line_piece_max bytes, ending after the first '\n'. Bytes are
// kept as read, NUL bytes included. Returns false at the end of the file.
bool read_piece(std::FILE* file, std::string& piece)
{
    piece.clear();
    while (static_cast<int>(piece.size()) < line_piece_max) {
        const int c = std::getc(file);
        if (c == EOF)
            break;
        piece.push_back(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    return !piece.empty();
}

// Every backslash-t becomes a tab, then every backslash-n a newline; each pass runs left
// to right and does not look again at what it inserted.
QByteArray apply_escapes(QByteArray text)
{
    text.replace("\\t", "\t");
    text.replace("\\n", "\n");
    return text;
}

language_tables_s process_tables;

}  // namespace

int load_language_file(language_tables_s& tables, const QString& path, const QString& wanted, bool record_index)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "re");
    if (!file)
        return -1;
    load_language_stream(tables, file, wanted, record_index);
    std::fclose(file);
    return 0;
}

void load_language_stream(language_tables_s& tables, std::FILE* file, const QString& wanted, bool record_index)
{
    static const std::regex section_pattern(R"re(^\s*\[(.*)\]\s*$)re", std::regex::ECMAScript);
    static const std::regex entry_pattern(R"re(^\s*([^;].*)\s*=\s*"(.+)"\s*$)re", std::regex::ECMAScript);

    tables.names.clear();
    bool reading = false;
    std::string piece;
    std::smatch groups;
    while (read_piece(file, piece)) {
        if (may_be_section(piece) && std::regex_match(piece, groups, section_pattern)) {
            const std::string name_bytes = groups[1].str();
            const QString name = QString::fromUtf8(name_bytes.data(), static_cast<qsizetype>(name_bytes.size()));
            tables.names.append(name);
            if (reading) {
                // A header straight after a section that was being read ends reading,
                // even when it names the wanted language again.
                reading = false;
            } else {
                reading = (name == wanted);
                if (reading && record_index)
                    tables.index = static_cast<int>(tables.names.size()) - 1;
            }
            continue;
        }
        if (!reading)
            continue;
        if (may_be_entry(piece) && std::regex_match(piece, groups, entry_pattern)) {
            const std::string key = groups[1].str();
            const std::string text = groups[2].str();
            const QByteArray raw_text(text.data(), static_cast<qsizetype>(text.size()));
            tables.table.insert(QByteArray(key.data(), static_cast<qsizetype>(key.size())),
                                QString::fromUtf8(apply_escapes(raw_text)));
        }
    }
}

language_tables_s& language_tables()
{
    return process_tables;
}

int load_language(const QString& wanted, bool record_index)
{
    return load_language_file(process_tables, QStringLiteral("language.ini"), wanted, record_index);
}

QString text_of(const QByteArray& key)
{
    // operator[] adds a missing key with an empty text, as the lookup is meant to.
    return process_tables.table[key];
}

QString text_of(const char* key)
{
    return text_of(QByteArray(key));
}

QString language_code(const language_tables_s& tables)
{
    // With no section at all (no file, or a file without headers) there is no name to look
    // at: the code is then "en", so the English image folder is used.
    if (tables.index < 0 || tables.index >= tables.names.size())
        return QStringLiteral("en");
    const QString& name = tables.names.at(tables.index);
    static const struct {
        const char16_t* name;
        const char* code;
    } codes[] = {
        {u"Deutsch", "de"}, {u"Français", "fr"}, {u"Español", "es"}, {u"简体中文", "cn"},
        {u"繁體中文", "hk"}, {u"Italiano", "it"}, {u"日本語", "jp"}, {u"Português", "pt"},
        {u"Nederlands", "nl"}, {u"العربية", "ar"},
    };
    for (const auto& entry : codes) {
        if (name.compare(QString::fromUtf16(entry.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.code);
    }
    return QStringLiteral("en");
}

QString language_code()
{
    return language_code(process_tables);
}

QString top_button_image(int n, int state)
{
    return QStringLiteral(":/images/multilang/") + language_code() + QStringLiteral("/btn_top") + QString::number(n) +
           QString::number(state) + QStringLiteral(".png");
}

QString start_scan_image(int state)
{
    return QStringLiteral("/images/multilang/") + language_code() + QStringLiteral("/btn_start_scan") +
           QString::number(state) + QStringLiteral(".png");
}

QString resume_recovery_image(int state)
{
    return QStringLiteral("/images/multilang/") + language_code() + QStringLiteral("/btn_resume_recovery") +
           QString::number(state) + QStringLiteral(".png");
}

void choose_language(int index, QWidget* window)
{
    language_tables_s& tables = process_tables;
    if (index == tables.index)
        return;
    // The index comes from a menu entry's data; a value outside the list names nothing.
    if (index < 0 || index >= tables.names.size())
        return;
    set_current_language(tables.names.at(index));
    tables.index = index;
    save_settings();
    show_message(QStringLiteral("Pellucan"), "language_warning", QMessageBox::Ok, window);
}
