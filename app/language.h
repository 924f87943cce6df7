// SPDX-License-Identifier: GPL-3.0-or-later
// The UI language tables read from "language.ini": every user-visible text by key.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdio>

class QWidget;

// One set of language tables. The program uses one process-wide set; tests build their own.
struct language_tables_s {
    QHash<QByteArray, QString> table;  // key bytes as read -> text; entries are never removed
    QStringList names;                 // every section name in file order, duplicates kept
    int index = 0;                     // position of the current language in names
};

// Reads the language file at `path` into `tables`: every section named `wanted` is read
// (except one whose header directly follows a section that was being read), and the
// section names are collected. With `record_index`, the position of the section that
// started reading becomes tables.index. Returns 0, or -1 (tables unchanged) when the file
// cannot be opened.
int load_language_file(language_tables_s& tables, const QString& path, const QString& wanted, bool record_index);
// The same over an open stream, read to its end (the stream stays open).
void load_language_stream(language_tables_s& tables, std::FILE* file, const QString& wanted, bool record_index);

// The process-wide tables over "language.ini" in the working directory.
int load_language(const QString& wanted, bool record_index);
language_tables_s& language_tables();

// The text for a key; a key that is not in the table is added with an empty text.
QString text_of(const char* key);
QString text_of(const QByteArray& key);

// Two-letter code of the current language ("en" when it is unknown or there is none).
QString language_code(const language_tables_s& tables);
QString language_code();

// Language-specific images, built from language_code(). `n` and `state` are single digits.
// The top buttons: ":/images/multilang/<code>/btn_top<n><state>.png".
QString top_button_image(int n, int state);
// The home page's buttons, without the leading ':' (the style-sheet builder adds it).
QString start_scan_image(int state);
QString resume_recovery_image(int state);

// The language choice of the settings menu: `index` is the chosen entry of the section
// names. Choosing the language in force does nothing; another one is stored with
// save_settings() and the "language_warning" box is shown over `window`. Nothing is
// re-translated during the run. An index outside the list is ignored.
void choose_language(int index, QWidget* window);
