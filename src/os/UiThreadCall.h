// Carries calls from any thread to the thread that created the object (the
// user-interface thread) and waits there until they have run. The protocol
// component uses it so that its request event, the archive and the windows
// are only ever touched on that thread.
//
// Windows: a hidden utility window of the creating thread, reached with a
// synchronous SendMessageW. Linux: the creating thread's GLib main context,
// reached with g_main_context_invoke while the caller waits.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

namespace lumora {

class TUiThreadCall {
 public:
  // Binds the object to the calling thread.
  TUiThreadCall();
  // Must run on the creating thread, with no call waiting.
  ~TUiThreadCall();
  TUiThreadCall(const TUiThreadCall&) = delete;
  TUiThreadCall& operator=(const TUiThreadCall&) = delete;

  // Runs call on the creating thread and returns when it has returned; on
  // that thread itself it is called directly. An error that call raises is
  // raised again here, on the caller's thread. The creating thread must be
  // running its message loop (or be inside LockServingCalls) for a call from
  // another thread to get through.
  void Send(const std::function<void()>& call);

  // Takes mutex, answering meanwhile the calls that other threads send to
  // this thread. A thread that holds mutex while it waits in Send for this
  // thread would otherwise wait forever.
  static void LockServingCalls(std::recursive_mutex& mutex);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace lumora
