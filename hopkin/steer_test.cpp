// The creature's steering step, its rules, and turning with the movement
// animations (steer.cpp), judged by the brain's state and the stage's call
// trace.
#include "hopkin/hopkin_test_fixture.h"

namespace {

// The creature fixture's names: HopkinTest, Creature, kSounds, Lines,
// WithoutDigits.
using namespace hopkintest;

const float kPi = 3.14159265f;

TEST_F(HopkinTest, FirstFrameMakesTheBoidAndFillsTheFlockLists) {
  Scene(Creature("Zovezi01", "at 0 0 0") +
        "object Cove..ZoveziWallBlocker at 0 60 0\n object Cove..GatherPlace02 at 40 0 0\n"
        "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  ASSERT_NE(hopkin_.fFlock, nullptr);
  ktFlock& flock = *hopkin_.fFlock;
  EXPECT_EQ(flock.GetMaxSpeed(), 1.0f);
  EXPECT_EQ(flock.GetDesiredSpeed(), 0.5f);
  EXPECT_EQ(flock.GetPerceptionRange(), 200.0f);
  EXPECT_EQ(flock.GetDesiredCruisingInfluence(), 0.5f);
  EXPECT_EQ(flock.GetDesiredKeepDistanceInfluence(), 1.0f);
  EXPECT_EQ(flock.GetDesiredCohesionInfluence(), 0.5f);
  EXPECT_EQ(flock.GetDesiredMatchHeadingInfluence(), 0.5f);
  EXPECT_EQ(flock.GetDesiredSteerToCenterInfluence(), 0.5f);
  EXPECT_EQ(flock.GetDesiredGatheringPlaceInfluence(), 0.75f);
  EXPECT_EQ(flock.GetSeparationDist(), 5.0f);  // no key: the library's default
  EXPECT_EQ(brain->fBoid, nullptr);
  EXPECT_EQ(flock.GetAvoidObjects()[0], nullptr);

  Frame();
  ASSERT_NE(brain->fBoid, nullptr);
  EXPECT_EQ(hopkin_.fFlockListsFilled, 1);
  // Only the names that name objects of the scene are kept.
  EXPECT_EQ(flock.GetAvoidObjects()[0], stage_.model().FindKey("Cove..ZoveziWallBlocker"));
  EXPECT_EQ(flock.GetAvoidObjects()[1], nullptr);
  EXPECT_EQ(flock.GetGatheringPlaces()[0], stage_.model().FindKey("Cove..GatherPlace02"));
  EXPECT_EQ(flock.GetGatheringPlaces()[1], nullptr);
  EXPECT_EQ(flock.GetFirstMember(), brain->fBoid);
  EXPECT_EQ(brain->fBoid->IsInFlock(), 1);
  EXPECT_EQ(brain->fVoiceEmitter, "Zovezi01..ZoveziHead");
  EXPECT_GE(brain->fBoid->GetSeparationDist(), 7.5f);
  EXPECT_LT(brain->fBoid->GetSeparationDist(), 10.0f);
  EXPECT_GE(brain->fBoid->GetCohesionDist(), 15.0f);
  EXPECT_LT(brain->fBoid->GetCohesionDist(), 20.0f);
  EXPECT_EQ(brain->fVelocity.GetInfluence(), 0.0f);  // FlockVelocityInfluence
}

TEST_F(HopkinTest, HiddenCreatureDropsOutOfTheFlock) {
  Scene(Creature("Zovezi01", "at 0 0 0") + Creature("Zovezi02", "at 3 0 0") + kSounds +
        "player Hero at 0 -80 0\n");
  HopkinBrain* first = Brain("Zovezi01");
  HopkinBrain* second = Brain("Zovezi02");
  Frame();
  Frame();
  EXPECT_EQ(first->fBoid->fFriendCount, 1);

  Object("Zovezi02")->draw = 0;
  Mark();
  Frame();
  EXPECT_EQ(second->fInFlock, 0);
  EXPECT_EQ(second->fBoid->IsInFlock(), 0);
  Lines turnsAndAnimations;
  for (const std::string& line :
       Calls({"SetLocalMatrix", "AnimStop", "AnimPlay", "AnimContinuePlay", "GetWorldAxes"}))
    if (line.find("Zovezi02") != std::string::npos) turnsAndAnimations.push_back(line);
  EXPECT_EQ(turnsAndAnimations, Lines{});

  Object("Zovezi02")->draw = 1;
  Frame();
  Frame();
  EXPECT_EQ(second->fInFlock, 0);
  EXPECT_EQ(second->fBoid->IsInFlock(), 0);
  EXPECT_EQ(first->fBoid->fFriendCount, 0);

  Params(second, {"enterflock"});
  Frame();
  EXPECT_EQ(second->fInFlock, 1);
  EXPECT_EQ(first->fBoid->fFriendCount, 1);
}

TEST_F(HopkinTest, DisabledCreatureDropsOutOfTheFlockToo) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  Object("Zovezi01")->enable = 0;
  Mark();
  Frame();
  EXPECT_EQ(brain->fBoid->IsInFlock(), 0);
  EXPECT_EQ(Calls({"GetEnable", "GetDraw"}), (Lines{"@1 GetEnable(Zovezi01) -> 0"}));
}

TEST_F(HopkinTest, CreatureOwnedElsewhereComputesNothing) {
  Scene(Creature("Zovezi01", "at 0 0 0 remote") + "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  Mark();
  Frame();
  EXPECT_EQ(brain->fBoid, nullptr);
  EXPECT_EQ(brain->fLocallyOwned, 0);
  EXPECT_EQ(hopkin_.fFlockListsFilled, 0);
  EXPECT_EQ(Traced(), (Lines{"@1 >Zovezi01.cHopkin.Update(0.1)", "@1 ReservedStatBegin(5)",
                             "@1 NetGetLocallyOwned(Zovezi01) -> 0", "@1 GetEnable(Zovezi01) -> 1",
                             "@1 GetDraw(Zovezi01) -> 1", "@1 ReservedStatEnd(5)",
                             "@1 <Zovezi01.cHopkin.Update() -> 1"}));
  // Mode commands need a creature this machine owns.
  Params(brain, {"leaveflock"});
  EXPECT_EQ(brain->fInFlock, 1);
}

TEST_F(HopkinTest, DeactivatedCreatureDoesNothingUntilActivated) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Params(brain, {"deactivate"});
  Mark();
  Frame();
  EXPECT_EQ(Traced(), (Lines{"@0 >Zovezi01.cHopkin.Update(0.1)", "@0 ReservedStatBegin(5)",
                             "@0 ReservedStatEnd(5)", "@0 <Zovezi01.cHopkin.Update() -> 1"}));
  Params(brain, {"activate"});
  Frame();
  EXPECT_NE(brain->fBoid, nullptr);
}

struct NearestCase {
  const char* name;
  std::string players;
  const char* nearest;  // null: nobody
  float distance;
};

void PrintTo(const NearestCase& c, std::ostream* os) {
  *os << c.name;
}

class NearestPlayerTest : public HopkinTest, public ::testing::WithParamInterface<NearestCase> {};

TEST_P(NearestPlayerTest, Is) {
  Scene(Creature("Zovezi01", "at 0 0 0") + GetParam().players);
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  EXPECT_EQ(static_cast<void*>(brain->fNearestPlayer),
            GetParam().nearest != nullptr ? Handle(GetParam().nearest) : nullptr);
  EXPECT_EQ(brain->fPlayerDistance, GetParam().distance);
}

const NearestCase kNearestCases[] = {
    {"LocalPlayer", "player Hero at 0 -30 0\n", "Hero", 30.0f},
    {"NearerRemoteCharacter",
     "player Hero at 0 -30 0\n object Other character remoteplayer at 0 10 0\n", "Other", 10.0f},
    {"EqualRemoteCharactersKeepTheFirst",
     "player Hero at 0 -30 0\n object Other1 character remoteplayer at 0 20 0\n"
     "object Other2 character remoteplayer at 20 0 0\n",
     "Other1", 20.0f},
    {"EqualRemoteCharactersKeepTheFirstEitherWay",
     "player Hero at 0 -30 0\n object Other1 character remoteplayer at 20 0 0\n"
     "object Other2 character remoteplayer at 0 20 0\n",
     "Other1", 20.0f},
    {"LocalPlayerWinsATie",
     "player Hero at 0 -20 0\n object Other character remoteplayer at 0 20 0\n", "Hero", 20.0f},
    {"NoPlayerButARemoteOne", "object Other character remoteplayer at 0 20 0\n", "Other", 20.0f},
    {"NobodyIsFarAway", "", nullptr, ktINFINITY},
};

INSTANTIATE_TEST_SUITE_P(Players, NearestPlayerTest, ::testing::ValuesIn(kNearestCases),
                         [](const ::testing::TestParamInfo<NearestCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(HopkinTest, StillPlayerMakesTheCreatureCurious) {
  Scene("frametime 1.0\n" + Creature("Zovezi01", "at 0 0 0") +
        "player Hero at 0 -25 0\n behavior Hero wait\n at 0 play Hero wait\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  EXPECT_STREQ(brain->fPlayerActivity, "wait");
  EXPECT_EQ(brain->fMoodLevel, 1);
  // The timer passed the step time: the moods went halfway from 0.
  const float rawCuriosity = (0.5f + 0.7f) * 0.5f * brain->fLevels.curiosityRate[1];
  EXPECT_EQ(brain->fCuriosity, (0.0f + rawCuriosity) * 0.5f);
  const float facing = (1.0f - 2.0f / 3.8f) * 0.75f;  // the player's first axis is across
  const float rawFear = (1.0f + facing + 0.1f) * 0.5f * brain->fLevels.fearRate[1];
  EXPECT_FLOAT_EQ(brain->fFear, rawFear * 0.5f);
  EXPECT_EQ(brain->fCuriosityTimer, 0.0f);
}

TEST_F(HopkinTest, PlayerWithoutBehaviourKeepsTheLastActivity) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 -25 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  std::strcpy(brain->fPlayerActivity, "run");
  Mark();
  Frame();
  EXPECT_STREQ(brain->fPlayerActivity, "run");
  Lines asked;
  for (const std::string& line : Calls({"GetBehavior", "BehGetKey", "KeyGetName"}))
    if (line.find("Hero") != std::string::npos) asked.push_back(line);
  EXPECT_EQ(asked, (Lines{"@0 GetBehavior(Hero) -> null"}));
}

TEST_F(HopkinTest, NoBlockerAheadLeavesTheAvoidTendencyOut) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "object Cove..ZoveziWallBlocker at 0 30 0\n" +
        "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  EXPECT_EQ(brain->fAvoidResult.GetInfluence(), 0.0f);
}

TEST_F(HopkinTest, BlockerAheadGivesTheAvoidTendencyItsWeight) {
  // The first frame probes 3 ahead along the creature's first axis (1, 0, 0).
  Scene(Creature("Zovezi01", "at 0 0 0") + "object Cove..ZoveziWallBlocker at 2 0 0 radius 1\n" +
        "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  EXPECT_EQ(brain->fAvoidResult.GetInfluence(), 2.0f);
}

struct TooCloseCase {
  const char* name;
  float curiosity, fear;
  float avoidSpeed;
};

void PrintTo(const TooCloseCase& c, std::ostream* os) {
  *os << c.name;
}

class TooCloseTest : public HopkinTest, public ::testing::WithParamInterface<TooCloseCase> {};

// The player stands 3 from the creature, within PlayerTooClose.
TEST_P(TooCloseTest, AddsTheAvoidPlayerTendency) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 3 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  brain->fCuriosity = GetParam().curiosity;
  brain->fFear = GetParam().fear;
  Frame();
  const ktInfluenceVector& avoid = brain->fAvoidPlayer;
  EXPECT_EQ(avoid.fInfluence, 1.0f);
  EXPECT_EQ(avoid.fSpeed, GetParam().avoidSpeed);
  // Away from the player, who is along +y.
  EXPECT_EQ(avoid.fDirection.fX, 0.0f);
  EXPECT_EQ(avoid.fDirection.fY, 1.0f);
}

const TooCloseCase kTooCloseCases[] = {
    // Curious (band 2) and somewhat afraid (band 2): approach, yet keep off
    // at the slow speed.
    {"EvenWhenApproaching", 0.5f, 0.0f, 0.25f},
    // Very afraid (band 3): flee fast, and keep off fast.
    {"FastWhenFleeing", 0.0f, 1.0f, 1.0f},
};

INSTANTIATE_TEST_SUITE_P(Moods, TooCloseTest, ::testing::ValuesIn(kTooCloseCases),
                         [](const ::testing::TestParamInfo<TooCloseCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(HopkinTest, PlayerFartherThanTooCloseAddsNothing) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 6 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  EXPECT_EQ(brain->fAvoidPlayer.fInfluence, 0.0f);
}

struct LonerPullCase {
  const char* name;
  float playerDistance;
  float flockInfluence;
};

void PrintTo(const LonerPullCase& c, std::ostream* os) {
  *os << c.name;
}

class LonerPullTest : public HopkinTest, public ::testing::WithParamInterface<LonerPullCase> {};

// A loner 40 from its goal: a player nearer than that pulls its flock weight
// toward LonerFlockInfluenceWhenClose.
TEST_P(LonerPullTest, SetsTheFlockWeight) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "object Cove..ZoveziExitAttractorLeft at 0 40 0\n" +
        "player Hero at 0 -" + std::to_string(GetParam().playerDistance) + " 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Params(brain, {"leaveflock"});
  Frame();
  EXPECT_EQ(brain->fBoid->GetWhereToDistance(), 40.0f);
  EXPECT_FLOAT_EQ(brain->fInfluences.flock, GetParam().flockInfluence);
}

const LonerPullCase kLonerPullCases[] = {
    {"NearPlayerPullsFully", 10.0f, 1.5f},
    {"HalfwayPlayerPullsHalf", 20.0f, 1.5f},
    {"FartherPlayerPullsLess", 30.0f, 1.0f + 0.5f * 0.75f * 0.5f},
    {"PlayerBeyondTheGoalPullsNothing", 50.0f, 1.0f},
};

INSTANTIATE_TEST_SUITE_P(Distances, LonerPullTest, ::testing::ValuesIn(kLonerPullCases),
                         [](const ::testing::TestParamInfo<LonerPullCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(HopkinTest, LeaveFlockBeforeTheFirstFrameMakesALonerBoid) {
  Scene(Creature("Zovezi01", "at 0 0 0") +
        "object Cove..ZoveziWallBlocker at 0 60 0\n object Cove..ZoveziExitBlocker at 0 -60 0\n"
        "object Cove..ZoveziExitAttractorRight at 60 0 0\n player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Params(brain, {"leaveflock"});
  Frame();
  ktBoid& boid = *brain->fBoid;
  EXPECT_EQ(brain->fInFlock, 0);
  EXPECT_EQ(brain->fLeavePending, 0);
  EXPECT_EQ(boid.IsInFlock(), 0);
  // The loners' avoid list leaves the exit blocker out.
  EXPECT_EQ(boid.fAvoidObjects[0], stage_.model().FindKey("Cove..ZoveziWallBlocker"));
  EXPECT_EQ(boid.fAvoidObjects[1], nullptr);
  EXPECT_EQ(boid.fGatheringPlaces[0], stage_.model().FindKey("Cove..ZoveziExitAttractorRight"));
  EXPECT_EQ(boid.fGatheringPlaces[1], nullptr);
  EXPECT_EQ(boid.GetDesiredCruisingInfluence(), 0.0f);
  EXPECT_EQ(boid.GetDesiredKeepDistanceInfluence(), 1.0f);
  EXPECT_EQ(boid.GetDesiredCohesionInfluence(), 0.0f);
  EXPECT_EQ(boid.GetDesiredMatchHeadingInfluence(), 0.0f);
  EXPECT_EQ(boid.GetDesiredSteerToCenterInfluence(), 0.0f);
  EXPECT_EQ(boid.GetDesiredGatheringPlaceInfluence(), 1.0f);
  EXPECT_EQ(boid.GetDesiredSteerToLeaderInfluence(), 0.5f);  // not a loner's key
  EXPECT_EQ(boid.GetSeparationDist(), 5.0f);                 // DefaultAll: the flock's

  Params(brain, {"enterflock"});
  EXPECT_EQ(brain->fInFlock, 1);
  EXPECT_EQ(boid.IsInFlock(), 1);
  EXPECT_EQ(boid.fAvoidObjects[0], nullptr);
  EXPECT_EQ(boid.fGatheringPlaces[0], nullptr);
  EXPECT_EQ(boid.GetDesiredGatheringPlaceInfluence(), 0.75f);
}

TEST_F(HopkinTest, LeaveFlockAndResetWithTheBoid) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "object Cove..ZoveziWallBlocker at 0 60 0\n" +
        "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  Params(brain, {"leaveflock"});
  EXPECT_EQ(brain->fBoid->IsInFlock(), 0);
  EXPECT_EQ(brain->fBoid->fAvoidObjects[0], stage_.model().FindKey("Cove..ZoveziWallBlocker"));
  EXPECT_EQ(brain->Reset(), 1);
  EXPECT_EQ(brain->fBoid->IsInFlock(), 1);
  EXPECT_EQ(brain->fBoid->fAvoidObjects[0], nullptr);
  EXPECT_EQ(brain->fInFlock, 1);
}

TEST_F(HopkinTest, TravelToGivesTheBoidItsOwnGoals) {
  Scene(Creature("Zovezi01", "at 0 0 0") +
        "object Cove..GatherPlace01 at 0 60 0\n object Cove..GatherPlace02 at 0 -60 0\n"
        "object Elsewhere at 60 0 0\n player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  Params(brain, {"travelto"});
  EXPECT_EQ(brain->fInfluences.mood, 1.0f);
  EXPECT_EQ(brain->fBoid->fGatheringPlaces[0], nullptr);
  Params(brain, {"TravelTo", "Elsewhere", "Nowhere", "Cove..GatherPlace02"});
  EXPECT_EQ(brain->fBoid->fGatheringPlaces[0], stage_.model().FindKey("Elsewhere"));
  EXPECT_EQ(brain->fBoid->fGatheringPlaces[1], stage_.model().FindKey("Cove..GatherPlace02"));
  EXPECT_EQ(brain->fBoid->fGatheringPlaces[2], nullptr);
  EXPECT_EQ(brain->fInfluences.mood, 0.35f);
  Params(brain, {"travelto", "Cove..GatherPlace01"});
  EXPECT_EQ(brain->fBoid->fGatheringPlaces[0], stage_.model().FindKey("Cove..GatherPlace01"));
  EXPECT_EQ(brain->fBoid->fGatheringPlaces[1], nullptr);
  EXPECT_EQ(brain->fInfluences.mood, 0.35f * 0.35f);
}

TEST_F(HopkinTest, TravelToKeepsTenNames) {
  std::string places;
  std::vector<const char*> words = {"travelto"};
  static const char* const kNames[] = {"P0", "P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9"};
  for (const char* name : kNames) {
    places += std::string("object ") + name + " at 0 60 0\n";
    words.push_back(name);
  }
  Scene(Creature("Zovezi01", "at 0 0 0") + places + "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  Params(brain, words);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(brain->fBoid->fGatheringPlaces[i], stage_.model().FindKey(kNames[i])) << i;
}

// A creature sent off with travelto has places of its own, so it probes its
// own avoid list, which the flock mode leaves empty: the flock's blockers no
// longer stop it.
TEST_F(HopkinTest, TravelToStopsProbingTheFlocksBlockers) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "object Cove..ZoveziWallBlocker at 2 0 0 radius 1\n" +
        "object Elsewhere at 60 0 0\n player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Frame();
  ASSERT_EQ(brain->fAvoidResult.GetInfluence(), 2.0f);
  Params(brain, {"travelto", "Elsewhere"});
  Object("Zovezi01")->local = stage::IdentityMatrix();
  Mark();
  Frame();
  EXPECT_EQ(Calls({"DoesLineCollideWithObject"}), Lines{});
  EXPECT_EQ(brain->fAvoidResult.GetInfluence(), 0.0f);
}

// --- Steering rules -------------------------------------------------------------

// The probes of DoesLineCollideWithObject calls since Mark(): object, from,
// to and size.
std::vector<std::string> Probes(const Lines& lines) {
  std::vector<std::string> probes;
  for (const std::string& line : lines) {
    const size_t open = line.find('(');
    size_t end = open;
    for (int i = 0; i < 4 && end != std::string::npos; ++i) end = line.find(", ", end + 1);
    probes.push_back(line.substr(open + 1, end - open - 1));
  }
  return probes;
}

// The creature probes probeFactor (3) times its speed ahead with the size 2,
// and its speed ahead with half that size when the far probe hits.
TEST_F(HopkinTest, BlockerProbesScaleWithTheSpeed) {
  Scene(Creature("Zovezi01", "at 0 0 0") +
        "object Cove..ZoveziWallBlocker at 1 0 0 radius 0.2\n player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  Mark();
  Frame();  // the first frame's speed is the speed factor, 1
  EXPECT_EQ(Probes(Calls({"DoesLineCollideWithObject"})),
            (Lines{"Cove..ZoveziWallBlocker, &(0 0 0), &(3 0 0), 2",
                   "Cove..ZoveziWallBlocker, &(0 0 0), &(1 0 0), 1"}));
  Object("Zovezi01")->local = stage::IdentityMatrix();
  brain->fVelocity.SetSpeed(0.5f);
  Mark();
  brain->Update(0.0f);
  EXPECT_EQ(Probes(Calls({"DoesLineCollideWithObject"})),
            (Lines{"Cove..ZoveziWallBlocker, &(0 0 0), &(1.5 0 0), 2",
                   "Cove..ZoveziWallBlocker, &(0 0 0), &(0.5 0 0), 1"}));
}

// The velocity tendency takes its weight on the first steered frame; later
// changes of the mode's weights leave it.
TEST_F(HopkinTest, VelocityWeightIsTakenOnTheFirstFrameOnly) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  brain->fInfluences.velocity = 0.4f;
  Frame();
  EXPECT_EQ(brain->fVelocity.GetInfluence(), 0.4f);
  brain->fInfluences.velocity = 0.9f;
  Frame();
  EXPECT_EQ(brain->fVelocity.GetInfluence(), 0.4f);
  for (const char* command : {"leaveflock", "enterflock"}) {
    Params(brain, {command});
    brain->fInfluences.velocity = 0.7f;
    Frame();
    EXPECT_EQ(brain->fVelocity.GetInfluence(), 0.4f) << command;
  }
}

// The first steered frame draws the boid's SeparationDist, then its
// CohesionDist, each from its range.
TEST_F(HopkinTest, FirstFrameDrawsSeparationThenCohesion) {
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 -80 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  std::srand(4242);
  const int r1 = std::rand() % 1000;
  const int r2 = std::rand() % 1000;
  ASSERT_NE(r1, r2);
  std::srand(4242);
  Frame();
  EXPECT_EQ(brain->fBoid->GetSeparationDist(), 7.5f + float(r1) * 0.001f * (10.0f - 7.5f));
  EXPECT_EQ(brain->fBoid->GetCohesionDist(), 15.0f + float(r2) * 0.001f * (20.0f - 15.0f));
}

struct MoodActionCase {
  const char* name;
  float curiosity, fear;
  float influence;
  float directionY;  // the player stands along +y: approach is -y, flee +y
  float speed;
};

void PrintTo(const MoodActionCase& c, std::ostream* os) {
  *os << c.name;
}

class MoodActionTest : public HopkinTest, public ::testing::WithParamInterface<MoodActionCase> {};

// The mood tendency from the two moods' bands, with mood speeds of the
// test's own so that fast, slow and 0 differ from every default.
TEST_P(MoodActionTest, SetsTheMoodTendency) {
  const MoodActionCase& c = GetParam();
  Scene(Creature("Zovezi01", "at 0 0 0") + "player Hero at 0 30 0\n");
  HopkinBrain* brain = Brain("Zovezi01");
  brain->fCuriosity = c.curiosity;
  brain->fFear = c.fear;
  brain->fMoodStepTime = 100.0f;  // the moods keep the test's values
  brain->fMoodStepJump = 100.0f;
  brain->fFastMoodSpeed = 0.8f;
  brain->fSlowMoodSpeed = 0.3f;
  Frame();
  const ktInfluenceVector& mood = brain->fMood;
  EXPECT_EQ(mood.fInfluence, c.influence);
  if (c.influence == 0.0f) return;
  EXPECT_EQ(mood.fDirection.fX, 0.0f);
  EXPECT_EQ(mood.fDirection.fY, c.directionY);
  EXPECT_EQ(mood.fSpeed, c.speed);
}

const MoodActionCase kMoodActionCases[] = {
    {"NoMoodNoTendency", 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {"VeryCuriousApproachesFast", 0.9f, 0.0f, 1.0f, -1.0f, 0.8f},
    {"CuriousApproachesSlowly", 0.5f, 0.0f, 1.0f, -1.0f, 0.3f},
    {"SlightlyCuriousFacesThePlayerStill", 0.2f, 0.0f, 1.0f, -1.0f, 0.0f},
    {"VeryAfraidFleesFast", 0.0f, 0.9f, 1.0f, 1.0f, 0.8f},
    {"AfraidFleesSlowly", 0.0f, 0.5f, 1.0f, 1.0f, 0.3f},
    {"CuriousButAfraidFleesFast", 0.9f, 0.9f, 1.0f, 1.0f, 0.8f},
};

INSTANTIATE_TEST_SUITE_P(Bands, MoodActionTest, ::testing::ValuesIn(kMoodActionCases),
                         [](const ::testing::TestParamInfo<MoodActionCase>& c) {
                           return std::string(c.param.name);
                         });

// --- Turning and the movement animations --------------------------------------

struct TurnCase {
  const char* name;
  int32_t standing;
  float heading;                        // of the creature's velocity: opposite its first axis
  float turn;                           // heading minus the blend's heading
  float speed;                          // of the blend
  float rotation;                       // expected, radians about the vertical axis
  std::vector<std::string> animations;  // expected starts
  int32_t standingAfter;
};

void PrintTo(const TurnCase& c, std::ostream* os) {
  *os << c.name;
}

class TurnTest : public HopkinTest, public ::testing::WithParamInterface<TurnCase> {};

mkVector3 Direction(float heading) {
  return {std::sin(heading), std::cos(heading), 0.0f};
}

TEST_P(TurnTest, Turns) {
  const TurnCase& c = GetParam();
  HopkinBrain* brain = AnimatedCreature();
  // The creature's axes: first -velocity, second z x first, third z.
  const mkVector3 a = Direction(c.heading) * -1.0f;
  mkMatrix44& local = Object("Zovezi01")->local;
  local = stage::IdentityMatrix();
  local.m[0][0] = a.fX, local.m[1][0] = a.fY;
  local.m[0][1] = -a.fY, local.m[1][1] = a.fX;
  local.flags = 0;
  brain->fVelocity.SetVector(Direction(c.heading));
  brain->fStanding = c.standing;
  ktVelocityVector blend(std::isnan(c.turn) ? mkVector3{0, 0, 0} : Direction(c.heading - c.turn),
                         c.speed);
  Mark();
  brain->TurnAndMove(blend);

  const mkVector3 after = {local.m[0][0], local.m[1][0], local.m[2][0]};
  const float rotation = std::atan2(a.fX * after.fY - a.fY * after.fX, InnerProduct(a, after));
  EXPECT_NEAR(rotation, c.rotation, 1e-5f);
  std::vector<std::string> started;
  for (const std::string& line : Calls({"AnimPlay", "AnimContinuePlay"})) {
    const size_t name = line.find("..") + 2;
    std::string behavior = line.substr(name, line.find(',', name) - name);
    if (behavior.compare(0, 4, "wait") == 0) behavior = "wait?";
    started.push_back(behavior);
  }
  EXPECT_EQ(started, c.animations);
  EXPECT_EQ(brain->fVelocity.GetSpeed(), c.speed > 5.0f ? 5.0f : c.speed);
  EXPECT_EQ(brain->fStanding, c.standingAfter);
}

const float kNoDirection = std::nanf("");

const TurnCase kTurnCases[] = {
    {"SmallTurnWhileStanding", 1, kPi, 0.1f, 0.0f, 0.1f, {}, 1},
    {"SmallTurnTheOtherWay", 1, kPi, -0.1f, 0.0f, -0.1f, {}, 1},
    {"LargeTurnWhileStandingPlaysASlowTurn", 1, kPi, 0.3f, 0.0f, 0.0f, {"slow_turn_left"}, 1},
    {"LargeTurnTheOtherWay", 1, kPi, -0.3f, 0.0f, 0.0f, {"slow_turn_right"}, 1},
    {"LargeTurnWhileMovingStopsAtTheLimit", 0, kPi, 0.3f, 0.0f, 0.25f, {}, 1},
    {"HalfCircleWhileMoving", 0, kPi, 3.0f, 0.0f, 0.25f, {}, 1},
    {"TurnAcrossTheWrap", 0, -1.5f, 0.15f, 0.0f, 0.15f, {}, 1},
    {"TurnAcrossTheWrapTheOtherWay", 0, 4.6f, -0.15f, 0.0f, -0.15f, {}, 1},
    {"TinyTurnWhileStandingIdles", 1, kPi, 0.02f, 0.0f, 0.0f, {"wait?"}, 1},
    {"TinyTurnWhileMovingDoesNothing", 0, kPi, 0.02f, 0.0f, 0.0f, {}, 1},
    {"NoBlendDirectionKeepsTheHeading", 1, 1.0f, kNoDirection, 0.0f, 0.0f, {"wait?"}, 1},
    {"SpeedForWalk", 0, kPi, 0.0f, 0.2f, 0.0f, {"walk"}, 0},
    {"SpeedForRun", 0, kPi, 0.0f, 0.3f, 0.0f, {"run"}, 0},
    {"SpeedForJump", 0, kPi, 0.0f, 0.6f, 0.0f, {"short_jump"}, 0},
    {"SpeedCutToTheLimit", 0, kPi, 0.0f, 7.0f, 0.0f, {"short_jump"}, 0},
    {"SpeedOfExactlyWalkStands", 0, kPi, 0.0f, 0.1625f, 0.0f, {}, 1},
    {"StandingCreatureStartsWalking", 1, kPi, 0.0f, 0.2f, 0.0f, {"wait?", "walk"}, 0},
    {"TurnWhileWalking", 0, kPi, 0.1f, 0.2f, 0.1f, {"walk"}, 0},
};

INSTANTIATE_TEST_SUITE_P(Blends, TurnTest, ::testing::ValuesIn(kTurnCases),
                         [](const ::testing::TestParamInfo<TurnCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(HopkinTest, TurningCallsTheHostInOrder) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fVelocity.SetVector(Direction(kPi));
  ktVelocityVector blend(Direction(kPi - 0.1f), 0.0f);
  Mark();
  brain->TurnAndMove(blend);
  EXPECT_EQ(
      Calls({"GetLocalMatrix", "SetLocalMatrix", "TransformChanged", "NetUpdateObjectTransform"}),
      (Lines{"@0 GetLocalMatrix(Zovezi01, ?) -> 1", "@0 SetLocalMatrix(Zovezi01, ?)",
             "@0 TransformChanged(Zovezi01)", "@0 NetUpdateObjectTransform(Zovezi01, 1) -> 1"}));
}

// The rotation goes on the right of the local matrix: the translation in
// column 3 stays where it is, while a rotation on the left would swing it
// round the origin.
TEST_F(HopkinTest, RotationIsAppliedOnTheRightOfTheLocalMatrix) {
  HopkinBrain* brain = AnimatedCreature();
  mkMatrix44& local = Object("Zovezi01")->local;
  local = stage::IdentityMatrix();
  local.m[0][3] = 10.0f, local.m[1][3] = -4.0f, local.m[2][3] = 1.0f;
  local.flags = 0;
  brain->fVelocity.SetVector(Direction(kPi));
  ktVelocityVector blend(Direction(kPi - 0.1f), 0.0f);
  brain->TurnAndMove(blend);
  EXPECT_EQ(local.m[0][3], 10.0f);
  EXPECT_EQ(local.m[1][3], -4.0f);
  EXPECT_EQ(local.m[2][3], 1.0f);
  EXPECT_NEAR(local.m[0][0], std::cos(0.1f), 1e-6f);
  EXPECT_NEAR(local.m[0][1], -std::sin(0.1f), 1e-6f);
  EXPECT_NEAR(local.m[1][0], std::sin(0.1f), 1e-6f);
  EXPECT_NEAR(local.m[1][1], std::cos(0.1f), 1e-6f);
  EXPECT_EQ(local.m[2][2], 1.0f);
  EXPECT_EQ(local.m[3][3], 1.0f);
}

// Once the voice interval has passed, a running movement speaks only when
// a draw is odd; either way the voice timer restarts.
TEST_F(HopkinTest, VoiceSpeaksOnAnOddDraw) {
  HopkinBrain* brain = AnimatedCreature();
  Requests(brain, {"walk"});
  int spoke = 0, silent = 0;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE(seed);
    std::srand(seed);
    const bool odd = std::rand() % 2 == 1;
    std::srand(seed);
    brain->fVoiceTimer = brain->fVoiceInterval + 0.01f;
    Mark();
    Requests(brain, {"walk"});
    const Lines sounds = Calls({"SoundEmitterAddSound"});
    EXPECT_EQ(sounds.size(), odd ? 1u : 0u);
    EXPECT_EQ(brain->fVoiceTimer, 0.0f);
    (odd ? spoke : silent)++;
  }
  EXPECT_GT(spoke, 0);
  EXPECT_GT(silent, 0);
}

}  // namespace
