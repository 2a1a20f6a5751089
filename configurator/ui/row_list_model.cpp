#include "configurator/ui/row_list_model.h"

namespace configurator {

RowListModel::RowListModel(const QList<QByteArray> &roles, QObject *parent) : QAbstractListModel(parent), _roles(roles)
{ }

void RowListModel::append(const QVariantList &row)
{
    const int position = count();
    beginInsertRows(QModelIndex(), position, position);
    _rows.append(row);
    endInsertRows();
    emit countChanged();
}

void RowListModel::clear()
{
    if (_rows.isEmpty())
        return;
    beginResetModel();
    _rows.clear();
    endResetModel();
    emit countChanged();
}

int RowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant RowListModel::data(const QModelIndex &index, int role) const
{
    const int column = role - (Qt::UserRole + 1);
    if (!index.isValid() || index.row() >= count() || column < 0)
        return QVariant();
    return _rows.at(index.row()).value(column);
}

QHash<int, QByteArray> RowListModel::roleNames() const
{
    QHash<int, QByteArray> names;
    for (int i = 0; i < _roles.size(); ++i)
        names.insert(Qt::UserRole + 1 + i, _roles.at(i));
    return names;
}

QVariant RowListModel::valueAt(int row, const QString &role) const
{
    const int column = int(_roles.indexOf(role.toUtf8()));
    if (row < 0 || row >= count() || column < 0)
        return QVariant();
    return _rows.at(row).value(column);
}

} // namespace configurator
