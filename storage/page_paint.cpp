// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing and layout helpers shared by the volume page and the drive page.
#include "storage/page_paint.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include "app/language.h"

namespace page_paint {

// Room left between the end of a text and the column line after it.
constexpr int column_gap = 4;

void draw_fitted(QPainter* painter, QPoint origin, const QString& text, int right_edge, Qt::TextElideMode mode)
{
    const int room = right_edge - origin.x() - column_gap;
    if (room <= 0 || text.isEmpty())
        return;
    const QFontMetrics metrics(painter->font());
    painter->drawText(origin, metrics.elidedText(text, mode, room));
}

void paint_page_title(QWidget* page)
{
    QPainter painter(page);
    const QPixmap strip(QStringLiteral(":/images/background/bai.png"));
    if (!strip.isNull())
        painter.fillRect(QRect(0, 0, page->width(), strip.height()), QBrush(strip));
    painter.setFont(QFont(QStringLiteral("Arial"), 12));
    painter.drawText(QPoint(23, 30), text_of("volume_select"));
}

void place_page_widgets(QSize page_size, QPushButton* back, QPushButton* refresh, QPushButton* scan,
                        QAbstractItemView* list)
{
    const int w = page_size.width();
    const int h = page_size.height();
    back->move(175, h - 54);
    refresh->move(w / 2 - 50, h - 54);
    scan->move(w - 275, h - 54);
    list->setGeometry(25, 45, w - 50, h - 140);
}

}  // namespace page_paint
