// The swarm commands: registering the swarms and their step every frame.
#include "swarm/swarm.h"

#include <cstdio>

#include "kit/host/scene_geometry.h"
#include "kit/plugin/command.h"

namespace {

void* Value(int32_t value) {
  return reinterpret_cast<void*>(intptr_t(value));
}

// The header, made (swarmCount and firemarbleCount 0, reachSq 0 until
// BugFlockInit sets it) when it has no data yet; `made` tells which. Null when
// the host gives no context or no block.
SwarmHeader* FindHeader(egSceneApi* api, bool* made) {
  *made = false;
  return ktContextRecord<SwarmHeader>(api, Value(kSwarmHeaderRecord), kSwarmHeaderRecord,
                                      kSwarmHeaderRecord, [made](SwarmHeader* header) {
                                        header->swarmCount = 0;
                                        header->firemarbleCount = 0;
                                        header->reachSq = 0.0f;
                                        *made = true;
                                      });
}

egContextMgr::Context* SwarmContext(egSceneApi* api, int32_t index) {
  return api->XCmdFindContext(Value(kSwarmRecord), Value(kSwarmRecord), Value(index));
}

float DistanceSq(const mkPoint3& a, const mkPoint3& b) {
  const float dx = a.fX - b.fX, dy = a.fY - b.fY, dz = a.fZ - b.fZ;
  return dx * dx + dy * dy + dz * dz;
}

mkPoint3 Centroid(egSceneApi* api, egFlockManager* flock) {
  mkPoint3 c{0, 0, 0};
  api->FlockGetCentroid(flock, &c);
  return c;
}

// Whether `target` is still an object that a firemarble name gives. The
// record keeps the target's address from an earlier update; only an address
// that the host still hands out is passed back to it. The target is known by
// its identity, not by its number: the names of the present count are tried
// first, then those beyond it (a later BugFlockInit may have lowered the
// count under a target that is still in the scene).
bool TargetInScene(egSceneApi* api, const SwarmHeader& header, mkSceneObject* target) {
  if (target == nullptr) return false;
  char name[kFiremarbleNameLimit];
  const int32_t counted = header.firemarbleCount < 0 ? 0 : header.firemarbleCount;
  for (int32_t n = 1; n <= counted; ++n)
    if (FiremarbleName(n, name, sizeof name) && api->GetSceneObjectByID(name) == target)
      return true;
  for (int32_t n = counted + 1; n <= kMaxFiremarbles; ++n)
    if (FiremarbleName(n, name, sizeof name) && api->GetSceneObjectByID(name) == target)
      return true;
  return false;
}

// Runs `actor` (when there is one) with the scene variables the_bug_flock
// and the_target naming the swarm and `object`. A variable that the scene
// does not have is left out.
void RunSwarmActor(egSceneApi* api, egTrigActor* actor, egFlockManager* flock,
                   mkSceneObject* object, egTrigDetector* detector) {
  if (actor == nullptr) return;
  if (mkRegistryKey* key = api->GetObjKeyByID("the_bug_flock"))
    api->VarSetTo(key, reinterpret_cast<mkSceneObject*>(flock));
  if (mkRegistryKey* key = api->GetObjKeyByID("the_target")) api->VarSetTo(key, object);
  api->ExecActor(actor, detector, 1, -1);
}

// Searching and approaching: the nearest usable firemarble within searchSq
// becomes the goal, and is reached within the header's reachSq.
void Search(egSceneApi* api, const SwarmHeader& header, SwarmRecord& swarm,
            egTrigDetector* detector) {
  const mkPoint3 c = Centroid(api, swarm.flock);
  mkSceneObject* best = nullptr;
  float bestSq = swarm.searchSq + 1.0f;
  char name[kFiremarbleNameLimit];
  for (int32_t n = 1; n <= header.firemarbleCount; ++n) {
    if (!FiremarbleName(n, name, sizeof name)) break;
    mkSceneObject* object = api->GetSceneObjectByID(name);
    if (object == nullptr) {
      ktLog(api, "BugFlockUpdate: %s firemarble is not found", name);
    } else if (api->IsFireMarble(object) == 0) {
      ktLog(api, "BugFlockUpdate: %s firemarble is not a firemarble", name);
    } else if (api->GetEnable(object) == 0) {
      ktLog(api, "BugFlockUpdate: %s firemarble is not enabled", name);
    } else if (api->FMIsLit(reinterpret_cast<egFireMarble*>(object)) == 0) {
      ktLog(api, "BugFlockUpdate: %s firemarble is not Lit", name);
    } else {
      const float d = DistanceSq(c, ktWorldPosition(api, object));
      ktLog(api, "BugFlockUpdate: distance to %s is %f", name, double(d));
      // Strictly nearer: of two at the same distance the lower number stays.
      if (d < swarm.searchSq && d < bestSq) {
        best = object;
        bestSq = d;
      }
    }
  }
  if (best == nullptr) return;
  if (best != api->FlockGetGoal(swarm.flock)) {
    swarm.state = kSwarmApproaching;
    api->FlockSetGoalKey(swarm.flock, api->ObjectGetKey(best));
    swarm.target = best;
    RunSwarmActor(api, swarm.onTarget, swarm.flock, best, detector);
  }
  if (bestSq <= header.reachSq) {
    swarm.state = kSwarmConsuming;
    api->FlockSetGoalKey(swarm.flock, api->ObjectGetKey(best));
    swarm.target = best;
    RunSwarmActor(api, swarm.onReach, swarm.flock, best, detector);
  }
}

// Consuming: the meal ends when the timer, which is never reset, passes
// mealTime; a swarm that drifts out of reach before then searches again. A
// target that is put out is still consumed; one that left the scene is
// dropped.
void Consume(egSceneApi* api, const SwarmHeader& header, SwarmRecord& swarm,
             egTrigDetector* detector) {
  if (!TargetInScene(api, header, swarm.target)) {
    ktWarn(api, "BugFlockUpdate: target is gone, searching again");
    swarm.target = nullptr;
    swarm.state = kSwarmSearching;
    return;
  }
  swarm.mealTimer += api->GetSecsDelta();
  ktLog(api, "BugFlockUpdate: Consume_time is %f of rate %f", double(swarm.mealTimer),
        double(swarm.mealTime));
  if (swarm.mealTimer > swarm.mealTime) {
    swarm.meals += 1;
    swarm.state = swarm.meals >= swarm.mealLimit ? kSwarmReturning : kSwarmSearching;
    RunSwarmActor(api, swarm.onMeal, swarm.flock, swarm.target, detector);
  } else if (DistanceSq(Centroid(api, swarm.flock), ktWorldPosition(api, swarm.target)) >
             header.reachSq) {
    swarm.state = kSwarmSearching;
  }
}

// Returning: home is wherever the flock's goal is. A flock without a goal
// stays returning.
void Return(egSceneApi* api, const SwarmHeader& header, SwarmRecord& swarm,
            egTrigDetector* detector) {
  mkSceneObject* goal = api->FlockGetGoal(swarm.flock);
  if (goal == nullptr) return;
  if (DistanceSq(Centroid(api, swarm.flock), ktWorldPosition(api, goal)) <= swarm.homeSq) {
    swarm.state = kSwarmHome;
    mkSceneObject* target = TargetInScene(api, header, swarm.target) ? swarm.target : nullptr;
    RunSwarmActor(api, swarm.onHome, swarm.flock, target, detector);
  }
}

}  // namespace

bool FiremarbleName(int32_t number, char* name, size_t size) {
  const int length = std::snprintf(name, size, "%s%02d", kFiremarblePrefix, int(number));
  if (length < 0 || size_t(length) >= size) {
    if (size > 0) name[0] = '\0';
    return false;
  }
  return true;
}

int32_t BugFlockInitCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                             egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  bool made = false;
  SwarmHeader* header = FindHeader(api, &made);
  if (header == nullptr) return 1;
  int32_t count = ktAtoi(argv[0]);
  if (count > kMaxFiremarbles) {
    ktWarn(api, "BugFlockInit: %d firemarbles are more than %d; the first %d are used", int(count),
           int(kMaxFiremarbles), int(kMaxFiremarbles));
    count = kMaxFiremarbles;
  }
  header->firemarbleCount = count;
  header->reachSq = float(ktAtoi(argv[1]));
  return 1;
}

int32_t BugFlockAddFlockCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                 egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  bool made = false;
  SwarmHeader* header = FindHeader(api, &made);
  if (header == nullptr) return 1;
  const int32_t index = header->swarmCount;
  if (index < 0 || index >= kMaxSwarms) {
    ktWarn(api, "BugFlockAddFlock: at most %d swarms; %s is not added", int(kMaxSwarms), argv[0]);
    return 1;
  }
  egContextMgr::Context* context = SwarmContext(api, index);
  if (context == nullptr) return 1;
  // A record already at the next index is kept as it is, and not counted.
  if (context->GetData() != nullptr) {
    ktWarn(api, "BugFlockAddFlock: swarm record %d is taken; %s is not added", int(index), argv[0]);
    return 1;
  }
  auto* swarm = static_cast<SwarmRecord*>(context->AllocData(int32_t(sizeof(SwarmRecord))));
  if (swarm == nullptr) return 1;
  header->swarmCount = index + 1;
  swarm->flock = api->GetFlockManagerByID(argv[0]);
  if (swarm->flock == nullptr) ktWarn(api, "BugFlockAddFlock: %s flock is not found", argv[0]);
  swarm->mealLimit = ktAtoi(argv[1]);
  swarm->meals = 0;
  swarm->searchSq = float(ktAtoi(argv[2]));
  swarm->mealTime = float(ktAtoi(argv[3]));
  swarm->mealTimer = 0.0f;
  swarm->target = nullptr;
  swarm->state = kSwarmSearching;
  swarm->homeSq = float(ktAtoi(argv[4]));
  swarm->onTarget = api->GetTrigActorByID(argv[5]);
  swarm->onReach = api->GetTrigActorByID(argv[6]);
  swarm->onMeal = api->GetTrigActorByID(argv[7]);
  swarm->onHome = api->GetTrigActorByID(argv[8]);
  return 1;
}

int32_t BugFlockUpdateCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                               egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  bool made = false;
  SwarmHeader* header = FindHeader(api, &made);
  if (header == nullptr || made) ktWarn(api, "BugFlockUpdate: Header not found");
  // The count is read on every round: an actor that a swarm runs may add a
  // swarm before the loop ends.
  for (int32_t i = 0; header != nullptr && i < header->swarmCount && i < kMaxSwarms; ++i) {
    egContextMgr::Context* context = SwarmContext(api, i);
    auto* swarm = context != nullptr ? static_cast<SwarmRecord*>(context->GetData()) : nullptr;
    // A swarm whose flock the host did not know is never active.
    if (swarm == nullptr || swarm->flock == nullptr ||
        api->GetEnable(reinterpret_cast<mkSceneObject*>(swarm->flock)) == 0) {
      ktLog(api, "BugFlockUpdate: Flock is not active");
      continue;
    }
    switch (swarm->state) {
      case kSwarmSearching:
      case kSwarmApproaching:
        Search(api, *header, *swarm, detector);
        break;
      case kSwarmConsuming:
        Consume(api, *header, *swarm, detector);
        break;
      case kSwarmReturning:
        Return(api, *header, *swarm, detector);
        break;
      default:  // home, or a value no command writes
        break;
    }
  }
  if (api->EventFind(argv[0]) != 0) {
    ktLog(api, "BugUpdate: Event %s found, returning false", argv[0]);
    return 0;
  }
  ktLog(api, "BugUpdate: Event %s not found, returning true", argv[0]);
  return 1;
}
