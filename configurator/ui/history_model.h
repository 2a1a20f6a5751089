#pragma once

#include "configurator/device_history.h"

#include <QAbstractListModel>

namespace configurator {

class GuiQmlHandler;

// The history of the connected device, newest first, read again whenever the core adds to it or
// another device is connected.
class HistoryModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    enum Roles {
        TimeRole = Qt::UserRole + 1, // "time": local time, "yyyy-MM-dd HH:mm:ss"
        WhoRole, // "who": "user (front end)"
        ElementRole, // "element": "id name"
        BeforeRole, // "before"
        AfterRole, // "after"
        OutcomeRole, // "outcome"
    };

    explicit HistoryModel(GuiQmlHandler *core, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE void reload();

signals:
    void countChanged();

private:
    GuiQmlHandler *const _core;
    QList<DeviceHistory::Record> _records; // newest first
};

} // namespace configurator
