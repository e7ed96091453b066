// Files on a share, opened by their UNC path with the caller's own logon: the redirector
// connects to the server as the logged-on user when the path is first opened.
#pragma once

#include "reach/save_trial.h"
#include "win/framework/handles.h"

namespace qv::win {

class WinShareFiles : public IShareFiles {
 public:
  std::uint32_t Create(const AnsiString& path) override;
  std::uint32_t Write(const std::vector<std::uint8_t>& data) override;
  std::uint32_t ReadBack(std::size_t size, std::vector<std::uint8_t>& into) override;
  void Close() override;
  std::uint32_t Remove(const AnsiString& path) override;
  double Seconds() override;
  AnsiString UniqueFileName() override;
  AnsiString SystemText(std::uint32_t code) override;

 private:
  UniqueHandle file_;
};

}  // namespace qv::win
