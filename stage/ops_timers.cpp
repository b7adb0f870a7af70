// Timers: scene-file timers found by name, and actors registered with them,
// which the stage runs when their delay has passed (Stage::RunFrame).
#include <cmath>

#include "stage/ops.h"

namespace stage {

mkRegistryKey* TimerOps::GetTimerKeyByID(const char* a1) {
  auto it = a1 != nullptr ? model_.timersByName_.find(a1) : model_.timersByName_.end();
  return it != model_.timersByName_.end() ? it->second->key : nullptr;
}

// A key that is no timer's, an actor that is not one, or a delay below 0 or
// not finite registers nothing.
void TimerOps::ActorTimerRegister(mkRegistryKey* a1, float a2, int32_t, int32_t, egTrigActor* a5,
                                  int32_t) {
  mkRegistryKey* key = model_.Key(a1);
  Actor* actor = model_.ActorOf(a5);
  if (key == nullptr || actor == nullptr || !(a2 >= 0.0f) || !std::isfinite(a2)) return;
  for (const auto& timer : model_.timers_)
    if (timer->key == key) {
      model_.timedActors_.push_back(TimedActor{timer.get(), actor, model_.seconds_ + a2});
      return;
    }
}

}  // namespace stage
