// The brain class cHopkin, and the making, modes and parameter commands of
// its brains and the making of their boids. The per-frame step is in
// steer.cpp, animation and voice in animation.cpp.
#include "hopkin/hopkin.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "kit/ascii.h"

namespace {

int32_t ClampLevel(int32_t level) {
  return level < 0 ? 0 : level >= kHopkinMoodLevels ? kHopkinMoodLevels - 1 : level;
}

// The first four values of a per-level key into levels 0 to 3; levels the
// key gives no value for keep what they hold.
void ReadLevels(const ktTunables& tunables, const char* key, float* levels) {
  int32_t level = 0;
  for (const ktTunableValue& value : tunables.List(key)) {
    if (level == kHopkinMoodLevels) break;
    levels[level++] = value.AsFloat();
  }
}

// The weights of key's values. Out of memory they are left empty (every idle
// request then plays wait0) rather than let the failure reach the host.
void ReadWeights(const ktTunables& tunables, const char* key, std::vector<float>* weights) {
  weights->clear();
  try {
    for (const ktTunableValue& value : tunables.List(key)) weights->push_back(value.AsFloat());
  } catch (...) {
    weights->clear();
  }
}

// Calls `add` once for each string value of `key`, with that name alone.
template <class Add>
void ForEachName(const ktTunables& tunables, const char* key, Add add) {
  for (const ktTunableValue& value : tunables.List(key)) {
    if (value.AsString() == nullptr) continue;
    const char* names[2] = {value.AsString(), nullptr};
    add(names);
  }
}

// Levels of the distance tables that a file leaves without a value keep the
// built-in defaults; the rates start as the rate rule says.
const HopkinLevels kStartingLevels = {
    {100.0f, 100.0f, 100.0f, 100.0f},  // maxCuriosityDist
    {50.0f, 50.0f, 30.0f, 20.0f},      // peakCuriosityDist
    {100.0f, 100.0f, 100.0f, 100.0f},  // maxFearDist
    {50.0f, 30.0f, 20.0f, 20.0f},      // peakFearDist
    {0.85f, 0.75f, 0.75f, 0.5f},       // facingFearFactor
    {},
    {},
};
const float kStartingMaxFearRate[kHopkinMoodLevels] = {1.0f, 1.0f, 0.8f, 0.8f};

}  // namespace

int32_t HopkinDraw1000() {
  return std::rand() % 1000;
}

// --- HopkinBrain: making -------------------------------------------------------

HopkinBrain::HopkinBrain(const ktTunables* tunables, ktFlock* flock, int32_t* flockListsFilled)
    : fTunables(tunables),
      fFlock(flock),
      fFlockListsFilled(flockListsFilled),
      fAccumulator(0.1f, 0.9f) {
  const ktTunables& t = *fTunables;
  fMoodLevel = ClampLevel(t.Int("StartFlockMood"));
  fMaxMoodLevel = ClampLevel(t.Int("MaxFlockMood"));
  fMinMoodLevel = ClampLevel(t.Int("MinFlockMood"));
  fAccumulator.AddAVector(&fFlockResult);
  fAccumulator.AddAVector(&fAvoidResult);
  fAccumulator.AddAVector(&fAvoidPlayer);
  fAccumulator.AddAVector(&fVelocity);
  fAccumulator.AddAVector(&fMood);
  fVoiceTimer = 0.0f;
  fVoiceInterval = 2.0f + 3.0f * float(HopkinDraw1000()) * 0.001f;

  fLevels = kStartingLevels;
  ReadLevels(t, "MaxCuriosityDistance", fLevels.maxCuriosityDist);
  ReadLevels(t, "PeakCuriosityDistance", fLevels.peakCuriosityDist);
  ReadLevels(t, "MaxFearDistance", fLevels.maxFearDist);
  ReadLevels(t, "PeakFearDistance", fLevels.peakFearDist);
  ReadLevels(t, "FacingFearFactor", fLevels.facingFearFactor);
  fPlayerTooClose = t.Float("PlayerTooClose");
  float minCuriosity[kHopkinMoodLevels] = {}, maxCuriosity[kHopkinMoodLevels] = {};
  float minFear[kHopkinMoodLevels] = {}, maxFear[kHopkinMoodLevels];
  std::memcpy(maxFear, kStartingMaxFearRate, sizeof maxFear);
  ReadLevels(t, "MinCuriosityRate", minCuriosity);
  ReadLevels(t, "MaxCuriosityRate", maxCuriosity);
  ReadLevels(t, "MinFearRate", minFear);
  ReadLevels(t, "MaxFearRate", maxFear);
  for (int32_t i = 0; i < kHopkinMoodLevels; ++i)
    fLevels.curiosityRate[i] =
        minCuriosity[i] + float(HopkinDraw1000()) * 0.001f * (maxCuriosity[i] - minCuriosity[i]);
  for (int32_t i = 0; i < kHopkinMoodLevels; ++i)
    fLevels.fearRate[i] = minFear[i] + float(HopkinDraw1000()) * 0.001f * (maxFear[i] - minFear[i]);
  fVelocityWalk = t.Float("VelocityWalk");
  fVelocityRun = t.Float("VelocityRun");
  fVelocityJump = t.Float("VelocityJump");
  SetFlockMode();
}

HopkinBrain::~HopkinBrain() {
  if (fBoid != nullptr) {
    if (fFlock != nullptr) fFlock->RemoveFrom(fBoid);
    delete fBoid;
    fBoid = nullptr;
  }
}

const char* HopkinBrain::GetName() {
  return "HopkinBrain";
}

// --- HopkinBrain: modes ----------------------------------------------------------

void HopkinBrain::SetSteeringConstants() {
  fSpeedFactor = 1.0f;
  fProbeFactor = 3;
  fSlowMoodSpeed = 0.25f;
  fFastMoodSpeed = 1.0f;
  fTurnLimit = 0.25f;
  fSpeedLimit = 5.0f;
  fMoodStepTime = 0.6f;
  fMoodStepJump = 0.6f;
}

void HopkinBrain::SetFlockMode() {
  const ktTunables& t = *fTunables;
  fInfluences.velocity = t.Float("FlockVelocityInfluence");
  fInfluences.flock = t.Float("FlockFlockInfluence");
  fInfluences.avoid = t.Float("FlockAvoidInfluence");
  fInfluences.mood = t.Float("FlockMoodInfluence");
  fInfluences.avoidPlayer = t.Float("FlockAvoidHittingPlayerInfluence");
  fLonerFlockInfluence = fInfluences.flock;
  fLonerFlockInfluenceClose = fInfluences.flock;
  SetSteeringConstants();
  std::strcpy(fCurrentAnimation, "wait");
  fStanding = 1;
  ReadWeights(t, "FlockWaitWeights", &fIdleWeights);
  fCuriosity = 0.0f;
  fFear = 0.0f;
  fCuriosityTimer = 0.0f;
  fFearTimer = 0.0f;
}

void HopkinBrain::BoidToFlock() {
  fBoid->SetInFlock(1);
  fBoid->RemoveAllAvoidObjects();
  fBoid->RemoveAllGatheringPlaces();
  fBoid->DefaultAll();
  fInFlock = 1;
}

void HopkinBrain::BoidToLoner() {
  const ktTunables& t = *fTunables;
  fBoid->DefaultAll();
  fBoid->RemoveAllAvoidObjects();
  ForEachName(t, "LonerAvoiders",
              [this](const char* const* names) { fBoid->AddAvoidObjects(names); });
  fBoid->RemoveAllGatheringPlaces();
  ForEachName(t, "LonerGatherPlaces",
              [this](const char* const* names) { fBoid->AddGatheringPlaces(names); });
  fBoid->SetDesiredCruisingInfluence(t.Float("LonerFlockCruisingInfluence"));
  fBoid->SetDesiredKeepDistanceInfluence(t.Float("LonerFlockKeepDistanceInfluence"));
  fBoid->SetDesiredCohesionInfluence(t.Float("LonerFlockCohesionInfluence"));
  fBoid->SetDesiredMatchHeadingInfluence(t.Float("LonerFlockMatchHeadingInfluence"));
  fBoid->SetDesiredSteerToCenterInfluence(t.Float("LonerFlockSteerToCenterInfluence"));
  fBoid->SetDesiredGatheringPlaceInfluence(t.Float("LonerFlockGatheringPlaceInfluence"));
  fBoid->SetInFlock(0);
}

bool HopkinBrain::MakeBoid() {
  egSceneApi* api = fSceneApi;
  if (fFlock == nullptr) return false;
  if (*fFlockListsFilled == 0) {
    fFlock->RemoveAllAvoidObjects();
    ForEachName(*fTunables, "FlockAvoiders",
                [this](const char* const* names) { fFlock->AddAvoidObjects(names); });
    fFlock->RemoveAllGatheringPlaces();
    ForEachName(*fTunables, "FlockGatherPlaces",
                [this](const char* const* names) { fFlock->AddGatheringPlaces(names); });
    *fFlockListsFilled = 1;
  }
  const char* id = api->GetID(fObject);
  try {
    fVoiceEmitter = id != nullptr ? id : "";
    fVoiceEmitter += "..ZoveziHead";
  } catch (...) {
    return false;
  }
  fBoid = new (std::nothrow) ktBoid(api->ObjectGetKey(fObject), fFlock, api);
  if (fBoid == nullptr) return false;
  const ktTunables& t = *fTunables;
  const float minSeparation = t.Float("MinSeparationDist");
  fBoid->SetSeparationDist(minSeparation + float(HopkinDraw1000()) * 0.001f *
                                               (t.Float("MaxSeparationDist") - minSeparation));
  const float minCohesion = t.Float("MinCohesionDist");
  fBoid->SetCohesionDist(minCohesion + float(HopkinDraw1000()) * 0.001f *
                                           (t.Float("MaxCohesionDist") - minCohesion));
  fFlock->AddTo(fBoid);
  fBoid->SetInFlock(1);
  fInFlock = 1;
  fVelocity.SetSpeed(fSpeedFactor);
  fVelocity.SetInfluence(fInfluences.velocity);
  if (fLeavePending) {
    BoidToLoner();
    fInFlock = 0;
    fLeavePending = 0;
  }
  return true;
}

void HopkinBrain::LeaveFlock() {
  const ktTunables& t = *fTunables;
  fInfluences.velocity = t.Float("LonerVelocityInfluence");
  fInfluences.flock = t.Float("LonerFlockInfluence");
  fInfluences.avoid = t.Float("LonerAvoidInfluence");
  fInfluences.mood = t.Float("LonerMoodInfluence");
  fInfluences.avoidPlayer = t.Float("LonerAvoidHittingPlayerInfluence");
  fLonerFlockInfluence = t.Float("LonerFlockInfluence");
  fLonerFlockInfluenceClose = t.Float("LonerFlockInfluenceWhenClose");
  if (fBoid != nullptr) {
    BoidToLoner();
  } else {
    fLeavePending = 1;
  }
  fInFlock = 0;
  SetSteeringConstants();
  std::strcpy(fCurrentAnimation, "wait");
  fStanding = 1;
  ReadWeights(t, "LonerWaitWeights", &fIdleWeights);
  fActive = 1;
}

void HopkinBrain::EnterFlock() {
  if (fBoid != nullptr) BoidToFlock();
  fInFlock = 1;
  fLeavePending = 0;
  SetFlockMode();
  fActive = 1;
}

void HopkinBrain::Freedom() {
  ++fFreedomsInRow;
  fDeathsInRow = 0;
  if (fFreedomsInRow >= fTunables->Int("ConsecutiveFreedoms")) {
    fFreedomsInRow = 0;
    if (++fMoodLevel > fMaxMoodLevel) fMoodLevel = fMaxMoodLevel;
  }
}

void HopkinBrain::Death() {
  ++fDeathsInRow;
  fFreedomsInRow = 0;
  if (fDeathsInRow >= fTunables->Int("ConsecutiveDeaths")) {
    fDeathsInRow = 0;
    if (--fMoodLevel < fMinMoodLevel) fMoodLevel = fMinMoodLevel;
  }
}

void HopkinBrain::TravelTo(int32_t count, const char* const* names) {
  // All names go to one AddGatheringPlaces call: the list takes up to its
  // capacity from one call, while a call made on a list that already holds
  // nine places adds nothing.
  std::vector<const char*> list;
  try {
    list.reserve(size_t(count) + 1);
  } catch (...) {
    return;  // out of memory: the command changes nothing
  }
  for (int32_t i = 0; i < count; ++i)
    if (names[i] != nullptr) list.push_back(names[i]);
  list.push_back(nullptr);
  fBoid->RemoveAllGatheringPlaces();
  fBoid->AddGatheringPlaces(list.data());
  fInfluences.mood *= fTunables->Float("TravelToMoodFactor");
}

int32_t HopkinBrain::SendParams(int32_t argc, const char** argv) {
  if (argc < 1 || argv == nullptr || argv[0] == nullptr) return 1;
  const char* command = argv[0];
  if (ktSameTextNoCase(command, "leaveflock")) {
    if (fLocallyOwned) LeaveFlock();
  } else if (ktSameTextNoCase(command, "enterflock")) {
    // Also when leaveflock came before the boid: that leave is undone.
    if (fLocallyOwned && (fBoid != nullptr || fLeavePending)) EnterFlock();
    fActive = 1;
  } else if (ktSameTextNoCase(command, "freedom")) {
    Freedom();
  } else if (ktSameTextNoCase(command, "death")) {
    Death();
  } else if (ktSameTextNoCase(command, "deactivate")) {
    fActive = 0;
  } else if (ktSameTextNoCase(command, "activate")) {
    fActive = 1;
  } else if (ktSameTextNoCase(command, "travelto")) {
    if (fLocallyOwned && fBoid != nullptr && argc >= 2) TravelTo(argc - 1, argv + 1);
  }
  return 1;
}

int32_t HopkinBrain::Reset() {
  if (fBoid != nullptr) BoidToFlock();
  SetFlockMode();
  fLocallyOwned = 1;
  fInFlock = 1;
  fActive = 1;
  fLeavePending = 0;
  fDeathsInRow = 0;
  fFreedomsInRow = 0;
  fMovePlaying = 0;
  fMoodLevel = ClampLevel(fTunables->Int("StartFlockMood"));
  fVoiceTimer = 0.0f;
  return 1;
}

// --- cHopkin ---------------------------------------------------------------------

cHopkin::~cHopkin() {
  DestroyBrains();  // first: each brain takes its boid out of the flock
  delete fFlock;
  fFlock = nullptr;
  fTunables.Clear();
}

int32_t cHopkin::GetClassKind() {
  return 2;
}

void cHopkin::Prepare() {
  if (fPrepared) return;
  fPrepared = 1;
  try {
    HopkinAddDefaults(&fTunables);
    fTunables.Load(kHopkinTunablesPath);
  } catch (...) {
    // Out of memory: whatever was read stays; readers see 0 for the rest.
  }
  std::srand(unsigned(std::time(nullptr)));
  fFlock = new (std::nothrow) ktFlock(fSceneApi);
  if (fFlock == nullptr) return;
  fFlock->SetMaxSpeed(1.0f);
  fFlock->SetDesiredSpeed(0.5f);
  const struct {
    const char* key;
    void (ktFlock::*set)(float);
  } parameters[] = {
      {"FlockFlockPerceptionRange", &ktFlock::SetPerceptionRange},
      {"FlockFlockCruisingInfluence", &ktFlock::SetDesiredCruisingInfluence},
      {"FlockFlockKeepDistanceInfluence", &ktFlock::SetDesiredKeepDistanceInfluence},
      {"FlockFlockCohesionInfluence", &ktFlock::SetDesiredCohesionInfluence},
      {"FlockFlockMatchHeadingInfluence", &ktFlock::SetDesiredMatchHeadingInfluence},
      {"FlockFlockSteerToCenterInfluence", &ktFlock::SetDesiredSteerToCenterInfluence},
      {"FlockFlockGatheringPlaceInfluence", &ktFlock::SetDesiredGatheringPlaceInfluence},
  };
  for (const auto& parameter : parameters)
    if (fTunables.Find(parameter.key) != nullptr)
      (fFlock->*parameter.set)(fTunables.Float(parameter.key));
}

egBrainDll* cHopkin::MakeBrain(const char* first, const char* second) {
  if (first == nullptr) first = "";
  if (second == nullptr) second = "";
  return FindOrMake(
      [first, second](const HopkinBrain& brain) {
        return ktSameTextNoCase(brain.fFirstName.c_str(), first) &&
               ktSameTextNoCase(brain.fSecondName.c_str(), second);
      },
      [this, first, second] {
        auto* brain = new HopkinBrain(&fTunables, fFlock, &fFlockListsFilled);
        try {
          brain->fFirstName = first;
          brain->fSecondName = second;
        } catch (...) {
          brain->Destroy(1);
          throw;
        }
        return brain;
      });
}
