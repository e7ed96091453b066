// The private SMB server of the round-trip tests, seen from a test program under Wine. The server
// itself and every request to it are handled by tests/e2e/smb/smb_server.py, a Unix program: ctest
// starts the server once before these tests and stops it after them (fixture e2e.smb.Server*).
//
// A Windows process cannot wait for a Unix process it starts under Wine (the handle Wine gives for
// it is never signalled), so a request is a file the helper answers with a second file, which it
// renames into place only once it is complete.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"

namespace qv::e2e {

inline std::wstring SmbStateDir() { return FromUnixPath(Utf8ToWide(QV_SMB_STATE_DIR)); }

// "key=value" lines (UTF-8) up to a line "transcript"; what follows that line is the transcript.
struct ServerAnswer {
  std::map<std::string, std::string> fields;
  std::string transcript;

  std::string Field(const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? std::string() : it->second;
  }
};

inline ServerAnswer ParseServerAnswer(const std::string& text) {
  ServerAnswer answer;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line == "transcript") {
      answer.transcript.assign(std::istreambuf_iterator<char>(in), {});
      break;
    }
    auto eq = line.find('=');
    if (eq != std::string::npos) answer.fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return answer;
}

// What start wrote about the server: available=1 with its port and client user, or available=0
// with the reason; nothing when the fixture has not run.
inline std::optional<std::map<std::string, std::string>> SmbServerState() {
  std::ifstream in(WideToUtf8(SmbStateDir() + L"\\state.txt").c_str(), std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return ParseServerAnswer(text.str()).fields;
}

inline bool InContinuousIntegration() {
  wchar_t value[16] = {};
  DWORD n = GetEnvironmentVariableW(L"CI", value, 16);
  return n > 0 && n < 16 && _wcsicmp(value, L"true") == 0;
}

using ServerRequest = std::vector<std::pair<std::string, std::string>>;  // UTF-8, in order

// Hands one request to the helper and waits for its answer. A helper that cannot be started or
// does not answer gives an answer with an "error" field.
inline ServerAnswer AskSmbServer(const ServerRequest& request, DWORD timeoutMs = 120000) {
  static int sequence = 0;
  std::string name = "request-" + std::to_string(GetCurrentProcessId()) + "-" +
                     std::to_string(++sequence) + ".txt";
  std::string unixRequest = std::string(QV_SMB_STATE_DIR) + "/" + name;
  std::wstring requestPath = FromUnixPath(Utf8ToWide(unixRequest));
  std::wstring answerPath = requestPath + L".out";
  DeleteFileW(answerPath.c_str());
  {
    std::ofstream out(WideToUtf8(requestPath).c_str(), std::ios::binary);
    for (const auto& [key, value] : request) out << key << '=' << value << '\n';
    if (!out) return {{{"error", "cannot write " + unixRequest}}, {}};
  }
  try {
    Process::Start(L"Z:\\usr\\bin\\python3",
                   {Utf8ToWide(QV_SMB_SERVER_SCRIPT), L"serve", Utf8ToWide(QV_SMB_STATE_DIR),
                    Utf8ToWide(unixRequest)});
  } catch (const DriverError& e) {
    return {{{"error", std::string("cannot start the helper: ") + e.what()}}, {}};
  }
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    std::ifstream in(WideToUtf8(answerPath).c_str(), std::ios::binary);
    if (in) {
      std::stringstream text;
      text << in.rdbuf();
      return ParseServerAnswer(text.str());
    }
    Sleep(50);
  }
  return {{{"error", "no answer to " + unixRequest}}, {}};
}

}  // namespace qv::e2e
