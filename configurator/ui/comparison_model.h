#pragma once

#include "configurator/config_comparison.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

namespace configurator {

class GuiQmlHandler;

// The compare table of a loaded document: a row per element with the value on the device, the value
// in the file and the status; rows that differ and fit start checked, rows that do not fit cannot be
// checked, equal rows are shown only with `showAll`. Apply writes the checked rows. The model follows
// the core's comparison (appCoreComparisonChanged).
class ComparisonModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(bool showAll READ showAll WRITE setShowAll NOTIFY showAllChanged)
    Q_PROPERTY(QStringList warnings READ warnings NOTIFY changed)
    Q_PROPERTY(int count READ rowCount NOTIFY changed)
    Q_PROPERTY(int checkedCount READ checkedCount NOTIFY changed)
    Q_PROPERTY(int equalCount READ equalCount NOTIFY changed)
    Q_PROPERTY(int refusedCount READ refusedCount NOTIFY changed)
    Q_PROPERTY(int failedCount READ failedCount NOTIFY changed)

public:
    enum Roles {
        IdRole = Qt::UserRole + 1, // "elementId"
        NameRole, // "name"
        DeviceTextRole, // "deviceText"
        FileTextRole, // "fileText"
        StatusRole, // "status" (ConfigComparison::Status)
        StatusTextRole, // "statusText"
        CheckableRole, // "checkable"
        CheckedRole, // "checked", writable
    };

    explicit ComparisonModel(GuiQmlHandler *core, QObject *parent = nullptr);

    bool showAll() const { return _showAll; }
    void setShowAll(bool showAll);
    QStringList warnings() const { return _comparison.warnings; }
    int checkedCount() const { return int(_checked.size()); }
    int equalCount() const { return _comparison.count(ConfigComparison::Status::Equal); }
    int refusedCount() const { return _comparison.count(ConfigComparison::Status::Refused); }
    int failedCount() const { return _comparison.count(ConfigComparison::Status::Failed); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE void setChecked(int row, bool checked);
    // The row shown for the element with this id, or -1.
    Q_INVOKABLE int rowOf(int elementId) const;
    // Writes the checked rows to the device.
    Q_INVOKABLE void apply();

signals:
    void showAllChanged();
    void changed();

private:
    void reload();
    const ConfigComparison::Row &rowAt(int row) const;

    GuiQmlHandler *const _core;
    ConfigComparison _comparison;
    // Indexes into the comparison's rows of the rows shown.
    QList<int> _shown;
    QList<int> _checked; // element ids
    bool _showAll = false;
    int _loads = 0;
};

} // namespace configurator
