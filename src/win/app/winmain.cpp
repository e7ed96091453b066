// Entry point of qvsetshare.exe: the composition root. It builds the Windows implementations of
// the core's platform interfaces, hosts the dialog and hands control to the start-up logic.
#include <windows.h>

#include <memory>
#include <optional>

#include "app/startup.h"
#include "security/folder_grant.h"
#include "win/app/set_share_window.h"
#include "win/dialog/win_folder_browser_platform.h"
#include "win/dialog/win_probe_platform.h"
#include "win/dialog/win_share_platform.h"
#include "win/framework/application.h"
#include "win/framework/cp932.h"
#include "win/security/win_folder_security.h"

namespace qv::win {
namespace {

class WinStartupHost : public IStartupHost {
 public:
  MutexCreation CreateSingleInstanceMutex(const AnsiString& name) override {
    // One call that both creates and tells whether it existed: two copies started at the same
    // instant cannot both miss each other.
    HANDLE h = CreateMutexW(nullptr, FALSE, ToWide(name).c_str());
    if (!h) return MutexCreation::mcFailed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(h);
      return MutexCreation::mcAlreadyExists;
    }
    guard_ = h;  // held until the process ends; the system closes it then
    return MutexCreation::mcCreated;
  }

  void InitializeApplication(const AnsiString& title) override {
    Application::Instance().SetTitle(title);
  }

  TfmSetShare& CreateMainForm() override {
    window_.CreateWindowAndControls();
    form_.emplace(window_, Application::Instance(), probes_, shares_, browser_,
                  [&folderSecurity = folderSecurity_](const AnsiString& path) {
                    return GrantEveryoneFullControl(folderSecurity, path);
                  });
    window_.Bind(&*form_);
    form_->FormCreate();
    return *form_;
  }

  void RunMessageLoop() override {
    window_.ShowFirstTime();
    Application::Instance().Run(window_);
  }

  void ShowApplicationError(const std::exception& error) override {
    Application::Instance().ShowLastResortError(error);
  }

 private:
  HANDLE guard_ = nullptr;
  WinProbePlatform probes_;
  WinSharePlatform shares_;
  WinFolderBrowserPlatform browser_;
  WinFolderSecurity folderSecurity_;
  SetShareWindow window_;
  std::optional<TfmSetShare> form_;
};

}  // namespace
}  // namespace qv::win

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  qv::win::WinStartupHost host;
  return qv::RunStartup(host, qv::win::Application::Instance());
}
