#include <algorithm>

#include <gtest/gtest.h>

#include "security/fake_security_platforms.h"
#include "security/secure_file_object.h"
#include "security/security_exception.h"

namespace qv::testing {
namespace {

class SecureFileObjectTest : public SecurityPlatformTest {
 protected:
  SecureFileObjectTest() {
    TFakeObject folder;
    folder.Owner = sids::kAdmins;
    folder.Group = sids::kSystem;
    folder.OwnerDefaulted = true;
    folder.DaclDefaulted = true;
    folder.Dacl =
        Acl(2, {Ace(0x00, 0x03, 0x1F01FF, sids::kUsers), Ace(0x00, 0x13, 0x1F01FF, sids::kSystem),
                Ace(0x01, 0x00, 0x10000, sids::kGuests)});
    folder.SaclPresent = true;
    folder.Sacl = Acl(2, {Ace(0x02, 0x80, 0x1, sids::kEveryone)});
    files.Objects[kPath] = folder;
  }
  const AnsiString kPath = "C:\\Data";
};

TEST_F(SecureFileObjectTest, ReadingTheDaclAloneGivesNoOwnerGroupOrSacl) {
  const auto sd = TSecureFileObject(kPath).GetSecurityDescriptor({siDacl});
  EXPECT_EQ(files.ReadsAsked, std::vector<std::uint32_t>{0x4});
  EXPECT_EQ(sd->Owner(), nullptr);
  EXPECT_EQ(sd->Group(), nullptr);
  EXPECT_EQ(sd->SACL().Count(), 0u);
  ASSERT_NE(sd->DACL(), nullptr);
  ASSERT_EQ(sd->DACL()->Count(), 3u);
  EXPECT_EQ(sd->DACL()->Items(0).SID()->StringSid(), "S-1-5-32-545");
  EXPECT_EQ(sd->DACL()->Items(1).SID()->StringSid(), "S-1-5-18");
  EXPECT_EQ(sd->DACL()->Items(2).AceType(), atAccessDenied);
  EXPECT_TRUE(sd->DaclDefaulted());
  EXPECT_TRUE(sd->Control().Contains(sdcDaclPresent));
  EXPECT_TRUE(sd->Control().Contains(sdcSelfRelative));
  EXPECT_EQ(sd->GetProtectedState(0), psNotStated);
  EXPECT_EQ(files.OutstandingDescriptors(), 0u);
}

TEST_F(SecureFileObjectTest, ReadingEveryPartCopiesOwnerGroupAndSacl) {
  const auto sd =
      TSecureFileObject(kPath).GetSecurityDescriptor({siOwner, siGroup, siDacl, siSacl});
  EXPECT_EQ(files.ReadsAsked, std::vector<std::uint32_t>{0xF});
  ASSERT_NE(sd->Owner(), nullptr);
  EXPECT_EQ(sd->Owner()->StringSid(), "S-1-5-32-544");
  EXPECT_TRUE(sd->OwnerDefaulted());
  EXPECT_EQ(sd->Group()->StringSid(), "S-1-5-18");
  EXPECT_FALSE(sd->GroupDefaulted());
  ASSERT_EQ(sd->SACL().Count(), 1u);
  EXPECT_EQ(sd->SACL().Items(0).AceType(), atSystemAudit);
}

TEST_F(SecureFileObjectTest, PartsAndControlWordsMapToTheirBits) {
  EXPECT_EQ(SecurityInformationValue({}), 0u);
  EXPECT_EQ(SecurityInformationValue({siOwner, siGroup, siDacl, siSacl, siLabel}), 0x1Fu);
  EXPECT_EQ(SecurityInformationValue({siProtectedDacl}), 0x80000000u);
  EXPECT_EQ(SecurityInformationValue({siProtectedSacl}), 0x40000000u);
  EXPECT_EQ(SecurityInformationValue({siUnprotectedDacl}), 0x20000000u);
  EXPECT_EQ(SecurityInformationValue({siUnprotectedSacl}), 0x10000000u);
  const auto control = ControlFromWord(0xFFFF);
  for (int m = sdcOwnerDefaulted; m <= sdcSelfRelative; ++m) {
    EXPECT_TRUE(control.Contains(static_cast<TSecurityDescriptorControlFlag>(m))) << m;
  }
  EXPECT_EQ(ControlFromWord(0x00C0), TSecurityDescriptorControl{});  // bits of no member
  EXPECT_EQ(ControlFromWord(0x1000), TSecurityDescriptorControl{sdcDaclProtected});
  EXPECT_EQ(ControlFromWord(0x2000), TSecurityDescriptorControl{sdcSaclProtected});
}

TEST_F(SecureFileObjectTest, WriteCarriesTheProtectionReadFromTheControlWord) {
  struct Case {
    std::uint16_t control;
    TSecurityInformation askedToWrite;
    std::uint32_t written;
  } cases[] = {
      {0x8004, {siDacl}, 0x00000004},
      {0x9004, {siDacl}, 0x80000004},
      {0xA004, {siDacl}, 0x40000004},
      {0xB004, {siDacl}, 0xC0000004},
      // The caller cannot set the protection: only the descriptor as read decides it.
      {0x8004, {siDacl, siProtectedDacl, siUnprotectedSacl}, 0x00000004},
      {0x9004, {siDacl, siUnprotectedDacl}, 0x80000004},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    files.Objects[kPath].Control = c.control;
    files.Writes.clear();
    const TSecureFileObject folder(kPath);
    const auto sd = folder.GetSecurityDescriptor({siDacl});
    EXPECT_EQ(sd->GetProtectedState(0), (c.control & 0x1000) ? psProtected : psNotStated);
    EXPECT_EQ(sd->GetProtectedState(1), (c.control & 0x2000) ? psProtected : psNotStated);
    folder.SetSecurityDescriptor(*sd, c.askedToWrite);
    ASSERT_EQ(files.Writes.size(), 1u);
    const auto& w = files.Writes[0];
    EXPECT_EQ(w.SecurityInformation, c.written);
    EXPECT_EQ(w.Path, kPath);
    EXPECT_EQ(w.Type, 1u);
    EXPECT_TRUE(w.OwnerNull && w.GroupNull && w.SaclNull);
    ASSERT_TRUE(w.Dacl.has_value());
    EXPECT_EQ(Hex(*w.Dacl), Hex(*files.Objects[kPath].Dacl));
  }
  EXPECT_EQ(platform.OutstandingBlocks(), 0u);
}

TEST_F(SecureFileObjectTest, GetProtectedStateKnowsTwoLists) {
  const TSecurityDescriptor sd;
  EXPECT_EQ(sd.GetProtectedState(0), psNotStated);
  EXPECT_THROW(sd.GetProtectedState(2), ESecurityException);
  EXPECT_THROW(sd.GetProtectedState(-1), ESecurityException);
}

TEST_F(SecureFileObjectTest, NullAndMissingDaclsAreReadAsNone) {
  files.Objects[kPath].Dacl.reset();  // present, but a null pointer
  EXPECT_EQ(TSecureFileObject(kPath).GetSecurityDescriptor({siDacl})->DACL(), nullptr);
  files.Objects[kPath].DaclPresent = false;
  EXPECT_EQ(TSecureFileObject(kPath).GetSecurityDescriptor({siDacl})->DACL(), nullptr);
  EXPECT_EQ(files.OutstandingDescriptors(), 0u);
}

TEST_F(SecureFileObjectTest, WritingWithoutADaclLeavesTheDaclPartOut) {
  files.Objects[kPath].DaclPresent = false;
  const TSecureFileObject folder(kPath);
  const auto sd = folder.GetSecurityDescriptor({siDacl});
  folder.SetSecurityDescriptor(*sd, {siDacl});
  ASSERT_EQ(files.Writes.size(), 1u);
  EXPECT_EQ(files.Writes[0].SecurityInformation, 0u);
  EXPECT_FALSE(files.Writes[0].Dacl.has_value());
}

TEST_F(SecureFileObjectTest, OnlyTheDaclIsEverWritten) {
  const TSecureFileObject folder(kPath);
  TSecurityDescriptor sd;
  for (auto part : {siOwner, siGroup, siSacl, siLabel}) {
    EXPECT_THROW(folder.SetSecurityDescriptor(sd, {siDacl, part}), ESecurityException);
  }
  EXPECT_THROW(TSecureBaseClass::SetNamedSecurityInfo(kPath, otFileObject, nullptr, {siDacl}),
               ESecurityException);
  EXPECT_TRUE(files.Writes.empty());
}

TEST_F(SecureFileObjectTest, FailedReadsAndWritesCarryTheCode) {
  try {
    TSecureFileObject("C:\\NoSuchFolder").GetSecurityDescriptor({siDacl});
    FAIL() << "no error";
  } catch (const ESecurityException& e) {
    EXPECT_NE(e.Message().find("GetNamedSecurityInfo"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("code 2"), std::string::npos) << e.Message();
  }
  const TSecureFileObject folder(kPath);
  const auto sd = folder.GetSecurityDescriptor({siDacl});
  log.Calls.clear();
  folder.SetSecurityDescriptor(*sd, {siDacl});
  const auto write = std::find(log.Calls.begin(), log.Calls.end(), "SetNamedSecurityInfo");
  ASSERT_NE(write, log.Calls.end());
  log.FailAt = static_cast<int>(write - log.Calls.begin());
  log.Calls.clear();
  try {
    folder.SetSecurityDescriptor(*sd, {siDacl});
    FAIL() << "no error";
  } catch (const ESecurityException& e) {
    EXPECT_NE(e.Message().find("SetNamedSecurityInfo failed with code 5"), std::string::npos);
  }
  // The list built for the write was given back after the failed call.
  EXPECT_EQ(log.Calls.back(), "GlobalFree");
  EXPECT_EQ(platform.OutstandingBlocks(), 0u);
}

TEST_F(SecureFileObjectTest, EveryFailingQueryStillReleasesTheDescriptor) {
  const TSecureFileObject folder(kPath);
  folder.GetSecurityDescriptor({siOwner, siGroup, siDacl, siSacl});
  const std::vector<std::string> sequence = log.Calls;
  EXPECT_EQ(sequence.front(), "GetNamedSecurityInfo");
  EXPECT_EQ(sequence.back(), "LocalFree");
  for (std::size_t k = 0; k < sequence.size(); ++k) {
    if (TCallLog::IsRelease(sequence[k])) continue;
    SCOPED_TRACE(sequence[k]);
    log.Calls.clear();
    log.FailAt = static_cast<int>(k);
    EXPECT_THROW(folder.GetSecurityDescriptor({siOwner, siGroup, siDacl, siSacl}),
                 ESecurityException);
    EXPECT_EQ(files.OutstandingDescriptors(), 0u);
    // Released exactly once, after the read returned one.
    EXPECT_EQ(std::count(log.Calls.begin(), log.Calls.end(), "LocalFree"), k == 0 ? 0 : 1);
  }
}

TEST_F(SecureFileObjectTest, AnEmptyPathIsRefusedBeforeAnyPlatformCall) {
  const TSecureFileObject nameless("");
  TSecurityDescriptor sd;
  EXPECT_THROW(nameless.GetSecurityDescriptor({siDacl}), ESecurityException);
  EXPECT_THROW(nameless.SetSecurityDescriptor(sd, {siDacl}), ESecurityException);
  EXPECT_TRUE(log.Calls.empty());
}

TEST(SecureFileObjectWithoutPlatform, RaisesInsteadOfCrashing) {
  EXPECT_THROW(TSecureFileObject("C:\\Data").GetSecurityDescriptor({siDacl}), ESecurityException);
}

}  // namespace
}  // namespace qv::testing
