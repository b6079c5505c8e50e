// Calls carried to the creating thread through its GLib main context.
//
// WebKitGTK already calls the scheme handler on the user-interface thread,
// so in the running program Send is a direct call; the hand-over serves
// requests that arrive on other threads.
//
// Each waiting call sits in the owner's queue and has an idle source on the
// owner's main context. Whichever reaches it first runs it: the main loop
// through the idle source, or LockServingCalls, which drains the queues of
// the thread's own hand-over objects without dispatching anything else.
#include <glib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <thread>
#include <vector>

#include "os/UiThreadCall.h"

namespace lumora {

namespace {

struct TPendingCall {
  explicit TPendingCall(const std::function<void()>& call) : Call(call) {}

  const std::function<void()>& Call;
  std::exception_ptr Error;
  std::mutex Mutex;
  std::condition_variable Finished;
  bool Claimed = false;
  bool Done = false;

  // Runs the call unless someone else already has; on the owning thread.
  void RunOnce() {
    {
      std::lock_guard<std::mutex> lock(Mutex);
      if (Claimed) return;
      Claimed = true;
    }
    try {
      Call();
    } catch (...) {
      Error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(Mutex);
      Done = true;
    }
    Finished.notify_one();
  }
};

using TPendingRef = std::shared_ptr<TPendingCall>;

gboolean RunFromIdle(gpointer data) {
  (*static_cast<TPendingRef*>(data))->RunOnce();
  return G_SOURCE_REMOVE;
}

void FreeIdleData(gpointer data) { std::unique_ptr<TPendingRef>(static_cast<TPendingRef*>(data)); }

}  // namespace

struct TUiThreadCall::TImpl {
  std::thread::id Owner = std::this_thread::get_id();
  GMainContext* Context = g_main_context_ref_thread_default();
  std::mutex QueueMutex;
  std::deque<TPendingRef> Queue;

  // The hand-over objects created on this thread, for LockServingCalls.
  static thread_local std::vector<TImpl*> OwnedHere;

  TImpl() { OwnedHere.push_back(this); }
  ~TImpl() {
    OwnedHere.erase(std::remove(OwnedHere.begin(), OwnedHere.end(), this), OwnedHere.end());
    g_main_context_unref(Context);
  }

  void Drain() {
    for (;;) {
      TPendingRef next;
      {
        std::lock_guard<std::mutex> lock(QueueMutex);
        if (Queue.empty()) return;
        next = std::move(Queue.front());
        Queue.pop_front();
      }
      next->RunOnce();
    }
  }
};

thread_local std::vector<TUiThreadCall::TImpl*> TUiThreadCall::TImpl::OwnedHere;

TUiThreadCall::TUiThreadCall() : FImpl(std::make_unique<TImpl>()) {}

TUiThreadCall::~TUiThreadCall() = default;

void TUiThreadCall::Send(const std::function<void()>& call) {
  if (std::this_thread::get_id() == FImpl->Owner) {
    call();
    return;
  }
  auto pending = std::make_shared<TPendingCall>(call);
  {
    std::lock_guard<std::mutex> lock(FImpl->QueueMutex);
    FImpl->Queue.push_back(pending);
  }
  // An idle source of the owner's context, never g_main_context_invoke: that
  // runs the call on this thread when the owner is not iterating.
  GSource* source = g_idle_source_new();
  g_source_set_callback(source, RunFromIdle, std::make_unique<TPendingRef>(pending).release(), FreeIdleData);
  g_source_attach(source, FImpl->Context);
  g_source_unref(source);
  {
    std::unique_lock<std::mutex> lock(pending->Mutex);
    pending->Finished.wait(lock, [&] { return pending->Done; });
  }
  {
    // Whoever ran it, the queue no longer needs it.
    std::lock_guard<std::mutex> lock(FImpl->QueueMutex);
    FImpl->Queue.erase(std::remove(FImpl->Queue.begin(), FImpl->Queue.end(), pending), FImpl->Queue.end());
  }
  if (pending->Error) std::rethrow_exception(pending->Error);
}

void TUiThreadCall::LockServingCalls(std::recursive_mutex& mutex) {
  // A thread that owns no hand-over object is never waited for.
  if (TImpl::OwnedHere.empty()) {
    mutex.lock();
    return;
  }
  while (!mutex.try_lock()) {
    // A copy: a call may create or destroy hand-over objects of this thread.
    const std::vector<TImpl*> owned = TImpl::OwnedHere;
    for (TImpl* impl : owned) {
      const auto& now = TImpl::OwnedHere;
      if (std::find(now.begin(), now.end(), impl) != now.end()) impl->Drain();
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

}  // namespace lumora
