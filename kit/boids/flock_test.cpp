// The flock and boid model without a scene: parameters, membership, lists
// and waypoints, and the slot order of both classes. The parts that resolve
// names or read the scene are tested against the stage (steer_test.cpp).
#include "kit/boids/flock.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "kit/testing/raw_slots.h"

namespace {

// The fourteen parameters in their interface order, with their defaults.
struct Parameter {
  const char* name;
  float ktFlock::*flockField;
  float ktBoid::*boidField;
  float defaultValue;
};

const Parameter kParameters[] = {
    {"MaxSpeed", &ktFlock::fMaxSpeed, &ktBoid::fMaxSpeed, 1.0f},
    {"DesiredSpeed", &ktFlock::fDesiredSpeed, &ktBoid::fDesiredSpeed, 0.5f},
    {"MaxChange", &ktFlock::fMaxChange, &ktBoid::fMaxChange, 0.1f},
    {"SeparationDist", &ktFlock::fSeparationDist, &ktBoid::fSeparationDist, 5.0f},
    {"CohesionDist", &ktFlock::fCohesionDist, &ktBoid::fCohesionDist, 10.0f},
    {"PerceptionRange", &ktFlock::fPerceptionRange, &ktBoid::fPerceptionRange, 100.0f},
    {"WaypointCloseEnough", &ktFlock::fWaypointCloseEnough, &ktBoid::fWaypointCloseEnough, 5.0f},
    {"DesiredCruisingInfluence", &ktFlock::fDesiredCruisingInfluence,
     &ktBoid::fDesiredCruisingInfluence, 0.5f},
    {"DesiredKeepDistanceInfluence", &ktFlock::fDesiredKeepDistanceInfluence,
     &ktBoid::fDesiredKeepDistanceInfluence, 1.0f},
    {"DesiredCohesionInfluence", &ktFlock::fDesiredCohesionInfluence,
     &ktBoid::fDesiredCohesionInfluence, 1.0f},
    {"DesiredMatchHeadingInfluence", &ktFlock::fDesiredMatchHeadingInfluence,
     &ktBoid::fDesiredMatchHeadingInfluence, 0.5f},
    {"DesiredSteerToCenterInfluence", &ktFlock::fDesiredSteerToCenterInfluence,
     &ktBoid::fDesiredSteerToCenterInfluence, 0.5f},
    {"DesiredSteerToLeaderInfluence", &ktFlock::fDesiredSteerToLeaderInfluence,
     &ktBoid::fDesiredSteerToLeaderInfluence, 0.5f},
    {"DesiredGatheringPlaceInfluence", &ktFlock::fDesiredGatheringPlaceInfluence,
     &ktBoid::fDesiredGatheringPlaceInfluence, 0.5f},
};
constexpr int kParameterCount = 14;
static_assert(sizeof(kParameters) / sizeof(kParameters[0]) == kParameterCount, "");

// Flock slots of the parameter families, and the boid's.
constexpr int kFlockSet = 19, kFlockUpdate = 33, kFlockGet = 47;
constexpr int kBoidDefault = 10, kBoidSet = 24, kBoidGet = 38;

std::vector<float> FlockValues(ktFlock& flock) {
  std::vector<float> values;
  for (const Parameter& p : kParameters) values.push_back(flock.*p.flockField);
  return values;
}

std::vector<float> BoidValues(ktBoid& boid) {
  std::vector<float> values;
  for (const Parameter& p : kParameters) values.push_back(boid.*p.boidField);
  return values;
}

std::vector<float> Defaults() {
  std::vector<float> values;
  for (const Parameter& p : kParameters) values.push_back(p.defaultValue);
  return values;
}

TEST(FlockParametersTest, FlockStartsAtTheDefaults) {
  ktFlock flock(nullptr);
  EXPECT_EQ(FlockValues(flock), Defaults());
  EXPECT_EQ(flock.GetCount(), 0);
  EXPECT_EQ(flock.GetFirstMember(), nullptr);
  EXPECT_EQ(flock.GetLeader(), nullptr);
  EXPECT_EQ(flock.GetWaypoint(), -1);
  for (int i = 0; i < MaxAvoidObjects; ++i) EXPECT_EQ(flock.GetAvoidObjects()[i], nullptr);
  for (int i = 0; i < MaxGatheringPlaces; ++i) EXPECT_EQ(flock.GetGatheringPlaces()[i], nullptr);
}

TEST(FlockParametersTest, BoidStartsWithTheFlocksCurrentValues) {
  ktFlock flock(nullptr);
  flock.SetMaxSpeed(3.0f);
  flock.SetPerceptionRange(40.0f);
  ktBoid boid(nullptr, &flock, nullptr);
  std::vector<float> expected = Defaults();
  expected[0] = 3.0f;
  expected[5] = 40.0f;
  EXPECT_EQ(BoidValues(boid), expected);
  EXPECT_EQ(boid.GetWhereToDistance(), ktINFINITY);
  EXPECT_EQ(boid.GetWaypoint(), -1);
  EXPECT_EQ(boid.IsInFlock(), 0);
  EXPECT_EQ(boid.fPositionValid, 0);
  EXPECT_EQ(boid.fNearestBoidDist, ktINFINITY);
  EXPECT_EQ(boid.fNearestFriendDist, ktINFINITY);
  EXPECT_EQ(flock.GetCount(), 0);  // the boid does not join by itself
}

TEST(FlockParametersTest, BoidWithoutFlockTakesTheDefaults) {
  ktBoid boid(nullptr, nullptr, nullptr);
  EXPECT_EQ(BoidValues(boid), Defaults());
}

TEST(FlockParametersTest, SetOverridesUntilDefaultOrUpdate) {
  ktFlock flock(nullptr);
  ktBoid a(nullptr, &flock, nullptr), b(nullptr, &flock, nullptr);
  flock.AddTo(&a);
  flock.AddTo(&b);
  a.SetCohesionDist(20.0f);
  b.SetCohesionDist(30.0f);
  flock.SetCohesionDist(12.0f);  // stored only: no propagation
  EXPECT_EQ(a.GetCohesionDist(), 20.0f);
  a.DefaultCohesionDist();
  EXPECT_EQ(a.GetCohesionDist(), 12.0f);
  EXPECT_EQ(b.GetCohesionDist(), 30.0f);
  flock.UpdateCohesionDist();
  EXPECT_EQ(b.GetCohesionDist(), 12.0f);
}

TEST(FlockParametersTest, DefaultAllLeavesMembersAndUpdateAllReachesThem) {
  ktFlock flock(nullptr);
  ktBoid boid(nullptr, &flock, nullptr);
  flock.AddTo(&boid);
  std::vector<float> changed;
  for (int i = 0; i < kParameterCount; ++i) {
    changed.push_back(50.0f + i);
    flock.*kParameters[i].flockField = 50.0f + i;
  }
  flock.UpdateAll();
  EXPECT_EQ(BoidValues(boid), changed);
  flock.DefaultAll();
  EXPECT_EQ(FlockValues(flock), Defaults());
  EXPECT_EQ(BoidValues(boid), changed);
  boid.DefaultAll();
  EXPECT_EQ(BoidValues(boid), Defaults());
}

TEST(FlockParametersTest, UpdateWithoutMembersDoesNothing) {
  ktFlock flock(nullptr);
  ktBoid outsider(nullptr, &flock, nullptr);
  flock.SetMaxSpeed(9.0f);
  flock.UpdateAll();
  EXPECT_EQ(outsider.GetMaxSpeed(), 1.0f);
}

// Each family's slot i reaches parameter i and no other.
TEST(FlockSlotsTest, ParameterFamilies) {
  ktFlock flock(nullptr);
  ktBoid boid(nullptr, &flock, nullptr);
  flock.AddTo(&boid);
  for (int i = 0; i < kParameterCount; ++i) {
    SCOPED_TRACE(kParameters[i].name);
    std::vector<float> flockExpected = FlockValues(flock);
    std::vector<float> boidExpected = BoidValues(boid);

    mktest::CallSlot<void>(&flock, kFlockSet + i, 100.0f + i);
    flockExpected[i] = 100.0f + i;
    EXPECT_EQ(FlockValues(flock), flockExpected);
    EXPECT_EQ(mktest::CallSlot<float>(&flock, kFlockGet + i), 100.0f + i);
    EXPECT_EQ(BoidValues(boid), boidExpected);
    mktest::CallSlot<void>(&flock, kFlockUpdate + i);
    boidExpected[i] = 100.0f + i;
    EXPECT_EQ(BoidValues(boid), boidExpected);

    mktest::CallSlot<void>(&boid, kBoidSet + i, 200.0f + i);
    boidExpected[i] = 200.0f + i;
    EXPECT_EQ(BoidValues(boid), boidExpected);
    EXPECT_EQ(mktest::CallSlot<float>(&boid, kBoidGet + i), 200.0f + i);
    mktest::CallSlot<void>(&boid, kBoidDefault + i);
    boidExpected[i] = 100.0f + i;
    EXPECT_EQ(BoidValues(boid), boidExpected);
  }
}

TEST(FlockSlotsTest, FlockOperations) {
  ktFlock flock(nullptr);
  ktBoid a(nullptr, &flock, nullptr), b(nullptr, &flock, nullptr);
  mkRegistryKey key = {&flock, nullptr};

  flock.fAvoidObjects[0] = &key;
  flock.fGatheringPlaces[0] = &key;
  mktest::CallSlot<void>(&flock, 1);  // RemoveAllAvoidObjects
  EXPECT_EQ(flock.fAvoidObjects[0], nullptr);
  EXPECT_EQ(flock.fGatheringPlaces[0], &key);
  mktest::CallSlot<void>(&flock, 5);  // RemoveAllGatheringPlaces
  EXPECT_EQ(flock.fGatheringPlaces[0], nullptr);
  EXPECT_EQ(mktest::CallSlot<mkRegistryKey**>(&flock, 2), flock.fAvoidObjects);
  EXPECT_EQ(mktest::CallSlot<int32_t>(&flock, 3), 20);
  EXPECT_EQ(mktest::CallSlot<mkRegistryKey**>(&flock, 9), flock.fGatheringPlaces);
  EXPECT_EQ(mktest::CallSlot<int32_t>(&flock, 10), 10);

  mktest::CallSlot<void>(&flock, 6, int32_t{4});  // SetWaypoint
  mktest::CallSlot<void>(&flock, 7);              // IncWaypoint
  EXPECT_EQ(mktest::CallSlot<int32_t>(&flock, 8), 5);

  EXPECT_EQ(mktest::CallSlot<int32_t>(&flock, 11, &a), 1);  // AddTo
  EXPECT_EQ(mktest::CallSlot<int32_t>(&flock, 11, &b), 2);
  EXPECT_EQ(mktest::CallSlot<int32_t>(&flock, 12), 2);   // GetCount
  EXPECT_EQ(mktest::CallSlot<ktBoid*>(&flock, 13), &a);  // GetFirstMember
  mktest::CallSlot<void>(&flock, 14, &a);                // RemoveFrom
  EXPECT_EQ(flock.fFirst, &b);
  EXPECT_EQ(flock.fCount, 1);
  mktest::CallSlot<void>(&flock, 15, &a);  // SetLeader
  EXPECT_EQ(mktest::CallSlot<ktBoid*>(&flock, 16), &a);

  flock.fMaxSpeed = 7.0f;
  mktest::CallSlot<void>(&flock, 18);  // UpdateAll
  EXPECT_EQ(b.fMaxSpeed, 7.0f);
  mktest::CallSlot<void>(&flock, 17);  // DefaultAll
  EXPECT_EQ(flock.fMaxSpeed, 1.0f);
  EXPECT_EQ(b.fMaxSpeed, 7.0f);
}

TEST(FlockSlotsTest, BoidModelOperations) {
  ktFlock flock(nullptr);
  ktBoid boid(nullptr, &flock, nullptr), other(nullptr, &flock, nullptr);
  mkRegistryKey key = {&flock, nullptr};

  boid.fMaxSpeed = 3.0f;
  mktest::CallSlot<void>(&boid, 2);  // DefaultAll
  EXPECT_EQ(boid.fMaxSpeed, 1.0f);

  boid.fAvoidObjects[0] = &key;
  boid.fGatheringPlaces[0] = &key;
  mktest::CallSlot<void>(&boid, 4);  // RemoveAllAvoidObjects
  EXPECT_EQ(boid.fAvoidObjects[0], nullptr);
  EXPECT_EQ(boid.fGatheringPlaces[0], &key);
  mktest::CallSlot<void>(&boid, 6);  // RemoveAllGatheringPlaces
  EXPECT_EQ(boid.fGatheringPlaces[0], nullptr);

  mktest::CallSlot<void>(&boid, 7, int32_t{8});  // SetWaypoint
  mktest::CallSlot<void>(&boid, 8);              // IncWaypoint
  EXPECT_EQ(mktest::CallSlot<int32_t>(&boid, 9), 9);
  EXPECT_EQ(flock.fWaypoint, -1);

  mktest::CallSlot<void>(&boid, 52, int32_t{1});  // SetInFlock
  EXPECT_EQ(mktest::CallSlot<int32_t>(&boid, 53), 1);
  boid.fWhereToDistance = 12.5f;
  EXPECT_EQ(mktest::CallSlot<float>(&boid, 54), 12.5f);  // GetWhereToDistance

  mktest::CallSlot<void>(&boid, 57, &other);                // SetNext
  EXPECT_EQ(mktest::CallSlot<ktBoid*>(&boid, 55), &other);  // GetNext
  mktest::CallSlot<void>(&other, 58, &boid);                // SetPrev
  EXPECT_EQ(other.fPrev, &boid);
  mktest::CallSlot<void>(&other, 56);  // LinkOut: only a prev
  EXPECT_EQ(boid.fNext, nullptr);
}

// The internal operations, each identified by what it writes: every
// tendency weighs differently here.
TEST(FlockSlotsTest, BoidSteeringParts) {
  ktFlock flock(nullptr);
  ktBoid self(nullptr, &flock, nullptr), near(nullptr, &flock, nullptr);
  flock.AddTo(&self);
  flock.AddTo(&near);
  flock.SetLeader(&near);
  self.fPositionValid = near.fPositionValid = 1;
  near.fPosition = {3.0f, 0.0f, 0.0f};
  near.SetInFlock(1);
  near.fVelocity.Set({0.0f, 0.0f, 2.0f}, 0.75f);
  self.SetCohesionDist(1.0f);
  self.SetDesiredCruisingInfluence(0.11f);
  self.SetDesiredKeepDistanceInfluence(0.2f);
  self.SetDesiredCohesionInfluence(0.3f);
  self.SetDesiredMatchHeadingInfluence(0.44f);
  self.SetDesiredSteerToCenterInfluence(0.55f);
  self.SetDesiredSteerToLeaderInfluence(0.66f);
  self.SetDesiredGatheringPlaceInfluence(0.77f);

  EXPECT_EQ(mktest::CallSlot<float>(&self, 69, &near), 3.0f);  // DistanceTo
  EXPECT_EQ(mktest::CallSlot<int32_t>(&self, 65, &self), 1);   // FindNeighbours
  EXPECT_EQ(self.fNearestBoid, &near);
  mktest::CallSlot<void>(&self, 60);  // ClearNeighbours
  EXPECT_EQ(self.fNearestBoid, nullptr);
  mktest::CallSlot<void>(&self, 59, &near);  // AddFriend
  EXPECT_EQ(self.fFriendCount, 1);
  self.FindNeighbours(&self);

  ktInfluenceVector out;
  mktest::CallSlot<void>(&self, 61, &out);  // CalcCruising
  EXPECT_EQ(out.fInfluence, 0.11f);
  mktest::CallSlot<void>(&self, 62, &out);  // CalcKeepDistance
  EXPECT_FLOAT_EQ(out.fInfluence, 0.4f * 0.2f * 1.5f);
  mktest::CallSlot<void>(&self, 63, &out);  // CalcCohesion
  EXPECT_FLOAT_EQ(out.fInfluence, (1.0f - 1.0f / 3.0f) * 0.3f * 1.5f);
  mktest::CallSlot<void>(&self, 64, &out);  // CalcMatchHeading
  EXPECT_EQ(out.fInfluence, 0.44f);
  EXPECT_EQ(out.fSpeed, 0.75f);
  mktest::CallSlot<void>(&self, 66, &out);  // CalcSteerToCenter
  EXPECT_EQ(out.fInfluence, 0.55f);
  mktest::CallSlot<void>(&self, 67, &out);  // CalcSteerToLeader
  EXPECT_EQ(out.fInfluence, 0.66f);
  out.fInfluence = 5.0f;
  mktest::CallSlot<void>(&self, 68, &out);  // CalcGatheringPlace: no places
  EXPECT_EQ(out.fInfluence, 0.0f);
  EXPECT_EQ(out.fSpeed, 0.25f);

  mkVector3 vector = {1.0f, 2.0f, 3.0f};
  int32_t waypoint = 12;
  EXPECT_EQ(mktest::CallSlot<float>(&self, 70, flock.fGatheringPlaces, &vector, &waypoint),
            ktINFINITY);  // NearestPlace
  EXPECT_EQ(waypoint, 12);
  EXPECT_EQ(vector.fX, 1.0f);
}

// Membership: a script of adds (+i), removes (-i) with boid i, or n for a
// null boid, and the list it leaves.
struct MembershipCase {
  const char* name;
  const char* script;
  std::vector<int> members;
};

const MembershipCase kMembershipCases[] = {
    {"add three in order", "+0+1+2", {0, 1, 2}},
    {"remove the middle one", "+0+1+2-1", {0, 2}},
    {"remove the first", "+0+1+2-0", {1, 2}},
    {"remove the last", "+0+1+2-2", {0, 1}},
    {"remove the only member", "+0-0", {}},
    {"remove all, first to last", "+0+1+2-0-1-2", {}},
    {"remove all, last to first", "+0+1+2-2-1-0", {}},
    {"remove a boid that is not a member", "+0+1-3", {0, 1}},
    {"remove twice", "+0+1-0-0", {1}},
    {"remove from an empty flock", "-0", {}},
    {"remove null", "+0-n", {0}},
    {"add null", "+0+n", {0}},
    {"add a removed boid again", "+0+1+2-1+1", {0, 2, 1}},
    {"add the last member again", "+0+1+1", {0, 1}},
    {"add the first member again", "+0+1+0", {0, 1}},
};

TEST(FlockMembershipTest, Table) {
  for (const MembershipCase& c : kMembershipCases) {
    SCOPED_TRACE(c.name);
    ktFlock flock(nullptr);
    ktBoid b0(nullptr, &flock, nullptr), b1(nullptr, &flock, nullptr), b2(nullptr, &flock, nullptr),
        b3(nullptr, &flock, nullptr);
    ktBoid* boids[] = {&b0, &b1, &b2, &b3};
    for (const char* p = c.script; *p != '\0'; p += 2) {
      ktBoid* boid = p[1] == 'n' ? nullptr : boids[p[1] - '0'];
      if (p[0] == '+') {
        const int32_t count = flock.AddTo(boid);
        EXPECT_EQ(count, flock.GetCount());
      } else {
        flock.RemoveFrom(boid);
        if (boid != nullptr) {
          EXPECT_EQ(boid->fNext, nullptr);
          EXPECT_EQ(boid->fPrev, nullptr);
        }
      }
    }
    std::vector<int> members;
    ktBoid* previous = nullptr;
    for (ktBoid* m = flock.GetFirstMember(); m != nullptr && members.size() < 5; m = m->GetNext()) {
      EXPECT_EQ(m->fPrev, previous);
      for (int i = 0; i < 4; ++i)
        if (boids[i] == m) members.push_back(i);
      previous = m;
    }
    EXPECT_EQ(members, c.members);
    EXPECT_EQ(flock.GetCount(), int32_t(c.members.size()));
  }
}

TEST(FlockMembershipTest, AppendedBoidBringsNoStaleLink) {
  ktFlock flock(nullptr);
  ktBoid a(nullptr, &flock, nullptr), b(nullptr, &flock, nullptr), c(nullptr, &flock, nullptr);
  b.SetNext(&c);
  flock.AddTo(&a);
  flock.AddTo(&b);
  EXPECT_EQ(b.GetNext(), nullptr);
  EXPECT_EQ(flock.GetCount(), 2);
}

TEST(FlockMembershipTest, LinkOutTable) {
  ktFlock flock(nullptr);
  ktBoid a(nullptr, &flock, nullptr), b(nullptr, &flock, nullptr), c(nullptr, &flock, nullptr);
  // Both neighbours: they are joined; the boid's own links stay.
  a.SetNext(&b), b.SetPrev(&a), b.SetNext(&c), c.SetPrev(&b);
  b.LinkOut();
  EXPECT_EQ(a.fNext, &c);
  EXPECT_EQ(c.fPrev, &a);
  EXPECT_EQ(b.fNext, &c);
  // Only a next.
  a.SetPrev(nullptr);
  a.LinkOut();
  EXPECT_EQ(c.fPrev, nullptr);
  // Neither: the links are cleared (already null).
  ktBoid alone(nullptr, &flock, nullptr);
  alone.LinkOut();
  EXPECT_EQ(alone.fNext, nullptr);
  EXPECT_EQ(alone.fPrev, nullptr);
}

TEST(FlockWaypointTest, IncrementingPassesNineAndStopsAtTheTop) {
  ktFlock flock(nullptr);
  ktBoid boid(nullptr, &flock, nullptr);
  flock.SetWaypoint(9);
  flock.IncWaypoint();
  EXPECT_EQ(flock.GetWaypoint(), 10);
  boid.SetWaypoint(-1);
  boid.IncWaypoint();
  EXPECT_EQ(boid.GetWaypoint(), 0);
  flock.SetWaypoint(INT32_MAX);
  flock.IncWaypoint();
  EXPECT_EQ(flock.GetWaypoint(), INT32_MAX);
  boid.SetWaypoint(INT32_MAX);
  boid.IncWaypoint();
  EXPECT_EQ(boid.GetWaypoint(), INT32_MAX);
}

TEST(FlockListsTest, NothingIsAddedWithoutAHost) {
  ktFlock flock(nullptr);
  const char* names[] = {"Rock", nullptr};
  flock.AddAvoidObjects(names);
  flock.AddGatheringPlaces(names);
  EXPECT_EQ(flock.GetAvoidObjects()[0], nullptr);
  EXPECT_EQ(flock.GetGatheringPlaces()[0], nullptr);
}

TEST(FlockLayoutTest, FieldsInInterfaceOrder) {
  ktFlock flock(nullptr);
  const std::ptrdiff_t p = sizeof(void*);
  EXPECT_EQ(mktest::OffsetOf(flock, flock.fApi), p);
  EXPECT_EQ(mktest::OffsetOf(flock, flock.fCount), 2 * p);
  EXPECT_LT(mktest::OffsetOf(flock, flock.fCount), mktest::OffsetOf(flock, flock.fFirst));
  EXPECT_EQ(mktest::OffsetOf(flock, flock.fLeader), mktest::OffsetOf(flock, flock.fFirst) + p);
  EXPECT_EQ(mktest::OffsetOf(flock, flock.fAvoidObjects),
            mktest::OffsetOf(flock, flock.fLeader) + p);
  EXPECT_EQ(mktest::OffsetOf(flock, flock.fGatheringPlaces),
            mktest::OffsetOf(flock, flock.fAvoidObjects) + 20 * p);
  EXPECT_EQ(mktest::OffsetOf(flock, flock.fWaypoint),
            mktest::OffsetOf(flock, flock.fGatheringPlaces) + 10 * p);
  for (int i = 0; i < kParameterCount; ++i)
    EXPECT_EQ(mktest::OffsetOf(flock, flock.*kParameters[i].flockField),
              mktest::OffsetOf(flock, flock.fWaypoint) + 4 * (i + 1));

  ktBoid boid(nullptr, &flock, nullptr);
  const std::ptrdiff_t offsets[] = {
      mktest::OffsetOf(boid, boid.fKey),
      mktest::OffsetOf(boid, boid.fApi),
      mktest::OffsetOf(boid, boid.fFlock),
      mktest::OffsetOf(boid, boid.fPositionValid),
      mktest::OffsetOf(boid, boid.fVelocity),
      mktest::OffsetOf(boid, boid.fPosition),
      mktest::OffsetOf(boid, boid.fInFlock),
      mktest::OffsetOf(boid, boid.fAvoidObjects),
      mktest::OffsetOf(boid, boid.fGatheringPlaces),
      mktest::OffsetOf(boid, boid.fWaypoint),
      mktest::OffsetOf(boid, boid.fWhereToDistance),
      mktest::OffsetOf(boid, boid.fMaxSpeed),
      mktest::OffsetOf(boid, boid.fDesiredGatheringPlaceInfluence),
      mktest::OffsetOf(boid, boid.fFriendCount),
      mktest::OffsetOf(boid, boid.fNearestFriend),
      mktest::OffsetOf(boid, boid.fNearestFriendDist),
      mktest::OffsetOf(boid, boid.fNearestBoid),
      mktest::OffsetOf(boid, boid.fNearestBoidDist),
      mktest::OffsetOf(boid, boid.fCruising),
      mktest::OffsetOf(boid, boid.fKeepDistance),
      mktest::OffsetOf(boid, boid.fCohesion),
      mktest::OffsetOf(boid, boid.fMatchHeading),
      mktest::OffsetOf(boid, boid.fSteerToCenter),
      mktest::OffsetOf(boid, boid.fSteerToLeader),
      mktest::OffsetOf(boid, boid.fGatheringPlace),
      mktest::OffsetOf(boid, boid.fAccumulator),
      mktest::OffsetOf(boid, boid.fNext),
      mktest::OffsetOf(boid, boid.fPrev),
      mktest::OffsetOf(boid, boid.fFriends),
  };
  EXPECT_EQ(offsets[0], p);
  for (size_t i = 1; i < sizeof(offsets) / sizeof(offsets[0]); ++i)
    EXPECT_LT(offsets[i - 1], offsets[i]) << "field " << i;
  // The library's own fields come after every field of the interface.
  EXPECT_GT(mktest::OffsetOf(flock, flock.fNeighbourIndex),
            mktest::OffsetOf(flock, flock.fDesiredGatheringPlaceInfluence));
  EXPECT_GE(mktest::OffsetOf(boid, boid.fIndexedBy),
            mktest::OffsetOf(boid, boid.fFriends) + std::ptrdiff_t(sizeof(boid.fFriends)));
  EXPECT_GT(mktest::OffsetOf(boid, boid.fIndexSlot), mktest::OffsetOf(boid, boid.fIndexedBy));
  // The accumulator holds the seven tendencies in their fixed order.
  const ktInfluenceVector* expected[] = {
      &boid.fCruising,      &boid.fKeepDistance,  &boid.fCohesion,      &boid.fMatchHeading,
      &boid.fSteerToCenter, &boid.fSteerToLeader, &boid.fGatheringPlace};
  const ktInfluenceVector* v = boid.fAccumulator.fFirst;
  for (const ktInfluenceVector* e : expected) {
    EXPECT_EQ(v, e);
    v = v == nullptr ? nullptr : v->fNext;
  }
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(boid.fAccumulator.fMinInfluence, 0.1f);
  EXPECT_EQ(boid.fAccumulator.fMaxInfluence, 0.9f);
}

}  // namespace
