// SPDX-License-Identifier: GPL-3.0-or-later
// The partition page as far as the main window's page flow needs it.
#include "partition/partition_window.h"

#include "app/language.h"
// The main window's header builds on its designer form; including the form here has this
// library generate its own copy of that header instead of waiting on the shell's build.
#include "ui_MainForm.h"
#include "app/main_window.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>

partition_window_c::partition_window_c(main_window_c* main_window_in) : QWidget(nullptr), main_window(main_window_in)
{
    // The skinned window composes only children that carry an object name.
    setObjectName(QStringLiteral("PartitionForm"));
    resize(583, 438);
    btn_back = new QPushButton(this);
    btn_back->setObjectName(QStringLiteral("btn_back"));
    btn_back->setStyleSheet(QStringLiteral(
        "QPushButton{ border-image: url(:/images/partition_search/btn_wai_1.png); }\n"
        "QPushButton:hover{ border-image: url(:/images/partition_search/btn_wai_2.png);}\n"
        "QPushButton:pressed{  border-image: url(:/images/partition_search/btn_wai_3.png);}"));
    QFont font(QStringLiteral("Arial"), 11);
    font.setBold(true);
    btn_back->setFont(font);
    QPalette palette = btn_back->palette();
    palette.setColor(QPalette::Active, QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    btn_back->setPalette(palette);
    btn_back->resize(100, 30);
    btn_back->setText(text_of("btn_back"));
    if (main_window)
        connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_partition_back);
}

void partition_window_c::start_search(drive_item_s* chosen)
{
    if (!chosen)
        return;
    // A search that still ran would have to end before the drive changes, so that a later
    // repair never writes one drive's partitions onto another.
    stop_search();
    drive = *chosen;
}

void partition_window_c::stop_search()
{
    // No search thread exists yet, so nothing runs that could be ended.
}

void partition_window_c::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const QPixmap band(QStringLiteral(":/images/background/bai.png"));
    painter.fillRect(QRect(0, 0, width(), band.height()), QBrush(band));
}

void partition_window_c::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    btn_back->move(200, height() - 54);
}
