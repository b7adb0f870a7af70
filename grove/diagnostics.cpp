// Diagnostics of the quantities that the beetle builds its moods from, on
// any two objects, once or every frame (UPDATE "Yes"). Results go to the log
// channel; a wrong argument count to the warning channel.
#include <cstring>

#include "grove/grove.h"
#include "kit/plugin/command.h"

namespace {

// 0 (run again next frame) for exactly "Yes", else 1.
int32_t Repeat(const char* update) {
  return update != nullptr && std::strcmp(update, "Yes") == 0 ? 0 : 1;
}

const char* NameOf(egSceneApi* api, mkSceneObject* object) {
  const char* name = api->GetID(object);
  return name != nullptr ? name : "";
}

// The two objects of a diagnostic; false (and a warning for each) when a
// name names no object, for which there is nothing to measure.
bool TwoObjects(egSceneApi* api, const char** argv, const char* command, mkSceneObject** first,
                mkSceneObject** second) {
  *first = api->GetSceneObjectByID(argv[0]);
  *second = api->GetSceneObjectByID(argv[1]);
  if (*first == nullptr) ktWarn(api, "%s: %s is not found", command, argv[0]);
  if (*second == nullptr) ktWarn(api, "%s: %s is not found", command, argv[1]);
  return *first != nullptr && *second != nullptr;
}

}  // namespace

int32_t DistanceTestCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                             egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  mkSceneObject *a = nullptr, *b = nullptr;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  if (!TwoObjects(api, argv, "DistanceTest", &a, &b)) return 1;
  const mkPoint3 pa = ktWorldPosition(api, a, 0);
  const mkPoint3 pb = ktWorldPosition(api, b, 0);
  const float d2 = MagnitudeSquared(pb - pa);
  const float factor = d2 > 800.0f ? 0.0f : 1.0f - d2 * 0.00125f;
  const char* nameA = NameOf(api, a);
  const char* nameB = NameOf(api, b);
  ktLog(api, "Objects distance from %s to %s", nameA, nameB);
  ktLog(api, "Distance %f with a factor of %f", double(d2), double(factor));
  return Repeat(argv[2]);
}

int32_t FaceTestCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                         egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  mkSceneObject *player = nullptr, *object = nullptr;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  if (!TwoObjects(api, argv, "FaceTest", &player, &object)) return 1;
  const mkVector3 a = FirstAxis(api, player);
  const mkPoint3 o = ktWorldPosition(api, object, 0);
  const mkPoint3 p = ktWorldPosition(api, player, 0);
  const mkVector3 b = Direction(o, p);
  const float s = MagnitudeSquared(a + b);
  const float factor = s > kFacingLimit73 ? 0.0f : 1.0f - s * kFacingFactor73;
  const char* playerName = NameOf(api, player);
  const char* objectName = NameOf(api, object);
  ktLog(api, "How much is %s facing %s", playerName, objectName);
  ktLog(api, "Resultant %f with a factor of %f", double(s), double(factor));
  return Repeat(argv[2]);
}

int32_t DisplayCurFearCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                               egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  mkSceneObject *player = nullptr, *object = nullptr;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  if (!TwoObjects(api, argv, "DisplayCurFear", &player, &object)) return 1;
  const mkPoint3 p = ktWorldPosition(api, player, 0);
  const mkPoint3 o = ktWorldPosition(api, object, 0);
  const float d2 = MagnitudeSquared(p - o);
  const float proximity = d2 > 800.0f ? 0.0f : d2 <= 200.0f ? 1.0f : 1.0f - d2 * 0.00125f;
  const float facing =
      FacingFactor(FirstAxis(api, player), Direction(o, p), kFacingLimitWide, kFacingFactorWide);
  const float fear = (facing + proximity) * 0.5f;
  const float distance = d2 > 1500.0f   ? 0.0f
                         : d2 >= 800.0f ? 1.0f - (d2 - 800.0f) * 0.0014285714f
                                        : d2 * 0.00125f;
  float curiosity = distance;
  if (mkGBehavior* behavior = api->GetBehavior(player)) {
    mkRegistryKey* key = api->BehGetKey(behavior);
    float w = 0.5f;
    if (KeyIs(api, key, "run") || KeyIs(api, key, "long_jump")) {
      w = 0.0f;
    } else if (KeyIs(api, key, "wall_collide")) {
      w = 0.75f;
    } else if (KeyIs(api, key, "push") || KeyIs(api, key, "fall") || KeyIs(api, key, "get_up")) {
      w = 1.0f;
    }
    const char* keyName = key != nullptr ? api->KeyGetName(key) : nullptr;
    ktLog(api, "Behavior is %s for curiosity of %f", keyName != nullptr ? keyName : "", double(w));
    curiosity = (w + distance) * 0.5f;
  }
  ktLog(api, "Curiosity=%f vs. Fear=%f", double(curiosity), double(fear));
  return Repeat(argv[2]);
}
