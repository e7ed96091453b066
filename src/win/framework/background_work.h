// Work on a thread of its own whose end is told to the window that started it, on that window's
// thread. The window owns this object and routes its messages through it first; this object owns
// the thread and joins it when it goes, so whatever the work uses must outlive the window.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace qv::win {

class Window;

class BackgroundWork {
 public:
  using Poster = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

  // owner gets doneMessage when the work has ended. While it runs, the session is held open with
  // shutdownReason as the reason the system shows. post is PostMessageW but in tests.
  BackgroundWork(const Window& owner, UINT doneMessage, std::wstring shutdownReason,
                 Poster post = ::PostMessageW);
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;
  ~BackgroundWork();

  // Runs work on its own thread. done(failure) then runs on the owner's thread, always, and never
  // before the handler that called Start has returned; failure is what the work raised (null when
  // nothing). Raises, and starts nothing, when work is still pending or no thread can be had.
  void Start(std::function<void()> work, std::function<void(std::exception_ptr)> done);
  // From Start until done has run.
  bool Pending() const { return static_cast<bool>(done_); }

  // The owner's messages: the result when this object answered the message, nullopt when the
  // owner handles it as it would without this object.
  std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  void Finish();
  void StopWatching();

  const Window& owner_;
  const UINT doneMessage_;
  const std::wstring shutdownReason_;
  const Poster post_;
  HWND notified_ = nullptr;
  std::thread thread_;
  std::function<void(std::exception_ptr)> done_;
  // Written by the thread before finished_ is set, read here only after.
  std::exception_ptr failure_;
  std::atomic<bool> finished_{false};
};

}  // namespace qv::win
