// The text form of a folder's list that /remove tells before it changes anything, made by the real
// advapi32: what support reads back with the system's own parser must be the list as it was, its
// protection included.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "security/dacl.h"
#include "security/sid.h"
#include "win/app/win_share_removal.h"
#include "win/framework/cp932.h"

namespace qv {
namespace {

Bytes RealSid(const wchar_t* text) {
  PSID sid = nullptr;
  EXPECT_TRUE(ConvertStringSidToSidW(text, &sid)) << GetLastError();
  if (!sid) return {};
  Bytes bytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
  LocalFree(sid);
  return bytes;
}

struct ReadBack {
  bool parsed = false;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  Bytes dacl;
};

// The text parsed by the system, as support would put it back.
ReadBack Parse(const AnsiString& text) {
  ReadBack back;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(win::ToWide(text).c_str(),
                                                            SDDL_REVISION_1, &sd, nullptr)) {
    return back;
  }
  DWORD revision = 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  back.parsed = GetSecurityDescriptorControl(sd, &back.control, &revision) &&
                GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) && present && dacl;
  if (back.parsed) {
    back.dacl.assign(reinterpret_cast<BYTE*>(dacl), reinterpret_cast<BYTE*>(dacl) + dacl->AclSize);
  }
  LocalFree(sd);
  return back;
}

TEST(ShareRemovalPlatformTest, TheListIsToldSoThatItCanBePutBack) {
  const Sid everyone = EveryoneSid(), system(RealSid(L"S-1-5-18")),
            admins(RealSid(L"S-1-5-32-544")), users(RealSid(L"S-1-5-32-545"));
  struct Case {
    const char* why;
    std::vector<AccessEntry> entries;
    std::uint16_t control;
    AnsiString text;
  } cases[] = {
      {"the share job's entry alone",
       {AccessEntry(ace::kAccessAllowed, 0x03, 0x001F01FF, everyone)},
       0x8004,
       "D:(A;OICI;FA;;;WD)"},
      {"protected and auto-inherited",
       {AccessEntry(ace::kAccessAllowed, 0x03, 0x001F01FF, everyone)},
       0x9404,
       "D:PAI(A;OICI;FA;;;WD)"},
      {"inherited entries and a deny, in their order",
       {AccessEntry(ace::kAccessDenied, 0x00, 0x001F01FF, users),
        AccessEntry(ace::kAccessAllowed, 0x03, 0x001F01FF, everyone),
        AccessEntry(ace::kAccessAllowed, 0x13, 0x001F01FF, system),
        AccessEntry(ace::kAccessAllowed, 0x13, 0x001F01FF, admins)},
       0x8404,
       "D:AI(D;;FA;;;BU)(A;OICI;FA;;;WD)(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)"},
  };
  win::WinShareRemoval removal;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Bytes bytes;
    {
      // Built in the stored order, not the order an insertion would choose.
      Bytes header = {2, 0, 0, 0, static_cast<std::uint8_t>(c.entries.size()), 0, 0, 0};
      bytes = header;
      for (const AccessEntry& entry : c.entries) {
        bytes.insert(bytes.end(), entry.View().begin(), entry.View().end());
      }
      bytes[2] = static_cast<std::uint8_t>(bytes.size() & 0xFF);
      bytes[3] = static_cast<std::uint8_t>(bytes.size() >> 8);
    }
    const AnsiString text = removal.DaclText(c.control, bytes);
    EXPECT_EQ(text, c.text);
    const ReadBack back = Parse(text);
    ASSERT_TRUE(back.parsed);
    EXPECT_EQ(back.dacl, bytes);
    EXPECT_EQ(back.control & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED),
              c.control & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED));
  }
}

TEST(ShareRemovalPlatformTest, BytesThatAreNoListGiveNoText) {
  win::WinShareRemoval removal;
  const Bytes tooShort = {2, 0, 8, 0};
  const Bytes sizeBeyondBytes = {2, 0, 0x40, 0, 1, 0, 0, 0};
  for (const Bytes& bytes : {tooShort, sizeBeyondBytes, Bytes{}}) {
    EXPECT_EQ(removal.DaclText(0x8004, bytes), "");
  }
}

}  // namespace
}  // namespace qv
