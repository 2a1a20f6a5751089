#include "configurator/ui/device_list_model.h"

#include <QDebug>

namespace configurator {

DeviceListModel::DeviceListModel(QObject *parent) : QAbstractListModel(parent) { }

int DeviceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_rows.size());
}

QVariant DeviceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= _rows.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return _rows.at(index.row()).name;
    case UuidRole: return _rows.at(index.row()).uuid;
    default: return QVariant();
    }
}

QHash<int, QByteArray> DeviceListModel::roleNames() const
{
    return { { NameRole, "name" }, { UuidRole, "uuid" } };
}

void DeviceListModel::addElement(const QString &name, const QString &uuid)
{
    const int row = rowOf(uuid);
    if (row < 0) {
        beginInsertRows(QModelIndex(), int(_rows.size()), int(_rows.size()));
        _rows.append({ name, uuid });
        endInsertRows();
        emit countChanged();
        return;
    }
    // A device is reported at every sighting; only a new name is news.
    if (_rows.at(row).name == name)
        return;
    qDebug().nospace() << "ListDialog: Found element uuid[" << uuid << "] - update name: from[" << _rows.at(row).name
                       << "] to [" << name << "]";
    _rows[row].name = name;
    emit dataChanged(index(row), index(row), { NameRole });
}

void DeviceListModel::removeElement(const QString &uuid)
{
    const int row = rowOf(uuid);
    if (row < 0) {
        qDebug().nospace() << "ListDialog: element uuid[" << uuid << "] not found";
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    _rows.removeAt(row);
    endRemoveRows();
    emit countChanged();
}

void DeviceListModel::clearContent()
{
    if (_rows.isEmpty())
        return;
    beginResetModel();
    _rows.clear();
    endResetModel();
    emit countChanged();
}

int DeviceListModel::rowOf(const QString &uuid) const
{
    for (int row = 0; row < _rows.size(); ++row) {
        if (_rows.at(row).uuid == uuid)
            return row;
    }
    return -1;
}

QString DeviceListModel::nameAt(int row) const
{
    return row >= 0 && row < _rows.size() ? _rows.at(row).name : QString();
}

QString DeviceListModel::uuidAt(int row) const
{
    return row >= 0 && row < _rows.size() ? _rows.at(row).uuid : QString();
}

} // namespace configurator
