#pragma once

#include "event_topics/thread_handover.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QSemaphore>
#include <QSharedPointer>
#include <QThread>

#include <atomic>
#include <chrono>

namespace event_core {

// Debug line "invalid invokeMethod: " followed by `callText`, for a queued call that could not be made.
void logInvalidInvoke(const char *callText);

// Warning "Timeout of object initialization:" followed by `createSignature`.
void logInitializationTimeout(const char *createSignature);

// Critical "Invalid to create object!".
void logCreationFailed();

// Starts `thread` and waits up to `wait` until `sender` emits `readySignal`; false on timeout.
// An emission after the wait does nothing.
template<class Sender, class Signal>
bool startThreadAndWait(QThread *thread, const Sender *sender, Signal readySignal, std::chrono::milliseconds wait)
{
    // Shared with the connection: a late emission, racing the disconnect below, still releases a
    // live semaphore.
    const auto ready = QSharedPointer<QSemaphore>::create(0);
    const QMetaObject::Connection connection
        = QObject::connect(sender, readySignal, event_topics::handOver([ready]() { ready->release(); }));
    thread->start(QThread::InheritPriority);
    const bool initialized = ready->tryAcquire(1, int(wait.count()));
    QObject::disconnect(connection);
    return initialized;
}

// Runs `object->beforeThreadStopped()` in the object's thread and returns when it has run (which is
// also after everything queued to that thread earlier). Logs `callText` if the call cannot be queued.
template<class T> void runBeforeThreadStopped(T *object, const char *callText)
{
    if (QThread::currentThread() == object->thread()) {
        object->beforeThreadStopped();
        return;
    }
    if (!event_topics::queueCall(
            object, [object]() { object->beforeThreadStopped(); }, Qt::BlockingQueuedConnection))
        logInvalidInvoke(callText);
}

// The module host: makes T a process-wide singleton that runs in a thread of its own.
//
// T is a QObject with a default constructor (it may be private: befriend ModuleHost<T>), a signal
// initializationDone(), and slots afterThreadStarted() (runs first in the new thread; emits
// initializationDone() when the module is ready) and beforeThreadStopped() (runs last in the
// thread). A module's own static functions forward here, see event_core/README.md.
template<class T> class ModuleHost
{
public:
    // The instance or null; never creates one.
    static T *instance() { return s_instance.load(std::memory_order_acquire); }

    // Creates T in a new thread (a child of `parent`) unless it exists, then waits up to `wait` for
    // its initializationDone(). A timeout is logged with `createSignature` (the Q_FUNC_INFO of the
    // module's createInstance) and the instance is returned all the same.
    static T *create(QObject *parent, std::chrono::milliseconds wait, const char *createSignature)
    {
        if (T *existing = instance())
            return existing;
        {
            QMutexLocker lock(&s_mutex);
            if (!instance()) {
                auto *object = new T();
                auto *thread = new QThread(parent);
                event_topics::watchThreadEnd(thread);
                object->moveToThread(thread);
                QObject::connect(thread, &QThread::started, object, &T::afterThreadStarted);
                s_thread = thread;
                s_instance.store(object, std::memory_order_release);
                if (!startThreadAndWait(thread, object, &T::initializationDone, wait))
                    logInitializationTimeout(createSignature);
            }
        }
        T *result = instance();
        if (!result)
            logCreationFailed();
        return result;
    }

    // Runs beforeThreadStopped() in the module's thread (blocking), ends the thread, deletes thread
    // and module. Does nothing without an instance. `stopCallText` is logged if the call fails.
    static void destroy(const char *stopCallText)
    {
        QMutexLocker lock(&s_mutex);
        T *object = instance();
        if (!object)
            return;
        runBeforeThreadStopped(object, stopCallText);
        s_thread->quit();
        event_topics::waitForThreadEnd(s_thread);
        delete s_thread;
        s_thread = nullptr;
        s_instance.store(nullptr, std::memory_order_release);
        delete object;
    }

private:
    static inline std::atomic<T *> s_instance { nullptr };
    static inline QMutex s_mutex;
    static inline QThread *s_thread = nullptr;
};

} // namespace event_core
