// The notification-area icon of the main window. Linux: a GtkStatusIcon in
// the X11 system tray.
#pragma once

#include <functional>
#include <memory>

#include "base/String.h"

namespace lumora {

class TTrayIcon {
 public:
  // Hidden, without hint.
  TTrayIcon();
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  void SetVisible(bool visible);
  bool Visible() const;
  void SetHint(const String& hint);
  String Hint() const;

  std::function<void()> OnClick;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace lumora
