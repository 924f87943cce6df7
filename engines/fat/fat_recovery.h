// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT quick-scan engine: walks live and deleted directories of a FAT12/16/32 volume and
// keeps every directory and deleted entry in a linked, marked result store.
#pragma once

#include "engines/base/recovery_base.h"
#include "engines/fat/fat_dir.h"

#include <QHash>
#include <QList>
#include <QString>

// One kept entry of the result store (key: its start cluster; the root is key 0).
struct fat_node {
    quint32 cluster = 0;
    quint32 parent = 0;       // start cluster of the directory it was found in; 0 = root
    quint32 size = 0;
    qint64 mtime = 0;         // seconds since 1970, 0 when the date is not valid
    qint64 ctime = 0;
    quint8 attr = 0;          // attribute byte; 0x10 directory, 0x40 deleted or below a deleted directory
    quint8 under_deleted = 0; // found below a deleted directory
    QString name;             // long name, else short name; first character "#" when attr has 0x40
    quint8 marked = 0;        // a kept file lies somewhere below this directory
    QList<fat_node*> children;  // filled after the scan; pointers into the store
};

class fat_recovery_c : public recovery_base_c {
    Q_OBJECT
public:
    explicit fat_recovery_c(QObject* parent = nullptr);
    ~fat_recovery_c() override;

    void set_volume(const volume_item_s& volume) override;
    double progress() override;
    void set_progress(double value) override;
    void set_state(int value) override;
    int state() override;
    int is_paused() override;
    void set_paused(int value) override;
    qint64 scanned_count() override;
    void reset() override;
    int extract(quint64 id, QString target) override;
    int path_of(quint64 id, QString* path) override;
    qint64 found_count() override;

    // The result store, complete once the thread has finished; valid until the next reset.
    const QHash<quint32, fat_node>& result_store() const { return nodes; }

    // Deepest directory level the walk descends to; deeper directories are kept but not
    // opened (a damaged volume could otherwise nest without end).
    static constexpr int max_depth = 256;

protected:
    void run() override;

private:
    int walk_directory(const char16_t* path, quint32 parent, quint8 under_deleted, int depth);
    void keep_entry(const fat_entry_info& info, const char16_t* long_name, quint32 parent,
                    quint8 under_deleted, bool* descend);
    bool lies_below(quint32 directory, quint32 key) const;
    void link_children();
    void mark_ancestors();

    QHash<quint32, fat_node> nodes;
    volume_item_s volume;
    scan_control control;
};

// Seconds since 1970 of a FAT date and time taken as local time without daylight saving;
// 0 when they do not form a valid time.
qint64 fat_time_to_epoch(quint16 date, quint16 time);
