// Recursive mutex shared by all size controllers: a counting semaphore of
// initial count 1, an owner thread and a depth. The owner may lock again;
// unlock by a thread that does not own it does nothing.
#pragma once

#include <pthread.h>

#include <atomic>

#include "TCFramework.h"

class TCMutex {
public:
    TCMutex() = default;
    TCMutex(const TCMutex&) = delete;
    TCMutex& operator=(const TCMutex&) = delete;

    bool Create() { return m_sem.Create(1); }
    bool FlagCreate() const { return m_sem.FlagCreate(); }

    void Lock() {
        if (!FlagCreate()) {
            _TCAssert("FlagCreate() == true", __FILE__, __LINE__);
            return;
        }
        const pthread_t self = pthread_self();
        if (m_bOwned.load(std::memory_order_acquire) && pthread_equal(m_owner.load(std::memory_order_relaxed), self)) {
            ++m_depth;
            return;
        }
        m_sem.Take();
        m_owner.store(self, std::memory_order_relaxed);
        m_bOwned.store(true, std::memory_order_release);
        m_depth = 1;
    }

    void Unlock() {
        if (!FlagCreate()) {
            _TCAssert("FlagCreate() == true", __FILE__, __LINE__);
            return;
        }
        if (!IsOwner()) {
            return;
        }
        if (--m_depth == 0) {
            m_bOwned.store(false, std::memory_order_release);
            m_sem.Give();
        }
    }

    // True when the calling thread holds the mutex.
    bool IsOwner() const {
        return m_bOwned.load(std::memory_order_acquire) &&
               pthread_equal(m_owner.load(std::memory_order_relaxed), pthread_self());
    }
    int Depth() const { return IsOwner() ? m_depth : 0; }

private:
    TCSemaphore m_sem;
    // Only the owner writes these while it holds the semaphore; other threads
    // read them to find out they are not the owner.
    std::atomic<pthread_t> m_owner{};
    std::atomic<bool> m_bOwned{false};
    int m_depth = 0;
};

// Holds a TCMutex for a scope.
class TCMutexGuard {
public:
    explicit TCMutexGuard(TCMutex* mutex) : m_mutex(mutex) {
        if (m_mutex != nullptr) {
            m_mutex->Lock();
        }
    }
    ~TCMutexGuard() {
        if (m_mutex != nullptr) {
            m_mutex->Unlock();
        }
    }
    TCMutexGuard(const TCMutexGuard&) = delete;
    TCMutexGuard& operator=(const TCMutexGuard&) = delete;

private:
    TCMutex* m_mutex;
};
