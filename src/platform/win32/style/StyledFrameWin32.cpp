#include "platform/win32/style/StyledFrameWin32.h"

#include <dwmapi.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "core/style/StyleEngine.h"
#include "core/style/StyleWindowLayout.h"
#include "core/style/StyleWindowPainter.h"
#include "os/win32/WideString.h"
#include "platform/win32/style/GdiStyleCanvas.h"

namespace lumora {
namespace {

using Role = TStyleColorRole;

constexpr wchar_t kStateProperty[] = L"LumoraStyledFrame";
// Sent by the visual-styles engine of Windows to draw a themed caption and
// frame over ours; not in the SDK headers.
constexpr UINT kNcUahDrawCaption = 0x00AE;
constexpr UINT kNcUahDrawFrame = 0x00AF;
// The edge a resizable window can be grabbed by, however thin its frame.
constexpr int kMinimumGrip = 4;

// What a styled window remembers between messages: whether it is active,
// which caption button is hot or held, and its brushes.
struct TFrameState {
  bool Active = false;
  std::optional<TCaptionButton> Hot;
  std::optional<TCaptionButton> Held;  // pressed, mouse captured
  bool HeldOver = false;               // ... and the mouse still over it
  TStyleRect Shape;                    // the bounds the window's region was made for
  std::map<uint32_t, TGdiPtr<HBRUSH>> Brushes;

  HBRUSH Brush(TStyleColor color) {
    TGdiPtr<HBRUSH>& brush = Brushes[color.Rgb];
    if (!brush) brush.reset(::CreateSolidBrush(ToColorRef(color)));
    return brush.get();
  }

  TCaptionButtonStates ButtonStates() const {
    if (Held) return {HeldOver ? Held : std::nullopt, HeldOver ? Held : std::nullopt};
    return {Hot, std::nullopt};
  }
};

// The window's state, made on its first styled message and deleted with
// the window (WM_NCDESTROY).
TFrameState& State(HWND window) {
  if (auto* state = static_cast<TFrameState*>(::GetPropW(window, kStateProperty))) return *state;
  auto state = std::make_unique<TFrameState>();
  state->Active = ::GetActiveWindow() == window;
  if (!::SetPropW(window, kStateProperty, state.get())) {
    // Without a property the window is drawn from a state that lasts one message.
    thread_local TFrameState transient;
    transient = TFrameState{};
    return transient;
  }
  return *state.release();
}

void DeleteState(HWND window) {
  std::unique_ptr<TFrameState> state(static_cast<TFrameState*>(::RemovePropW(window, kStateProperty)));
}

bool HasCaption(HWND window) {
  return (::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION && !::IsIconic(window);
}

// Windows' desktop composition draws the frames of normal windows itself
// unless told not to.
void AllowFramePainting(HWND window, bool styled) {
  const DWMNCRENDERINGPOLICY policy = styled ? DWMNCRP_DISABLED : DWMNCRP_USEWINDOWSTYLE;
  ::DwmSetWindowAttribute(window, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);
}

TCaptionButtons ButtonsOf(HWND window) {
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  const bool menu = (style & WS_SYSMENU) != 0;
  const bool tool = (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  return {menu && !tool && (style & WS_MINIMIZEBOX), menu && !tool && (style & WS_MAXIMIZEBOX), menu};
}

// The layout over the window's visible part, in window coordinates: a
// maximised window reaches past its monitor by the native frame's width.
TStyleWindowLayout LayoutOf(HWND window, const TStyleDefinition& style, const RECT& windowRect) {
  TStyleRect bounds{0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};
  if (::IsZoomed(window)) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT visible{};
    if (::GetMonitorInfoW(::MonitorFromRect(&windowRect, MONITOR_DEFAULTTONEAREST), &monitor) &&
        ::IntersectRect(&visible, &windowRect, &monitor.rcWork)) {
      bounds = {visible.left - windowRect.left, visible.top - windowRect.top, visible.right - windowRect.left,
                visible.bottom - windowRect.top};
    }
  }
  return LayoutStyledWindow(style, bounds, ButtonsOf(window));
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct TWindowDc {
  explicit TWindowDc(HWND window) : Window(window), Dc(::GetWindowDC(window)) {}
  ~TWindowDc() {
    if (Dc) ::ReleaseDC(Window, Dc);
  }
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  HWND Window;
  HDC Dc;
};

// The window's outline: the style's rounded corners, and only the visible
// part of a maximised window. Having a region of its own also tells Wine
// that the window draws its whole frame itself rather than leaving it to
// a window manager.
void Shape(HWND window, const TStyleDefinition& style, TFrameState& state) {
  RECT windowRect{};
  ::GetWindowRect(window, &windowRect);
  const TStyleRect bounds = LayoutOf(window, style, windowRect).Window;
  if (bounds == state.Shape) return;
  state.Shape = bounds;
  const int radius = style.Metric(TStyleMetric::CornerRadius);
  const HRGN region = radius > 0 ? ::CreateRoundRectRgn(bounds.Left, bounds.Top, bounds.Right + 1, bounds.Bottom + 1,
                                                        2 * radius, 2 * radius)
                                 : ::CreateRectRgn(bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
  // The window owns the region from here on.
  if (region && !::SetWindowRgn(window, region, TRUE)) ::DeleteObject(region);
}

void PaintFrame(HWND window, const TStyleDefinition& style, const TFrameState& state) {
  if (!::IsWindowVisible(window)) return;
  RECT windowRect{};
  ::GetWindowRect(window, &windowRect);
  const int width = windowRect.right - windowRect.left, height = windowRect.bottom - windowRect.top;
  const TStyleWindowLayout layout = LayoutOf(window, style, windowRect);
  const TWindowDc target(window);
  if (!target.Dc || width <= 0 || height <= 0) return;
  const TGdiBuffer buffer(target.Dc, width, height);
  TGdiCanvas canvas(buffer.Dc());
  // Outside the rounded corners.
  canvas.FillRect({0, 0, width, height}, style.Color(Role::Frame), 0);
  const std::wstring caption = WindowText(window);
  PaintStyledWindow(canvas, style, layout, FromWide(caption.data(), caption.size()), state.Active,
                    state.ButtonStates());
  // The client area is the window's own to paint.
  ::ExcludeClipRect(target.Dc, layout.Client.Left, layout.Client.Top, layout.Client.Right, layout.Client.Bottom);
  buffer.CopyTo(target.Dc);
}

std::optional<TCaptionButton> ButtonOfHit(WPARAM hit) {
  switch (hit) {
    case HTMINBUTTON:
      return TCaptionButton::Minimize;
    case HTMAXBUTTON:
      return TCaptionButton::Maximize;
    case HTCLOSE:
      return TCaptionButton::Close;
    default:
      return std::nullopt;
  }
}

LRESULT HitTest(HWND window, const TStyleDefinition& style, POINT screen) {
  RECT windowRect{};
  ::GetWindowRect(window, &windowRect);
  const TStyleWindowLayout layout = LayoutOf(window, style, windowRect);
  const int x = screen.x - windowRect.left, y = screen.y - windowRect.top;
  const TStyleHit hit = HitTestStyledWindow(layout, x, y);
  switch (hit) {
    case TStyleHit::Nowhere:
      return HTNOWHERE;
    case TStyleHit::MinimizeButton:
      return HTMINBUTTON;
    case TStyleHit::MaximizeButton:
      return HTMAXBUTTON;
    case TStyleHit::CloseButton:
      return HTCLOSE;
    default:
      break;
  }
  const bool resizable = (::GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) && !::IsZoomed(window);
  if (resizable) {
    const int grip = std::max<int>(kMinimumGrip, style.Metric(TStyleMetric::FrameWidth));
    const TStyleRect& outer = layout.Window;
    const bool left = x < outer.Left + grip, right = x >= outer.Right - grip;
    const bool top = y < outer.Top + grip, bottom = y >= outer.Bottom - grip;
    if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }
  switch (hit) {
    case TStyleHit::Client:
      return HTCLIENT;
    case TStyleHit::Caption:
      return HTCAPTION;
    default:
      return HTBORDER;
  }
}

// The caption button under a point given in client coordinates, if it is button.
bool Over(HWND window, const TStyleDefinition& style, TCaptionButton button, LPARAM clientPoint) {
  POINT point{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  ::ClientToScreen(window, &point);
  return ButtonOfHit(static_cast<WPARAM>(HitTest(window, style, point))) == button;
}

void Press(HWND window, TCaptionButton button) {
  WPARAM command = SC_CLOSE;
  if (button == TCaptionButton::Minimize) command = SC_MINIMIZE;
  if (button == TCaptionButton::Maximize) command = ::IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE;
  ::SendMessageW(window, WM_SYSCOMMAND, command, 0);
}

// DefWindowProc draws the native caption when the text or icon changes;
// it is let do its work on a window it believes hidden.
LRESULT WithoutNativeCaption(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  if (style & WS_VISIBLE) ::SetWindowLongPtrW(window, GWL_STYLE, style & ~WS_VISIBLE);
  const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
  if (style & WS_VISIBLE) ::SetWindowLongPtrW(window, GWL_STYLE, style);
  return result;
}

std::optional<LRESULT> ControlColor(TFrameState& state, const TStyleDefinition& style, HDC dc, Role text,
                                    Role background) {
  ::SetTextColor(dc, ToColorRef(style.Color(text)));
  ::SetBkColor(dc, ToColorRef(style.Color(background)));
  return reinterpret_cast<LRESULT>(state.Brush(style.Color(background)));
}

std::optional<LRESULT> FrameMessage(HWND window, const TStyleDefinition& style, TFrameState& state, UINT message,
                                    WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCALCSIZE: {
      RECT* proposed =
          wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      const RECT windowRect = *proposed;
      const TStyleRect client = LayoutOf(window, style, windowRect).Client;
      *proposed = {windowRect.left + client.Left, windowRect.top + client.Top, windowRect.left + client.Right,
                   windowRect.top + client.Bottom};
      return 0;
    }
    case WM_NCPAINT:
      PaintFrame(window, style, state);
      return 0;
    case WM_WINDOWPOSCHANGED:
      Shape(window, style, state);
      return std::nullopt;
    case WM_NCACTIVATE:
      state.Active = wParam != FALSE;
      PaintFrame(window, style, state);
      return TRUE;
    case kNcUahDrawCaption:
    case kNcUahDrawFrame:
      return 0;
    case WM_SETTEXT:
    case WM_SETICON: {
      const LRESULT result = WithoutNativeCaption(window, message, wParam, lParam);
      PaintFrame(window, style, state);
      return result;
    }
    case WM_NCHITTEST:
      return HitTest(window, style, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCMOUSEMOVE: {
      const std::optional<TCaptionButton> hot = ButtonOfHit(wParam);
      if (hot != state.Hot) {
        state.Hot = hot;
        PaintFrame(window, style, state);
      }
      if (!hot) return std::nullopt;
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, window, 0};
      ::TrackMouseEvent(&track);
      return 0;
    }
    case WM_NCMOUSELEAVE:
      if (state.Hot) {
        state.Hot.reset();
        PaintFrame(window, style, state);
      }
      return std::nullopt;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      // The native button tracking would draw the native buttons.
      const std::optional<TCaptionButton> button = ButtonOfHit(wParam);
      if (!button) return std::nullopt;
      state.Held = button;
      state.HeldOver = true;
      ::SetCapture(window);
      PaintFrame(window, style, state);
      return 0;
    }
    case WM_NCLBUTTONUP:
      if (ButtonOfHit(wParam)) return 0;
      return std::nullopt;
    case WM_MOUSEMOVE:
      if (!state.Held) return std::nullopt;
      if (Over(window, style, *state.Held, lParam) != state.HeldOver) {
        state.HeldOver = !state.HeldOver;
        PaintFrame(window, style, state);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!state.Held) return std::nullopt;
      const TCaptionButton button = *state.Held;
      const bool over = Over(window, style, button, lParam);
      state.Held.reset();
      state.Hot.reset();
      ::ReleaseCapture();
      PaintFrame(window, style, state);
      if (over) Press(window, button);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (state.Held) {
        state.Held.reset();
        PaintFrame(window, style, state);
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

BOOL CALLBACK Restyle(HWND window, LPARAM styled) {
  AllowFramePainting(window, styled != 0);
  if (auto* state = static_cast<TFrameState*>(::GetPropW(window, kStateProperty))) {
    // Shaped again for the new style, or not at all.
    state->Shape = {};
    if (!styled) ::SetWindowRgn(window, nullptr, FALSE);
  }
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRUE;
}

}  // namespace

std::optional<LRESULT> StyledFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    DeleteState(window);
    return std::nullopt;
  }
  const TStyleDefinition* style = StyleEngine().ActiveStyle();
  if (!style) return std::nullopt;
  if (message == WM_NCCREATE) {
    AllowFramePainting(window, true);
    return std::nullopt;
  }
  TFrameState& state = State(window);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(window, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, state.Brush(style->Color(Role::Window)));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
      return ControlColor(state, *style, reinterpret_cast<HDC>(wParam), Role::Text, Role::Window);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return ControlColor(state, *style, reinterpret_cast<HDC>(wParam), Role::EditText, Role::EditField);
    default:
      break;
  }
  if (!HasCaption(window)) return std::nullopt;
  return FrameMessage(window, *style, state, message, wParam, lParam);
}

void RestyleThreadWindows() {
  ::EnumThreadWindows(::GetCurrentThreadId(), &Restyle, StyleEngine().ActiveStyle() ? 1 : 0);
}

}  // namespace lumora
