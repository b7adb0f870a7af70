// The helpers that the brains and commands of the plug-in share: the facing
// factor, the short name of a behaviour key, positions and axes read
// safely, scene variables, the animation rule and the matrices of a turn and
// a step.
#include <cmath>
#include <cstring>

#include "grove/grove.h"
#include "kit/ascii.h"

float FacingFactor(const mkVector3& a, const mkVector3& b, float limit, float k) {
  const float s = MagnitudeSquared(a + b);
  return s > limit ? 0.0f : 1.0f - s * k;
}

const char* ShortName(const char* name) {
  if (name == nullptr) return "";
  const char* shortName = name;
  for (const char* p = name; p[0] != '\0'; ++p)
    if (p[0] == '.' && p[1] == '.') shortName = p + 2;
  return shortName;
}

bool KeyIs(egSceneApi* api, mkRegistryKey* key, const char* name) {
  if (key == nullptr) return false;
  const char* keyName = api->KeyGetName(key);
  if (keyName == nullptr) return false;
  return ktSameTextNoCase(ShortName(keyName), ShortName(name));
}

mkVector3 Direction(const mkPoint3& from, const mkPoint3& to) {
  mkVector3 d = to - from;
  Normalize(d);
  return d;
}

mkVector3 FirstAxis(egSceneApi* api, mkSceneObject* object) {
  mkVector3 view = ktWorldAxesOf(api, object).view;
  Normalize(view);
  return view;
}

bool PlayAnimation(egSceneApi* api, egCharacter* character, const char* name) {
  auto* object = reinterpret_cast<mkSceneObject*>(character);
  mkGBehavior* current = api->GetBehavior(object);
  if (current != nullptr && KeyIs(api, api->BehGetKey(current), name) &&
      api->BehGetPlaying(current, 0.0f, 1) != 0)
    return false;
  mkGBehavior* behavior = api->FindBehavior(character, name, -int32_t(std::strlen(name)));
  api->AnimPlay(object, behavior, 1, 1, 0, 0, -1.0f, 0, 0, 1.0f, 0);
  api->SetPlayingOneShot(character, 0);
  return true;
}

mkMatrix44 Rotation(const mkVector3& axis, float angle) {
  mkQuat q;
  SetFromAngleAxis(q, angle, axis);
  mkMatrix44 m;
  MakeMatrix(q, m);
  return m;
}

mkMatrix44 Translation(const mkVector3& offset) {
  mkMatrix44 m;
  Reset(m);
  m.m[0][3] = offset.fX;
  m.m[1][3] = offset.fY;
  m.m[2][3] = offset.fZ;
  m.flags = 0u;
  return m;
}

void MoveLocal(egSceneApi* api, mkSceneObject* object, const mkMatrix44& motion) {
  mkMatrix44 local;
  Reset(local);
  api->GetLocalMatrix(object, &local);
  mkMatrix44 moved = local * motion;
  api->SetLocalMatrix(object, &moved);
}
