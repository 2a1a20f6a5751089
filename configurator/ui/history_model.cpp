#include "configurator/ui/history_model.h"

#include "configurator/gui_qml_handler.h"
#include "configurator/ui/element_input.h"

#include <algorithm>

namespace configurator {

HistoryModel::HistoryModel(GuiQmlHandler *core, QObject *parent) : QAbstractListModel(parent), _core(core)
{
    if (!core)
        return;
    connect(core, &GuiQmlHandler::appCoreHistoryChanged, this, &HistoryModel::reload);
    connect(core, &GuiQmlHandler::connectionChanged, this, &HistoryModel::reload);
}

void HistoryModel::reload()
{
    beginResetModel();
    const quint64 serial = _core->currentDevice().deviceInfo.Serial;
    _records = _core->isConnectionShown() ? DeviceHistory::read(serial) : QList<DeviceHistory::Record>();
    std::reverse(_records.begin(), _records.end());
    endResetModel();
    emit countChanged();
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_records.size());
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const DeviceHistory::Record &record = _records.at(index.row());
    switch (role) {
    case TimeRole: return record.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case WhoRole: return QStringLiteral("%1 (%2)").arg(record.user, record.face);
    case ElementRole:
        return QStringLiteral("%1 %2").arg(record.elementId).arg(
            ElementInput::displayName(_core, record.elementId, record.elementName));
    case BeforeRole: return record.before;
    case AfterRole: return record.after;
    case OutcomeRole: return DeviceHistory::outcomeText(record.outcome);
    default: return QVariant();
    }
}

QHash<int, QByteArray> HistoryModel::roleNames() const
{
    return { { TimeRole, "time" }, { WhoRole, "who" }, { ElementRole, "element" }, { BeforeRole, "before" },
        { AfterRole, "after" }, { OutcomeRole, "outcome" } };
}

} // namespace configurator
