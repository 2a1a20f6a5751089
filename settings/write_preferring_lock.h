#pragma once

#include <mutex>
#include <shared_mutex>

namespace settings {

// A read/write lock on which a waiting writer stops new readers from entering, so a steady
// stream of readers cannot hold a change back (std::shared_mutex on glibc prefers readers).
// Built from standard locks only, so ThreadSanitizer sees every hand-over (it cannot see inside
// QReadWriteLock, whose fast paths are atomics in the uninstrumented Qt library).
// Meets the SharedMutex requirements: use it with std::unique_lock and std::shared_lock.
class WritePreferringLock
{
public:
    void lock()
    {
        const std::lock_guard<std::mutex> turn(m_turnstile);
        m_lock.lock();
    }
    bool try_lock() { return m_lock.try_lock(); }
    void unlock() { m_lock.unlock(); }

    void lock_shared()
    {
        {
            const std::lock_guard<std::mutex> turn(m_turnstile);
        }
        m_lock.lock_shared();
    }
    bool try_lock_shared() { return m_lock.try_lock_shared(); }
    void unlock_shared() { m_lock.unlock_shared(); }

private:
    std::mutex m_turnstile; // held by a writer while it waits for the readers inside to leave
    std::shared_mutex m_lock;
};

} // namespace settings
