// Calls carried to the creating thread by a synchronous message to a hidden
// utility window of that thread. SendMessageW from another thread waits
// until the window procedure has returned; on the owning thread it calls the
// procedure directly.
#include <windows.h>

#include <exception>

#include "os/UiThreadCall.h"
#include "os/win32/WindowClass.h"

namespace lumora {

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraUiThreadCall";

// WM_USER: wParam the call (const std::function<void()>*), lParam the slot
// (std::exception_ptr*) for an error it raises. An exception must never
// unwind through the system's message dispatch.
LRESULT CALLBACK UiCallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_USER) return ::DefWindowProcW(window, message, wParam, lParam);
  const auto* call = reinterpret_cast<const std::function<void()>*>(wParam);
  auto* error = reinterpret_cast<std::exception_ptr*>(lParam);
  try {
    (*call)();
  } catch (...) {
    *error = std::current_exception();
  }
  return 0;
}

// The number of hand-over windows this thread owns, for LockServingCalls.
thread_local int OwnedHere = 0;

}  // namespace

// The hidden window; destroyed by its owner on the thread that made it.
struct TUiThreadCall::TImpl {
  HWND Window = nullptr;

  TImpl() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterWindowClass(kWindowClass, UiCallWndProc);
    Window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!Window) RaiseWindowNotCreated(u"The hand-over window");
    ++OwnedHere;
  }
  ~TImpl() {
    ::DestroyWindow(Window);
    --OwnedHere;
  }
  TImpl(const TImpl&) = delete;
  TImpl& operator=(const TImpl&) = delete;
};

TUiThreadCall::TUiThreadCall() : FImpl(std::make_unique<TImpl>()) {}

TUiThreadCall::~TUiThreadCall() = default;

void TUiThreadCall::Send(const std::function<void()>& call) {
  std::exception_ptr error;
  ::SendMessageW(FImpl->Window, WM_USER, reinterpret_cast<WPARAM>(&call), reinterpret_cast<LPARAM>(&error));
  if (error) std::rethrow_exception(error);
}

void TUiThreadCall::LockServingCalls(std::recursive_mutex& mutex) {
  if (OwnedHere == 0) {
    mutex.lock();
    return;
  }
  // Only sent messages are dispatched here (PM_QS_SENDMESSAGE): posted input
  // and paint messages wait for the message loop, as in any modal wait.
  while (!mutex.try_lock()) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_SENDMESSAGE, 0);
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace lumora
