// Waiting in Windows-layer tests for what another thread tells through this thread's queue.
#pragma once

#include <windows.h>

#include <functional>

#include "win/framework/handles.h"

namespace qv::win {

// Runs this thread's messages until ready() or the time is up; ready() at the end.
inline bool PumpUntil(const std::function<bool()>& ready, DWORD timeoutMs = 5000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!ready() && GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return ready();
}

// A door another thread waits at until the test opens it.
struct Gate {
  UniqueHandle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  void Open() const { SetEvent(event.get()); }
  void Wait() const { WaitForSingleObject(event.get(), 10000); }
};

}  // namespace qv::win
