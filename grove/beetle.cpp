// The beetle brain and its brain class: fear and curiosity toward the
// player, smoothed, into a reaction from the reaction table.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "grove/grove.h"
#include "kit/ascii.h"

namespace {

// Rows: curiosity level; columns: fear level.
const int16_t kReactionTable[16] = {
    kBeetleStand,  kBeetleShy,    kBeetleWalkOff, kBeetleRunOff,  //
    kBeetleSidle,  kBeetleSidle,  kBeetleShy,     kBeetleRunOff,  //
    kBeetleWalkUp, kBeetleWalkUp, kBeetleSidle,   kBeetleRunOff,  //
    kBeetleRunUp,  kBeetleRunUp,  kBeetleWalkUp,  kBeetleRunOff,
};

char* CopyName(const char* name) {
  if (name == nullptr) return nullptr;
  const size_t length = std::strlen(name);
  char* copy = new (std::nothrow) char[length + 1];
  if (copy != nullptr) std::memcpy(copy, name, length + 1);
  return copy;
}

// `name` is in lower case; a missing activity is none.
bool ShortIs(const char* activity, const char* name) {
  return activity != nullptr && ktSameTextNoCase(activity, name);
}

}  // namespace

// --- BeetleBrain ----------------------------------------------------------------------

BeetleBrain::BeetleBrain(const char* first, const char* second)
    : fFirstName(CopyName(first)), fSecondName(CopyName(second)) {
  fRunSpeed = 200.0f + float(std::rand() % 50);
  fCuriosityRange = 2000.0f + float(std::rand() % 500);
  fCuriosityScale = 500.0f + float(std::rand() % 100);
  fFearRange = 800.0f + float(std::rand() % 100);
  fCuriosityWeight = 0.8f + 0.1f * float(std::rand() % 3);
  fFearWeight = 0.8f + 0.1f * float(std::rand() % 3);
  std::memcpy(fReactions, kReactionTable, sizeof fReactions);
}

BeetleBrain::~BeetleBrain() {
  delete[] fFirstName;
  delete[] fSecondName;
}

const char* BeetleBrain::GetName() {
  return "BeetleBrain";
}

bool BeetleBrain::SameNames(const char* first, const char* second) const {
  return ktSameTextNoCase(fFirstName, first) && ktSameTextNoCase(fSecondName, second);
}

int32_t BeetleBrain::SendParams(int32_t argc, const char** argv) {
  if (argc >= 2 && argv != nullptr && argv[0] != nullptr && std::strcmp(argv[0], "speed") == 0)
    fRunSpeed = float(ktAtof(argv[1]));
  return 1;
}

float BeetleBrain::FearEstimate(float d2, float playerFacing, const char* activity) const {
  float sum = 0.0f;
  int32_t count = 0;
  if (d2 <= fFearRange) {
    sum += d2 <= fFearFullRange ? 1.0f : 1.0f - d2 / fFearRange;
    ++count;
  }
  sum += playerFacing;
  ++count;
  if (ShortIs(activity, "run") || ShortIs(activity, "long_jump")) {
    sum += 1.0f;
  } else if (ShortIs(activity, "short_jump") || ShortIs(activity, "turn_left_fast") ||
             ShortIs(activity, "turn_right_fast")) {
    sum += 0.75f;
  } else {
    sum += 0.5f;
  }
  ++count;
  // One less than the count: the estimate reaches 1.5 with three terms.
  return count > 1 ? sum / float(count - 1) : 0.0f;
}

float BeetleBrain::CuriosityEstimate(float d2, const char* activity) const {
  float sum = 0.0f;
  int32_t count = 0;
  if (d2 <= fCuriosityRange) {
    sum += d2 < fCuriosityScale ? d2 / fCuriosityScale : 1.0f;
    ++count;
  }
  if (ShortIs(activity, "run") || ShortIs(activity, "long_jump")) {
    sum += 0.0f;
  } else if (ShortIs(activity, "wait") || ShortIs(activity, "push") || ShortIs(activity, "fall") ||
             ShortIs(activity, "get_up")) {
    sum += 1.0f;
  } else {
    sum += 0.75f;
  }
  ++count;
  return sum / float(count);
}

void BeetleBrain::Smooth(float* value, float* timer, float target, float seconds) const {
  *timer += seconds;
  const float difference = *value > target ? *value - target : target - *value;
  if (*timer > fSmoothingTime || difference > fSmoothingJump) {
    *timer = 0.0f;
    *value = (*value + target) * 0.5f;
  }
}

int32_t BeetleBrain::Level(float value) {
  if (value > 0.75f) return 3;
  if (value > 0.35f) return 2;
  if (value > 0.0f) return 1;
  return 0;
}

int32_t BeetleBrain::Update(float time) {
  PassOn()->Update(time);
  egSceneApi* api = fSceneApi;
  egCharacter* owner = fBrain->GetOwnerChar();
  if (owner == nullptr) {
    if (fToldNotACharacter == 0) {
      fToldNotACharacter = 1;
      const char* name = api->GetID(fBrain->GetOwnerObj());
      ktWarn(api, "BeetleBrain: %s is not a character; the beetle stays still",
             name != nullptr ? name : "");
    }
    return 1;
  }
  egCharacter* player = api->GetPlayer();
  if (player == nullptr) return 1;

  mkGBehavior* behavior = api->GetBehavior(reinterpret_cast<mkSceneObject*>(owner));
  mkRegistryKey* key = behavior != nullptr ? api->BehGetKey(behavior) : nullptr;

  const mkPoint3 here = ktWorldPosition(api, owner, 0);
  const mkPoint3 there = ktWorldPosition(api, player, 0);
  const float d2 = MagnitudeSquared(there - here);
  mkGBehavior* playerBehavior = api->GetBehavior(reinterpret_cast<mkSceneObject*>(player));
  mkRegistryKey* playerKey = playerBehavior != nullptr ? api->BehGetKey(playerBehavior) : nullptr;
  const char* activity = playerKey != nullptr ? ShortName(api->KeyGetName(playerKey)) : nullptr;
  const float seconds = api->GetSecsDelta();

  const float playerFacing = FacingFactor(FirstAxis(api, player), Direction(here, there),
                                          kFacingLimitWide, kFacingFactorWide);
  Smooth(&fFear, &fFearTimer, FearEstimate(d2, playerFacing, activity) * fFearWeight, seconds);
  Smooth(&fCuriosity, &fCuriosityTimer, CuriosityEstimate(d2, activity) * fCuriosityWeight,
         seconds);

  fFacing = FacingFactor(FirstAxis(api, owner), Direction(there, here), kFacingLimitWide,
                         kFacingFactorWide);
  React(fReactions[Level(fCuriosity) * 4 + Level(fFear)], owner, behavior, key);
  fPreviousFacing = fFacing;
  return 1;
}

void BeetleBrain::React(int32_t code, egCharacter* owner, mkGBehavior* behavior,
                        mkRegistryKey* key) {
  switch (code) {
    case kBeetleStand:
      Idle(owner, behavior, key);
      break;
    case kBeetleSidle:
      if (fFacing < 0.9f) Turn(owner, fSlowTurnRate, true);
      Idle(owner, behavior, key);
      break;
    case kBeetleWalkUp:
      if (fFacing < 0.9f) Turn(owner, fSlowTurnRate, true);
      Forward(owner, fWalkSpeed);
      break;
    case kBeetleRunUp:
      if (fFacing < 0.75f) {
        Turn(owner, fFastTurnRate, true);
        Idle(owner, behavior, key);
      } else {
        if (fFacing < 0.9f) Turn(owner, fSlowTurnRate, true);
        Forward(owner, fRunSpeed);
      }
      break;
    case kBeetleShy:
      if (fFacing > 0.1f) Turn(owner, fSlowTurnRate, false);
      Idle(owner, behavior, key);
      break;
    case kBeetleWalkOff:
      if (fFacing > 0.1f) Turn(owner, fSlowTurnRate, false);
      Forward(owner, fWalkSpeed);
      break;
    case kBeetleRunOff:
      if (fFacing > 0.25f) {
        Turn(owner, fFastTurnRate, false);
        Idle(owner, behavior, key);
      } else {
        if (fFacing > 0.1f) Turn(owner, fSlowTurnRate, false);
        Forward(owner, fRunSpeed);
      }
      break;
    default:
      break;
  }
}

// Keeps turning one way while that improves the facing, reverses when it
// gets worse.
void BeetleBrain::Turn(egCharacter*, float rate, bool toward) {
  if (toward ? fFacing < fPreviousFacing : fFacing > fPreviousFacing) fTurnSign = -fTurnSign;
  const float angle = fSceneApi->GetSecsDelta() * fTurnSign * rate;
  MoveLocal(fSceneApi, fBrain->GetOwnerObj(), Rotation({0.0f, 0.0f, 1.0f}, angle));
}

// Forward is the owner's own -y direction.
void BeetleBrain::Forward(egCharacter*, float speed) {
  const float d = fSceneApi->GetSecsDelta() * speed;
  MoveLocal(fSceneApi, fBrain->GetOwnerObj(), Translation({0.0f, -d, 0.0f}));
}

void BeetleBrain::Idle(egCharacter* owner, mkGBehavior* behavior, mkRegistryKey* key) {
  if (behavior != nullptr && KeyIs(fSceneApi, key, "idle")) return;
  PlayAnimation(fSceneApi, owner, "idle");
}

// --- cBeetleBrain ---------------------------------------------------------------------

int32_t cBeetleBrain::GetClassKind() {
  return 2;
}

void cBeetleBrain::Prepare() {
  std::srand(unsigned(std::time(nullptr)));
}

egBrainDll* cBeetleBrain::MakeBrain(const char* first, const char* second) {
  return FindOrMake(
      [first, second](const BeetleBrain& brain) { return brain.SameNames(first, second); },
      [first, second]() -> BeetleBrain* {
        auto* brain = new (std::nothrow) BeetleBrain(first, second);
        // A name that could not be copied: no brain rather than a nameless one.
        if (brain != nullptr && ((first != nullptr && brain->fFirstName == nullptr) ||
                                 (second != nullptr && brain->fSecondName == nullptr))) {
          brain->Destroy(1);
          return nullptr;
        }
        return brain;
      });
}
