#include "configurator/ui/element_list_model.h"

#include "configurator/ui/element_input.h"

#include <QSet>

namespace configurator {

ElementListModel::ElementListModel(QObject *parent) : QAbstractListModel(parent) { }

void ElementListModel::setTypes(const QList<int> &types)
{
    if (_types == types)
        return;
    _types = types;
    emit typesChanged();
}

void ElementListModel::setCollapsible(bool collapsible)
{
    if (_collapsible == collapsible)
        return;
    _collapsible = collapsible;
    emit collapsibleChanged();
}

void ElementListModel::setApplication(bool application)
{
    if (_application == application)
        return;
    _application = application;
    emit applicationChanged();
}

int ElementListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_rows.size());
}

QVariant ElementListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= _rows.size())
        return QVariant();
    const Row &row = _rows.at(index.row());
    switch (role) {
    case ElementRole: return QVariant::fromValue(row.element.data());
    case IsRootRole: return row.isRoot;
    case DataTypeRole: return row.dataType;
    case IsVisibleRole: return row.visible;
    case IsExpandedRole: return row.expanded;
    case IsApplicationRole: return _application;
    case ElementIdRole: return row.id;
    default: return QVariant();
    }
}

bool ElementListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= _rows.size() || role != IsExpandedRole)
        return false;
    setExpanded(index.row(), value.toBool());
    return true;
}

QHash<int, QByteArray> ElementListModel::roleNames() const
{
    return {
        { ElementRole, "ifcElement" },
        { IsRootRole, "isRoot" },
        { DataTypeRole, "dataType" },
        { IsVisibleRole, "isVisible" },
        { IsExpandedRole, "isExpanded" },
        { IsApplicationRole, "isApplication" },
        { ElementIdRole, "elementId" },
    };
}

bool ElementListModel::accepts(int type) const
{
    return _types.contains(type);
}

bool ElementListModel::append(VkInterfaceElement *element, bool isRoot)
{
    if (!element || !accepts(element->type()))
        return false;
    if (_collapsible && element->nameEn() == kNewMarker) {
        if (!_hierarchical) {
            _hierarchical = true;
            emit hierarchicalChanged();
        }
        return false;
    }
    if (!ElementInput::isShownTo(element, isRoot))
        return false;
    Row row;
    row.element = element;
    row.id = element->id();
    row.parentId = element->parentId();
    row.dataType = element->dataType();
    row.isRoot = isRoot;
    if (_hierarchical) {
        row.visible = row.dataType == VkInterfaceElement::TNoData && row.parentId == 0;
        row.expanded = false;
    }
    const int position = int(_rows.size());
    beginInsertRows(QModelIndex(), position, position);
    _rows.append(row);
    _rowsByParent.insert(row.parentId, position);
    endInsertRows();
    emit countChanged();
    return true;
}

void ElementListModel::clear()
{
    const bool hadRows = !_rows.isEmpty();
    if (hadRows) {
        beginResetModel();
        _rows.clear();
        _rowsByParent.clear();
        endResetModel();
    }
    if (_hierarchical) {
        _hierarchical = false;
        emit hierarchicalChanged();
    }
    if (hadRows)
        emit countChanged();
}

void ElementListModel::hideChildren(int parentId)
{
    if (!_hierarchical)
        return;
    // A profile may list an id twice; each group is walked once.
    QSet<int> walked;
    QList<int> groups { parentId };
    while (!groups.isEmpty()) {
        const int group = groups.takeFirst();
        if (walked.contains(group))
            continue;
        walked.insert(group);
        QList<int> rows = _rowsByParent.values(group);
        std::sort(rows.begin(), rows.end());
        for (int row : qAsConst(rows)) {
            setVisible(row, false);
            if (_rows.at(row).dataType == VkInterfaceElement::TNoData) {
                setExpanded(row, false);
                groups.append(_rows.at(row).id);
            }
        }
    }
}

void ElementListModel::showChildren(int parentId)
{
    if (!_hierarchical)
        return;
    for (int row : _rowsByParent.values(parentId))
        setVisible(row, true);
}

VkInterfaceElement *ElementListModel::elementAt(int row) const
{
    return row >= 0 && row < _rows.size() ? _rows.at(row).element.data() : nullptr;
}

int ElementListModel::rowOf(int elementId) const
{
    for (int row = 0; row < _rows.size(); ++row) {
        if (_rows.at(row).id == elementId)
            return row;
    }
    return -1;
}

bool ElementListModel::isRowVisible(int row) const
{
    return row >= 0 && row < _rows.size() && _rows.at(row).visible;
}

void ElementListModel::setVisible(int row, bool visible)
{
    if (_rows.at(row).visible == visible)
        return;
    _rows[row].visible = visible;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, { IsVisibleRole });
}

void ElementListModel::setExpanded(int row, bool expanded)
{
    if (_rows.at(row).expanded == expanded)
        return;
    _rows[row].expanded = expanded;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, { IsExpandedRole });
}

} // namespace configurator
