// SPDX-License-Identifier: GPL-3.0-or-later
// The drive page: the list of physical drives from which the user picks the one to search
// for lost partitions.
#pragma once

#include <QList>
#include <QWidget>

#include "storage/volume_item.h"
#include "ui_DriveForm.h"

class main_window_c;
class drive_model_c;

// Shows a drive list and reports the chosen drive; what Back, Refresh and Scan do is decided
// by the main window, whose slots the buttons are connected to.
class drive_window_c : public QWidget, public Ui::DriveForm {
    Q_OBJECT
public:
    // The page is built without a Qt parent; the main window places it in its layout.
    // With a null main window the buttons are left unconnected (the page still works).
    explicit drive_window_c(main_window_c* main_window);
    ~drive_window_c() override;

    // Shows `list` through a new model and makes the first drive (row 1) current when the
    // list has one.
    void set_drive_list(QList<drive_item_s>* list);
    // Enumerates the drives again and shows drive_list() through a new model; no row is
    // current afterwards.
    void refresh();
    // The record of the current row (an element of the shown list, header row included), or
    // null when no row is current.
    drive_item_s* selected_drive();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    main_window_c* main_window;
    drive_model_c* model = nullptr;
};
