// Our shortcut past the system's command-line splitter, checked against the splitter itself:
// wherever we take a line for the program's name alone, the system finds no argument in it.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string_view>

#include "app/command_line.h"
#include "win/framework/handles.h"

namespace qv::win {
namespace {

int SystemArgumentCount(const wchar_t* line) {
  int count = -1;
  const UniqueAny<LPWSTR*, ::LocalFree> argv(CommandLineToArgvW(line, &count));
  EXPECT_TRUE(argv) << GetLastError();
  return count;
}

TEST(CommandLineSplit, ANameAloneIsWhatTheSystemSplitsIntoOneArgument) {
  const wchar_t* const lines[] = {
      L"qvsetshare.exe",
      L"qvsetshare.exe \t ",
      L"\"C:\\Program Files\\qv\\qvsetshare.exe\"",
      L"\"C:\\Program Files\\qv\\qvsetshare.exe\"   ",
      L"\"Z:\\\\server\\share\\qv.exe\"\t",
      L"\"\"",
      L"C:\\qv\\qvsetshare.exe /quiet",
      L"qvsetshare.exe \"\"",
      L"\"C:\\a b\\qv.exe\" /path x",
      L"\"C:\\a b\\qv.exe\"x",
      L"\"C:\\a b\\qv.exe",
      L"qv\"a b\".exe x",
      L" qvsetshare.exe",
      L"\tqvsetshare.exe /quiet",
  };
  int alone = 0;
  for (const wchar_t* line : lines) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(line)));
    if (NamesOnlyTheProgram(std::wstring_view(line))) {
      EXPECT_EQ(SystemArgumentCount(line), 1);
      ++alone;
    }
  }
  EXPECT_EQ(alone, 6);  // the table's first six lines
}

}  // namespace
}  // namespace qv::win
