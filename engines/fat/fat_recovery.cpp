// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT quick-scan engine.
//
// Notes:
// - Reads the volume through the program's own FAT reader (fat_volume / fat_dir), which
//   returns deleted entries. Every directory is walked, live or deleted; every directory
//   and every deleted entry with a start cluster is kept, keyed by start cluster. Live
//   files and empty files (start cluster 0) are not kept.
// - A deleted directory's cluster chain is gone from the FAT: its listing ends after its
//   first cluster. A directory that cannot be read ends its own listing only; the walk
//   goes on with its siblings.
// - Each directory cluster is walked at most once (a key already in the store is never
//   descended into) and the walk stops descending at max_depth, so directories that
//   contain themselves or each other cannot make it loop.
// - A stored entry is never moved below itself: on a damaged volume a directory entry can
//   name a directory that encloses it, and re-parenting would cut that subtree off the tree.
// - Deleted files are written out as one contiguous run of clusters from their start
//   cluster (their chain is free in the FAT); a fragmented deleted file comes back with
//   wrong content past its first fragment. Live files (below deleted directories they are
//   kept too) follow the same rule.
#include "engines/fat/fat_recovery.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QThread>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The one volume object the engine reads through; registered as FAT volume 0 by each scan
// and kept mounted afterwards for extract().
fat_volume scan_volume;

constexpr int long_name_units = 512;
constexpr int node_name_max = 259;

bool write_all(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

}  // namespace

qint64 fat_time_to_epoch(quint16 date, quint16 time)
{
    const int month = (date >> 5) & 15;
    const int day = date & 31;
    const int hour = (time >> 11) & 31;
    const int minute = (time >> 5) & 63;
    const int second = (time & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return 0;
    // Local midnight of each date is converted once per thread (mktime consults the time
    // zone files on every call); without daylight saving the time of day simply adds on.
    thread_local QHash<quint16, qint64> midnight;
    auto it = midnight.constFind(date);
    if (it == midnight.constEnd()) {
        struct tm tm = {};
        tm.tm_year = 80 + (date >> 9);
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_isdst = 0;
        const time_t t = mktime(&tm);
        it = midnight.insert(date, t == time_t(-1) ? qint64(-1) : qint64(t));
    }
    if (*it == -1)
        return 0;
    return *it + hour * 3600 + minute * 60 + second;
}

fat_recovery_c::fat_recovery_c(QObject* parent) : recovery_base_c(parent) {}

fat_recovery_c::~fat_recovery_c()
{
    if (isRunning()) {
        control.state = STATE_ABANDONED;
        wait();
    }
}

void fat_recovery_c::set_volume(const volume_item_s& value) { volume = value; }
double fat_recovery_c::progress() { return control.progress; }
void fat_recovery_c::set_progress(double value) { control.progress = value; }
void fat_recovery_c::set_state(int value) { control.state = value; }
int fat_recovery_c::state() { return control.state; }
int fat_recovery_c::is_paused() { return control.paused; }
void fat_recovery_c::set_paused(int value) { control.paused = value; }
qint64 fat_recovery_c::scanned_count() { return control.scanned; }
qint64 fat_recovery_c::found_count() { return control.found; }

void fat_recovery_c::reset()
{
    control.clear();
    nodes.clear();
}

void fat_recovery_c::run()
{
    reset();
    QString name = volume.volume_name;
    if (name.endsWith(u'\\'))
        name.chop(1);
    if (fat_disk().bind(name) == 0) {
        f_attach(0, &scan_volume);
        console_print("Start Fat Scan.\n");
        walk_directory(u"/", 0, 0, 0);
    }

    fat_node root;
    root.attr = FAT_ATTR_DIRECTORY;
    nodes.insert(0, root);
    link_children();
    mark_ancestors();
}

int fat_recovery_c::walk_directory(const char16_t* path, quint32 parent, quint8 under_deleted, int depth)
{
    fat_dir dir;
    if (path) {
        if (f_opendir(&dir, path) != FAT_OK) {
            console_print("f_opendir failed 1.\n");
            return -1;
        }
    } else {
        if (f_opendir(&dir, u"/") != FAT_OK) {
            console_print("f_opendir failed 2.\n");
            return -1;
        }
        dir.start_cluster = parent;
        dir.cluster = parent;
        if (f_readdir(&dir, nullptr) != FAT_OK)
            return 0;
    }

    char16_t long_name[long_name_units];
    fat_entry_info info;
    info.long_name = long_name;
    info.long_name_capacity = long_name_units;
    while (control.state == STATE_RUNNING) {
        while (control.paused) {
            if (control.state != STATE_RUNNING)
                return 0;
            QThread::msleep(100);
        }
        if (control.state != STATE_RUNNING)
            break;
        // Progress rises over the first 2000 entries read, then holds at 0.99.
        const double p = double(control.scanned.load()) / 2000.0;
        const qint64 count = ++control.scanned;
        console_print("file count:%d\n", int(count));
        control.progress = p > 1.0 ? 0.99 : p;

        if (f_readdir(&dir, &info) != FAT_OK) {
            console_print("f_readdir failed 1.\n");
            return 0;
        }
        if (info.short_name[0] == 0)
            return 0;
        if (info.start_cluster == 0 || info.short_name[0] == u'.')
            continue;
        if (!(info.attributes & (FAT_ATTR_DIRECTORY | FAT_ATTR_DELETED)))
            continue;

        bool descend = false;
        keep_entry(info, long_name, parent, under_deleted, &descend);
        if (descend && depth + 1 < max_depth) {
            const quint8 below = (under_deleted || (info.attributes & FAT_ATTR_DELETED)) ? 1 : 0;
            walk_directory(nullptr, info.start_cluster, below, depth + 1);
        }
    }
    return 0;
}

bool fat_recovery_c::lies_below(quint32 directory, quint32 key) const
{
    // Walks up from directory; the step bound ends a parent chain that loops.
    quint32 at = directory;
    for (qsizetype steps = 0; steps <= nodes.size() && at != 0; ++steps) {
        if (at == key)
            return true;
        auto it = nodes.constFind(at);
        if (it == nodes.constEnd())
            return false;
        at = it->parent;
    }
    return false;
}

void fat_recovery_c::keep_entry(const fat_entry_info& info, const char16_t* long_name, quint32 parent,
                                quint8 under_deleted, bool* descend)
{
    fat_node node;
    node.cluster = info.start_cluster;
    node.parent = parent;
    node.size = info.size;
    node.attr = info.attributes;
    node.under_deleted = under_deleted;
    const char16_t* shown = long_name[0] ? long_name : info.short_name;
    qsizetype length = 0;
    while (length < node_name_max && shown[length])
        ++length;
    node.name = QString::fromUtf16(shown, length);
    if (under_deleted)
        node.attr |= FAT_ATTR_DELETED;
    if ((node.attr & FAT_ATTR_DELETED) && !node.name.isEmpty())
        node.name[0] = u'#';
    node.mtime = fat_time_to_epoch(info.write_date, info.write_time);
    node.ctime = fat_time_to_epoch(info.create_date, info.create_time);

    const bool is_dir = node.attr & FAT_ATTR_DIRECTORY;
    const bool is_deleted = node.attr & FAT_ATTR_DELETED;
    auto it = nodes.find(node.cluster);
    if (it == nodes.end()) {
        nodes.insert(node.cluster, node);
        ++control.found;
        *descend = is_dir;
        return;
    }
    // The key is taken: decide which of the two entries the store keeps. Neither is
    // descended into again, so each directory cluster is walked once.
    *descend = false;
    fat_node& stored = *it;
    bool replace;
    if (stored.under_deleted == 0 && node.under_deleted == 1)
        replace = false;
    else if (is_deleted && !is_dir)
        replace = node.ctime > stored.ctime;
    else if (is_deleted && is_dir)
        replace = !((stored.attr & FAT_ATTR_DIRECTORY) && !(stored.attr & FAT_ATTR_DELETED)) && node.ctime > stored.ctime;
    else
        replace = is_dir;  // a live directory always wins
    if (replace && lies_below(parent, node.cluster))
        replace = false;
    if (replace)
        stored = node;
}

void fat_recovery_c::link_children()
{
    for (auto it = nodes.begin(); it != nodes.end(); ++it) {
        fat_node& node = it.value();
        if (it.key() == 0 && node.parent == 0)
            continue;
        auto parent = nodes.find(node.parent);
        if (parent != nodes.end())
            parent->children.append(&node);
    }
}

void fat_recovery_c::mark_ancestors()
{
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it) {
        if (it->attr & FAT_ATTR_DIRECTORY)
            continue;
        quint32 key = it->parent;
        for (;;) {
            auto up = nodes.find(key);
            if (up == nodes.end() || up->marked)
                break;
            up->marked = 1;
            key = up->parent;
        }
    }
}

int fat_recovery_c::extract(quint64 id, QString target)
{
    auto it = nodes.constFind(quint32(id));
    if (it == nodes.constEnd())
        return -1;
    fat_file file;
    file.volume = &scan_volume;
    file.mount_id = scan_volume.mount_id;
    file.flags = FAT_FILE_READ;
    file.size = it->size;
    file.start_cluster = it->cluster;
    const bool contiguous = it->attr & FAT_ATTR_DELETED;

    // O_NOFOLLOW: a symbolic link planted under the target name is not followed.
    const QByteArray path = target.toUtf8();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    uint8_t buffer[4096];
    int result = 0;
    for (;;) {
        uint32_t done = 0;
        f_readfile(&file, buffer, sizeof buffer, &done, contiguous);
        if (done == 0)
            break;  // the end, or a read error: the file stays as long as what was read
        if (!write_all(fd, buffer, done)) {
            result = -1;
            break;
        }
    }
    if (::close(fd) != 0)
        result = -1;
    return result;
}

int fat_recovery_c::path_of(quint64 id, QString* out)
{
    QString path = volume.root_path;
    if (path.endsWith(u'/') || path.endsWith(u'\\'))
        path.chop(1);
    QList<const fat_node*> chain;
    QSet<quint32> seen;
    quint32 key = quint32(id);
    for (;;) {
        auto it = nodes.constFind(key);
        if (it == nodes.constEnd())
            return -1;
        if (seen.contains(key))
            return -1;  // the parent chain loops back: no path on the live volume
        seen.insert(key);
        if (key != 0)
            chain.append(&*it);
        if (it->parent == 0)
            break;
        key = it->parent;
    }
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        path += u'/';
        path += chain[i]->name;
    }
    if (path.isEmpty())
        path = QStringLiteral("/");
    *out = path;
    return 0;
}
