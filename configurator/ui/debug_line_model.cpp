#include "configurator/ui/debug_line_model.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>

namespace configurator {

namespace {

// "+01:00" for an offset of 3600 s from UTC.
QString offsetText(int seconds)
{
    const int minutes = qAbs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

DebugLineModel::DebugLineModel(QObject *parent) : QAbstractListModel(parent) { }

int DebugLineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(_lines.size());
}

QVariant DebugLineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= _lines.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case LineRole: return _lines.at(index.row());
    case SelectedRole: return index.row() >= _selectionStart && index.row() <= _selectionEnd;
    case MatchRole: return index.row() == _currentMatch ? 2 : (matches(index.row()) ? 1 : 0);
    default: return QVariant();
    }
}

QHash<int, QByteArray> DebugLineModel::roleNames() const
{
    return { { LineRole, "line" }, { SelectedRole, "selected" }, { MatchRole, "match" } };
}

void DebugLineModel::appendText(const QString &text)
{
    if (text.isEmpty())
        return;
    QStringList pieces = text.split(u'\n');
    const bool closed = text.endsWith(u'\n');
    if (closed)
        pieces.removeLast();
    for (QString &piece : pieces) {
        if (piece.endsWith(u'\r'))
            piece.chop(1);
    }
    const int matchesBefore = _matchCount;
    if (_lastLineOpen && !pieces.isEmpty()) {
        const int row = int(_lines.size()) - 1;
        const bool matched = matches(row);
        _lines.last() += pieces.takeFirst();
        _matchCount += int(matches(row)) - int(matched);
        emit dataChanged(index(row), index(row), { LineRole, MatchRole });
    }
    if (!pieces.isEmpty()) {
        const int first = int(_lines.size());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        beginInsertRows(QModelIndex(), first, first + int(pieces.size()) - 1);
        _lines += pieces;
        _times.insert(_times.size(), pieces.size(), now);
        endInsertRows();
        if (!_findText.isEmpty()) {
            for (int row = first; row < _lines.size(); ++row)
                _matchCount += int(matches(row));
        }
        dropOldest();
        emit countChanged();
    }
    _lastLineOpen = !closed;
    if (_matchCount != matchesBefore)
        emit findChanged();
}

void DebugLineModel::setMaxLines(int maxLines)
{
    maxLines = qMax(1, maxLines);
    if (maxLines == _maxLines)
        return;
    _maxLines = maxLines;
    emit maxLinesChanged();
}

void DebugLineModel::dropOldest()
{
    const int excess = int(_lines.size()) - _maxLines;
    if (excess <= 0)
        return;
    int droppedMatches = 0;
    if (!_findText.isEmpty()) {
        for (int row = 0; row < excess; ++row)
            droppedMatches += int(matches(row));
    }
    beginRemoveRows(QModelIndex(), 0, excess - 1);
    _lines.remove(0, excess);
    _times.remove(0, excess);
    endRemoveRows();
    _dropped += excess;
    _matchCount -= droppedMatches;
    _currentMatch = _currentMatch >= excess ? _currentMatch - excess : -1;
    _anchor = _anchor >= excess ? _anchor - excess : -1;
    if (_selectionStart >= 0) {
        // The selection keeps the lines it held that are still there.
        if (_selectionEnd < excess) {
            _selectionStart = _selectionEnd = -1;
        } else {
            _selectionStart = qMax(0, _selectionStart - excess);
            _selectionEnd -= excess;
        }
        emit selectionChanged();
    }
    emit droppedLinesChanged();
    if (droppedMatches > 0 || !_findText.isEmpty())
        emit findChanged();
}

void DebugLineModel::clear()
{
    clearSelection();
    _lastLineOpen = false;
    if (_dropped != 0) {
        _dropped = 0;
        emit droppedLinesChanged();
    }
    if (_lines.isEmpty())
        return;
    beginResetModel();
    _lines.clear();
    _times.clear();
    _matchCount = 0;
    _currentMatch = -1;
    endResetModel();
    emit countChanged();
    emit findChanged();
}

void DebugLineModel::setFindText(const QString &text)
{
    if (text == _findText)
        return;
    _findText = text;
    _currentMatch = -1;
    _matchCount = countMatches();
    if (!_lines.isEmpty())
        emit dataChanged(index(0), index(int(_lines.size()) - 1), { MatchRole });
    emit findChanged();
}

bool DebugLineModel::matches(int row) const
{
    return !_findText.isEmpty() && _lines.at(row).contains(_findText, Qt::CaseInsensitive);
}

int DebugLineModel::countMatches() const
{
    int count = 0;
    for (int row = 0; row < _lines.size(); ++row)
        count += int(matches(row));
    return count;
}

int DebugLineModel::findNext(bool backwards)
{
    const int size = int(_lines.size());
    if (_matchCount == 0 || size == 0)
        return -1;
    const int step = backwards ? -1 : 1;
    int row = _currentMatch >= 0 ? _currentMatch : (backwards ? 0 : size - 1);
    for (int tried = 0; tried < size; ++tried) {
        row = (row + step + size) % size;
        if (!matches(row))
            continue;
        const int previous = _currentMatch;
        _currentMatch = row;
        if (previous >= 0)
            emit dataChanged(index(previous), index(previous), { MatchRole });
        emit dataChanged(index(row), index(row), { MatchRole });
        emit findChanged();
        return row;
    }
    return -1;
}

QString DebugLineModel::logText() const
{
    QString text;
    if (_dropped > 0)
        text += QStringLiteral("[%1 earlier lines dropped]\n").arg(_dropped);
    for (int row = 0; row < _lines.size(); ++row) {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(_times.at(row));
        text += time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")) + QLatin1Char(' ')
            + offsetText(time.offsetFromUtc()) + QStringLiteral("  ") + _lines.at(row) + QLatin1Char('\n');
    }
    return text;
}

QString DebugLineModel::lineAt(int row) const
{
    return row >= 0 && row < _lines.size() ? _lines.at(row) : QString();
}

void DebugLineModel::select(int row, bool extend)
{
    if (row < 0 || row >= _lines.size())
        return;
    if (extend && _anchor >= 0) {
        setSelection(qMin(_anchor, row), qMax(_anchor, row));
        return;
    }
    if (_selectionStart == row && _selectionEnd == row) {
        clearSelection();
        return;
    }
    _anchor = row;
    setSelection(row, row);
}

void DebugLineModel::clearSelection()
{
    _anchor = -1;
    setSelection(-1, -1);
}

QString DebugLineModel::selectedText() const
{
    if (!hasSelection())
        return _lines.join(u'\n');
    return _lines.mid(_selectionStart, _selectionEnd - _selectionStart + 1).join(u'\n');
}

int DebugLineModel::copyToClipboard() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return 0;
    clipboard->setText(selectedText());
    return hasSelection() ? _selectionEnd - _selectionStart + 1 : int(_lines.size());
}

void DebugLineModel::setSelection(int start, int end)
{
    if (start == _selectionStart && end == _selectionEnd)
        return;
    const int oldStart = _selectionStart;
    const int oldEnd = _selectionEnd;
    _selectionStart = start;
    _selectionEnd = end;
    // Rows whose selected state may have changed: the union of the old and the new range.
    const int first = oldStart < 0 ? start : (start < 0 ? oldStart : qMin(oldStart, start));
    const int last = qMax(oldEnd, end);
    if (first >= 0 && last >= first)
        emit dataChanged(index(first), index(last), { SelectedRole });
    emit selectionChanged();
}

} // namespace configurator
