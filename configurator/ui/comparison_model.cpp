#include "configurator/ui/comparison_model.h"

#include "configurator/gui_qml_handler.h"
#include "configurator/ui/element_input.h"

namespace configurator {

namespace {

using Status = ConfigComparison::Status;

} // namespace

ComparisonModel::ComparisonModel(GuiQmlHandler *core, QObject *parent) : QAbstractListModel(parent), _core(core)
{
    if (core)
        connect(core, &GuiQmlHandler::appCoreComparisonChanged, this, &ComparisonModel::reload);
}

void ComparisonModel::reload()
{
    beginResetModel();
    const bool fresh = _loads != _core->comparisonLoads();
    _loads = _core->comparisonLoads();
    _comparison = _core->comparison();
    // A new document: every row that differs and fits is checked; after writing, nothing is.
    QList<int> checked;
    for (const ConfigComparison::Row &row : _comparison.rows) {
        if (row.status == Status::Differs && (fresh || _checked.contains(row.id)))
            checked.append(row.id);
    }
    _checked = checked;
    _shown.clear();
    for (int i = 0; i < _comparison.rows.size(); ++i) {
        if (_showAll || _comparison.rows.at(i).status != Status::Equal)
            _shown.append(i);
    }
    endResetModel();
    emit changed();
}

void ComparisonModel::setShowAll(bool showAll)
{
    if (_showAll == showAll)
        return;
    _showAll = showAll;
    reload();
    emit showAllChanged();
}

const ConfigComparison::Row &ComparisonModel::rowAt(int row) const
{
    return _comparison.rows.at(_shown.at(row));
}

int ComparisonModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_shown.size());
}

QVariant ComparisonModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const ConfigComparison::Row &row = rowAt(index.row());
    switch (role) {
    case IdRole: return row.id;
    case NameRole: return ElementInput::displayName(_core, row.id, row.name);
    case DeviceTextRole: return row.deviceText;
    case FileTextRole: return row.fileText;
    case StatusRole: return int(row.status);
    case StatusTextRole: return ConfigComparison::statusText(row);
    case CheckableRole: return row.status == Status::Differs;
    case CheckedRole: return _checked.contains(row.id);
    default: return QVariant();
    }
}

bool ComparisonModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != CheckedRole || !index.isValid() || index.row() >= rowCount())
        return false;
    setChecked(index.row(), value.toBool());
    return true;
}

void ComparisonModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= rowCount())
        return;
    const ConfigComparison::Row &shown = rowAt(row);
    // A row that does not fit this device, or has nothing to change, is never written.
    if (checked && shown.status != Status::Differs)
        return;
    if (checked == _checked.contains(shown.id))
        return;
    if (checked)
        _checked.append(shown.id);
    else
        _checked.removeAll(shown.id);
    emit dataChanged(index(row), index(row), { CheckedRole });
    emit changed();
}

int ComparisonModel::rowOf(int elementId) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (rowAt(row).id == elementId)
            return row;
    }
    return -1;
}

void ComparisonModel::apply()
{
    _core->applyComparison(_checked);
}

QHash<int, QByteArray> ComparisonModel::roleNames() const
{
    return { { IdRole, "elementId" }, { NameRole, "name" }, { DeviceTextRole, "deviceText" },
        { FileTextRole, "fileText" }, { StatusRole, "status" }, { StatusTextRole, "statusText" },
        { CheckableRole, "checkable" }, { CheckedRole, "checked" } };
}

} // namespace configurator
