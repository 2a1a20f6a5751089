#pragma once

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace vk_testing {

// Collects every Qt log message (from any thread) while alive, in arrival order, and restores
// the previous message handler when destroyed. One capture at a time.
class LogCapture
{
public:
    struct Entry
    {
        QtMsgType type;
        QString text;
    };

    LogCapture()
    {
        QMutexLocker lock(&mutex());
        current() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }

    ~LogCapture()
    {
        QMutexLocker lock(&mutex());
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }

    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QList<Entry> entries() const
    {
        QMutexLocker lock(&mutex());
        return m_entries;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Entry &entry : entries())
            result << entry.text;
        return result;
    }

    // Number of messages whose text contains `needle`.
    int count(const QString &needle) const
    {
        int n = 0;
        for (const Entry &entry : entries())
            n += entry.text.contains(needle) ? 1 : 0;
        return n;
    }

    bool contains(const QString &needle) const { return count(needle) > 0; }

    void clear()
    {
        QMutexLocker lock(&mutex());
        m_entries.clear();
    }

private:
    static QMutex &mutex()
    {
        static QMutex m;
        return m;
    }
    static LogCapture *&current()
    {
        static LogCapture *c = nullptr;
        return c;
    }
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        QMutexLocker lock(&mutex());
        if (current())
            current()->m_entries.append({ type, text });
    }

    QtMessageHandler m_previous = nullptr;
    QList<Entry> m_entries;
};

} // namespace vk_testing
