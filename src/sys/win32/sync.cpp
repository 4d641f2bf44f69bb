#include "sys/win32/sync.h"
// clang-format off
#include <windows.h>
// clang-format on

namespace sys {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*),
              "the storage of Mutex and Condition");

void Mutex::lock() {
  AcquireSRWLockExclusive(static_cast<PSRWLOCK>(native()));
}

void Mutex::unlock() {
  ReleaseSRWLockExclusive(static_cast<PSRWLOCK>(native()));
}

bool Mutex::try_lock() {
  return TryAcquireSRWLockExclusive(static_cast<PSRWLOCK>(native())) != 0;
}

void Condition::notify_one() {
  WakeConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&condition_));
}

void Condition::notify_all() {
  WakeAllConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&condition_));
}

void Condition::WaitFor(std::unique_lock<Mutex>& lock, long long ms) {
  const DWORD limit = ms < 0 ? INFINITE : ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
  SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&condition_),
                            static_cast<PSRWLOCK>(lock.mutex()->native()), limit, 0);
}

}  // namespace sys
