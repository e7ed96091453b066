#include "win/framework/background_work.h"

#include <utility>

#include "framework/errors.h"
#include "win/framework/os_error.h"
#include "win/framework/window.h"

namespace qv::win {

namespace {
// A posted notice can be lost (a full message queue refuses it); the timer finds the ended work
// all the same. WM_TIMER is made when the queue is read, so a full queue does not stop it.
constexpr UINT_PTR kWatchTimer = 0x7157;
constexpr UINT kWatchInterval = 500;  // ms
}  // namespace

BackgroundWork::BackgroundWork(const Window& owner, UINT doneMessage, std::wstring shutdownReason,
                               Poster post)
    : owner_(owner),
      doneMessage_(doneMessage),
      shutdownReason_(std::move(shutdownReason)),
      post_(post) {}

BackgroundWork::~BackgroundWork() {
  if (thread_.joinable()) thread_.join();
  if (done_) StopWatching();
}

void BackgroundWork::Start(std::function<void()> work,
                           std::function<void(std::exception_ptr)> done) {
  if (done_) throw Exception("The background work is still running");
  HWND window = owner_.Handle();
  if (!SetTimer(window, kWatchTimer, kWatchInterval, nullptr)) RaiseLastOSError();
  // Only the reason the system shows is lost if this fails: the session is still held open by
  // the answer to WM_QUERYENDSESSION.
  ShutdownBlockReasonCreate(window, shutdownReason_.c_str());
  notified_ = window;
  finished_ = false;
  failure_ = nullptr;
  try {
    thread_ = std::thread([this, window, work = std::move(work)] {
      try {
        work();
      } catch (...) {
        failure_ = std::current_exception();
      }
      finished_ = true;
      post_(window, doneMessage_, 0, 0);
    });
  } catch (...) {
    StopWatching();
    throw;
  }
  done_ = std::move(done);
}

void BackgroundWork::StopWatching() {
  KillTimer(notified_, kWatchTimer);
  ShutdownBlockReasonDestroy(notified_);
}

void BackgroundWork::Finish() {
  if (!done_ || !finished_) return;
  if (thread_.joinable()) thread_.join();
  StopWatching();
  std::function<void(std::exception_ptr)> done = std::exchange(done_, nullptr);
  done(std::exchange(failure_, nullptr));
}

std::optional<LRESULT> BackgroundWork::HandleMessage(UINT msg, WPARAM wp, LPARAM /*lp*/) {
  if (msg == doneMessage_ || (msg == WM_TIMER && wp == kWatchTimer)) {
    // A notice of an earlier run that the timer already finished finds nothing pending.
    Finish();
    return 0;
  }
  if (msg == WM_QUERYENDSESSION && done_) return FALSE;
  // The session may end as soon as this message has been answered: the work ends first. Its
  // outcome is told only if the session goes on after all.
  if (msg == WM_ENDSESSION && wp && thread_.joinable()) thread_.join();
  return std::nullopt;
}

}  // namespace qv::win
