#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimer>

namespace configurator {

// The devices of the device-selection list, one row per uuid the core reported: a device seen again
// under another name keeps its row with the new name. Each row carries the signal strength of the
// device's last advertisement; the rows are kept strongest first, put in order again at most once per
// `resortInterval` so that they do not jump under the user's finger, and rows of equal strength keep
// the order they had. A row not heard for `staleAfter` is marked stale (the list greys it); removing a
// lost device is the core's decision (appCoreBleDeviceLost). `filter` shows only the rows whose name
// or serial number holds it (case-insensitive). The row of the device connected last is marked.
// The QML type DeviceListModel (VkUi 1.0).
class DeviceListModel : public QAbstractListModel
{
    Q_OBJECT
    // The rows shown (those the filter lets through).
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY filterChanged)
    Q_PROPERTY(QString lastConnectedSerial READ lastConnectedSerial WRITE setLastConnectedSerial NOTIFY
            lastConnectedSerialChanged)
    Q_PROPERTY(int staleAfter READ staleAfter WRITE setStaleAfter NOTIFY timingChanged) // ms
    Q_PROPERTY(int resortInterval READ resortInterval WRITE setResortInterval NOTIFY timingChanged) // ms

public:
    enum Roles {
        NameRole = Qt::UserRole + 1, // "name"
        UuidRole, // "uuid"
        SerialRole, // "serial": decimal text, empty until the core told it
        RssiRole, // "rssi": dBm of the last advertisement, 0 when not measured
        BarsRole, // "bars": 0 ... 4 (signalBars)
        StaleRole, // "stale": not heard for staleAfter
        LastConnectedRole, // "lastConnected"
    };

    static constexpr int kStaleAfterMs = 10000;
    static constexpr int kResortIntervalMs = 1000;
    static constexpr int kMaxBars = 4;

    explicit DeviceListModel(QObject *parent = nullptr);

    // How many of kMaxBars bars a signal of `rssi` dBm fills: -60 and stronger 4, down to 1 above -90;
    // weaker signals, and an unmeasured one (0), none.
    static int signalBars(int rssi);

    int count() const { return int(_shown.size()); }
    QString filter() const { return _filter; }
    void setFilter(const QString &filter);
    QString lastConnectedSerial() const { return _lastConnectedSerial; }
    void setLastConnectedSerial(const QString &serial);
    int staleAfter() const { return _staleAfterMs; }
    void setStaleAfter(int ms);
    int resortInterval() const { return _resortTimer.interval(); }
    void setResortInterval(int ms);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Adds a row, or renames the row of that uuid.
    Q_INVOKABLE void addElement(const QString &name, const QString &uuid);
    // The device of row `uuid` was heard: its serial number and the signal strength. Nothing for a
    // uuid without a row.
    Q_INVOKABLE void heard(const QString &uuid, const QString &serial, int rssi);
    Q_INVOKABLE void removeElement(const QString &uuid);
    // Empties the list (the filter stays).
    Q_INVOKABLE void clearContent();
    // The shown row of `uuid`, or -1.
    Q_INVOKABLE int rowOf(const QString &uuid) const;
    Q_INVOKABLE QString nameAt(int row) const;
    Q_INVOKABLE QString uuidAt(int row) const;

    // Puts the rows in order and marks the stale ones now, as the interval timer does.
    void refresh();

signals:
    void countChanged();
    void filterChanged();
    void lastConnectedSerialChanged();
    void timingChanged();

private:
    struct Row
    {
        QString name;
        QString uuid;
        QString serial;
        int rssi = 0;
        qint64 heardAtMs = 0; // on _clock
        bool stale = false;
    };

    bool matches(const Row &row) const;
    // The shown rows again from _rows and the filter; the uuid index too.
    void rebuildShown();
    // Shows or hides _rows[index] after its name or serial changed.
    void updateVisibility(int index);
    // dataChanged for the shown row of _rows[index], if it is shown.
    void rowChanged(int index, const QList<int> &roles);
    void sortByStrength();
    void markStale();
    int indexOf(const QString &uuid) const { return _indexOf.value(uuid, -1); }

    QList<Row> _rows; // every device, in display order
    QList<int> _shown; // the indexes of _rows shown, in order
    QList<int> _shownAt; // by index in _rows: its shown row, or -1
    QHash<QString, int> _indexOf; // uuid -> index in _rows
    QString _filter;
    QString _lastConnectedSerial;
    int _staleAfterMs = kStaleAfterMs;
    bool _orderDirty = false;
    QElapsedTimer _clock;
    QTimer _resortTimer;
};

} // namespace configurator
