// SPDX-License-Identifier: GPL-3.0-or-later
// The engines pellucan-cli can drive, and the flat file list it reads from their stores.
//
// Each engine plugs in with one cli_engine_s (built in its own cli_engine_<name>.cpp) and
// one line in cli_engines(). The choice follows the recovery page: a deep scan takes the
// signature engine; else "NTFS" takes the NTFS engine and a file system beginning with
// "FAT" the FAT engine; anything else is refused.
#pragma once

#include "engines/base/recovery_base.h"
#include "storage/volume_item.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// One file found by a scan, with its place in the result tree.
struct found_file_s {
    quint64 id = 0;      // key in the engine's store, the argument of extract
    QStringList dirs;    // names of the directories from the root down, as the volume has them
    QString name;        // display name
    qint64 size = 0;
    qint64 date1 = 0;    // seconds since 1970, 0 when unknown
    qint64 date2 = 0;
    quint32 flags = 0;
    bool deleted = false;
    QString engine;      // "fat", "ntfs", "carve"
    qint64 offset = -1;  // carved files: byte offset on the source
    QString type;        // carved files: the signature's type

    // The directory path joined with "/", then the name.
    QString path() const;
};

struct cli_engine_s {
    const char* name = "";     // "fat": the value of the JSON field `engine`
    bool deep = false;         // the signature scan (chosen by --deep)
    // Quick engines: whether the volume's file system is the engine's.
    bool (*handles)(const volume_item_s& volume) = nullptr;
    std::unique_ptr<recovery_base_c> (*create)() = nullptr;
    // After the thread has finished: every kept file of the store, directories not listed.
    int (*collect)(recovery_base_c* engine, QList<found_file_s>* files) = nullptr;
    // Writes one file to `target` (a path reaching a new empty file) as the recovery page's
    // write_item does. nullptr: engine->extract(id, target).
    int (*write)(recovery_base_c* engine, const found_file_s& file, const QString& target) = nullptr;
    // Scan files (deep scan only); nullptr when the engine has none.
    int (*save)(recovery_base_c* engine, const QString& path) = nullptr;
    // Loads a scan file into the engine's store; answers the stored volume path, empty on failure.
    QString (*load)(recovery_base_c* engine, const QString& path) = nullptr;
    // Progress is a fraction of the volume's bytes (rate shown in bytes per second).
    bool progress_in_bytes = false;
};

// Every engine of this build.
const QList<cli_engine_s>& cli_engines();

// The engine for a quick scan of `volume`, or for the deep scan; nullptr when there is none.
const cli_engine_s* choose_engine(const volume_item_s& volume, bool deep);

// The engines of this build, one function each.
cli_engine_s fat_cli_engine();
