// The share's security descriptor, as our model builds it, handed to the real advapi32 under
// Wine: the functions the server service relies on must take it as a valid self-relative
// descriptor of one Everyone full-control entry.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "security/share_descriptor.h"

namespace qv {
namespace {

TEST(SecurityShareDescriptorTest, TheRealFunctionsReadOneEveryoneFullControlEntry) {
  std::vector<std::uint8_t> bytes = ShareDescriptorEveryoneFullControl();
  const PSECURITY_DESCRIPTOR sd = bytes.data();

  ASSERT_TRUE(IsValidSecurityDescriptor(sd));
  EXPECT_EQ(GetSecurityDescriptorLength(sd), bytes.size());

  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision)) << GetLastError();
  EXPECT_EQ(control, SE_DACL_PRESENT | SE_SELF_RELATIVE);
  EXPECT_EQ(revision, static_cast<DWORD>(SECURITY_DESCRIPTOR_REVISION));

  PSID owner = &owner, group = &group;  // anything but null, so that null is the answer
  BOOL defaulted = TRUE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(sd, &owner, &defaulted));
  EXPECT_EQ(owner, nullptr);
  ASSERT_TRUE(GetSecurityDescriptorGroup(sd, &group, &defaulted));
  EXPECT_EQ(group, nullptr);

  BOOL present = FALSE;
  PACL dacl = nullptr;
  defaulted = TRUE;
  ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted)) << GetLastError();
  EXPECT_TRUE(present);
  EXPECT_FALSE(defaulted);
  ASSERT_NE(dacl, nullptr);
  ASSERT_TRUE(IsValidAcl(dacl));
  ACL_SIZE_INFORMATION info{};
  ASSERT_TRUE(GetAclInformation(dacl, &info, sizeof info, AclSizeInformation));
  ASSERT_EQ(info.AceCount, 1u);
  EXPECT_EQ(info.AclBytesFree, 0u);

  void* ace = nullptr;
  ASSERT_TRUE(GetAce(dacl, 0, &ace)) << GetLastError();
  const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_EQ(allowed->Header.AceFlags, 0);
  EXPECT_EQ(allowed->Header.AceSize, 20);
  EXPECT_EQ(allowed->Mask, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD everyoneSize = sizeof everyone;
  ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &everyoneSize));
  EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), everyone));
}

TEST(SecurityShareDescriptorTest, IsWhatTheRealCallsMakeOfTheSameDescriptor) {
  // An independent oracle: the same descriptor put together by the real functions and made
  // self-relative by MakeSelfRelativeSD.
  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD everyoneSize = sizeof everyone;
  ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &everyoneSize));
  std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + everyoneSize);
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<PACL>(acl.data()), acl.size(), ACL_REVISION));
  ASSERT_TRUE(AddAccessAllowedAce(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, FILE_ALL_ACCESS,
                                  everyone));
  SECURITY_DESCRIPTOR absolute;
  ASSERT_TRUE(InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(
      SetSecurityDescriptorDacl(&absolute, TRUE, reinterpret_cast<PACL>(acl.data()), FALSE));
  DWORD size = 0;
  ASSERT_FALSE(MakeSelfRelativeSD(&absolute, nullptr, &size));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<std::uint8_t> theirs(size);
  ASSERT_TRUE(MakeSelfRelativeSD(&absolute, theirs.data(), &size)) << GetLastError();

  EXPECT_EQ(ShareDescriptorEveryoneFullControl(), theirs);

  // And in the text form administrators read: allow, full file access, Everyone.
  std::vector<std::uint8_t> ours = ShareDescriptorEveryoneFullControl();
  wchar_t* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(
      ours.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
  const std::wstring sddl = text;
  LocalFree(text);
  EXPECT_EQ(sddl, L"D:(A;;FA;;;WD)");
}

}  // namespace
}  // namespace qv
