#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace configurator {

// The entries of an enumeration element for its combo box: the profile's texts, those beginning with
// "#" shown without it and not selectable. The QML type EnumEntryModel (VkUi 1.0).
class EnumEntryModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QStringList entries READ entries WRITE setEntries NOTIFY entriesChanged)
    Q_PROPERTY(int count READ count NOTIFY entriesChanged)

public:
    enum Roles {
        TextRole = Qt::UserRole + 1, // "text"
        SelectableRole, // "selectable"
    };

    explicit EnumEntryModel(QObject *parent = nullptr);

    QStringList entries() const { return _entries; }
    void setEntries(const QStringList &entries);
    int count() const { return int(_entries.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE bool isSelectable(int index) const;
    Q_INVOKABLE QString textAt(int index) const;

signals:
    void entriesChanged();

private:
    QStringList _entries;
};

} // namespace configurator
