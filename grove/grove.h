// GroveXcmd: the beetle, periscope and shovel-vehicle brains and the
// commands of the sun-powered dish puzzle, with diagnostics of the beetle's
// moods.
//
// Brains: BeetleBrainSingle (one exported beetle), the brain class
// cBeetleBrain (one beetle per pair of names), Periscope, and ShovelVehicle,
// which is exported but not listed: a host binds it by its export name.
// Commands: CheckSunPower, JustGotoFrame, TestRotateDish, TestOpacityFilter,
// SetPeriscopeVars, DistanceTest, FaceTest, DisplayCurFear.
//
// The beetle and the periscope move their objects themselves, by
// multiplying the object's local matrix on the right (a turn about the
// object's own axis, a step along its own direction) and setting it back.
// The dish puzzle finds its objects through the global scene variables
// "global..PeriscopeDish", "global..TheSun" and "global..PeriscopeFilter";
// the periscope reads those and "global..PeriscopeMaster",
// "global..PeriscopeCeiling" and "global..PeriscopeFloor".
//
// Degenerate geometry never reaches the scene as NaN: a direction of length
// 0 stays the zero vector (its facing factor is then taken from the other
// vector alone), an arccosine's argument is kept within -1..1, and points
// and axes that the host does not fill in read as zeros.
#ifndef TESSERA_GROVE_GROVE_H_
#define TESSERA_GROVE_GROVE_H_

#include <cstdint>

#include "kit/host/host.h"
#include "kit/host/scene_geometry.h"
#include "kit/math/math.h"
#include "kit/plugin/brain_class.h"
#include "kit/plugin/command.h"
#include "kit/plugin/plugin.h"

// --- Helpers shared by the brains and commands (the plug-in's own) ----------------

// The facing factor of the unit vectors a and b with the limit L: s = |a +
// b|^2; 0 when s > L, else 1 - s * k (k is 1/L as a single-precision
// constant). 1 when a points exactly against b.
float FacingFactor(const mkVector3& a, const mkVector3& b, float limit, float k);

// The limits and factors that the plug-in uses.
constexpr float kFacingLimitWide = 3.8f, kFacingFactorWide = 0.2631579f;
constexpr float kFacingLimit45 = 0.5858f, kFacingFactor45 = 1.7070673f;
constexpr float kFacingLimit73 = 1.41f, kFacingFactor73 = 0.7092199f;
constexpr float kFacingLimit30 = 0.2679f;  // divided directly

// The part of `name` after its last "..", or the whole name when it has none;
// "" for null.
const char* ShortName(const char* name);
// Whether the key's short name equals the short name of `name`, without
// regard to case. A missing key is no name.
bool KeyIs(egSceneApi* api, mkRegistryKey* key, const char* name);

// The unit vector from `from` to `to`; the zero vector when they coincide.
mkVector3 Direction(const mkPoint3& from, const mkPoint3& to);
// The object's first world axis (kit/host/scene_geometry.h) scaled to unit
// length; the zero vector when the host gives none. Positions and the objects
// of scene variables come from the kit's readers (ktWorldPosition,
// ktVariableObject).
mkVector3 FirstAxis(egSceneApi* api, mkSceneObject* object);
template <class Handle>
mkVector3 FirstAxis(egSceneApi* api, Handle* object) {
  return FirstAxis(api, ktAsSceneObject(object));
}

// Plays the animation `name` on `object`: nothing when the object's current
// behaviour is that animation and plays; otherwise finds it (FindBehavior
// with minus the name's length), starts it (AnimPlay) and clears the one-shot
// flag. True when it started the animation.
bool PlayAnimation(egSceneApi* api, egCharacter* object, const char* name);

// Matrices of a turn by `angle` radians about the unit `axis`, and of a step
// by `offset`; the local matrix of `object` multiplied on the right by
// `motion` and set back.
mkMatrix44 Rotation(const mkVector3& axis, float angle);
mkMatrix44 Translation(const mkVector3& offset);
void MoveLocal(egSceneApi* api, mkSceneObject* object, const mkMatrix44& motion);

// --- The beetle -------------------------------------------------------------------

// Reaction codes (the beetle's reaction table).
enum : int16_t {
  kBeetleStand = 0,
  kBeetleSidle = 1,
  kBeetleWalkUp = 2,
  kBeetleRunUp = 3,
  kBeetleShy = 11,
  kBeetleWalkOff = 12,
  kBeetleRunOff = 13,
};

// A small creature that weighs fear of the player against curiosity and
// reacts: stands, turns toward or away, walks or runs toward or away. It
// moves its object by changing the object's local matrix; forward is the
// object's own -y direction.
class BeetleBrain final : public egBrainDll {
 public:
  // Draws its random ranges from the C runtime's generator, in this order:
  // run speed, curiosity range, curiosity scale, fear range, curiosity
  // weight, fear weight. The names are copied (null: no name).
  BeetleBrain(const char* first = nullptr, const char* second = nullptr);
  ~BeetleBrain();

  MK_DESTROYING_DESTRUCTOR(BeetleBrain)
  // Passes Update on, then one frame step. Returns 1. The step does nothing
  // while the brain's owner is not a character (warned once, on the first
  // update after it is attached) or the scene has no player.
  int32_t Update(float time) override;
  // "speed" (exact case) and a number: the run speed. Anything else is
  // ignored. Returns 1.
  int32_t SendParams(int32_t argc, const char** argv) override;
  const char* GetName() override;  // "BeetleBrain"
  MK_SELF_BRAIN()

  // Whether the names equal `first` and `second` without regard to case
  // (null counts as the empty name).
  bool SameNames(const char* first, const char* second) const;

  // --- Parts of the frame step, named for the tests ----------------------------
  // The unweighted fear and curiosity estimates for a squared distance, the
  // player's facing factor and the short name of the player's activity (null:
  // none).
  float FearEstimate(float distanceSquared, float playerFacing, const char* activity) const;
  float CuriosityEstimate(float distanceSquared, const char* activity) const;
  // Moves `value` toward `target` by the smoothing rule; `timer` gathers the
  // frame's seconds.
  void Smooth(float* value, float* timer, float target, float seconds) const;
  static int32_t Level(float value);
  // Carries out a reaction code on this frame's owner.
  void React(int32_t code, egCharacter* owner, mkGBehavior* behavior, mkRegistryKey* key);

  // --- State (the field order is the brain's layout) ---------------------------
  char* fFirstName = nullptr;
  char* fSecondName = nullptr;
  float fRunSpeed;
  float fWalkSpeed = 20.0f;
  float fFastTurnRate = 3.14159274f;
  float fSlowTurnRate = 0.785398185f;
  float fCuriosityRange;
  float fCuriosityScale;
  float fFearRange;
  float fFearFullRange = 100.0f;
  float fCuriosityWeight;
  float fFearWeight;
  float fCuriosity = 0.0f;
  float fFear = 0.0f;
  float fCuriosityTimer = 0.0f;
  float fFearTimer = 0.0f;
  int16_t fReactions[16];
  float fFacing = 0.0f;
  float fPreviousFacing = 0.0f;
  float fTurnSign = 1.0f;
  float fSmoothingTime = 0.5f;
  float fSmoothingJump = 0.5f;
  // 1 once the brain has warned that its owner is not a character (after
  // the layout above).
  int32_t fToldNotACharacter = 0;

 private:
  void Turn(egCharacter* owner, float rate, bool toward);
  void Forward(egCharacter* owner, float speed);
  void Idle(egCharacter* owner, mkGBehavior* behavior, mkRegistryKey* key);
};

// The beetle's brain class: one beetle per pair of names, kept for the
// plug-in's life and destroyed with it, in the order of making. Its first own
// field is the list of the brains it made (ktBrainClassDll), and its
// SendClassParams hands the arguments to SendParams of every brain.
class cBeetleBrain final : public ktBrainClassDll<BeetleBrain> {
 public:
  cBeetleBrain() = default;

  MK_DESTROYING_DESTRUCTOR(cBeetleBrain)
  int32_t GetClassKind() override;  // 2
  // Seeds the C runtime's generator with time().
  void Prepare() override;
  // The brain made earlier for the same two names (without regard to case),
  // else a new one. Null only when memory runs out or the list is full.
  egBrainDll* MakeBrain(const char* first, const char* second) override;
};

// --- The periscope ----------------------------------------------------------------

// Key states of the periscope's two keys.
enum : int32_t {
  kKeyUp = 0,
  kKeyPressed = 1,
  kKeyHeld = 2,
  kKeyRepeat = 3,
  kKeyReleased = 4,
};

// A player-operated periscope: lifts its object with the movement input
// between a ceiling and a floor, steps the master's animation rate with two
// keys, animates a light filter by how straight the camera looks at the sun
// and tilts a dish to follow the periscope's height.
class PeriscopeBrain final : public egBrainDll {
 public:
  PeriscopeBrain() = default;

  MK_DESTROYING_DESTRUCTOR(PeriscopeBrain)
  // Passes Update on, then one frame step. Returns 1.
  int32_t Update(float time) override;
  const char* GetName() override;  // "Periscope"
  MK_SELF_BRAIN()

  // The next state of a key from its state and whether it is down; `time`
  // is the time of its last change, renewed when the state changes.
  static int32_t StepKey(int32_t state, bool down, float now, float repeat, float* time);

  float fLiftSpeed = 2.0f;
  int32_t fKeyA = 7;
  float fRepeatA = 1.0f;
  int32_t fStateA = kKeyUp;
  float fTimeA = 0.0f;
  int32_t fKeyB = 6;
  float fRepeatB = 1.0f;
  int32_t fStateB = kKeyUp;
  float fTimeB = 0.0f;
  egSceneApi* fApi = nullptr;  // the scene interface of this frame
  float fRate = 0.0f;
  float fRateStep = 0.25f;
  float fRateMin = -4.0f;
  float fRateMax = 4.0f;
  int32_t fFilterFrame = 0;

 private:
  void Lift(mkSceneObject* owner, egGameController* controller);
  void StepRate(mkSceneObject* master);
  void Filter();
  void Dish(mkSceneObject* owner);
};

// --- The shovel vehicle -----------------------------------------------------------

// A ridable shovel machine: a vehicle brain (type 302) that the host
// attaches to a vehicle host brain (egPlayerVehicleBrain).
class ShovelVehicleBrain final : public egBrainDll {
 public:
  // The on-screen text of the vehicle's behaviour is kept in a buffer of this
  // many bytes; a longer name is cut to kTextLimit - 1 characters.
  static constexpr int32_t kTextLimit = 256;

  ShovelVehicleBrain() = default;

  MK_DESTROYING_DESTRUCTOR(ShovelVehicleBrain)
  int32_t GetType() override;  // 302
  int32_t Update(float time) override;
  int32_t PreUpdate(float time) override;
  const char* GetName() override;  // "ShovelVehicle"
  MK_SELF_BRAIN()

 private:
  egPlayerVehicleBrain* Vehicle() { return static_cast<egPlayerVehicleBrain*>(fBrain); }
};

// --- Commands ---------------------------------------------------------------------

// The command rows (kit/plugin/command.h), in the order of XCmdIdentDLL:
// name, class, argument counts and usage line. The sun, dish and filter
// commands are in sun.cpp, SetPeriscopeVars in periscope.cpp, the
// diagnostics in diagnostics.cpp.
#define GROVE_XCMDS(X)                                                                         \
  X(CheckSunPower, CheckSunPowerCmd, 0, kAnyCount, nullptr)                                    \
  X(JustGotoFrame, JustGotoFrameCmd, 2, kAnyCount,                                             \
    "JustGotoFrame: wrong number of arguments (Object, Frame)")                                \
  X(TestRotateDish, TestRotateDishCmd, 1, kAnyCount,                                           \
    "TestRotateDish: wrong number of arguments (Target)")                                      \
  X(TestOpacityFilter, TestOpacityFilterCmd, 0, kAnyCount, nullptr)                            \
  X(SetPeriscopeVars, SetPeriscopeVarsCmd, 5, 5,                                               \
    "SetPeriscopeVars: wrong number of arguments (Master,ceiling,floor,sun,filter)")           \
  X(DistanceTest, DistanceTestCmd, 3, 3,                                                       \
    "DistanceTest: wrong number of arguments (OBJECT1,OBJECT2,UPDATE)")                        \
  X(FaceTest, FaceTestCmd, 3, 3, "FaceTest: wrong number of arguments (PLAYER,OBJECT,UPDATE)") \
  X(DisplayCurFear, DisplayCurFearCmd, 3, 3,                                                   \
    "DisplayCurFear: wrong number of arguments (PLAYER,OBJECT,UPDATE)")
MK_DECLARE_XCMDS(GROVE_XCMDS)

// The power state's threshold of the dish's facing factor.
constexpr float kSunPowerThreshold = 0.98f;

#endif  // TESSERA_GROVE_GROVE_H_
