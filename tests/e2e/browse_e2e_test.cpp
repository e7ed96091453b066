// The browse button through the system's own folder browser, read and steered across processes.
#include <windows.h>
// windows.h first: the shell and common-control headers build on it.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "e2e_support.h"

namespace qv::e2e {
namespace {

const std::wstring kBase = L"C:\\e2e-browse";
const std::wstring kPicked = L"C:\\e2e-browse\\選択した場所";
const std::wstring kRootWarning =
    L"この場所に保存するアクセス許可がありません。\r\n"
    L"管理者に連絡してアクセス許可を取得してください。\r\n\r\n"
    L"代わりに［ドキュメント］フォルダに保存しますか？\r\n";

// Memory inside another process, for messages whose arguments are pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, std::size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  void* address() const { return address_; }
  bool Write(const void* data, std::size_t size, std::size_t offset = 0) const {
    return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
  }
  bool Read(void* data, std::size_t size, std::size_t offset = 0) const {
    return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

std::wstring ItemText(HANDLE process, HWND tree, HTREEITEM item) {
  RemoteBuffer remote(process, sizeof(TVITEMW) + 520);
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.address()) + sizeof(TVITEMW));
  tv.cchTextMax = 260;
  remote.Write(&tv, sizeof(tv));
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.address()));
  wchar_t text[261] = {0};
  remote.Read(text, 520, sizeof(TVITEMW));
  return text;
}

HTREEITEM Caret(HWND tree) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// The browser's window of the tool, its tree and its texts.
struct Browser {
  HWND window = nullptr;
  HWND tree = nullptr;
};

Browser WaitForBrowser(const Tool& tool) {
  WindowQuery q;
  q.className = L"#32770";
  q.processId = tool.process().Id();
  Browser b;
  b.window = WaitForWindow(q, kShowTimeoutMs);
  if (!b.window) return b;
  for (int i = 0; i < 100 && !b.tree; ++i) {
    for (const ChildWindow& c : ListChildren(b.window)) {
      if (c.className == L"SysTreeView32") b.tree = c.hwnd;
    }
    if (!b.tree) Sleep(50);
  }
  return b;
}

// Waits until the browser's selection is the folder named `name`; while the tree is still
// filling, Wine's browser sometimes stops at a parent, so the selection is asked for again.
bool WaitForSelection(const Tool& tool, const Browser& b, const std::wstring& name,
                      const std::wstring& path) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (ItemText(tool.process().Native(), b.tree, Caret(b.tree)) == name) return true;
    if (attempt % 8 == 7) {
      RemoteBuffer remote(tool.process().Native(), (path.size() + 1) * sizeof(wchar_t));
      remote.Write(path.c_str(), (path.size() + 1) * sizeof(wchar_t));
      SendMessageW(b.window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote.address()));
    }
    Sleep(250);
  }
  return false;
}

// Selects the child of the current selection whose text is `name`.
bool SelectChild(const Tool& tool, const Browser& b, const std::wstring& name) {
  HTREEITEM parent = Caret(b.tree);
  SendMessageW(b.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  for (int i = 0; i < 40; ++i) {
    for (auto item = reinterpret_cast<HTREEITEM>(
             SendMessageW(b.tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         item; item = reinterpret_cast<HTREEITEM>(SendMessageW(b.tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                               reinterpret_cast<LPARAM>(item)))) {
      if (ItemText(tool.process().Native(), b.tree, item) == name) {
        SendMessageW(b.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        return Caret(b.tree) == item;
      }
    }
    Sleep(100);
  }
  return false;
}

void PressBrowserButton(const Browser& b, const std::wstring& text) {
  auto button = FindChildByText(b.window, text);
  ASSERT_TRUE(button.has_value()) << WideToUtf8(text);
  Click(button->hwnd);
}

class BrowseE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryW(kBase.c_str(), nullptr);
    CreateDirectoryW(kPicked.c_str(), nullptr);
  }
  void TearDown() override {
    RemoveDirectoryW(kPicked.c_str());
    RemoveDirectoryW(kBase.c_str());
  }

  // Starts the tool with the path field showing `start` and opens the browser.
  HWND OpenBrowserAt(const Tool& tool, const std::wstring& start, Browser& browser) {
    HWND dialog = tool.WaitForDialog();
    if (!dialog) return nullptr;
    SetText(ChildAt(dialog, 136, 157)->hwnd, start);
    auto button = FindChildByText(dialog, L"参照");
    if (!button) return nullptr;
    ClickControl(*button);
    browser = WaitForBrowser(tool);
    return dialog;
  }

  static std::wstring FieldText(HWND dialog, int y) { return ChildAt(dialog, 136, y)->text; }
};

TEST_F(BrowseE2E, PickingAFolderFillsBothFields) {
  Tool tool;
  Browser browser;
  HWND dialog = OpenBrowserAt(tool, kBase, browser);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(browser.tree, nullptr);
  auto title = FindChildByText(browser.window, L"共有場所の参照");
  EXPECT_TRUE(title.has_value()) << "our title is not in the browser";
  ASSERT_TRUE(WaitForSelection(tool, browser, L"e2e-browse", kBase)) << "initial path not selected";
  ASSERT_TRUE(SelectChild(tool, browser, L"選択した場所"));
  PressBrowserButton(browser, L"OK");
  ASSERT_TRUE(WaitForWindowGone(browser.window, 5000));
  EXPECT_EQ(FieldText(dialog, 157), kPicked);
  EXPECT_EQ(FieldText(dialog, 253), L"選択した場所");
  tool.CloseDialog(dialog);
}

TEST_F(BrowseE2E, CancelChangesNothing) {
  Tool tool;
  Browser browser;
  HWND dialog = OpenBrowserAt(tool, kBase, browser);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(browser.window, nullptr);
  PressBrowserButton(browser, L"キャンセル");
  ASSERT_TRUE(WaitForWindowGone(browser.window, 5000));
  EXPECT_EQ(FieldText(dialog, 157), kBase);
  EXPECT_EQ(FieldText(dialog, 253), L"VeltoData");
  tool.CloseDialog(dialog);
}

TEST_F(BrowseE2E, SystemDriveRootUnderUserAccountControlOffersTheDocumentsFolder) {
  const wchar_t* policy = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, policy, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  DWORD on = 1, off = 0;
  RegSetValueExW(key, L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
  struct Restore {
    HKEY key;
    DWORD off;
    ~Restore() {
      RegSetValueExW(key, L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                     sizeof(off));
      RegCloseKey(key);
    }
  } restore{key, off};

  wchar_t documents[MAX_PATH] = {0};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE));
  std::wstring docs = documents;

  Tool tool;
  Browser browser;
  HWND dialog = OpenBrowserAt(tool, L"C:\\", browser);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(browser.tree, nullptr);
  // The drive's item reads like "ローカル ディスク (C:)"; wait until it is the selection.
  bool selected = false;
  for (int i = 0; i < 40 && !selected; ++i) {
    selected = ItemText(tool.process().Native(), browser.tree, Caret(browser.tree)).find(L"(C:)") !=
               std::wstring::npos;
    if (!selected) Sleep(250);
  }
  ASSERT_TRUE(selected);
  PressBrowserButton(browser, L"OK");

  auto warning = tool.WaitForBox();
  ASSERT_TRUE(warning.has_value());
  EXPECT_EQ(warning->caption, L"警告");
  EXPECT_EQ(warning->text, kRootWarning);
  EXPECT_EQ(warning->ButtonTexts(), (std::vector<std::wstring>{L"はい(&Y)", L"いいえ(&N)"}));
  ASSERT_TRUE(AnswerBox(*warning, L"はい(&Y)"));

  for (int i = 0; i < 40 && FieldText(dialog, 157) != docs; ++i) Sleep(100);
  EXPECT_EQ(FieldText(dialog, 157), docs);
  EXPECT_EQ(FieldText(dialog, 253), docs.substr(docs.find_last_of(L'\\') + 1));
  tool.CloseDialog(dialog);
}

}  // namespace
}  // namespace qv::e2e
