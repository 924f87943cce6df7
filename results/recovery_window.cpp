// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery page as far as the main window's page flow needs it.
#include "results/recovery_window.h"

#include "app/app_state.h"
#include "app/language.h"
// The main window's header builds on its designer form; including the form here has this
// library generate its own copy of that header instead of waiting on the shell's build.
#include "ui_MainForm.h"
#include "app/main_window.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>

recovery_window_c::recovery_window_c(main_window_c* main_window_in) : QWidget(nullptr), main_window(main_window_in)
{
    // The skinned window composes only children that carry an object name.
    setObjectName(QStringLiteral("RecoveryForm"));
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
        connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_recovery_back);
}

int recovery_window_c::begin_scan(const volume_item_s& volume, bool deep)
{
    Q_UNUSED(volume);
    Q_UNUSED(deep);
    if (scan_running)
        return -1;
    // No engine suits any volume yet: refused without a message, as for a file system
    // that no engine handles.
    return -1;
}

void recovery_window_c::abandon_scan()
{
    if (scan_running)
        engine->set_state(STATE_ABANDONED);
}

void recovery_window_c::reset_page()
{
    if (!scan_running)
        engine->reset();
}

int recovery_window_c::resume_from_file()
{
    return -1;
}

void recovery_window_c::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    if (!isVisible())
        return;
    QPainter painter(this);
    const QPixmap band(QStringLiteral(":/images/background/bai.png"));
    painter.fillRect(QRect(0, 0, width(), band.height()), QBrush(band));
}

void recovery_window_c::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    btn_back->move(200, height() - 49);
}
