#include "platform/win32/style/StyledMessageBoxWin32.h"

#include <algorithm>

#include "base/Exception.h"
#include "core/style/StyleEngine.h"
#include "core/style/StyleWindowLayout.h"
#include "os/win32/WideString.h"
#include "os/win32/WindowClass.h"
#include "platform/win32/style/GdiStyleCanvas.h"
#include "platform/win32/style/StyledFrameWin32.h"

namespace lumora {
namespace {

using Role = TStyleColorRole;

constexpr wchar_t kWindowClass[] = L"LumoraMessageBox";
constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kGap = 12;
constexpr int kMaxTextWidth = 420;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;

struct TBoxWindow {
  const TStyledMessageBox* Box = nullptr;
  TGdiPtr<HFONT> Font;
  RECT TextRect{};
  bool Done = false;
  // Set when the window goes, by us or with its owner: its handle is then
  // no longer ours to destroy.
  bool Destroyed = false;
};

const TStyleDefinition* ActiveStyle() { return StyleEngine().ActiveStyle(); }

void PaintButton(const DRAWITEMSTRUCT& item) {
  const TStyleDefinition* style = ActiveStyle();
  if (!style) return;
  TGdiCanvas canvas(item.hDC);
  const TStyleRect rect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
  const int radius = style->Metric(TStyleMetric::ButtonRadius);
  const Role face = (item.itemState & ODS_SELECTED) ? Role::ButtonPressed : Role::ButtonFace;
  canvas.FillRect(rect, style->Color(Role::Window), 0);
  // The only button is the default one: the accent edge.
  canvas.FillRect(rect, style->Color(Role::Accent), radius);
  canvas.FillRect(rect.Inflated(-2), style->Color(face), std::max(0, radius - 2));
  wchar_t label[64] = {};
  const int length = ::GetWindowTextW(item.hwndItem, label, 64);
  canvas.DrawText(rect, FromWide(label, static_cast<size_t>(length)), style->Color(Role::ButtonText),
                  TStyleTextAlign::Center);
}

void PaintContent(HWND window, const TBoxWindow& box) {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(window, &paint);
  if (const TStyleDefinition* style = ActiveStyle()) {
    if (box.Box->ErrorIcon)
      ::DrawIconEx(dc, kMargin, kMargin, ::LoadIconW(nullptr, IDI_ERROR), kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    TSelection useFont(dc, box.Font ? static_cast<HGDIOBJ>(box.Font.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(style->Color(Role::Text)));
    RECT text = box.TextRect;
    ::DrawTextW(dc, box.Box->Text.c_str(), static_cast<int>(box.Box->Text.size()), &text,
                DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }
  ::EndPaint(window, &paint);
}

LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto styled = StyledFrameMessage(window, message, wParam, lParam)) return *styled;  // the style's frame
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* box = reinterpret_cast<TBoxWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (box) {
    switch (message) {
      case WM_COMMAND:
        // The button, Enter (IDOK) and Escape (IDCANCEL) alike.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) box->Done = true;
        return 0;
      case WM_CLOSE:
        box->Done = true;
        return 0;
      case WM_NCDESTROY:
        // Destroyed along with its owner (a window closed from a timer, the
        // session ending) as well as by us: the loop ends either way.
        box->Done = true;
        box->Destroyed = true;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
      case WM_DRAWITEM:
        PaintButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_PAINT:
        PaintContent(window, *box);
        return 0;
      default:
        break;
    }
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// The text's size in the message font, wrapped at the widest line allowed.
SIZE MeasureText(HFONT font, const std::wstring& text) {
  const TScreenDcPtr screen(::GetDC(nullptr));
  RECT rect{0, 0, kMaxTextWidth, 0};
  const TSelection useFont(screen.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  return {rect.right, rect.bottom};
}

// Where the box goes: centred on its owner, or on the work area.
POINT Placement(HWND owner, int width, int height) {
  RECT area{};
  if (!owner || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &area))
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
}

class TOwnerDisabled {
 public:
  explicit TOwnerDisabled(HWND owner) : FOwner(owner && ::IsWindowEnabled(owner) ? owner : nullptr) {
    if (FOwner) ::EnableWindow(FOwner, FALSE);
  }
  // Enabled again before the box goes, so that the owner is activated.
  ~TOwnerDisabled() {
    if (FOwner && ::IsWindow(FOwner)) ::EnableWindow(FOwner, TRUE);
  }
  TOwnerDisabled(const TOwnerDisabled&) = delete;
  TOwnerDisabled& operator=(const TOwnerDisabled&) = delete;

 private:
  HWND FOwner;
};

// The box's modal loop: until it is dismissed or destroyed, or the
// application ends.
void RunBoxLoop(HWND window, const TBoxWindow& state) {
  MSG message;
  while (!state.Done) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The application is ending: the quit is the outer loop's.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (::IsDialogMessageW(window, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

bool ShowStyledMessageBox(HWND owner, const TStyledMessageBox& box) {
  const TStyleDefinition* style = ActiveStyle();
  if (!style) return false;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  try {
    RegisterWindowClass(kWindowClass, &BoxProc, {.Cursor = ::LoadCursorW(nullptr, IDC_ARROW)});
  } catch (const Exception&) {
    return false;  // no class, no window: the caller shows the system's box
  }

  TBoxWindow state;
  state.Box = &box;
  state.Font = MessageFont();
  const SIZE text = MeasureText(state.Font.get(), box.Text);
  const int textLeft = kMargin + (box.ErrorIcon ? kIconSize + kGap : 0);
  const int contentHeight = std::max<int>(text.cy, box.ErrorIcon ? kIconSize : 0);
  const int clientWidth = std::max<int>(textLeft + text.cx + kMargin, kButtonWidth + 2 * kMargin);
  const int clientHeight = kMargin + contentHeight + kGap + kButtonHeight + kMargin;
  // The text centred on the icon's middle when it is shorter.
  const int textTop = kMargin + std::max<int>(0, (contentHeight - text.cy) / 2);
  state.TextRect = {textLeft, textTop, textLeft + text.cx, textTop + text.cy};

  const TStyleRect outer = StyledWindowBounds(*style, clientWidth, clientHeight);
  const POINT at = Placement(owner, outer.Width(), outer.Height());
  TWindowHandle window(::CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, box.Caption.c_str(),
                                         WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, at.x, at.y,
                                         outer.Width(), outer.Height(), owner, nullptr, instance, &state));
  if (!window) return false;
  {
    const TOwnerDisabled ownerDisabled(owner);
    const HWND button = ::CreateWindowExW(
        0, L"BUTTON", box.ButtonLabel.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
        (clientWidth - kButtonWidth) / 2, clientHeight - kMargin - kButtonHeight, kButtonWidth, kButtonHeight,
        window.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
    ::ShowWindow(window.get(), SW_SHOW);
    ::SetForegroundWindow(window.get());
    ::SetFocus(button);
    RunBoxLoop(window.get(), state);
  }
  // Gone already with its owner: the handle may name another window by now.
  if (state.Destroyed) (void)window.release();
  return true;
}

}  // namespace lumora
