#pragma once

#include "configurator/vk_interface_element.h"

#include <QAbstractListModel>
#include <QList>
#include <QMultiHash>
#include <QPointer>

namespace configurator {

// The rows of one page of the dynamic interface (Settings, State, Commands, Personalization or the
// application settings), kept by the window rather than by the page, so elements announced before a
// page is first shown are there when it is built. The model takes the element kinds of its page
// (`types`) and leaves out what the connected user may not see. On a `collapsible` page an element
// named "NEW" is a marker, never a row: from it on only top-level group titles are shown, collapsed,
// and a title shows or hides the rows listed under it. The QML type ElementListModel (VkUi 1.0).
class ElementListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QList<int> types READ types WRITE setTypes NOTIFY typesChanged)
    Q_PROPERTY(bool collapsible READ isCollapsible WRITE setCollapsible NOTIFY collapsibleChanged)
    Q_PROPERTY(bool application READ isApplication WRITE setApplication NOTIFY applicationChanged)
    Q_PROPERTY(bool hierarchical READ isHierarchical NOTIFY hierarchicalChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // Role names as the pages use them.
    enum Roles {
        ElementRole = Qt::UserRole + 1, // "ifcElement"
        IsRootRole, // "isRoot"
        DataTypeRole, // "dataType"
        IsVisibleRole, // "isVisible"
        IsExpandedRole, // "isExpanded", writable
        IsApplicationRole, // "isApplication"
        ElementIdRole, // "elementId"
    };

    static inline const QString kNewMarker = QStringLiteral("NEW");

    explicit ElementListModel(QObject *parent = nullptr);

    QList<int> types() const { return _types; }
    void setTypes(const QList<int> &types);
    bool isCollapsible() const { return _collapsible; }
    void setCollapsible(bool collapsible);
    bool isApplication() const { return _application; }
    void setApplication(bool application);
    bool isHierarchical() const { return _hierarchical; }
    int count() const { return int(_rows.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // Whether elements of this kind belong here.
    Q_INVOKABLE bool accepts(int type) const;
    // Takes an element announced for a user with or without root rights. False when it is not a row
    // of this page: another kind, kept from this user, or the "NEW" marker of a collapsible page
    // (which counts for every user, as the marker is never shown).
    Q_INVOKABLE bool append(VkInterfaceElement *element, bool isRoot);
    Q_INVOKABLE void clear();

    // On a hierarchical page: hides the rows listed under `parentId`, and under each group title
    // among them its own rows, collapsing those titles; showing makes the direct rows visible again.
    Q_INVOKABLE void hideChildren(int parentId);
    Q_INVOKABLE void showChildren(int parentId);

    Q_INVOKABLE VkInterfaceElement *elementAt(int row) const;
    // The row of the element with this id, or -1.
    Q_INVOKABLE int rowOf(int elementId) const;
    Q_INVOKABLE bool isRowVisible(int row) const;

signals:
    void typesChanged();
    void collapsibleChanged();
    void applicationChanged();
    void hierarchicalChanged();
    void countChanged();

private:
    struct Row
    {
        QPointer<VkInterfaceElement> element;
        int id = 0;
        int parentId = 0;
        int dataType = VkInterfaceElement::TNoData;
        bool isRoot = false;
        bool visible = true;
        bool expanded = true;
    };

    void setVisible(int row, bool visible);
    void setExpanded(int row, bool expanded);

    QList<int> _types;
    bool _collapsible = false;
    bool _application = false;
    bool _hierarchical = false;
    QList<Row> _rows;
    QMultiHash<int, int> _rowsByParent;
};

} // namespace configurator
