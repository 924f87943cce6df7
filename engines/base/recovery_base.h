// SPDX-License-Identifier: GPL-3.0-or-later
// The engine interface every scan runs behind, its control block and the file-table record.
#pragma once

#include "storage/volume_item.h"

#include <QMetaType>
#include <QString>
#include <QThread>

#include <atomic>

// Engine state word.
enum engine_state_e : int {
    STATE_RUNNING = 0,
    STATE_IDLE = 1,
    STATE_ABANDONED = 2,  // the user left the page: results are discarded
    STATE_STOPPED = 3,    // the user pressed Stop: results so far are shown
};

// One row of the file table.
struct recovery_item_s {
    QString name;
    qint64 size = 0;
    qint64 date1 = 0;  // seconds since 1970, 0 when unknown
    qint64 date2 = 0;
    quint64 id = 0;    // key in the engine's result store
    quint32 flags = 0; // FAT attribute byte (0x40 deleted), NTFS node flags (0x80 deleted), 0 carved
    quint8 checked = 0;
};
Q_DECLARE_METATYPE(recovery_item_s)

// Control block of the FAT and NTFS engines. The engine thread writes progress and the
// counters while the GUI thread polls them, and the GUI thread writes the pause flag and
// state word while the engine reads them; every field is atomic so no read is torn.
struct scan_control {
    std::atomic<double> progress{0.0};
    std::atomic<qint32> paused{0};
    std::atomic<qint32> state{0};
    std::atomic<qint64> scanned{0};
    std::atomic<qint64> found{0};

    void clear()
    {
        progress = 0.0;
        paused = 0;
        state = STATE_RUNNING;
        scanned = 0;
        found = 0;
    }
};

class recovery_base_c : public QThread {
    Q_OBJECT
public:
    using QThread::QThread;

    virtual void set_volume(const volume_item_s& volume) = 0;
    virtual double progress() = 0;
    virtual void set_progress(double value) = 0;
    virtual void set_state(int value) = 0;
    virtual int state() { return STATE_IDLE; }
    virtual int is_paused() = 0;
    virtual void set_paused(int value) = 0;
    virtual qint64 scanned_count() = 0;
    virtual void reset() = 0;
    virtual int extract(quint64 id, QString target) = 0;
    virtual int path_of(quint64 id, QString* path)
    {
        Q_UNUSED(id);
        Q_UNUSED(path);
        return 0;
    }
    virtual qint64 found_count() { return 0; }
};

// Stands in as the current engine while none is chosen: every operation is harmless.
class recovery_stop_c : public recovery_base_c {
    Q_OBJECT
public:
    using recovery_base_c::recovery_base_c;

    void set_volume(const volume_item_s&) override {}
    double progress() override { return 0.0; }
    void set_progress(double) override {}
    void set_state(int) override {}
    int state() override { return STATE_IDLE; }
    int is_paused() override { return 0; }
    void set_paused(int) override {}
    qint64 scanned_count() override { return 0; }
    void reset() override {}
    int extract(quint64, QString) override { return 0; }
    int path_of(quint64, QString*) override { return 0; }
    qint64 found_count() override { return 0; }
};

// Registers the records above with Qt's meta-type system (call once at start).
void register_engine_types();
