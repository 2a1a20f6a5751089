#include "configurator/ui/debug_line_model.h"

#include <QClipboard>
#include <QGuiApplication>

namespace configurator {

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
    default: return QVariant();
    }
}

QHash<int, QByteArray> DebugLineModel::roleNames() const
{
    return { { LineRole, "line" }, { SelectedRole, "selected" } };
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
    if (_lastLineOpen && !pieces.isEmpty()) {
        _lines.last() += pieces.takeFirst();
        const QModelIndex last = index(int(_lines.size()) - 1);
        emit dataChanged(last, last, { LineRole });
    }
    if (!pieces.isEmpty()) {
        const int first = int(_lines.size());
        beginInsertRows(QModelIndex(), first, first + int(pieces.size()) - 1);
        _lines += pieces;
        endInsertRows();
        emit countChanged();
    }
    _lastLineOpen = !closed;
}

void DebugLineModel::clear()
{
    clearSelection();
    _lastLineOpen = false;
    if (_lines.isEmpty())
        return;
    beginResetModel();
    _lines.clear();
    endResetModel();
    emit countChanged();
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
