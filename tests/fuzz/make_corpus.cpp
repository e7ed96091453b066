// Writes the seed corpus of the list fuzzers: real lists made by the platform's own ACL functions
// (and one read from a real folder), so that the fuzzers start from what the reader meets.
// Made once and kept in corpus/; to make them again (MinGW, run under Wine):
//   x86_64-w64-mingw32-g++-posix -std=c++20 -static -municode make_corpus.cpp
//     -o make_corpus.exe -ladvapi32
//   wine make_corpus.exe 'Z:\path\to\tests\fuzz\corpus'
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring g_dir;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s failed: %lu\n", what, GetLastError());
    ExitProcess(1);
  }
}

std::vector<BYTE> Sid(const wchar_t* text) {
  PSID sid = nullptr;
  Check(ConvertStringSidToSidW(text, &sid), "ConvertStringSidToSidW");
  std::vector<BYTE> bytes(static_cast<const BYTE*>(sid),
                          static_cast<const BYTE*>(sid) + GetLengthSid(sid));
  LocalFree(sid);
  return bytes;
}

struct List {
  explicit List(DWORD revision = ACL_REVISION) : bytes(4096) {
    Check(InitializeAcl(Acl(), static_cast<DWORD>(bytes.size()), revision), "InitializeAcl");
  }
  PACL Acl() { return reinterpret_cast<PACL>(bytes.data()); }
  void Allow(BYTE flags, DWORD mask, const wchar_t* sid) {
    auto s = Sid(sid);
    Check(AddAccessAllowedAceEx(Acl(), ACL_REVISION, flags, mask, s.data()),
          "AddAccessAllowedAceEx");
  }
  void Deny(BYTE flags, DWORD mask, const wchar_t* sid) {
    auto s = Sid(sid);
    Check(AddAccessDeniedAceEx(Acl(), ACL_REVISION, flags, mask, s.data()), "AddAccessDeniedAceEx");
  }
  void Audit(BYTE flags, DWORD mask, const wchar_t* sid, BOOL success, BOOL failure) {
    auto s = Sid(sid);
    Check(AddAuditAccessAceEx(Acl(), ACL_REVISION, flags, mask, s.data(), success, failure),
          "AddAuditAccessAceEx");
  }
  // Kinds without an add function of their own: the entry is written here and added with AddAce.
  void Raw(BYTE type, BYTE flags, DWORD mask, const wchar_t* sid, std::vector<BYTE> trailer) {
    std::vector<BYTE> body = Sid(sid);
    body.insert(body.end(), trailer.begin(), trailer.end());
    RawBody(type, flags, mask, body, ACL_REVISION);
  }
  void Object(BYTE type, BYTE flags, DWORD mask, const GUID* objectType, const GUID* inheritedType,
              const wchar_t* sid) {
    std::vector<BYTE> body;
    const DWORD present = (objectType ? ACE_OBJECT_TYPE_PRESENT : 0) |
                          (inheritedType ? ACE_INHERITED_OBJECT_TYPE_PRESENT : 0);
    const BYTE* p = reinterpret_cast<const BYTE*>(&present);
    body.insert(body.end(), p, p + 4);
    for (const GUID* g : {objectType, inheritedType}) {
      if (g)
        body.insert(body.end(), reinterpret_cast<const BYTE*>(g),
                    reinterpret_cast<const BYTE*>(g) + sizeof(GUID));
    }
    auto s = Sid(sid);
    body.insert(body.end(), s.begin(), s.end());
    RawBody(type, flags, mask, body, ACL_REVISION_DS);
  }
  void RawBody(BYTE type, BYTE flags, DWORD mask, const std::vector<BYTE>& body, DWORD revision) {
    std::vector<BYTE> ace(8);
    ace[0] = type;
    ace[1] = flags;
    const WORD size = static_cast<WORD>(8 + body.size());
    ace[2] = LOBYTE(size);
    ace[3] = HIBYTE(size);
    for (int i = 0; i < 4; ++i) ace[4 + i] = static_cast<BYTE>(mask >> (8 * i));
    ace.insert(ace.end(), body.begin(), body.end());
    Check(AddAce(Acl(), revision, MAXDWORD, ace.data(), size), "AddAce");
  }
  // The list as stored: the header's size cut down to the entries (as a folder's list is).
  void Write(const wchar_t* name) {
    ACL_SIZE_INFORMATION info{};
    Check(GetAclInformation(Acl(), &info, sizeof info, AclSizeInformation), "GetAclInformation");
    Acl()->AclSize = static_cast<WORD>(info.AclBytesInUse);
    Check(IsValidAcl(Acl()), "IsValidAcl");
    WriteFile(name, bytes.data(), info.AclBytesInUse);
  }
  static void WriteFile(const wchar_t* name, const void* data, DWORD size) {
    const std::wstring path = g_dir + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileW");
    DWORD written = 0;
    Check(::WriteFile(file, data, size, &written, nullptr) && written == size, "WriteFile");
    CloseHandle(file);
  }
  std::vector<BYTE> bytes;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  g_dir = argv[1];
  const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERITED_ACE;

  {  // the list the grant writes on an empty DACL
    List l;
    l.Allow(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, L"S-1-1-0");
    l.Write(L"grant_only.acl");
  }
  {  // a folder just made under a volume root: inherited entries only
    List l;
    l.Allow(inherited, FILE_ALL_ACCESS, L"S-1-5-18");
    l.Allow(inherited, FILE_ALL_ACCESS, L"S-1-5-32-544");
    l.Allow(inherited, 0x001200A9, L"S-1-5-32-545");
    l.Allow(CONTAINER_INHERIT_ACE | INHERITED_ACE, 0x00000004, L"S-1-5-32-545");
    l.Allow(CONTAINER_INHERIT_ACE | INHERITED_ACE, 0x00000002, L"S-1-5-32-545");
    l.Allow(inherited | INHERIT_ONLY_ACE, GENERIC_ALL, L"S-1-3-0");
    l.Allow(inherited, 0x001301BF, L"S-1-5-11");
    l.Write(L"new_folder.acl");
  }
  {  // the same folder after the grant
    List l;
    l.Allow(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, L"S-1-1-0");
    l.Allow(inherited, FILE_ALL_ACCESS, L"S-1-5-18");
    l.Allow(inherited, FILE_ALL_ACCESS, L"S-1-5-32-544");
    l.Allow(inherited, 0x001200A9, L"S-1-5-32-545");
    l.Allow(inherited | INHERIT_ONLY_ACE, GENERIC_ALL, L"S-1-3-0");
    l.Write(L"granted_folder.acl");
  }
  {  // a protected folder with explicit entries, a deny first
    List l;
    l.Deny(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, DELETE | FILE_DELETE_CHILD, L"S-1-5-32-546");
    l.Allow(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, L"S-1-5-32-544");
    l.Allow(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE, 0x001200A9,
            L"S-1-5-21-1004336348-1177238915-682003330-1001");
    l.Write(L"protected_explicit.acl");
  }
  {  // a SACL: audits and a mandatory label (written by hand: there is no add call for it here)
    List l;
    l.Audit(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, L"S-1-1-0", FALSE, TRUE);
    l.Audit(0, DELETE, L"S-1-5-32-545", TRUE, TRUE);
    l.Raw(SYSTEM_MANDATORY_LABEL_ACE_TYPE, 0, SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, L"S-1-16-12288",
          {});
    l.Write(L"sacl_audit_label.acl");
  }
  {  // object entries (revision 4) and a callback entry carrying data behind its SID
    List l(ACL_REVISION_DS);
    GUID a = {0xBF967ABA, 0x0DE6, 0x11D0, {0xA2, 0x85, 0x00, 0xAA, 0x00, 0x30, 0x49, 0xE2}};
    GUID b = {0x4828CC14, 0x1437, 0x45BC, {0x9B, 0x07, 0xAD, 0x6F, 0x01, 0x5E, 0x5F, 0x28}};
    // Wine 8.0 has no AddAccessAllowedObjectAce (it fails with ERROR_INVALID_FUNCTION), so these
    // are laid out here: object flags, then the GUIDs they name, then the SID.
    l.Object(ACCESS_ALLOWED_OBJECT_ACE_TYPE, CONTAINER_INHERIT_ACE, 0x10, &a, &b, L"S-1-5-32-545");
    l.Object(ACCESS_DENIED_OBJECT_ACE_TYPE, 0, 0x20, &a, nullptr, L"S-1-1-0");
    l.Object(ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, 0x30, nullptr, nullptr, L"S-1-1-0");
    l.Object(SYSTEM_AUDIT_OBJECT_ACE_TYPE, SUCCESSFUL_ACCESS_ACE_FLAG, 0x40, nullptr, &b,
             L"S-1-5-18");
    l.Raw(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, 0, FILE_GENERIC_READ, L"S-1-5-32-545",
          {'a', 'r', 't', 'x', 0, 0, 0, 0});
    l.Write(L"object_and_callback.acl");
  }
  {  // what a real folder's descriptor holds here
    wchar_t temp[MAX_PATH];
    Check(GetTempPathW(MAX_PATH, temp) != 0, "GetTempPathW");
    const std::wstring folder = std::wstring(temp) + L"qv_corpus_folder";
    CreateDirectoryW(folder.c_str(), nullptr);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    Check(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &sd) == ERROR_SUCCESS,
          "GetNamedSecurityInfoW");
    Check(dacl != nullptr, "a DACL");
    List::WriteFile(L"real_folder.acl", dacl, dacl->AclSize);
    LocalFree(sd);
    RemoveDirectoryW(folder.c_str());
  }
  return 0;
}
