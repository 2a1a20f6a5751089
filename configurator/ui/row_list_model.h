#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QVariant>

namespace configurator {

// A list of rows whose roles are named when the model is made: the standard commands (cmdId, name), the
// device files (fileInfo, isRoot), the local firmware files (name, version, date, path).
class RowListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit RowListModel(const QList<QByteArray> &roles, QObject *parent = nullptr);

    int count() const { return int(_rows.size()); }
    // A row holds one value per role, in the order the roles were named.
    void append(const QVariantList &row);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The value of `role` in row `row`, or an invalid variant.
    Q_INVOKABLE QVariant valueAt(int row, const QString &role) const;

signals:
    void countChanged();

private:
    QList<QByteArray> _roles;
    QList<QVariantList> _rows;
};

} // namespace configurator
