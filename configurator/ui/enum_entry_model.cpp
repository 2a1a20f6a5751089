#include "configurator/ui/enum_entry_model.h"

#include "configurator/element_value.h"

namespace configurator {

EnumEntryModel::EnumEntryModel(QObject *parent) : QAbstractListModel(parent) { }

void EnumEntryModel::setEntries(const QStringList &entries)
{
    if (_entries == entries)
        return;
    beginResetModel();
    _entries = entries;
    endResetModel();
    emit entriesChanged();
}

int EnumEntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_entries.size());
}

QVariant EnumEntryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= _entries.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case TextRole: return textAt(index.row());
    case SelectableRole: return isSelectable(index.row());
    default: return QVariant();
    }
}

QHash<int, QByteArray> EnumEntryModel::roleNames() const
{
    return { { TextRole, "text" }, { SelectableRole, "selectable" } };
}

bool EnumEntryModel::isSelectable(int index) const
{
    return index >= 0 && index < _entries.size() && ElementValue::isSelectableEntry(_entries.at(index));
}

QString EnumEntryModel::textAt(int index) const
{
    return index >= 0 && index < _entries.size() ? ElementValue::entryText(_entries.at(index)) : QString();
}

} // namespace configurator
