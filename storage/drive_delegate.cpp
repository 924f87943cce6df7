// SPDX-License-Identifier: GPL-3.0-or-later
// Draws one row of the drive page: the header row, or a drive with its size and number.
#include "storage/drive_delegate.h"

#include <QPainter>

#include "app/language.h"
#include "app/settings.h"
#include "storage/page_paint.h"
#include "storage/volume_item.h"

using page_paint::cut;
using page_paint::draw_fitted;

namespace {

const QColor even_row_color(241, 250, 255);
const QColor selected_row_color(81, 149, 206);
const QColor header_color(232, 246, 255);
const QColor column_line_color(211, 231, 255);

}  // namespace

void drive_delegate_c::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (value.metaType() != QMetaType::fromType<drive_item_s>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const drive_item_s item = value.value<drive_item_s>();
    const int y = option.rect.y();
    const int w = option.rect.width();
    const int h = option.rect.height();
    const int first_line = cut(w * 0.5);
    const int second_line = cut(w * 0.85);

    painter->save();
    if (index.row() % 2 == 0)
        painter->fillRect(option.rect, even_row_color);
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, selected_row_color);

    if (!item.geometry) {
        // Header row. "Size" and "Number" go through this class's own translation context,
        // which has no translator: they stay in English whatever the UI language.
        painter->fillRect(option.rect, header_color);
        painter->setPen(QPen(column_line_color, 1));
        painter->drawLine(first_line, 0, first_line, y + h);
        painter->drawLine(second_line, 0, second_line, y + h);
        painter->setFont(QFont(QStringLiteral("Verdana"), 10));
        painter->setPen(Qt::black);
        draw_fitted(painter, QPoint(60, y + 20), text_of("drive_physical_drives"), first_line);
        draw_fitted(painter, QPoint(cut(w * 0.5 + 70), y + 20), tr("Size"), second_line);
        draw_fitted(painter, QPoint(cut(w * 0.85 + 15), y + 20), tr("Number"), w);
    } else {
        // A drive: no column lines; the number is the row, so the first drive shows 1.
        painter->setFont(QFont(QStringLiteral("Verdana"), 8));
        painter->setPen(Qt::black);
        draw_fitted(painter, QPoint(60, y + 20), item.path, first_line, Qt::ElideMiddle);
        draw_fitted(painter, QPoint(cut(w * 0.5 + 70), y + 20), format_size(item.size), second_line);
        draw_fitted(painter, QPoint(cut(w * 0.85 + 15), y + 20), QString::number(index.row()), w);
    }
    painter->restore();
}

QSize drive_delegate_c::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), 30};
}
