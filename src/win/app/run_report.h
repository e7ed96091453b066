// Where an unattended run tells what happens: the console it was started from (wide output, so
// Japanese shows under any console code page), or standard output when that is a file or a pipe
// (in the console's output code page, else the OEM one), and the log file when one was asked for
// (appended, UTF-8, each line with the local time).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/unattended.h"
#include "win/framework/handles.h"

namespace qv::win {

class RunReport : public IRunReport {
 public:
  RunReport();
  // Opens (or creates) the log for appending; false when it cannot be opened.
  bool OpenLog(const std::wstring& path);
  // Whether anything reaches a console or standard output.
  bool HasOutput() const { return console_ != nullptr || redirected_ != nullptr; }

  void Tell(const AnsiString& text) override;
  // A line for the log alone (the exit code at the end of a run).
  void LogOnly(const AnsiString& text);

 private:
  void WriteLine(const AnsiString& line);
  void Log(const AnsiString& line);

  HANDLE redirected_ = nullptr;  // standard output, a file or a pipe; not ours to close
  UniqueHandle consoleOut_;      // the parent's console
  HANDLE console_ = nullptr;
  UniqueHandle log_;
};

}  // namespace qv::win
