// SPDX-License-Identifier: GPL-3.0-or-later
// The drive page: the list of physical drives from which the user picks the one to search
// for lost partitions.
#include "storage/drive_window.h"

#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QResizeEvent>

#include "app/language.h"
// The main window's header builds on its designer form; including the form here makes this
// library generate its own copy of that header, so it does not wait on the shell's build.
#include "ui_MainForm.h"
#include "app/main_window.h"
#include "storage/drive_delegate.h"
#include "storage/drive_list.h"
#include "storage/drive_model.h"
#include "storage/page_paint.h"

drive_window_c::drive_window_c(main_window_c* main_window) : QWidget(nullptr), main_window(main_window)
{
    setupUi(this);

    lv_drives->setItemDelegate(new drive_delegate_c(this));
    lv_drives->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    btn_back->resize(100, 30);
    btn_refresh->resize(100, 30);
    btn_scan->resize(100, 30);

    btn_back->setText(text_of("btn_back"));
    btn_scan->setText(text_of("btn_scan"));
    btn_refresh->setText(text_of("btn_refresh"));

    if (main_window != nullptr) {
        connect(btn_refresh, &QPushButton::clicked, main_window, &main_window_c::on_click_drive_refresh);
        connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_drive_back);
        connect(btn_scan, &QPushButton::clicked, main_window, &main_window_c::on_click_drive_scan);
    }
}

drive_window_c::~drive_window_c() = default;

namespace {

// Gives the view a new model over `list`; the old model and its selection model are deleted.
drive_model_c* install_model(QListView* view, drive_model_c* old_model, QList<drive_item_s>* list, QObject* owner)
{
    QItemSelectionModel* old_selection = view->selectionModel();
    auto* model = new drive_model_c(list, owner);
    view->setModel(model);
    delete old_selection;
    delete old_model;
    return model;
}

}  // namespace

void drive_window_c::set_drive_list(QList<drive_item_s>* list)
{
    model = install_model(lv_drives, model, list, this);
    // The first drive is chosen in advance, so Scan works without a click.
    if (model->rowCount() > 1)
        lv_drives->setCurrentIndex(model->index(1));
}

void drive_window_c::refresh()
{
    enumerate_drives();
    model = install_model(lv_drives, model, &drive_list(), this);
}

drive_item_s* drive_window_c::selected_drive()
{
    const int row = lv_drives->currentIndex().row();
    QList<drive_item_s>* list = model != nullptr ? model->list() : nullptr;
    if (row < 0 || list == nullptr || row >= list->size())
        return nullptr;
    return &(*list)[row];
}

void drive_window_c::paintEvent(QPaintEvent*)
{
    page_paint::paint_page_title(this);
}

void drive_window_c::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    page_paint::place_page_widgets(size(), btn_back, btn_refresh, btn_scan, lv_drives);
}
