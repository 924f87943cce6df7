// SPDX-License-Identifier: GPL-3.0-or-later
// The volume page: the list of logical volumes from which the user picks the one to scan.
#include "storage/volume_window.h"

#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QResizeEvent>

#include "app/language.h"
// The main window's header builds on its designer form; including the form here makes this
// library generate its own copy of that header, so it does not wait on the shell's build.
#include "ui_MainForm.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "engines/disk/sector_access.h"
#include "storage/page_paint.h"
#include "storage/volume_delegate.h"
#include "storage/volume_list.h"
#include "storage/volume_model.h"

volume_window_c::volume_window_c(main_window_c* main_window) : QWidget(nullptr), main_window(main_window)
{
    setupUi(this);

    lv_volumes->setItemDelegate(new volume_delegate_c(this));
    lv_volumes->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    btn_back->resize(100, 30);
    btn_refresh->resize(100, 30);
    btn_scan->resize(100, 30);

    btn_back->setText(text_of("btn_back"));
    btn_scan->setText(text_of("btn_scan"));
    btn_refresh->setText(text_of("btn_refresh"));

    if (main_window != nullptr) {
        connect(btn_scan, &QPushButton::clicked, main_window, &main_window_c::on_click_volume_scan);
        connect(this, &volume_window_c::start_scan, main_window, &main_window_c::on_click_volume_scan);
        connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_volume_back);
        connect(btn_refresh, &QPushButton::clicked, main_window, &main_window_c::on_click_volume_refresh);
    }
    connect(lv_volumes, &QListView::doubleClicked, this, &volume_window_c::on_double_clicked);
}

volume_window_c::~volume_window_c() = default;

void volume_window_c::set_volume_list(QList<volume_item_s>* list)
{
    // A model is never reset in place: the view gets a new one, then the old model and the
    // selection model that belonged to it are deleted.
    volume_model_c* old_model = model;
    QItemSelectionModel* old_selection = lv_volumes->selectionModel();
    model = new volume_model_c(list, this);
    lv_volumes->setModel(model);
    delete old_selection;
    delete old_model;
}

void volume_window_c::refresh()
{
    enumerate_volumes();
    drive_table_reopen();
    set_volume_list(&volume_list());
}

volume_item_s* volume_window_c::selected_volume()
{
    const int row = lv_volumes->currentIndex().row();
    QList<volume_item_s>* list = model != nullptr ? model->list() : nullptr;
    if (row < 0 || list == nullptr || row >= list->size()) {
        show_message(QStringLiteral("Pellucan"), "scan_nosel_warning", QMessageBox::Ok, this);
        return nullptr;
    }
    return &(*list)[row];
}

void volume_window_c::on_double_clicked(const QModelIndex&)
{
    // The double-clicked row is the current row, so selected_volume() finds it.
    emit start_scan();
}

void volume_window_c::paintEvent(QPaintEvent*)
{
    page_paint::paint_page_title(this);
}

void volume_window_c::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    page_paint::place_page_widgets(size(), btn_back, btn_refresh, btn_scan, lv_volumes);
}
