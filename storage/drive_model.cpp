// SPDX-License-Identifier: GPL-3.0-or-later
// The list model of the drive page.
#include "storage/drive_model.h"

drive_model_c::drive_model_c(QList<drive_item_s>* list, QObject* parent)
    : QAbstractListModel(parent), items(list)
{
}

int drive_model_c::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || items == nullptr)
        return 0;
    return static_cast<int>(items->size());
}

QVariant drive_model_c::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || items == nullptr)
        return {};
    // The list is rebuilt in place by the enumeration before the page installs a new model.
    if (index.row() < 0 || index.row() >= items->size())
        return {};
    return QVariant::fromValue(items->at(index.row()));
}
