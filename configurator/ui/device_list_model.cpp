#include "configurator/ui/device_list_model.h"

#include <QDebug>

#include <algorithm>
#include <limits>
#include <numeric>

namespace configurator {

namespace {

// Strongest first; an unmeasured signal (0) after every measured one.
int strengthKey(int rssi)
{
    return rssi == 0 ? std::numeric_limits<int>::min() : rssi;
}

} // namespace

DeviceListModel::DeviceListModel(QObject *parent) : QAbstractListModel(parent)
{
    _clock.start();
    _resortTimer.setInterval(kResortIntervalMs);
    connect(&_resortTimer, &QTimer::timeout, this, &DeviceListModel::refresh);
}

int DeviceListModel::signalBars(int rssi)
{
    if (rssi == 0)
        return 0;
    if (rssi >= -60)
        return kMaxBars;
    if (rssi >= -70)
        return 3;
    if (rssi >= -80)
        return 2;
    return rssi > -90 ? 1 : 0;
}

void DeviceListModel::setFilter(const QString &filter)
{
    if (filter == _filter)
        return;
    beginResetModel();
    _filter = filter;
    rebuildShown();
    endResetModel();
    emit filterChanged();
    emit countChanged();
}

void DeviceListModel::setLastConnectedSerial(const QString &serial)
{
    if (serial == _lastConnectedSerial)
        return;
    _lastConnectedSerial = serial;
    if (!_shown.isEmpty())
        emit dataChanged(index(0), index(int(_shown.size()) - 1), { LastConnectedRole });
    emit lastConnectedSerialChanged();
}

void DeviceListModel::setStaleAfter(int ms)
{
    if (ms == _staleAfterMs)
        return;
    _staleAfterMs = ms;
    emit timingChanged();
}

void DeviceListModel::setResortInterval(int ms)
{
    if (ms == _resortTimer.interval())
        return;
    _resortTimer.setInterval(ms);
    emit timingChanged();
}

int DeviceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_shown.size());
}

QVariant DeviceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= _shown.size())
        return QVariant();
    const Row &row = _rows.at(_shown.at(index.row()));
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return row.name;
    case UuidRole: return row.uuid;
    case SerialRole: return row.serial;
    case RssiRole: return row.rssi;
    case BarsRole: return signalBars(row.rssi);
    case StaleRole: return row.stale;
    case LastConnectedRole: return !row.serial.isEmpty() && row.serial == _lastConnectedSerial;
    default: return QVariant();
    }
}

QHash<int, QByteArray> DeviceListModel::roleNames() const
{
    return { { NameRole, "name" }, { UuidRole, "uuid" }, { SerialRole, "serial" }, { RssiRole, "rssi" },
        { BarsRole, "bars" }, { StaleRole, "stale" }, { LastConnectedRole, "lastConnected" } };
}

void DeviceListModel::addElement(const QString &name, const QString &uuid)
{
    const int at = indexOf(uuid);
    if (at < 0) {
        Row row;
        row.name = name;
        row.uuid = uuid;
        row.heardAtMs = _clock.elapsed();
        _rows.append(row);
        _indexOf.insert(uuid, int(_rows.size()) - 1);
        _shownAt.append(-1);
        updateVisibility(int(_rows.size()) - 1);
        // A new row waits at the end for the next ordering.
        _orderDirty = true;
        if (!_resortTimer.isActive())
            _resortTimer.start();
        return;
    }
    // A device is reported at every sighting; only a new name is news.
    if (_rows.at(at).name == name)
        return;
    qDebug().nospace() << "ListDialog: Found element uuid[" << uuid << "] - update name: from[" << _rows.at(at).name
                       << "] to [" << name << "]";
    _rows[at].name = name;
    rowChanged(at, { NameRole });
    updateVisibility(at);
}

void DeviceListModel::heard(const QString &uuid, const QString &serial, int rssi)
{
    const int at = indexOf(uuid);
    if (at < 0)
        return;
    Row &row = _rows[at];
    row.heardAtMs = _clock.elapsed();
    QList<int> roles;
    if (row.stale) {
        row.stale = false;
        roles << StaleRole;
    }
    if (row.rssi != rssi) {
        row.rssi = rssi;
        roles << RssiRole << BarsRole;
        _orderDirty = true;
    }
    const bool newSerial = row.serial != serial;
    if (newSerial) {
        row.serial = serial;
        roles << SerialRole << LastConnectedRole;
    }
    if (!roles.isEmpty())
        rowChanged(at, roles);
    if (newSerial)
        updateVisibility(at);
}

void DeviceListModel::removeElement(const QString &uuid)
{
    const int at = indexOf(uuid);
    if (at < 0) {
        qDebug().nospace() << "ListDialog: element uuid[" << uuid << "] not found";
        return;
    }
    const int shownRow = _shownAt.at(at);
    if (shownRow >= 0)
        beginRemoveRows(QModelIndex(), shownRow, shownRow);
    _rows.removeAt(at);
    rebuildShown();
    if (shownRow >= 0) {
        endRemoveRows();
        emit countChanged();
    }
    if (_rows.isEmpty())
        _resortTimer.stop();
}

void DeviceListModel::clearContent()
{
    _resortTimer.stop();
    _orderDirty = false;
    if (_rows.isEmpty())
        return;
    beginResetModel();
    _rows.clear();
    rebuildShown();
    endResetModel();
    emit countChanged();
}

int DeviceListModel::rowOf(const QString &uuid) const
{
    const int at = indexOf(uuid);
    return at < 0 ? -1 : _shownAt.at(at);
}

QString DeviceListModel::nameAt(int row) const
{
    return row >= 0 && row < _shown.size() ? _rows.at(_shown.at(row)).name : QString();
}

QString DeviceListModel::uuidAt(int row) const
{
    return row >= 0 && row < _shown.size() ? _rows.at(_shown.at(row)).uuid : QString();
}

void DeviceListModel::refresh()
{
    markStale();
    if (_orderDirty)
        sortByStrength();
}

bool DeviceListModel::matches(const Row &row) const
{
    return _filter.isEmpty() || row.name.contains(_filter, Qt::CaseInsensitive)
        || row.serial.contains(_filter, Qt::CaseInsensitive);
}

void DeviceListModel::rebuildShown()
{
    _shown.clear();
    _shownAt.fill(-1, _rows.size());
    _indexOf.clear();
    for (int i = 0; i < _rows.size(); ++i) {
        _indexOf.insert(_rows.at(i).uuid, i);
        if (matches(_rows.at(i))) {
            _shownAt[i] = int(_shown.size());
            _shown.append(i);
        }
    }
}

void DeviceListModel::updateVisibility(int index)
{
    const bool shown = _shownAt.at(index) >= 0;
    if (shown == matches(_rows.at(index)))
        return;
    if (shown) {
        const int row = _shownAt.at(index);
        beginRemoveRows(QModelIndex(), row, row);
        rebuildShown();
        endRemoveRows();
    } else {
        // After the shown rows that come before it.
        const int row = int(std::count_if(_shown.cbegin(), _shown.cend(), [index](int i) { return i < index; }));
        beginInsertRows(QModelIndex(), row, row);
        rebuildShown();
        endInsertRows();
    }
    emit countChanged();
}

void DeviceListModel::rowChanged(int index, const QList<int> &roles)
{
    const int row = _shownAt.at(index);
    if (row >= 0)
        emit dataChanged(this->index(row), this->index(row), roles);
}

void DeviceListModel::sortByStrength()
{
    _orderDirty = false;
    QList<int> order(_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return strengthKey(_rows.at(a).rssi) > strengthKey(_rows.at(b).rssi);
    });
    if (std::is_sorted(order.cbegin(), order.cend()))
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    QList<QString> persistentUuids;
    for (const QModelIndex &index : persistent)
        persistentUuids << _rows.at(_shown.at(index.row())).uuid;
    QList<Row> sorted;
    sorted.reserve(_rows.size());
    for (int i : std::as_const(order))
        sorted.append(_rows.at(i));
    _rows = std::move(sorted);
    rebuildShown();
    for (int i = 0; i < persistent.size(); ++i)
        changePersistentIndex(persistent.at(i), index(rowOf(persistentUuids.at(i))));
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DeviceListModel::markStale()
{
    const qint64 now = _clock.elapsed();
    for (int i = 0; i < _rows.size(); ++i) {
        const bool stale = now - _rows.at(i).heardAtMs >= _staleAfterMs;
        if (stale != _rows.at(i).stale) {
            _rows[i].stale = stale;
            rowChanged(i, { StaleRole });
        }
    }
}

} // namespace configurator
