// SPDX-License-Identifier: GPL-3.0-or-later
// The engines pellucan-cli can drive, and the flat file list it reads from their stores.
#include "cli/cli_engines.h"

QString found_file_s::path() const
{
    if (dirs.isEmpty())
        return name;
    return dirs.join(QLatin1Char('/')) + QLatin1Char('/') + name;
}

const QList<cli_engine_s>& cli_engines()
{
    static const QList<cli_engine_s> engines = {
        fat_cli_engine(),
    };
    return engines;
}

const cli_engine_s* choose_engine(const volume_item_s& volume, bool deep)
{
    for (const cli_engine_s& engine : cli_engines()) {
        if (deep ? engine.deep : (!engine.deep && engine.handles != nullptr && engine.handles(volume)))
            return &engine;
    }
    return nullptr;
}
