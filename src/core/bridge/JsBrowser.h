// What the script bridge needs from the browser that received a script
// call and from the application around it. The browser form implements it
// on each platform; tests give a fake.
#pragma once

namespace lumora {

class TJsBrowser {
 public:
  virtual ~TJsBrowser() = default;

  // The find dialog and the print preview of this browser (a page in a
  // popup window gets its own window's, not the main one's).
  virtual void ShowFindDialog() = 0;
  virtual void PrintPreview() = 0;
  // The application as a whole: minimise it, or bring it back.
  virtual void MinimizeApplication() = 0;
  virtual void RestoreApplication() = 0;
};

}  // namespace lumora
