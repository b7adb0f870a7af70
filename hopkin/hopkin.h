// The flocking creature brain: the brain class cHopkin and the brains it
// makes, one HopkinBrain per creature.
//
// The host gives each creature object a brain of the class cHopkin. The
// class's Prepare reads the tunables (init/chars/hopkin.ini over the
// built-in defaults) and builds the one flock that all creatures join;
// MakeBrain makes a brain per pair of names. Every frame each brain's Update
// lets the creature's boid flock, probes for blockers, measures the nearest
// player, smooths the creature's curiosity and fear toward that player,
// blends five weighted tendencies (flocking, avoiding blockers, keeping off a
// player who is too close, keeping the current velocity, the mood) into one
// velocity, turns the creature toward it and starts the walk, run, jump, turn
// or idle animation that matches, with the creature's voice. The creature is
// moved by its animations; the brain only turns it.
//
// Scripts talk to a brain through SendParams (one brain) or the class's
// SendClassParams (all brains): leaveflock, enterflock, freedom, death,
// deactivate, activate and travelto NAME..., compared without regard to case.
//
// Ownership: the class owns its brains, the flock and the tunables, and
// destroys them with itself; a brain owns its boid. Everything from the host
// (scene interface, objects, behaviours, sounds) stays the host's.
#ifndef TESSERA_HOPKIN_HOPKIN_H_
#define TESSERA_HOPKIN_HOPKIN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "hopkin/moods.h"
#include "hopkin/tunables.h"
#include "kit/boids/flock.h"
#include "kit/boids/vectors.h"
#include "kit/plugin/brain_class.h"
#include "kit/plugin/plugin.h"

// The per-level tunables of one creature: column L is used at mood level L.
struct HopkinLevels {
  float maxCuriosityDist[kHopkinMoodLevels];
  float peakCuriosityDist[kHopkinMoodLevels];
  float maxFearDist[kHopkinMoodLevels];
  float peakFearDist[kHopkinMoodLevels];
  float facingFearFactor[kHopkinMoodLevels];
  float curiosityRate[kHopkinMoodLevels];  // drawn once per creature
  float fearRate[kHopkinMoodLevels];
};

// The weights of the five tendencies.
struct HopkinInfluences {
  float velocity;
  float flock;
  float avoid;
  float mood;
  float avoidPlayer;
};

class HopkinBrain final : public egBrainDll {
 public:
  // Names of animations and of the player's activity are kept in buffers of
  // this many bytes; longer names are cut to kNameLimit - 1 characters.
  static constexpr int32_t kNameLimit = 64;

  // A brain of the class that owns `tunables`, `flock` (null before the
  // class is prepared: such a brain never steers) and `flockListsFilled`,
  // with the whole starting state made from the tunables. Draws its
  // pseudo-random numbers from the C runtime's generator, in this order: the
  // voice interval, four curiosity rates, four fear rates.
  HopkinBrain(const ktTunables* tunables, ktFlock* flock, int32_t* flockListsFilled);
  // Takes the boid out of the flock and deletes it.
  ~HopkinBrain();

  MK_DESTROYING_DESTRUCTOR(HopkinBrain)
  // The steering step of one frame (the time is not used). Returns 1.
  int32_t Update(float time) override;
  // Back to the flock with the starting mood level, counters, moods and
  // animation state. Returns 1.
  int32_t Reset() override;
  // One parameter command: argv[0] names it (any letter case); unknown
  // commands, a count below 1 and a null vector are ignored. Returns 1.
  int32_t SendParams(int32_t argc, const char** argv) override;
  const char* GetName() override;  // "HopkinBrain"
  MK_SELF_BRAIN()

  // --- Parts of the brain's work, named for the tests ----------------------
  // Modes (the commands of SendParams).
  void LeaveFlock();
  void EnterFlock();
  void Freedom();
  void Death();
  void TravelTo(int32_t count, const char* const* names);
  // Requests the animation `name` (walk, run, short_jump, slow_turn_left,
  // slow_turn_right or wait) without cutting a running movement short.
  void PlayAnimation(const char* name);
  // Plays the voice sound for the request `name` on the creature's emitter.
  void Speak(const char* name);
  // Steps 17 to 22 of Update: turns toward `blend` and starts the animation
  // for its speed.
  void TurnAndMove(ktVelocityVector& blend);

  // --- State ---------------------------------------------------------------
  std::string fFirstName;
  std::string fSecondName;
  const ktTunables* fTunables;
  ktFlock* fFlock;
  int32_t* fFlockListsFilled;
  ktBoid* fBoid = nullptr;  // made on the first steered frame

  // The five tendencies, in the accumulator in this order.
  ktInfluenceVector fFlockResult;
  ktInfluenceVector fAvoidResult;
  ktInfluenceVector fAvoidPlayer;
  ktInfluenceVector fVelocity;  // also the creature's current velocity
  ktInfluenceVector fMood;
  ktAccumInfluenceVectors fAccumulator;

  mkSceneObject* fObject = nullptr;  // this frame's creature
  int32_t fLocallyOwned = 1;
  int32_t fInFlock = 1;
  int32_t fActive = 1;
  // leaveflock arrived before the boid existed: the boid leaves the flock as
  // soon as it is made.
  int32_t fLeavePending = 0;
  int32_t fDeathsInRow = 0;
  int32_t fFreedomsInRow = 0;
  int32_t fMoodLevel = 0;
  int32_t fMaxMoodLevel = 0;
  int32_t fMinMoodLevel = 0;
  HopkinLevels fLevels = {};
  float fPlayerTooClose = 0.0f;
  float fVelocityWalk = 0.0f;
  float fVelocityRun = 0.0f;
  float fVelocityJump = 0.0f;

  egCharacter* fNearestPlayer = nullptr;
  mkVector3 fFromPlayer = {0.0f, 0.0f, 0.0f};  // creature - nearest player
  float fPlayerDistance = 0.0f;
  char fPlayerActivity[kNameLimit] = {};
  float fCuriosity = 0.0f;
  float fFear = 0.0f;
  float fCuriosityTimer = 0.0f;
  float fFearTimer = 0.0f;
  float fMoodStepTime = 0.6f;
  float fMoodStepJump = 0.6f;
  HopkinInfluences fInfluences = {};
  float fLonerFlockInfluence = 0.0f;
  float fLonerFlockInfluenceClose = 0.0f;

  // Steering constants.
  float fSpeedFactor = 1.0f;
  int32_t fProbeFactor = 3;
  float fSlowMoodSpeed = 0.25f;
  float fFastMoodSpeed = 1.0f;
  float fTurnLimit = 0.25f;  // radians per frame
  float fSpeedLimit = 5.0f;
  int32_t fStanding = 1;

  // Animation and voice.
  char fCurrentAnimation[kNameLimit] = {};
  int32_t fMovePlaying = 0;
  std::vector<float> fIdleWeights;
  std::string fVoiceEmitter;
  float fVoiceTimer = 0.0f;
  float fVoiceInterval = 0.0f;

 private:
  // The flock's tunables of the mode: influences, steering constants,
  // smoothing limits, wait and standing, idle weights.
  void SetFlockMode();
  void SetSteeringConstants();
  // The boid's part of returning to the flock.
  void BoidToFlock();
  // The boid's part of leaving it.
  void BoidToLoner();
  // Makes the boid on the first steered frame (false when it cannot).
  bool MakeBoid();
  // Update's work between its two statistics calls.
  void Step();
  // Raw and smoothed curiosity and fear for this frame's nearest player.
  void UpdateMoods(const mkPoint3& creature, const mkPoint3& player);
};

// The brain class. Its first own field is the list of the brains it made
// (ktBrainClassDll).
class cHopkin final : public ktBrainClassDll<HopkinBrain> {
 public:
  cHopkin() = default;
  // Destroys the brains in the order of making, then the flock.
  ~cHopkin();

  MK_DESTROYING_DESTRUCTOR(cHopkin)
  int32_t GetClassKind() override;  // 2
  // Fills the tunables (defaults, then init/chars/hopkin.ini), seeds the C
  // runtime's generator with time() and builds the flock. Only the first
  // call does anything: a second would append every default again and build
  // a second flock.
  void Prepare() override;
  // The brain made earlier for the same two names (each compared without
  // regard to case; null counts as the empty name), else a new one. Null
  // only when memory runs out.
  egBrainDll* MakeBrain(const char* first, const char* second) override;
  // SendClassParams (ktBrainClassDll): SendParams(argc, argv) of every
  // brain, in the order of making; `text` is not looked at.

  ktFlock* fFlock = nullptr;
  ktTunables fTunables;
  int32_t fPrepared = 0;
  // The flock's avoid and gathering lists are filled by the first brain
  // that steers, once for the plug-in's life.
  int32_t fFlockListsFilled = 0;
};

// A pseudo-random integer from 0 to 999 from the C runtime's generator, the
// one generator of every draw of the plug-in (the boids' cruising jitter
// included).
int32_t HopkinDraw1000();

// The file the brain class reads its tunables from, relative to the game
// directory.
constexpr const char* kHopkinTunablesPath = "init/chars/hopkin.ini";

#endif  // TESSERA_HOPKIN_HOPKIN_H_
