// Scope guards for the framework's reader-writer lock: the lock is released
// on every way out of the scope, an exception included.
#pragma once

#include "TCFramework.h"

namespace tvav {

class TCReadLockGuard {
public:
    explicit TCReadLockGuard(TCRWLock& lock) : m_lock(lock) { m_lock.RLock(); }
    ~TCReadLockGuard() { m_lock.RUnlock(); }
    TCReadLockGuard(const TCReadLockGuard&) = delete;
    TCReadLockGuard& operator=(const TCReadLockGuard&) = delete;

private:
    TCRWLock& m_lock;
};

class TCWriteLockGuard {
public:
    explicit TCWriteLockGuard(TCRWLock& lock) : m_lock(lock) { m_lock.WLock(); }
    ~TCWriteLockGuard() { m_lock.WUnlock(); }
    TCWriteLockGuard(const TCWriteLockGuard&) = delete;
    TCWriteLockGuard& operator=(const TCWriteLockGuard&) = delete;

private:
    TCRWLock& m_lock;
};

}  // namespace tvav
