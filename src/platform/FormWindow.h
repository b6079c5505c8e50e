// A top-level window of the system: the main window and every window a
// page opens. It holds one content widget (a browser view) and raises the
// close query, close and key events its form handles.
#pragma once

#include <functional>
#include <memory>

#include "core/String.h"

namespace lumora {

class TBrowserView;

// The border styles by their ordinals.
enum TBorderStyle { bsNone = 0, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

class TFormWindow {
 public:
  TFormWindow();
  ~TFormWindow();
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  void SetCaption(const String& caption);
  String Caption() const;

  // Values outside the enumeration get a sizeable frame.
  void SetBorderStyle(int style);
  // Outer size and position, in pixels.
  void SetLeft(int value);
  void SetTop(int value);
  void SetWidth(int value);
  void SetHeight(int value);
  // Size limits; 0 means no limit.
  void SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight);
  void SetStayOnTop(bool value);
  void SetMaximized(bool value);
  void SetCentered(bool value);
  // The window's content; the view fills the client area.
  void SetContent(TBrowserView& view);
  // Removes and destroys nothing: the view stays the caller's.
  void RemoveContent();

  void Show();
  void Hide();
  // Shows the window and brings it to the front.
  void BringToFront();
  bool Visible() const;
  // Minimises the window, and brings it back to its earlier state.
  void Minimize();
  void Restore();

  // A close request (caption button, system menu, or the program itself):
  // asks OnCloseQuery, and when that allows it runs OnClose and hides the
  // window.
  void Close();

  // Returns whether the window may close (true when unset).
  std::function<bool()> OnCloseQuery;
  std::function<void()> OnClose;
  // Keys pressed while the focus is not inside a browser view (those keys
  // reach the view's own OnKeyDown). Key is a Windows virtual-key code.
  std::function<void(int Key)> OnKeyDown;

  void* NativeHandle() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace lumora
