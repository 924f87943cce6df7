// SPDX-License-Identifier: GPL-3.0-or-later
// The partition page (page 3 of the main window): the lost-partition search on one drive.
// NOTE: the search thread is not wired in yet; until it is, starting a search only
// records the chosen drive and nothing is searched or written.
#pragma once

#include "storage/volume_item.h"

#include <QWidget>

class QPushButton;
class main_window_c;

class partition_window_c : public QWidget {
    Q_OBJECT
public:
    explicit partition_window_c(main_window_c* main_window);

    // Begins the search on `drive` (an element of the drive list; ignored when null).
    void start_search(drive_item_s* drive);
    // Ends a running search.
    void stop_search();

    // The drive of the last start_search; empty path before the first.
    const drive_item_s& searched_drive() const { return drive; }

    QPushButton* btn_back = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    main_window_c* main_window = nullptr;
    drive_item_s drive;
};
