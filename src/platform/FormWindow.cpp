// The portable half of the top-level windows (see FormWindow.h).
#include "platform/FormWindow.h"

#include <algorithm>
#include <climits>

#include "platform/BrowserView.h"
#include "platform/MessageLoop.h"

namespace lumora {

namespace {

// The largest window side the toolkits take (X11's geometry is 16-bit).
constexpr int kLargestSide = SHRT_MAX;

std::vector<TFormWindow*>& WindowList() {
  static std::vector<TFormWindow*> windows;
  return windows;
}

}  // namespace

TWindowFrame TWindowFrame::ForBorderStyle(int style) {
  switch (style) {
    case bsNone:
      return {false, false, Normal};
    case bsSingle:
      return {true, false, Normal};
    case bsDialog:
      return {true, false, Dialog};
    case bsToolWindow:
      return {true, false, Utility};
    case bsSizeToolWin:
      return {true, true, Utility};
    default:
      return {true, true, Normal};  // bsSizeable and values without a style of their own
  }
}

TFormWindow::TFormWindow() { WindowList().push_back(this); }

TFormWindow::~TFormWindow() { std::erase(WindowList(), this); }

const std::vector<TFormWindow*>& TFormWindow::OpenWindows() { return WindowList(); }

void TFormWindow::SetCaption(const String& caption) {
  FCaption = caption;
  SetCaptionImpl(caption);
}

void TFormWindow::SetBorderStyle(int style) {
  FFrame = TWindowFrame::ForBorderStyle(style);
  SetFrameImpl(FFrame);
  ApplySize();
}

void TFormWindow::SetLeft(int value) {
  FLeft = value;
  MoveImpl(FLeft, FTop);
}

void TFormWindow::SetTop(int value) {
  FTop = value;
  MoveImpl(FLeft, FTop);
}

void TFormWindow::SetWidth(int value) {
  FSize.Width = std::max(value, 1);
  ApplySize();
}

void TFormWindow::SetHeight(int value) {
  FSize.Height = std::max(value, 1);
  ApplySize();
}

void TFormWindow::SetClientSize(int width, int height) {
  const auto [extraWidth, extraHeight] = FrameExtentImpl();
  FSize.Width = std::max(width + extraWidth, 1);
  FSize.Height = std::max(height + extraHeight, 1);
  ApplySize();
}

void TFormWindow::SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight) {
  FMinWidth = minWidth;
  FMaxWidth = maxWidth;
  FMinHeight = minHeight;
  FMaxHeight = maxHeight;
  ApplySize();
}

// A window that is not resizable keeps the size asked for as its only size.
void TFormWindow::ApplySize() {
  FSize.MinWidth = std::max(FMinWidth, 1);
  FSize.MinHeight = std::max(FMinHeight, 1);
  FSize.MaxWidth = FMaxWidth > 0 ? FMaxWidth : kLargestSide;
  FSize.MaxHeight = FMaxHeight > 0 ? FMaxHeight : kLargestSide;
  if (FSize.Width > 0 && FSize.Height > 0) {
    FSize.Width = std::clamp(FSize.Width, FSize.MinWidth, std::max(FSize.MaxWidth, FSize.MinWidth));
    FSize.Height = std::clamp(FSize.Height, FSize.MinHeight, std::max(FSize.MaxHeight, FSize.MinHeight));
  }
  TWindowSize size = FSize;
  if (!FFrame.Resizable) {
    size.MinWidth = size.MaxWidth = std::max(FSize.Width, 1);
    size.MinHeight = size.MaxHeight = std::max(FSize.Height, 1);
  }
  SetSizeImpl(size, FFrame);
}

void TFormWindow::SetContent(TBrowserView& view) {
  RemoveContent();
  FContent = view.NativeHandle();
  SetContentImpl(FContent);
}

void TFormWindow::RemoveContent() {
  if (FContent == nullptr) return;
  RemoveContentImpl(FContent);
  FContent = nullptr;
}

bool TFormWindow::PreDispatchKeyImpl(void*) { return false; }

bool PreDispatchKeyMessage(void* nativeMessage) {
  // A copy: a window may close, or open another, while it looks.
  const std::vector<TFormWindow*> windows = TFormWindow::OpenWindows();
  for (TFormWindow* window : windows) {
    if (std::find(WindowList().begin(), WindowList().end(), window) == WindowList().end()) continue;
    if (window->PreDispatchKeyImpl(nativeMessage)) return true;
  }
  return false;
}

void TFormWindow::Close() {
  if (FClosing) return;
  FClosing = true;
  try {
    const bool canClose = OnCloseQuery ? OnCloseQuery() : true;
    if (canClose) {
      if (OnClose) OnClose();
      Hide();
    }
  } catch (...) {
    FClosing = false;
    throw;
  }
  FClosing = false;
}

}  // namespace lumora
