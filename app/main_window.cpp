// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's pages and page flow.
#include "app/main_window.h"

#include "app/app_state.h"
#include "app/home_window.h"
#include "app/message_box.h"
#include "partition/partition_window.h"
#include "results/recovery_window.h"
#include "storage/drive_list.h"
#include "storage/drive_window.h"
#include "storage/volume_list.h"
#include "storage/volume_window.h"

#include <QIcon>

main_window_c::main_window_c() : QSkinWidget(nullptr)
{
    setupUi(this);

    // Pages are built without a Qt parent; the layout adopts them in this order, which is
    // also the order in which the skinned window composes them.
    home_page = new home_window_c(this);
    volume_page = new volume_window_c(this);
    drive_page = new drive_window_c(this);
    partition_page = new partition_window_c(this);
    recovery_page = new recovery_window_c(this);
    volume_page->hide();
    drive_page->hide();
    partition_page->hide();
    recovery_page->hide();

    gridLayout->addWidget(home_page, 0, 0, 1, 1);
    gridLayout->addWidget(volume_page, 0, 0, 1, 1);
    gridLayout->addWidget(drive_page, 0, 0, 1, 1);
    gridLayout->addWidget(partition_page, 0, 0, 1, 1);
    gridLayout->addWidget(recovery_page, 0, 0, 1, 1);

    home_page->raise();
    current = home_page;

    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    setWindowIcon(QIcon(QStringLiteral(":/images/top.ico")));
}

QWidget* main_window_c::page(int page_index) const
{
    switch (page_index) {
    case PAGE_HOME: return home_page;
    case PAGE_VOLUME: return volume_page;
    case PAGE_DRIVE: return drive_page;
    case PAGE_PARTITION: return partition_page;
    case PAGE_RECOVERY: return recovery_page;
    default: return nullptr;
    }
}

void main_window_c::show_page(int page_index)
{
    QWidget* next = page(page_index);
    if (!next)
        return;
    if (current)
        current->hide();
    next->raise();
    current = next;
    next->show();
    update();
}

void main_window_c::stop_work()
{
    recovery_page->abandon_scan();
    recovery_page->reset_page();
}

void main_window_c::on_click_home_start()
{
    if (!init_done) {
        show_message(QStringLiteral("Pellucan"), "startup_warning", QMessageBox::Ok, this);
        return;
    }
    show_page(PAGE_VOLUME);
}

void main_window_c::on_click_home_resume()
{
    if (!init_done) {
        show_message(QStringLiteral("Pellucan"), "startup_warning", QMessageBox::Ok, this);
        return;
    }
    if (recovery_page->resume_from_file() == -1)
        return;
    show_page(PAGE_RECOVERY);
}

void main_window_c::on_click_volume_back()
{
    show_page(PAGE_HOME);
}

void main_window_c::on_click_recovery_back()
{
    if (scan_running) {
        if (show_message(QStringLiteral("Pellucan"), "back_warning", QMessageBox::Yes | QMessageBox::No, this) ==
            QMessageBox::No)
            return;
    }
    stop_work();
    show_page(PAGE_VOLUME);
}

void main_window_c::on_click_volume_refresh()
{
    volume_page->refresh();
}

void main_window_c::on_click_volume_scan()
{
    volume_item_s* volume = volume_page->selected_volume();
    if (!volume)
        return;
    if (volume->device_path.isEmpty()) {
        // The header row of the list was chosen.
        show_message(QStringLiteral("Quenfield"), "main_warning2", QMessageBox::NoButton, nullptr);
        return;
    }
    if (recovery_page->begin_scan(*volume, scan_mode_deep) != 0)
        return;
    show_page(PAGE_RECOVERY);
}

void main_window_c::on_click_drive_scan()
{
    drive_item_s* drive = drive_page->selected_drive();
    // No current row (after a refresh, or a list with the header only): nothing to do.
    if (!drive)
        return;
    if (drive->path.isEmpty()) {
        show_message(QStringLiteral("Quenfield"), "main_warning1", QMessageBox::NoButton, nullptr);
        return;
    }
    partition_page->start_search(drive);
    show_page(PAGE_PARTITION);
}

void main_window_c::on_click_drive_refresh()
{
    drive_page->refresh();
}

void main_window_c::on_click_drive_back()
{
    show_page(PAGE_HOME);
}

void main_window_c::on_click_partition_back()
{
    partition_page->stop_search();
    // Back from the partition search leads to the volume page, not the drive page.
    show_page(PAGE_VOLUME);
}

void main_window_c::on_init_finished()
{
    volume_page->set_volume_list(&volume_list());
    drive_page->set_drive_list(&drive_list());
}
