// Branches on the scene and random choices: children, events and playing
// behaviours choose one of two actors; random actors, delays and objects;
// the first idle object; taking an object off its parent.
//
// The random draws use the C runtime's generator. RandomActor and
// PickRandomObject each seed it once with the calendar time, on their first
// run that draws; RandomTimerActor never seeds.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "kiln/commands.h"
#include "kit/plugin/command.h"

namespace {

bool gRandomActorSeeded = false;
bool gPickRandomObjectSeeded = false;

void SeedOnce(bool* seeded) {
  if (*seeded) return;
  std::srand(unsigned(std::time(nullptr)));
  *seeded = true;
}

bool IsPlaying(egSceneApi* api, mkGBehavior* behavior) {
  return api->BehGetPlaying(behavior, api->GetSecs(), 1) != 0;
}

}  // namespace

int32_t IfChildrenCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                           egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  const char* chosen = argv[2];
  mkSceneObject* parent = api->GetSceneObjectByID(argv[0]);
  if (parent == nullptr) {
    ktLog(api, "IfChildren: Parent not found");
  } else if (mkRegistryKey* key = api->GetObjKeyByID("a_child"); key == nullptr) {
    ktWarn(api, "IfChildren: FindKeyByName failed");
  } else {
    // "a_child" stays bound to the first child; scripts may use it after.
    api->VarSetToFirstChild(key, parent);
    auto* child = static_cast<mkSceneObject*>(key->fObject);
    if (child != nullptr) {
      const char* parentName = api->GetID(parent);
      const char* childName = api->GetID(child);
      ktLog(api, "IfChildren: %s(Parent) <- %s(Child)", parentName, childName);
      chosen = argv[1];
    } else {
      ktLog(api, "IfChildren: %s(Parent) - no children", api->GetID(parent));
    }
  }
  ktRunActorByName(api, chosen, detector,
                   {"IfChildren: nothing to execute", "IfChildren: %s Actor was not found"});
  return 1;
}

int32_t IfEventCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                        egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  const bool found = api->EventFind(argv[0]) != 0;
  ktLog(api, "IfEvent: Event %s was %s", argv[0], found ? "found" : "not found");
  ktRunActorByName(api, found ? argv[1] : argv[2], detector,
                   {"IfEvent: nothing to execute", "IfEvent: %s Actor was not found"});
  return 1;
}

int32_t RandomActorCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                            egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  // Without a name there is nothing to choose from (and no divisor).
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  SeedOnce(&gRandomActorSeeded);
  ktRunActorByName(api, argv[std::rand() % argc], detector,
                   {"RandomActor: nothing to execute", "RandomActor: %s Actor was not found"});
  return 1;
}

int32_t RandomTimerActorCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                 egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkRegistryKey* timer = api->GetTimerKeyByID(argv[0]);
  const int32_t delay = ktAtoi(argv[1]);
  const int32_t variance = ktAtoi(argv[2]);
  egTrigActor* actor = api->GetTrigActorByID(argv[3]);
  // A variance of 0 or below leaves no range to draw from.
  if (variance <= 0) {
    ktWarn(api, "RandomTimerActor: Variance must be at least 1 (it is %d)", variance);
    return 1;
  }
  const int64_t drawn = int64_t(delay) + std::rand() % variance;
  if (actor != nullptr) {
    api->ActorTimerRegister(timer, float(drawn), 0, 0, actor, 1);
    api->ExecActor(actor, detector, 1, -1);
  } else {
    ktWarn(api, "RandomTimerActor: %s Actor was not found", argv[3]);
  }
  return 1;
}

int32_t PickRandomObjectCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                 egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  SeedOnce(&gPickRandomObjectSeeded);
  mkSceneObject* object = api->GetSceneObjectByID(argv[1 + std::rand() % (argc - 1)]);
  api->VarSetTo(api->GetObjKeyByID(argv[0]), object);
  return 1;
}

int32_t DetachFromParentCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                 egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* child = ktFindObjectOrWarn(api, argv[0], "DetachFromParent: %s object not found");
  if (child == nullptr) return 1;
  mkSceneObject* parent = api->GetParent(child);
  if (parent != nullptr) {
    api->AttachObject(parent, child, 0, 0, 0);  // 0: detach
    const char* childName = api->GetID(child);
    const char* parentName = api->GetID(parent);
    ktLog(api, "DetachFromParent: %s(Child) is detached from %s(Parent)", childName, parentName);
  } else {
    ktLog(api, "DetachFromParent: %s(Child) - has no parent", api->GetID(child));
  }
  return 1;
}

int32_t NextIdleObjectCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                               egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* idle = nullptr;
  for (int32_t i = 1; i < argc && idle == nullptr; ++i) {
    mkSceneObject* object = api->GetSceneObjectByID(argv[i]);
    if (object == nullptr) continue;
    mkGBehavior* behavior = api->GetBehaviorFromName(object, nullptr);
    if (behavior == nullptr) continue;
    if (!IsPlaying(api, behavior)) {
      ktLog(api, "NextIdleObject: %s object was found to be idle", argv[i]);
      idle = object;
    }
  }
  api->VarSetTo(api->GetObjKeyByID(argv[0]), idle);
  return 1;
}

int32_t IfObjPlayingCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                             egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  if (object == nullptr) {
    ktWarn(api, "IfObjPlaying: object not found");
    ktLog(api, "IfObjPlaying: nothing to execute");
    return 1;
  }
  mkGBehavior* behavior = api->GetBehaviorFromName(object, "");
  if (behavior == nullptr) {
    ktWarn(api, "IfObjPlaying: behavior not found?");
    ktLog(api, "IfObjPlaying: nothing to execute");
    return 1;
  }
  ktRunActorByName(api, IsPlaying(api, behavior) ? argv[1] : argv[2], detector,
                   {"IfObjPlaying: nothing to execute", "IfObjPlaying: %s Actor was not found"});
  return 1;
}
