#pragma once

#include <QString>
#include <QStringList>

namespace configurator {

// The text of the debug console: everything appended since the last clear (the state copy prints
// it), and the two buffers that turn the device's debug responses into whole lines and into the
// texts between "DIALOG_START" and "DIALOG_END".
class DebugConsole
{
public:
    // A line longer than this without a line feed is shown as it is instead of waiting for ever.
    static constexpr qsizetype kMaxPartialLine = 16384;

    // Logs the text, puts the "[time] " prefix in front when the timestamp setting is on, appends it
    // and returns what was appended (for the console).
    QString append(const QString &text);

    // Takes one debug response: dialog texts found are returned in `dialogs`, complete lines in
    // `lines` (each with its line feed); a partial last line waits for the next response.
    void takeResponse(const QString &text, QStringList &lines, QStringList &dialogs);

    // Empties the text and both buffers.
    void clear();
    // Empties the two response buffers only.
    void clearResponseBuffers();

    const QString &fullText() const { return _fullText; }

private:
    QString _fullText;
    QString _markerBuffer;
    QString _lineBuffer;
};

} // namespace configurator
