// Entry point of qvsetshare.exe: the composition root. It builds the Windows implementations of
// the core's platform interfaces, hosts the dialog and hands control to the start-up logic.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/log_header.h"
#include "app/share_check.h"
#include "app/share_removal.h"
#include "app/startup.h"
#include "app/unattended.h"
#include "framework/errors.h"
#include "reach/probe.h"
#include "reach/reach_run.h"
#include "win/app/run_report.h"
#include "win/app/share_dialog_window.h"
#include "win/app/win_share_lookup.h"
#include "win/app/win_share_removal.h"
#include "win/dialog/win_folder_browser_platform.h"
#include "win/dialog/win_probe_platform.h"
#include "win/framework/application.h"
#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"
#include "win/framework/message_box_window.h"
#include "win/reach/win_reach_platform.h"
#include "win/reach/win_share_files.h"
#include "win/security/win_folder_security.h"
#include "win/share/win_share_platform.h"

namespace qv::win {
namespace {

class WinSingleInstance : public ISingleInstance {
 public:
  MutexCreation CreateSingleInstanceMutex(const AnsiString& name) override {
    // One call that both creates and tells whether it existed: two copies started at the same
    // instant cannot both miss each other.
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, ToWide(name).c_str()));
    if (!mutex) return MutexCreation::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return MutexCreation::AlreadyExists;
    guard_ = std::move(mutex);  // held for the whole run
    return MutexCreation::Created;
  }

 private:
  UniqueHandle guard_;
};

class WinStartupHost : public IStartupHost {
 public:
  MutexCreation CreateSingleInstanceMutex(const AnsiString& name) override {
    return instance_.CreateSingleInstanceMutex(name);
  }

  void InitializeApplication(const AnsiString& title) override {
    Application::Instance().SetTitle(title);
  }

  ShareDialog& CreateMainForm() override {
    form_.emplace(window_, Application::Instance(), probes_, browser_, job_, reach_, shareFiles_);
    window_.Bind(&*form_);
    window_.CreateWindowAndControls();  // runs the form's creation handler
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
  WinSingleInstance instance_;
  WinProbePlatform probes_;
  WinSharePlatform shares_;
  WinFolderBrowserPlatform browser_;
  WinFolderSecurity folderSecurity_;
  ShareSetup job_{shares_, folderSecurity_};
  WinReachPlatform reach_;
  WinShareFiles shareFiles_;
  // The logic before its window: the window goes first and joins the work, which runs on the
  // logic and the platforms above.
  std::optional<ShareDialog> form_;
  ShareDialogWindow window_;
};

// The arguments after the program's name, split by the system's own rules (quotes, backslashes).
// The usual start (from Explorer or the Start menu) has none; only a line with more than the name
// loads the shell's library, which would otherwise delay the dialog.
std::vector<std::wstring> Arguments() {
  const wchar_t* line = GetCommandLineW();
  if (NamesOnlyTheProgram(std::wstring_view(line))) return {};
  int count = 0;
  // One block from LocalAlloc holds the pointers and the texts.
  const UniqueAny<LPWSTR*, ::LocalFree> argv(
      QV_LAZY("shell32.dll", CommandLineToArgvW)(line, &count));
  if (!argv) return {};
  return std::vector<std::wstring>(argv.get() + (count > 0 ? 1 : 0), argv.get() + count);
}

std::optional<AnsiString> ToCp932(const std::optional<std::wstring>& text) {
  if (!text) return std::nullopt;
  return ToAnsi(*text);
}

// The usage, printed where the run has output. A box shows it too where the run has no output,
// or for /? asked for at a console; never when standard output is redirected, where a box would
// hold up the script that asked for the usage.
int ShowUsage(const AnsiString& error, RunReport& report) {
  AnsiString text = error.empty() ? AnsiString(kUsageText) : error + "\r\r" + kUsageText;
  report.Tell(text);
  if (!report.IsRedirected() && (!report.HasOutput() || error.empty())) {
    MessageBoxLayout layout = BuildMessageBox(MessageKind::Information, MessageButton::Ok);
    // The usage is laid out in columns.
    layout.fixedPitch = true;
    ShowMessageBox(text, layout);
  }
  return error.empty() ? kExitDone : kExitUsage;
}

int RunCommandLine(const CommandLine<std::wstring>& commandLine,
                   const std::vector<std::wstring>& arguments) {
  RunReport report;
  if (commandLine.mode == RunMode::Usage) {
    std::optional<AnsiString> culprit;
    if (commandLine.culprit) culprit = ToAnsi(*commandLine.culprit);
    return ShowUsage(UsageErrorText(commandLine.error, culprit), report);
  }
  // A log that cannot be written is found out before anything is done.
  if (commandLine.log && !report.OpenLog(*commandLine.log)) {
    return ShowUsage("ログファイルを開けません。", report);
  }
  report.LogOnly(LogHeaderLine(GatherRunFacts(arguments)));
  WinFolderSecurity folderSecurity;
  WinSystemTexts texts;
  int code = kExitUsage;
  if (commandLine.mode == RunMode::Quiet) {
    QuietRequest request{ToCp932(commandLine.path).value_or(""),
                         ToCp932(commandLine.name).value_or(""), commandLine.yes};
    WinSingleInstance instance;
    WinProbePlatform probes;
    WinSharePlatform shares;
    ShareSetup job(shares, folderSecurity);
    code = RunQuietShare(request, instance, probes, job, report);
    if (code == kExitDone) {
      // The name as the job shared it (trimmed).
      const AnsiString shared = PrepareShareRequest(request.path, request.name).name;
      WinReachPlatform reach;
      WinShareFiles files;
      TellReachAfterQuietShare(shared, commandLine.yes, reach, files, report);
    }
  } else if (commandLine.mode == RunMode::Check) {
    WinShareLookup lookup;
    const AnsiString name = ToCp932(commandLine.name).value_or("");
    code = RunShareCheck(name, lookup, folderSecurity, texts, report);
    WinReachPlatform reach;
    WinShareFiles files;
    code = TellReachAfterCheck(code, name, reach, files, report);
  } else if (commandLine.mode == RunMode::Probe) {
    WinShareFiles files;
    code = RunProbe(ToCp932(commandLine.probe).value_or(""), files, report);
  } else if (commandLine.mode == RunMode::Remove) {
    WinShareRemoval removal;
    code = RunShareRemoval({ToCp932(commandLine.name).value_or(""), commandLine.yes}, removal,
                           folderSecurity, Application::Instance(), texts, report);
  }
  report.LogOnly(Format("終了コード: %d", code));
  return code;
}

}  // namespace
}  // namespace qv::win

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The program runs as administrator: every library loaded from here on (the shell's helpers,
  // COM servers, the network library bound at first use) comes from the system folder only, never
  // from the program's own folder or the current folder, where anyone could have put one.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  qv::CommandLine<std::wstring> commandLine;
  std::vector<std::wstring> arguments;
  try {
    arguments = qv::win::Arguments();
    commandLine = qv::ParseCommandLine(arguments);
  } catch (const std::exception& error) {
    // The shell's library, bound when there are arguments to split, could not be loaded.
    qv::win::Application::Instance().ShowLastResortError(error);
    return qv::kExitUsage;
  }
  if (commandLine.mode != qv::RunMode::Dialog) {
    return qv::win::RunCommandLine(commandLine, arguments);
  }
  qv::win::WinStartupHost host;
  return qv::RunStartup(host, qv::win::Application::Instance(),
                        {qv::win::ToCp932(commandLine.path), qv::win::ToCp932(commandLine.name)});
}
