// SPDX-License-Identifier: GPL-3.0-or-later
// The volume page: the list of logical volumes from which the user picks the one to scan.
#pragma once

#include <QList>
#include <QModelIndex>
#include <QWidget>

#include "storage/volume_item.h"
#include "ui_VolumeForm.h"

class main_window_c;
class volume_model_c;
class volume_delegate_c;

// Shows a volume list and reports the chosen volume; what Back, Refresh and Scan do is
// decided by the main window, whose slots the buttons are connected to.
class volume_window_c : public QWidget, public Ui::VolumeForm {
    Q_OBJECT
public:
    // The page is built without a Qt parent; the main window places it in its layout.
    // With a null main window the buttons are left unconnected (the page still works).
    explicit volume_window_c(main_window_c* main_window);
    ~volume_window_c() override;

    // Shows `list` through a new model (the previous one is deleted).
    void set_volume_list(QList<volume_item_s>* list);
    // Enumerates the volumes again, reopens the drive table and shows volume_list() through
    // a new model. The current row is lost.
    void refresh();
    // The record of the current row (an element of the shown list, header row included), or
    // null when no row is current; in that case the "scan_nosel_warning" box is shown first.
    volume_item_s* selected_volume();

signals:
    void start_scan();

public slots:
    void on_double_clicked(const QModelIndex& index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    main_window_c* main_window;
    volume_model_c* model = nullptr;
};
