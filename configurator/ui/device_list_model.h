#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace configurator {

// The devices of the device-selection list, one row per uuid the core reported: a device seen again
// under another name keeps its row with the new name. The QML type DeviceListModel (VkUi 1.0).
class DeviceListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Roles {
        NameRole = Qt::UserRole + 1, // "name"
        UuidRole, // "uuid"
    };

    explicit DeviceListModel(QObject *parent = nullptr);

    int count() const { return int(_rows.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Adds a row, or renames the row of that uuid.
    Q_INVOKABLE void addElement(const QString &name, const QString &uuid);
    Q_INVOKABLE void removeElement(const QString &uuid);
    Q_INVOKABLE void clearContent();
    Q_INVOKABLE int rowOf(const QString &uuid) const;
    Q_INVOKABLE QString nameAt(int row) const;
    Q_INVOKABLE QString uuidAt(int row) const;

signals:
    void countChanged();

private:
    struct Row
    {
        QString name;
        QString uuid;
    };
    QList<Row> _rows;
};

} // namespace configurator
