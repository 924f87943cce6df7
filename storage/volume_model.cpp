// SPDX-License-Identifier: GPL-3.0-or-later
// The list model of the volume page.
#include "storage/volume_model.h"

volume_model_c::volume_model_c(QList<volume_item_s>* list, QObject* parent)
    : QAbstractListModel(parent), items(list)
{
}

int volume_model_c::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || items == nullptr)
        return 0;
    return static_cast<int>(items->size());
}

QVariant volume_model_c::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || items == nullptr)
        return {};
    // The list is rebuilt in place by the enumeration before the page installs a new model;
    // a view still holding this model may ask for a row the new list no longer has.
    if (index.row() < 0 || index.row() >= items->size())
        return {};
    return QVariant::fromValue(items->at(index.row()));
}
