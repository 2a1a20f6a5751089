#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace configurator {

// The lines of the debug console for a list view: texts are appended as the core sends them (one
// text may hold several lines, and a text without a final line feed is continued by the next one),
// so the console stays as fast at the hundred-thousandth line as at the first. A range of lines can
// be selected (click, shift-click) and copied to the clipboard. The QML type DebugLineModel (VkUi 1.0).
class DebugLineModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int selectionStart READ selectionStart NOTIFY selectionChanged)
    Q_PROPERTY(int selectionEnd READ selectionEnd NOTIFY selectionChanged)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionChanged)

public:
    enum Roles {
        LineRole = Qt::UserRole + 1, // "line"
        SelectedRole, // "selected"
    };

    explicit DebugLineModel(QObject *parent = nullptr);

    int count() const { return int(_lines.size()); }
    int selectionStart() const { return _selectionStart; }
    int selectionEnd() const { return _selectionEnd; }
    bool hasSelection() const { return _selectionStart >= 0; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE void appendText(const QString &text);
    Q_INVOKABLE void clear();
    Q_INVOKABLE QString lineAt(int row) const;

    // Clicking a line selects it alone (clicking the one selected line again clears the selection);
    // with `extend` the selection reaches from the line clicked before to this one.
    Q_INVOKABLE void select(int row, bool extend);
    Q_INVOKABLE void clearSelection();
    // The selected lines, or all lines without a selection, joined by line feeds.
    Q_INVOKABLE QString selectedText() const;
    // Puts selectedText() on the clipboard; the number of lines copied.
    Q_INVOKABLE int copyToClipboard() const;

signals:
    void countChanged();
    void selectionChanged();

private:
    void setSelection(int start, int end);

    QStringList _lines;
    // The last line waits for the rest of its text.
    bool _lastLineOpen = false;
    int _anchor = -1;
    int _selectionStart = -1;
    int _selectionEnd = -1;
};

} // namespace configurator
