// Where an unattended run tells what happens: the console it was started from (wide output, so
// Japanese shows under any console code page), or standard output when that is a file or a pipe
// (in the console's output code page, else the OEM one), and the log file when one was asked for
// (appended, UTF-8, each line with the local time). Standard output counts as redirected when it
// is anything but a console: a file, a pipe, or a device such as NUL.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/log_header.h"
#include "app/unattended.h"
#include "win/framework/handles.h"

namespace qv::win {

class RunReport : public IRunReport {
 public:
  RunReport();
  // Opens (or creates) the log for appending, starting a new or empty one with a UTF-8
  // byte-order mark; false when it cannot be opened.
  bool OpenLog(const std::wstring& path);
  // Whether anything reaches a console or standard output.
  bool HasOutput() const { return console_ != nullptr || redirected_ != nullptr; }
  // Whether standard output goes somewhere other than a console.
  bool IsRedirected() const { return redirected_ != nullptr; }

  void Tell(const AnsiString& text) override;
  // A line for the log alone (the exit code at the end of a run).
  void LogOnly(const AnsiString& text) override;

 private:
  void WriteLine(const AnsiString& line);
  void Log(const AnsiString& line);

  HANDLE redirected_ = nullptr;  // standard output, a file or a pipe; not ours to close
  UniqueHandle consoleOut_;      // the parent's console
  HANDLE console_ = nullptr;
  UniqueHandle log_;
};

// What the log's first line tells about this run; arguments as the system split them.
RunFacts GatherRunFacts(const std::vector<std::wstring>& arguments);

}  // namespace qv::win
