// The stage's watch over its calls into plug-ins: every call that can run a
// script (a command's Run, a brain operation, a brain class's Prepare,
// MakeBrain and SendClassParams, a plug-in's unload) is bracketed by a
// CallWatch::Scope. Before each outermost call the stage's output is
// flushed (beforeCall), so that a plug-in that crashes or ends the process
// loses no line written before the call; and a watchdog thread, when
// started, ends the process when one call runs longer than the limit.
//
//   CallWatch::Scope scope(model.watch(), host, "Update");
//   host->plugin->Update(frameTime);
//
// A scope costs two stores and the beforeCall hook: no allocation, no
// clock read. The watchdog samples the call counter a few times a second
// and names the call from what the scope recorded, when it fires.
#ifndef TESSERA_STAGE_CALL_WATCH_H_
#define TESSERA_STAGE_CALL_WATCH_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace stage {

class HostBrain;

class CallWatch {
 public:
  CallWatch() = default;
  ~CallWatch();
  CallWatch(const CallWatch&) = delete;
  CallWatch& operator=(const CallWatch&) = delete;

  // Brackets one call. Nested scopes (a command that a brain runs) belong to
  // the outermost one, which names the call. The pointers must stay valid
  // for the scope's life.
  class Scope {
   public:
    // A brain operation: "Owner.Plugin.Operation".
    Scope(CallWatch& watch, const HostBrain* brain, const char* operation);
    // A command and its arguments ("Python run.py fast"), or any named call
    // (`args` null).
    Scope(CallWatch& watch, const std::string* name, const std::vector<std::string>* args);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CallWatch& watch_;
  };

  // Called before each outermost call (the stage program flushes its output
  // here); may be empty.
  std::function<void()> beforeCall;

  // Starts the watchdog: when one outermost call has run `seconds` or longer
  // (give or take a tenth of the limit, at most 0.1 s), `expire` is called
  // from the watchdog thread with the call's name and the process ends with
  // status 1. Nothing when `seconds` is 0 or less.
  void Start(double seconds, std::function<void(const std::string& call)> expire);

  // The name of the call running now ("" when none).
  std::string Current() const;

 private:
  void Enter();
  void Leave();
  void Watch();

  int depth_ = 0;  // the stage's thread only
  // Odd while an outermost call runs; every call counts it up twice.
  std::atomic<uint64_t> calls_{0};
  std::atomic<const HostBrain*> brain_{nullptr};
  std::atomic<const char*> operation_{nullptr};
  std::atomic<const std::string*> name_{nullptr};
  std::atomic<const std::vector<std::string>*> args_{nullptr};

  double limit_ = 0;
  std::function<void(const std::string&)> expire_;
  std::thread watchdog_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
};

}  // namespace stage

#endif  // TESSERA_STAGE_CALL_WATCH_H_
