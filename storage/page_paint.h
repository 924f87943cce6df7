// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing and layout helpers shared by the volume page and the drive page.
#pragma once

#include <QPainter>
#include <QPoint>
#include <QString>

class QAbstractItemView;
class QPushButton;
class QWidget;

namespace page_paint {

// A coordinate computed from a fraction of the row width, cut toward zero.
inline int cut(double value)
{
    return static_cast<int>(value);
}

// Draws `text` with its baseline origin at `origin`, shortened with an ellipsis so that it
// ends before `right_edge` (the next column line or the row's end). Device paths and mount
// points can be far longer than a column; they must never run into the next column.
void draw_fitted(QPainter* painter, QPoint origin, const QString& text, int right_edge,
                 Qt::TextElideMode mode = Qt::ElideRight);

// The page background: the tiled strip ":/images/background/bai.png" across the top and
// the page title ("volume_select") over it.
void paint_page_title(QWidget* page);

// Places the three buttons 54 pixels above the bottom edge and the list 25 pixels from the
// sides, for a page of the given size.
void place_page_widgets(QSize page_size, QPushButton* back, QPushButton* refresh, QPushButton* scan,
                        QAbstractItemView* list);

}  // namespace page_paint
