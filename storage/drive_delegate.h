// SPDX-License-Identifier: GPL-3.0-or-later
// Draws one row of the drive page: the header row, or a drive with its size and number.
#pragma once

#include <QStyledItemDelegate>

class drive_delegate_c : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
