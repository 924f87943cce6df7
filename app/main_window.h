// SPDX-License-Identifier: GPL-3.0-or-later
// The program's only top-level window: five pages stacked in one cell, and the page flow.
#pragma once

#include "skin/qskin_widget.h"
#include "ui_MainForm.h"

class home_window_c;
class volume_window_c;
class drive_window_c;
class partition_window_c;
class recovery_window_c;

// Page numbers taken by show_page().
enum page_index_e : int {
    PAGE_HOME = 0,
    PAGE_VOLUME = 1,
    PAGE_DRIVE = 2,
    PAGE_PARTITION = 3,
    PAGE_RECOVERY = 4,
};

class main_window_c : public QSkinWidget, public Ui::MainForm {
    Q_OBJECT
public:
    main_window_c();

    // Hides the current page and shows page `page_index` (0 home, 1 volume, 2 drive,
    // 3 partition, 4 recovery); any other number is ignored.
    void show_page(int page_index) override;
    // Stops whatever the recovery page is doing: a running scan is abandoned, then the
    // page is emptied.
    void stop_work() override;

    QWidget* current_page() const { return current; }

    // The pages, owned by the window (children of its layout) for the life of the program.
    QWidget* current = nullptr;
    home_window_c* home_page = nullptr;
    drive_window_c* drive_page = nullptr;
    volume_window_c* volume_page = nullptr;
    partition_window_c* partition_page = nullptr;
    recovery_window_c* recovery_page = nullptr;

public slots:
    void on_click_home_start();
    void on_click_home_resume();
    void on_click_volume_back();
    void on_click_recovery_back();
    void on_click_volume_refresh();
    void on_click_volume_scan();
    void on_click_drive_scan();
    void on_click_drive_refresh();
    void on_click_drive_back();
    void on_click_partition_back();
    void on_init_finished();

private:
    QWidget* page(int page_index) const;
};
