// SPDX-License-Identifier: GPL-3.0-or-later
// Meta-type registration of the records that travel inside QVariant.
#include "engines/base/recovery_base.h"

void register_engine_types()
{
    qRegisterMetaType<recovery_item_s>("recovery_item_s");
    qRegisterMetaType<volume_item_s>("volume_item_s");
    qRegisterMetaType<drive_item_s>("drive_item_s");
}
