#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace configurator {

// The lines of the debug console for a list view: texts are appended as the core sends them (one
// text may hold several lines, and a text without a final line feed is continued by the next one),
// so the console stays as fast at the hundred-thousandth line as at the first. Each line keeps the
// time it began; beyond `maxLines` the oldest lines are dropped and counted. A range of lines can be
// selected (click, shift-click) and copied to the clipboard; a find text marks the lines holding it
// and steps between them. The QML type DebugLineModel (VkUi 1.0).
class DebugLineModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int selectionStart READ selectionStart NOTIFY selectionChanged)
    Q_PROPERTY(int selectionEnd READ selectionEnd NOTIFY selectionChanged)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionChanged)
    Q_PROPERTY(int maxLines READ maxLines WRITE setMaxLines NOTIFY maxLinesChanged)
    Q_PROPERTY(int droppedLines READ droppedLines NOTIFY droppedLinesChanged)
    Q_PROPERTY(QString findText READ findText WRITE setFindText NOTIFY findChanged)
    Q_PROPERTY(int matchCount READ matchCount NOTIFY findChanged)
    // The line the find stepped to, or -1.
    Q_PROPERTY(int currentMatch READ currentMatch NOTIFY findChanged)

public:
    enum Roles {
        LineRole = Qt::UserRole + 1, // "line"
        SelectedRole, // "selected"
        MatchRole, // "match": 0 none, 1 holds the find text, 2 the current match
    };

    static constexpr int kDefaultMaxLines = 100000;

    explicit DebugLineModel(QObject *parent = nullptr);

    int count() const { return int(_lines.size()); }
    int selectionStart() const { return _selectionStart; }
    int selectionEnd() const { return _selectionEnd; }
    bool hasSelection() const { return _selectionStart >= 0; }
    int maxLines() const { return _maxLines; }
    // At least one line; dropping starts with the next text appended.
    void setMaxLines(int maxLines);
    int droppedLines() const { return _dropped; }
    QString findText() const { return _findText; }
    void setFindText(const QString &text);
    int matchCount() const { return _matchCount; }
    int currentMatch() const { return _currentMatch; }

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

    // The next line (or with `backwards` the one before) after the current match holding the find
    // text, around the ends; -1 without one. It becomes the current match.
    Q_INVOKABLE int findNext(bool backwards = false);
    // Every line as "<UTC time> <local offset>  <line>" (2026-12-10T01:23:45.678Z +01:00), after a
    // first line naming the lines dropped, if any: the text "Save log" writes.
    Q_INVOKABLE QString logText() const;

signals:
    void countChanged();
    void selectionChanged();
    void maxLinesChanged();
    void droppedLinesChanged();
    void findChanged();

private:
    void setSelection(int start, int end);
    void dropOldest();
    bool matches(int row) const;
    int countMatches() const;

    QStringList _lines;
    // When each line began, milliseconds since the epoch (UTC).
    QList<qint64> _times;
    int _maxLines = kDefaultMaxLines;
    int _dropped = 0;
    QString _findText;
    int _matchCount = 0;
    int _currentMatch = -1;
    // The last line waits for the rest of its text.
    bool _lastLineOpen = false;
    int _anchor = -1;
    int _selectionStart = -1;
    int _selectionEnd = -1;
};

} // namespace configurator
