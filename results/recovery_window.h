// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery page (page 4 of the main window): runs a scan and acts on its results.
// NOTE: the scan engines are not wired in yet; until they are, the page refuses every
// scan and every scan file, so the main window never leaves the page that asked.
#pragma once

#include "engines/base/recovery_base.h"
#include "storage/volume_item.h"

#include <QWidget>

class QPushButton;
class main_window_c;

class recovery_window_c : public QWidget {
    Q_OBJECT
public:
    explicit recovery_window_c(main_window_c* main_window);

    // Starts a scan of `volume` (a signature scan when `deep`); 0 started, -1 refused.
    // No engine is available yet, so every request is refused.
    int begin_scan(const volume_item_s& volume, bool deep);
    // Tells a running engine that the user left the page (its results are dropped).
    void abandon_scan();
    // Empties the page and lets an idle engine drop its results.
    void reset_page();
    // Loads a saved scan file; 0 loaded, -1 nothing loaded (no scan files can be read yet).
    int resume_from_file();

    QPushButton* btn_back = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    main_window_c* main_window = nullptr;
    recovery_stop_c idle_engine;
    recovery_base_c* engine = &idle_engine;
};
