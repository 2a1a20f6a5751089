#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <atomic>
#include <utility>

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VK_THREAD_SANITIZER
#endif
#endif
#if defined(__SANITIZE_THREAD__) && !defined(VK_THREAD_SANITIZER)
#define VK_THREAD_SANITIZER
#endif
#ifdef VK_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#endif

// Every call the bus queues from one thread into another, and every wait for one of its threads to
// end, goes through here.
namespace event_topics {

#ifdef VK_THREAD_SANITIZER
// Qt hands a queued call over through its event queue, whose locks live inside the (uninstrumented)
// Qt library, so ThreadSanitizer cannot see that building the call happens before running it. This
// wrapper states it explicitly: moving the call into Qt's slot object releases, running it acquires
// (and releases again for a caller that waits for it), destroying it acquires.
template<class Call> class SanitizedCall
{
public:
    // The pointer is only ever stored atomically (initialising a std::atomic is a plain write):
    // the thread that runs the call reads it before it can acquire anything.
    explicit SanitizedCall(Call call)
    {
        Call *box = new Call(std::move(call));
        m_call.store(box);
        __tsan_release(box);
    }
    SanitizedCall(SanitizedCall &&other) noexcept
    {
        Call *box = other.m_call.exchange(nullptr);
        m_call.store(box);
        if (box)
            __tsan_release(box);
    }
    SanitizedCall(const SanitizedCall &) = delete;
    SanitizedCall &operator=(const SanitizedCall &) = delete;
    SanitizedCall &operator=(SanitizedCall &&) = delete;
    ~SanitizedCall()
    {
        if (Call *call = m_call.load()) {
            __tsan_acquire(call);
            delete call;
        }
    }

    void operator()() const
    {
        Call *call = m_call.load();
        __tsan_acquire(call);
        (*call)();
        __tsan_release(call);
    }

private:
    std::atomic<Call *> m_call;
};

template<class Call> SanitizedCall<Call> handOver(Call call)
{
    return SanitizedCall<Call>(std::move(call));
}
#else
// Without ThreadSanitizer the call is handed over as it is.
template<class Call> Call handOver(Call call)
{
    return call;
}
#endif

// Queues `call` into the thread of `target` (QueuedConnection) or runs it there and waits
// (BlockingQueuedConnection). Returns false when Qt refuses, as QMetaObject::invokeMethod does.
#ifdef VK_THREAD_SANITIZER
// A blocking queued call made of visible parts: Qt's own blocking call returns through a semaphore
// and reads the caller's stack after the call, both out of ThreadSanitizer's sight. The caller
// waits on a standard condition instead, signalled when the call has been destroyed (run or not).
template<class Call> class BlockingCall
{
public:
    struct Completion
    {
        std::mutex mutex;
        std::condition_variable condition;
        bool finished = false;
    };

    BlockingCall(Call call, std::shared_ptr<Completion> completion)
        : m_call(std::move(call)), m_completion(std::move(completion))
    { }
    BlockingCall(BlockingCall &&other) noexcept
        : m_call(std::move(other.m_call)), m_completion(std::move(other.m_completion))
    { }
    BlockingCall(const BlockingCall &) = delete;
    BlockingCall &operator=(const BlockingCall &) = delete;
    BlockingCall &operator=(BlockingCall &&) = delete;
    ~BlockingCall()
    {
        if (!m_completion)
            return;
        std::lock_guard lock(m_completion->mutex);
        m_completion->finished = true;
        m_completion->condition.notify_all();
    }

    void operator()() const { m_call(); }

private:
    Call m_call;
    std::shared_ptr<Completion> m_completion;
};
#endif

template<class Call> bool queueCall(QObject *target, Call call, Qt::ConnectionType type = Qt::QueuedConnection)
{
#ifdef VK_THREAD_SANITIZER
    if (type == Qt::BlockingQueuedConnection) {
        if (target->thread() == QThread::currentThread())
            return false; // would wait for itself
        auto completion = std::make_shared<typename BlockingCall<Call>::Completion>();
        if (!QMetaObject::invokeMethod(
                target, handOver(BlockingCall<Call>(std::move(call), completion)), Qt::QueuedConnection))
            return false;
        std::unique_lock lock(completion->mutex);
        completion->condition.wait(lock, [&completion] { return completion->finished; });
        return true;
    }
#endif
    return QMetaObject::invokeMethod(target, handOver(std::move(call)), type);
}

// Call right after creating `thread` (before it can end): lets waitForThreadEnd(thread) see all that
// the thread did. QThread::wait() synchronises inside Qt, which ThreadSanitizer cannot see.
inline void watchThreadEnd(QThread *thread)
{
#ifdef VK_THREAD_SANITIZER
    // `finished` is emitted by the ending thread itself, after its event loop has returned.
    QObject::connect(
        thread, &QThread::finished, thread, [thread]() { __tsan_release(thread); }, Qt::DirectConnection);
#else
    Q_UNUSED(thread);
#endif
}

// Waits without limit for `thread` to end.
inline void waitForThreadEnd(QThread *thread)
{
    thread->wait();
#ifdef VK_THREAD_SANITIZER
    __tsan_acquire(thread);
#endif
}

} // namespace event_topics
