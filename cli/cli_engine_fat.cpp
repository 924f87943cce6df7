// SPDX-License-Identifier: GPL-3.0-or-later
// pellucan-cli over the FAT engine: volumes whose file system begins with "FAT".
#include "cli/cli_engines.h"
#include "engines/fat/fat_recovery.h"

#include <QSet>

namespace {

constexpr quint8 fat_attr_directory = 0x10;
constexpr quint8 fat_attr_deleted = 0x40;
// No real volume nests this deep; a longer parent chain is damage (clusters reused).
constexpr int max_chain = 4096;

bool handles_fat(const volume_item_s& volume)
{
    return volume.file_system.startsWith(QLatin1String("FAT"));
}

std::unique_ptr<recovery_base_c> create_fat()
{
    return std::make_unique<fat_recovery_c>();
}

// Directory names from the root down to `key` (itself included). A parent chain that
// breaks or loops back on itself ends the path where it breaks.
QStringList directory_path(const QHash<quint32, fat_node>& store, quint32 key, QHash<quint32, QStringList>* cache)
{
    if (key == 0)
        return {};
    const auto cached = cache->constFind(key);
    if (cached != cache->constEnd())
        return *cached;

    QList<quint32> chain;
    QSet<quint32> seen;
    QStringList prefix;
    quint32 at = key;
    while (at != 0 && chain.size() < max_chain && !seen.contains(at)) {
        const auto hit = cache->constFind(at);
        if (hit != cache->constEnd()) {
            prefix = *hit;
            break;
        }
        const auto node = store.constFind(at);
        if (node == store.constEnd())
            break;
        seen.insert(at);
        chain.append(at);
        at = node->parent;
    }
    QStringList path = prefix;
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        path.append(store.value(chain.at(i)).name);
        cache->insert(chain.at(i), path);
    }
    return path;
}

int collect_fat(recovery_base_c* engine, QList<found_file_s>* files)
{
    const auto* fat = static_cast<fat_recovery_c*>(engine);
    const QHash<quint32, fat_node>& store = fat->result_store();
    QHash<quint32, QStringList> cache;
    files->clear();
    files->reserve(store.size());
    for (auto it = store.constBegin(); it != store.constEnd(); ++it) {
        const fat_node& node = it.value();
        if (it.key() == 0 || (node.attr & fat_attr_directory) != 0)
            continue;
        found_file_s file;
        file.id = it.key();
        file.dirs = node.parent == it.key() ? QStringList() : directory_path(store, node.parent, &cache);
        file.name = node.name;
        file.size = static_cast<qint64>(node.size);
        file.date1 = node.mtime;
        file.date2 = node.ctime;
        file.flags = node.attr;
        file.deleted = (node.attr & fat_attr_deleted) != 0;
        file.engine = QStringLiteral("fat");
        files->append(file);
    }
    return 0;
}

}  // namespace

cli_engine_s fat_cli_engine()
{
    cli_engine_s engine;
    engine.name = "fat";
    engine.handles = handles_fat;
    engine.create = create_fat;
    engine.collect = collect_fat;
    return engine;
}
