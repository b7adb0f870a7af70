// Actors, detectors, events, and the commands (XCmds) with their contexts.
#include <string>
#include <tuple>

#include "stage/ops.h"

namespace stage {

egTrigDetector* ActorOps::GetTrigDetectorByID(const char* a1) {
  return a1 == nullptr ? nullptr : Model::ToHandle<egTrigDetector>(model_.FindDetector(a1));
}
egTrigActor* ActorOps::GetTrigActorByID(const char* a1) {
  return a1 == nullptr ? nullptr : Model::ToHandle<egTrigActor>(model_.FindActor(a1));
}
egXCmd* ActorOps::GetXCmdByID(const char* a1) {
  return a1 == nullptr ? nullptr : model_.FindXCmd(a1);
}
const char* ActorOps::DetectorGetID(egTrigDetector* a1) {
  Detector* detector = model_.DetectorOf(a1);
  return detector != nullptr ? detector->name.c_str() : kNoObjectName;
}

mkRegistryKey* ActorOps::RegisterXCmd(const char* a1, egXCmd* a2) {
  if (a1 == nullptr || a2 == nullptr || *a1 == '\0') return nullptr;
  return model_.AddXCmd(a1, a2);
}

egContextMgr::Context* ActorOps::XCmdFindContext(void* a1, void* a2, void* a3) {
  const auto key = std::make_tuple(reinterpret_cast<uintptr_t>(a1), reinterpret_cast<uintptr_t>(a2),
                                   reinterpret_cast<uintptr_t>(a3));
  auto& slot = model_.contexts_[key];
  if (!slot) {
    slot = std::make_unique<Context>();
    slot->model = &model_;
    // Values that are the model's handles read as their names, others as
    // numbers.
    auto part = [this](void* value) {
      return model_.entities_.count(value) != 0 ? model_.Label(value)
                                                : std::to_string(reinterpret_cast<intptr_t>(value));
    };
    slot->label = part(a1) + "," + part(a2) + "," + part(a3);
    model_.Register(slot.get(), EntityKind::kContext, slot->label);
  }
  return slot.get();
}

int32_t ActorOps::XCmdRun(egXCmd* a1, int32_t a2, const char** a3, egActorInstance* a4,
                          egTrigActor* a5, egTrigDetector* a6) {
  if (!model_.Is(a1, EntityKind::kXCmd) || a2 < 0 || (a2 > 0 && a3 == nullptr)) return 1;
  return a1->Run(a2, a3, a4, a5, a6);
}

int32_t ActorOps::EventFind(const char* a1) {
  return a1 != nullptr && model_.events_.count(a1) ? 1 : 0;
}
// The actors that react to the event (the scene's `on` statements) run for
// a detector named after it.
void ActorOps::EventRegister(const char* a1, int32_t, int32_t) {
  if (a1 == nullptr) return;
  model_.events_.insert(a1);
  model_.Say(MessageKind::kStage, std::string("event ") + a1);
  const auto range = model_.eventActors_.equal_range(std::string_view(a1));
  if (range.first == range.second) return;
  Detector* detector = model_.AddDetector(a1);
  for (auto it = range.first; it != range.second; ++it)
    ExecActor(Model::ToHandle<egTrigActor>(it->second), Model::ToHandle<egTrigDetector>(detector),
              1, -1);
}
void ActorOps::EventRemove(const char* a1, int32_t) {
  if (a1 != nullptr) model_.events_.erase(a1);
}

int32_t ActorOps::ExecActor(egTrigActor* a1, egTrigDetector* a2, int32_t, int32_t) {
  Actor* actor = model_.ActorOf(a1);
  if (actor == nullptr) return 0;
  model_.Say(MessageKind::kStage, "actor " + actor->name);
  model_.QueueActor(actor, model_.DetectorOf(a2));
  return 1;
}

}  // namespace stage
