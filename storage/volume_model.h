// SPDX-License-Identifier: GPL-3.0-or-later
// The list model of the volume page: one row per element of a volume list, header included.
#pragma once

#include <QAbstractListModel>
#include <QList>

#include "storage/volume_item.h"

// Shows a volume list without copying or changing it. Each row hands the delegate a copy
// of its record in a QVariant (display role only).
class volume_model_c : public QAbstractListModel {
    Q_OBJECT
public:
    explicit volume_model_c(QList<volume_item_s>* list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The list the model shows; the page hands out pointers into it.
    QList<volume_item_s>* list() const { return items; }

private:
    QList<volume_item_s>* items;
};
