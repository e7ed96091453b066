#include "win/framework/form.h"

#include <algorithm>

namespace qv::win {

namespace {
bool Held(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }
}  // namespace

bool Form::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  Form* form = dynamic_cast<Form*>(FromHandle(GetAncestor(msg.hwnd, GA_ROOT)));
  if (!form || !IsWindowEnabled(form->Handle())) return false;

  switch (msg.wParam) {
    case VK_TAB:
      if (Held(VK_CONTROL) || Held(VK_MENU)) return false;
      form->SelectNext(!Held(VK_SHIFT));
      return true;
    case VK_RETURN:
    case VK_ESCAPE:
      return form->OfferDialogKey(msg.wParam, msg.lParam);
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      if (Held(VK_SHIFT) || Held(VK_CONTROL) || Held(VK_MENU)) return false;
      LRESULT code =
          SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
      if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) return false;
      form->SelectNext(msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN);
      return true;
    }
    default:
      return false;
  }
}

bool Form::OfferDialogKey(WPARAM key, LPARAM keyData) {
  for (Window* control : controls_) {
    if (control->DialogKey(key, keyData)) return true;
  }
  return false;
}

Window* Form::FocusedControl() const {
  for (HWND h = GetFocus(); h && h != Handle(); h = GetParent(h)) {
    if (Window* w = FromHandle(h)) {
      if (std::find(tabOrder_.begin(), tabOrder_.end(), w) != tabOrder_.end()) return w;
    }
  }
  return nullptr;
}

void Form::SelectNext(bool forward) {
  if (tabOrder_.empty()) return;
  const int n = static_cast<int>(tabOrder_.size());
  Window* current = FocusedControl();
  auto it = std::find(tabOrder_.begin(), tabOrder_.end(), current);
  int start = it == tabOrder_.end() ? (forward ? -1 : n) : static_cast<int>(it - tabOrder_.begin());
  for (int step = 1; step <= n; ++step) {
    int i = ((start + (forward ? step : -step)) % n + n) % n;
    if (tabOrder_[static_cast<std::size_t>(i)]->IsTabStop()) {
      FocusControl(tabOrder_[static_cast<std::size_t>(i)]);
      return;
    }
  }
}

void Form::FocusControl(Window* control) {
  if (control && control->Handle()) SetFocus(control->Handle());
}

void Form::Close() {
  if (Handle()) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NEXTDLGCTL:
      if (LOWORD(lp)) {
        SetFocus(reinterpret_cast<HWND>(wp));
      } else {
        SelectNext(wp == 0);
      }
      return 0;
    case WM_ACTIVATE:
      if (KeepFocusAcrossActivation(wp)) return 0;
      break;
    case WM_COMMAND:
      // Notifications of system controls go to the object that owns the control.
      if (lp) {
        if (Window* child = FromHandle(reinterpret_cast<HWND>(lp))) {
          return child->Notify(HIWORD(wp));
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lp))) {
        if (HBRUSH brush = child->ControlColor(reinterpret_cast<HDC>(wp))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    case WM_CLOSE:
      if (CloseQuery()) DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      if (mainForm_) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace qv::win
