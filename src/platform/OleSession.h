// The user-interface thread's OLE apartment, entered for the lifetime of
// the object. The browser control and the URL layer need it on Windows;
// elsewhere it is nothing.
#pragma once

namespace lumora {

class TOleSession {
 public:
  TOleSession();
  ~TOleSession();
  TOleSession(const TOleSession&) = delete;
  TOleSession& operator=(const TOleSession&) = delete;

 private:
  // Whether this session initialised COM (Windows); Linux has none.
  [[maybe_unused]] bool FInitialized = false;
};

}  // namespace lumora
