// SPDX-License-Identifier: GPL-3.0-or-later
// Draws one row of the volume page: the header row, or a volume with its usage bar.
#pragma once

#include <QStyledItemDelegate>

class volume_delegate_c : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The name shown for a volume: its label (or the "local_disk" text), then its root path in
// parentheses without one trailing separator: "Data (/media/data)", "Data (D:)".
QString volume_display_name(const QString& label, const QString& root_path);

// The usage bar is red when at most this share of the volume is free. The share is held
// in single precision, so exactly 20 % free lies just above the limit and stays green.
bool volume_usage_is_low(quint64 free_size, quint64 total_size);
