// SPDX-License-Identifier: GPL-3.0-or-later
// The home page.
#include "app/home_window.h"

#include "app/language.h"
#include "app/main_window.h"

#include <QPainter>
#include <QPixmap>

QString button_style(const QString& normal, const QString& hover, const QString& pressed)
{
    return QString::asprintf(
        "QPushButton{ border-image: url(:%s); }QPushButton:hover{ border-image: url(:%s);}"
        "QPushButton:pressed{  border-image: url(:%s);}",
        normal.toLatin1().constData(), hover.toLatin1().constData(), pressed.toLatin1().constData());
}

home_window_c::home_window_c(main_window_c* main_window_in) : QWidget(nullptr), main_window(main_window_in)
{
    setupUi(this);

    lbl_wenzi->setGeometry(55, 262, 692, 188);
    btn_start->setGeometry(40, 105, 330, 106);
    btn_resume->setGeometry(425, 105, 323, 106);

    btn_start->setStyleSheet(button_style(start_scan_image(1), start_scan_image(2), start_scan_image(3)));
    btn_resume->setStyleSheet(
        button_style(resume_recovery_image(1), resume_recovery_image(2), resume_recovery_image(3)));

    if (main_window) {
        connect(btn_start, &QPushButton::clicked, main_window, &main_window_c::on_click_home_start);
        connect(btn_resume, &QPushButton::clicked, main_window, &main_window_c::on_click_home_resume);
    }

    // The picture of the label is painted by paintEvent instead.
    lbl_wenzi->hide();
}

void home_window_c::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int h = height();
    // Both buttons end at 0.45 of the page height.
    btn_start->move(btn_start->x(), static_cast<int>(h - (0.55 * h + btn_start->height())));
    btn_resume->move(btn_resume->x(), static_cast<int>(h - (0.55 * h + btn_resume->height())));
    lbl_wenzi->move(lbl_wenzi->x(), h - 60 - lbl_wenzi->height());
}

void home_window_c::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const int w = width();
    const int h = height();

    const QPixmap band(QStringLiteral(":/images/background/bai.png"));
    painter.fillRect(QRect(0, 0, w, band.height()), QBrush(band));

    painter.drawPixmap(55, h - 240, QPixmap(QStringLiteral(":/images/home/wenzi.png")));

    painter.setFont(QFont(QStringLiteral("arial"), 8));
    painter.setPen(QColor(91, 135, 201));
    painter.drawText(70, h - 190, text_of("home_text1"));
    painter.drawText(70, h - 140, text_of("home_text2"));
    painter.drawText(70, h - 90, text_of("home_text3"));
}
