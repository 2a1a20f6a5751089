#pragma once

#include "device_manager/descriptors/tr_strings.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

namespace device_manager {
class VkDevice;
}

namespace session_testing {

// One result signal of a session: which signal, its validity and what it carried.
struct SessionResult
{
    QString signal; // the signal's name: "commandConfirmReceived", "authSuccess", ...
    bool isValid = false; // authSuccess counts as valid, authFailed as invalid
    int fileId = -1; // the file id or file type argument, where the signal has one
    QVariant value; // the structure or bytes carried (TCommandConfirm, QByteArray, ...)
};

struct SessionNote
{
    QString title;
    QString text;
};

struct SessionProgress
{
    device_manager::TrStrings titleIndex;
    int percentage;
};

// Records everything a session reports, in order: its result signals, its diagnostic notes, its
// user-facing errors and its progress reports.
class SessionRecorder : public QObject
{
    Q_OBJECT

public:
    explicit SessionRecorder(device_manager::VkDevice *session, QObject *parent = nullptr);

    const QList<SessionResult> &results() const { return _results; }
    // The results carried by the signal `signal`.
    QList<SessionResult> results(const QString &signal) const;
    const QList<SessionNote> &notes() const { return _notes; }
    bool hasNote(const QString &title, const QString &text) const;
    const QList<QPair<device_manager::TrStrings, device_manager::TrStrings>> &errors() const { return _errors; }
    const QList<SessionProgress> &progress() const { return _progress; }

    void clear();

private:
    void add(const QString &signal, bool isValid, int fileId, const QVariant &value);

    QList<SessionResult> _results;
    QList<SessionNote> _notes;
    QList<QPair<device_manager::TrStrings, device_manager::TrStrings>> _errors;
    QList<SessionProgress> _progress;
};

} // namespace session_testing
