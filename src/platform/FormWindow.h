// A top-level window of the system: the main window and every window a
// page opens. It holds one content widget (a browser view) and raises the
// close query, close and key events its form handles.
//
// What both platforms do alike is written here once: the close query and
// its guard against a second close request while the first is still
// asking, the size clamping to the limits, what each border style means,
// and the list of open windows. Each backend derives from TFormWindow and
// implements only the protected *Impl hooks, which touch the toolkit.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/String.h"

namespace lumora {

class TBrowserView;

// The border styles by their ordinals.
enum TBorderStyle { bsNone = 0, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// What a border style asks of the window's frame.
struct TWindowFrame {
  enum TKind { Normal, Dialog, Utility };
  bool Decorated = true;
  bool Resizable = true;
  TKind Kind = Normal;

  // Values outside the enumeration get a sizeable frame.
  static TWindowFrame ForBorderStyle(int style);
  bool operator==(const TWindowFrame&) const = default;
};

// The outer size a window is given and the limits its frame enforces. A
// window that is not resizable has its one size as both limits.
struct TWindowSize {
  int Width = 0, Height = 0;  // 0 until a size was asked for
  int MinWidth = 1, MinHeight = 1;
  int MaxWidth = 0, MaxHeight = 0;  // the largest size the toolkit takes
};

class TFormWindow {
 public:
  // A window of the platform being built.
  static std::unique_ptr<TFormWindow> Create();
  virtual ~TFormWindow();
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  // The windows that exist, oldest first.
  static const std::vector<TFormWindow*>& OpenWindows();

  void SetCaption(const String& caption);
  const String& Caption() const { return FCaption; }

  // Values outside the enumeration get a sizeable frame.
  void SetBorderStyle(int style);
  // Outer size and position, in pixels. A size is kept inside the limits.
  void SetLeft(int value);
  void SetTop(int value);
  void SetWidth(int value);
  void SetHeight(int value);
  // The outer size that gives the client area this size with the current
  // frame (within the limits).
  void SetClientSize(int width, int height);
  // Size limits; 0 means no limit.
  void SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight);
  void SetStayOnTop(bool value) { SetStayOnTopImpl(value); }
  void SetMaximized(bool value) { SetMaximizedImpl(value); }
  void SetCentered(bool value) { SetCenteredImpl(value); }
  // The window's content, which fills the client area. A view places
  // itself in the window it is created for (TBrowserView's constructor).
  void SetContent(TBrowserView& view);
  // Removes and destroys nothing: the view stays the caller's.
  void RemoveContent();

  void Show() { ShowImpl(); }
  void Hide() { HideImpl(); }
  // Shows the window and brings it to the front.
  void BringToFront() { BringToFrontImpl(); }
  bool Visible() const { return VisibleImpl(); }
  // Minimises the window, and brings it back to its earlier state.
  void Minimize() { MinimizeImpl(); }
  void Restore() { RestoreImpl(); }

  // A close request (caption button, system menu, or the program itself):
  // asks OnCloseQuery, and when that allows it runs OnClose and hides the
  // window. A close request raised while the query is still asking (the
  // page's own window.close, a second Escape) is the same request and does
  // nothing.
  void Close();

  // Returns whether the window may close (true when unset).
  std::function<bool()> OnCloseQuery;
  std::function<void()> OnClose;
  // Keys pressed while the focus is not inside a browser view (those keys
  // reach the view's own OnKeyDown). Key is a Windows virtual-key code.
  std::function<void(int Key)> OnKeyDown;

  void* NativeHandle() const { return NativeHandleImpl(); }

 protected:
  TFormWindow();

  // The hooks a backend implements: each does what its name says to the
  // toolkit's window, nothing more.
  virtual void SetCaptionImpl(const String& caption) = 0;
  virtual void SetFrameImpl(const TWindowFrame& frame) = 0;
  // size is already clamped; frame is the current one.
  virtual void SetSizeImpl(const TWindowSize& size, const TWindowFrame& frame) = 0;
  virtual void MoveImpl(int left, int top) = 0;
  virtual void SetStayOnTopImpl(bool value) = 0;
  virtual void SetMaximizedImpl(bool value) = 0;
  virtual void SetCenteredImpl(bool value) = 0;
  virtual void SetContentImpl(void* nativeView) = 0;
  virtual void RemoveContentImpl(void* nativeView) = 0;
  virtual void ShowImpl() = 0;
  virtual void HideImpl() = 0;
  virtual void BringToFrontImpl() = 0;
  virtual bool VisibleImpl() const = 0;
  virtual void MinimizeImpl() = 0;
  virtual void RestoreImpl() = 0;
  virtual void* NativeHandleImpl() const = 0;
  // How much wider and taller the outer size is than the client area. By
  // default nothing: the toolkit's size is the client area's, its
  // decorations outside it (GTK).
  virtual std::pair<int, int> FrameExtentImpl() const { return {0, 0}; }
  // A key message before the loop dispatches it (see MessageLoop.h); true
  // when the window took it. By default the window takes none.
  virtual bool PreDispatchKeyImpl(void* nativeMessage);

  friend bool PreDispatchKeyMessage(void* nativeMessage);

 private:
  void ApplySize();

  String FCaption;
  TWindowFrame FFrame;
  TWindowSize FSize;
  int FLeft = 0, FTop = 0;
  // The limits as configured; FSize holds the ones in force.
  int FMinWidth = 0, FMaxWidth = 0, FMinHeight = 0, FMaxHeight = 0;
  void* FContent = nullptr;
  bool FClosing = false;
};

}  // namespace lumora
