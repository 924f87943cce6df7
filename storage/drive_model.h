// SPDX-License-Identifier: GPL-3.0-or-later
// The list model of the drive page: one row per element of a drive list, header included.
#pragma once

#include <QAbstractListModel>
#include <QList>

#include "storage/volume_item.h"

// Shows a drive list without copying or changing it. Each row hands the delegate a copy of
// its record in a QVariant (display role only); copies share the drive's geometry block.
class drive_model_c : public QAbstractListModel {
    Q_OBJECT
public:
    explicit drive_model_c(QList<drive_item_s>* list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The list the model shows; the page hands out pointers into it.
    QList<drive_item_s>* list() const { return items; }

private:
    QList<drive_item_s>* items;
};
