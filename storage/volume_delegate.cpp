// SPDX-License-Identifier: GPL-3.0-or-later
// Draws one row of the volume page: the header row, or a volume with its usage bar.
#include "storage/volume_delegate.h"

#include <QPainter>
#include <QPixmap>

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
const QColor bar_outline_color(139, 184, 241);

// The usage share at or below which the bar turns red.
constexpr double low_free_share = 0.2;

float free_share(quint64 free_size, quint64 total_size)
{
    return static_cast<float>(static_cast<double>(free_size) / static_cast<double>(total_size));
}

}  // namespace

QString volume_display_name(const QString& label, const QString& root_path)
{
    QString root = root_path;
    // "D:\" shows as "D:", "/media/data/" as "/media/data"; the root directory "/" alone keeps
    // its slash so that it does not show as empty parentheses.
    if (root.size() > 1 && (root.endsWith(QLatin1Char('\\')) || root.endsWith(QLatin1Char('/'))))
        root.chop(1);
    const QString name = label.isEmpty() ? text_of("local_disk") : label;
    return name + QStringLiteral(" (") + root + QStringLiteral(")");
}

bool volume_usage_is_low(quint64 free_size, quint64 total_size)
{
    return total_size != 0 && free_share(free_size, total_size) <= low_free_share;
}

void volume_delegate_c::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (value.metaType() != QMetaType::fromType<volume_item_s>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const volume_item_s item = value.value<volume_item_s>();
    const int y = option.rect.y();
    const int w = option.rect.width();
    const int h = option.rect.height();
    const int first_line = cut(w * 0.32);
    const int second_line = cut(w * 0.85);

    painter->save();
    if (index.row() % 2 == 0)
        painter->fillRect(option.rect, even_row_color);
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, selected_row_color);

    if (item.root_path.isEmpty()) {
        // Header row: column titles between the two column lines.
        painter->fillRect(option.rect, header_color);
        painter->setPen(QPen(column_line_color, 1));
        painter->drawLine(first_line, 0, first_line, y + h);
        painter->drawLine(second_line, 0, second_line, y + h);
        painter->setFont(QFont(QStringLiteral("Arial"), 10));
        painter->setPen(Qt::black);
        draw_fitted(painter, QPoint(60, y + 20), text_of("volume_logical_drives"), first_line);
        draw_fitted(painter, QPoint(cut(w * 0.32 + 165), y + 20), text_of("drive_size"), second_line);
        draw_fitted(painter, QPoint(cut(w * 0.85 + 15), y + 20), text_of("partition_fs"), w);
        painter->restore();
        return;
    }

    painter->setPen(QPen(column_line_color, 1));
    painter->drawLine(first_line, y, first_line, y + h);
    painter->drawLine(second_line, y, second_line, y + h);
    painter->drawPixmap(20, y + 5, QPixmap(QStringLiteral(":/images/partition_search/drives.png")));

    painter->setFont(QFont(QStringLiteral("Arial"), 8));
    painter->setPen(Qt::black);
    draw_fitted(painter, QPoint(45, y + 20), volume_display_name(item.label, item.root_path), first_line,
                Qt::ElideMiddle);

    // The usage bar: an outline b pixels wide whose filled part is the used share.
    const int bar_width = cut(w * 0.53 - 170);
    if (bar_width > 0) {
        painter->setPen(bar_outline_color);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cut(w * 0.32 + 10), y + 5, bar_width, 20);
    }

    painter->setPen(Qt::black);
    const QString sizes = format_size(item.free_size) + text_of("recovery_free") + format_size(item.total_size);
    draw_fitted(painter, QPoint(cut(w * 0.32 + bar_width + 20), y + 20), sizes, second_line);
    draw_fitted(painter, QPoint(cut(w * 0.85 + 20), y + 20), item.file_system, w);

    if (item.total_size != 0) {
        const float share = free_share(item.free_size, item.total_size);
        const QPixmap red(QStringLiteral(":/images/partition_search/red.png"));
        const QPixmap fill =
            share <= low_free_share ? red : QPixmap(QStringLiteral(":/images/partition_search/green.png"));
        const int fill_width = cut((1 - share) * bar_width - 2);
        // A free count above the total (a damaged volume) leaves nothing to fill.
        if (!fill.isNull() && fill_width > 0) {
            painter->setBrushOrigin(0, y + 6);
            painter->fillRect(QRect(cut(w * 0.32 + 11), y + 6, fill_width, red.height() + 1), QBrush(fill));
        }
    }
    painter->restore();
}

QSize volume_delegate_c::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), 30};
}
