// The password dialog, built in code: a dialog-framed window with only the
// close button, a drawn key picture and one visible edit field, running its
// own modal loop. Enter and Escape do nothing; closing it refuses.
#include <windows.h>

#include "core/HandlerGuard.h"
#include "os/win32/WideString.h"
#include "os/win32/WindowClass.h"
#include "platform/win32/style/StyledFrameWin32.h"
#include "platform/PasswordWindow.h"

namespace lumora {

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraPasswordDialog";
constexpr int kClientWidth = 313;
constexpr int kClientHeight = 54;
constexpr RECT kPicture{16, 16, 48, 48};
constexpr UINT_PTR kDelayTimer = 1;
constexpr int kEditId = 100;

struct TFontDeleter {
  void operator()(HFONT font) const { ::DeleteObject(font); }
};
using TFontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, TFontDeleter>;

// The lock picture: a key with a small padlock at its bow, in the window's
// text colours.
void PaintKey(HDC dc) {
  const HBRUSH gold = ::CreateSolidBrush(RGB(0xD4, 0xA0, 0x17));
  const HBRUSH steel = ::CreateSolidBrush(RGB(0x60, 0x68, 0x70));
  const HGDIOBJ oldBrush = ::SelectObject(dc, gold);
  const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  const int x = kPicture.left, y = kPicture.top;
  ::Ellipse(dc, x + 1, y + 4, x + 15, y + 18);      // the bow
  ::Rectangle(dc, x + 14, y + 9, x + 31, y + 13);   // the shaft
  ::Rectangle(dc, x + 24, y + 13, x + 27, y + 18);  // the teeth
  ::Rectangle(dc, x + 28, y + 13, x + 31, y + 17);
  ::SelectObject(dc, steel);
  ::Rectangle(dc, x + 8, y + 21, x + 24, y + 32);  // the padlock's body
  ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  ::Arc(dc, x + 11, y + 15, x + 21, y + 27, x + 21, y + 21, x + 11, y + 21);  // its shackle
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(gold);
  ::DeleteObject(steel);
}

}  // namespace

struct TPasswordWindow::TImpl {
  TWindowHandle Window;
  HWND Edit = nullptr;
  TFontHandle Font;
  int Result = mrNone;
  int DelayedResult = mrNone;
  bool TimerRunning = false;
  TPasswordWindow* Owner = nullptr;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto styled = StyledFrameMessage(window, message, wParam, lParam)) return *styled;  // visual style
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TImpl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      switch (message) {
        case WM_COMMAND:
          if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) {
            TPasswordWindow* owner = self->Owner;
            RunHandler([owner] {
              if (owner->OnChange) owner->OnChange();
            });
          }
          // IDOK and IDCANCEL (Enter, Escape) end nothing: there is no button.
          return 0;
        case WM_CLOSE:
          self->Owner->SetModalResult(mrCancel);
          return 0;
        case WM_TIMER:
          if (wParam == kDelayTimer) {
            ::KillTimer(window, kDelayTimer);
            self->TimerRunning = false;
            self->Owner->SetModalResult(self->DelayedResult);
          }
          return 0;
        case WM_PAINT: {
          PAINTSTRUCT paint;
          const HDC dc = ::BeginPaint(window, &paint);
          PaintKey(dc);
          ::EndPaint(window, &paint);
          return 0;
        }
        default:
          break;
      }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
};

TPasswordWindow::TPasswordWindow() : FImpl(std::make_unique<TImpl>()) {
  FImpl->Owner = this;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterWindowClass(
      kWindowClass, &TImpl::WindowProc,
      {.Cursor = ::LoadCursorW(nullptr, IDC_ARROW), .Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});

  // A dialog frame with the caption's close button only, centred on the
  // desktop's work area.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME;
  RECT outer{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  FImpl->Window.reset(::CreateWindowExW(
      exStyle, kWindowClass, L"", style, work.left + (work.right - work.left - width) / 2,
      work.top + (work.bottom - work.top - height) / 2, width, height, nullptr, nullptr, instance, FImpl.get()));
  if (!FImpl->Window) RaiseWindowNotCreated(u"The password window");
  FImpl->Font.reset(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
  FImpl->Edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                  64, 16, 225, 21, FImpl->Window.get(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance, nullptr);
  ::SendMessageW(FImpl->Edit, WM_SETFONT, reinterpret_cast<WPARAM>(FImpl->Font.get()), FALSE);
}

TPasswordWindow::~TPasswordWindow() {
  // The window goes before its font.
  if (FImpl->Window) ::SetWindowLongPtrW(FImpl->Window.get(), GWLP_USERDATA, 0);
  FImpl->Window.reset();
}

void TPasswordWindow::SetCaption(const String& caption) {
  ::SetWindowTextW(FImpl->Window.get(), Wide(caption).c_str());
}

String TPasswordWindow::Text() const {
  const int length = ::GetWindowTextLengthW(FImpl->Edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(FImpl->Edit, text.data(), length + 1);
  return FromWide(text.data(), static_cast<size_t>(copied));
}

int TPasswordWindow::ShowModal() {
  FImpl->Result = mrNone;
  const HWND window = FImpl->Window.get();
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  ::SetFocus(FImpl->Edit);
  MSG message;
  while (FImpl->Result == mrNone) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The application is ending: leave the quit for the outer loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      FImpl->Result = mrCancel;
      break;
    }
    if (::IsDialogMessageW(window, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  if (FImpl->TimerRunning) {
    ::KillTimer(window, kDelayTimer);
    FImpl->TimerRunning = false;
  }
  ::ShowWindow(window, SW_HIDE);
  return FImpl->Result;
}

void TPasswordWindow::SetModalResult(int result) { FImpl->Result = result; }

void TPasswordWindow::SetModalResultAfter(int result, int milliseconds) {
  if (FImpl->TimerRunning) return;
  FImpl->DelayedResult = result;
  FImpl->TimerRunning = ::SetTimer(FImpl->Window.get(), kDelayTimer, static_cast<UINT>(milliseconds), nullptr) != 0;
  // Without a timer the result comes at once rather than never.
  if (!FImpl->TimerRunning) SetModalResult(result);
}

}  // namespace lumora
