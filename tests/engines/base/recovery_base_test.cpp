// SPDX-License-Identifier: GPL-3.0-or-later
// The engine interface: the do-nothing engine and the records that travel in QVariant.
#include "engines/base/recovery_base.h"

#include <QVariant>

#include <gtest/gtest.h>

TEST(recovery_base, stop_engine_is_harmless)
{
    recovery_stop_c engine;
    recovery_base_c& any = engine;
    any.reset();
    any.set_volume(volume_item_s{});
    any.set_progress(0.5);
    any.set_state(STATE_STOPPED);
    any.set_paused(1);
    EXPECT_EQ(any.progress(), 0.0);
    EXPECT_EQ(any.state(), STATE_IDLE);
    EXPECT_EQ(any.is_paused(), 0);
    EXPECT_EQ(any.scanned_count(), 0);
    EXPECT_EQ(any.found_count(), 0);
    QString path = QStringLiteral("untouched");
    EXPECT_EQ(any.path_of(7, &path), 0);
    EXPECT_EQ(path, QStringLiteral("untouched"));
    EXPECT_EQ(any.extract(7, QStringLiteral("/nonexistent/dir/file")), 0);
    // Started, it runs QThread's own run() (an event loop) and quits when told.
    engine.start();
    engine.quit();
    EXPECT_TRUE(engine.wait(5000));
}

TEST(recovery_base, items_travel_in_variants)
{
    register_engine_types();
    EXPECT_TRUE(QMetaType::fromName("recovery_item_s").isValid());
    recovery_item_s item;
    item.name = QStringLiteral("#EADME.TXT");
    item.size = 1LL << 40;
    item.date1 = 1614834368;
    item.id = 0xFFFFFFFFFULL;
    item.flags = 0x60;
    item.checked = 1;
    const recovery_item_s back = QVariant::fromValue(item).value<recovery_item_s>();
    EXPECT_EQ(back.name, item.name);
    EXPECT_EQ(back.size, item.size);
    EXPECT_EQ(back.date1, item.date1);
    EXPECT_EQ(back.id, item.id);
    EXPECT_EQ(back.flags, item.flags);
    EXPECT_EQ(back.checked, item.checked);
}

TEST(recovery_base, scan_control_clear_starts_a_running_scan)
{
    scan_control control;
    control.progress = 0.7;
    control.paused = 1;
    control.state = STATE_ABANDONED;
    control.scanned = 5;
    control.found = 3;
    control.clear();
    EXPECT_EQ(control.progress, 0.0);
    EXPECT_EQ(control.paused, 0);
    EXPECT_EQ(control.state, STATE_RUNNING);
    EXPECT_EQ(control.scanned, 0);
    EXPECT_EQ(control.found, 0);
    EXPECT_TRUE(std::atomic<double>::is_always_lock_free);
    EXPECT_TRUE(std::atomic<qint64>::is_always_lock_free);
}
