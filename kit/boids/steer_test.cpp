// The parts of the steering step that read only what the boids stored:
// neighbour search and the flock tendencies. Positions are placed directly,
// as if each boid had stepped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "kit/boids/flock.h"

namespace {

void ExpectVector(const mkVector3& expected, const mkVector3& actual) {
  EXPECT_FLOAT_EQ(expected.fX, actual.fX);
  EXPECT_FLOAT_EQ(expected.fY, actual.fY);
  EXPECT_FLOAT_EQ(expected.fZ, actual.fZ);
}

struct Member {
  mkPoint3 position;
  int32_t inFlock;
  int32_t stepped;  // positionValid
};

// A flock whose first member is the boid under test, at the origin, followed
// by the given members in order.
class FlockFixture {
 public:
  explicit FlockFixture(const std::vector<Member>& members) : flock(nullptr) {
    self = Add({{0.0f, 0.0f, 0.0f}, 1, 1});
    for (const Member& m : members) others.push_back(Add(m));
  }

  ktBoid* Add(const Member& m) {
    boids.push_back(std::make_unique<ktBoid>(nullptr, &flock, nullptr));
    ktBoid* boid = boids.back().get();
    boid->fPosition = m.position;
    boid->SetInFlock(m.inFlock);
    boid->fPositionValid = m.stepped;
    flock.AddTo(boid);
    return boid;
  }

  // Index among the others, -1 for null, -2 for the boid itself.
  int IndexOf(const ktBoid* boid) const {
    if (boid == nullptr) return -1;
    if (boid == self) return -2;
    for (size_t i = 0; i < others.size(); ++i)
      if (others[i] == boid) return int(i);
    return -3;
  }

  ktFlock flock;
  std::vector<std::unique_ptr<ktBoid>> boids;
  ktBoid* self;
  std::vector<ktBoid*> others;
};

struct NeighbourCase {
  const char* name;
  std::vector<Member> members;
  int32_t friendCount;
  int nearestBoid;  // index among the members, -1 for none
  float nearestBoidDist;
  int nearestFriend;
  float nearestFriendDist;
};

const float kInf = ktINFINITY;

// The boid under test perceives up to 10.
const NeighbourCase kNeighbourCases[] = {
    {"alone", {}, 0, -1, kInf, -1, kInf},
    {"exactly at the perception range", {{{6, 8, 0}, 1, 1}}, 0, -1, kInf, -1, kInf},
    {"just inside the range", {{{0, 0, -9.99f}, 1, 1}}, 1, 0, 9.99f, 0, 9.99f},
    {"not stepped yet", {{{1, 0, 0}, 1, 0}}, 0, -1, kInf, -1, kInf},
    {"only a loner in range", {{{0, 3, 0}, 0, 1}}, 0, 0, 3, -1, kInf},
    {"loner nearer than the friend", {{{0, 4, 0}, 1, 1}, {{2, 0, 0}, 0, 1}}, 1, 1, 2, 0, 4},
    {"equal distances keep the earlier", {{{5, 0, 0}, 1, 1}, {{0, -5, 0}, 1, 1}}, 2, 0, 5, 0, 5},
    {"nearest found after a farther one",
     {{{7, 0, 0}, 1, 1}, {{3, 0, 0}, 1, 1}, {{0, 0, 20}, 1, 1}},
     2,
     1,
     3,
     1,
     3},
};

TEST(NeighbourSearchTest, Table) {
  for (const NeighbourCase& c : kNeighbourCases) {
    SCOPED_TRACE(c.name);
    FlockFixture fixture(c.members);
    ktBoid& self = *fixture.self;
    self.SetPerceptionRange(10.0f);
    EXPECT_EQ(self.FindNeighbours(fixture.flock.GetFirstMember()), c.friendCount);
    EXPECT_EQ(self.fFriendCount, c.friendCount);
    EXPECT_EQ(fixture.IndexOf(self.fNearestBoid), c.nearestBoid);
    EXPECT_FLOAT_EQ(self.fNearestBoidDist, c.nearestBoidDist);
    EXPECT_EQ(fixture.IndexOf(self.fNearestFriend), c.nearestFriend);
    EXPECT_FLOAT_EQ(self.fNearestFriendDist, c.nearestFriendDist);
  }
}

TEST(NeighbourSearchTest, PerceptionIsTheAskersRange) {
  FlockFixture fixture({{{0, 6, 0}, 1, 1}});
  ktBoid& other = *fixture.others[0];
  fixture.self->SetPerceptionRange(10.0f);
  other.SetPerceptionRange(5.0f);
  EXPECT_EQ(fixture.self->DistanceTo(&other), 6.0f);
  EXPECT_EQ(other.DistanceTo(fixture.self), ktINFINITY);
  EXPECT_EQ(fixture.self->DistanceTo(fixture.self), ktINFINITY);
}

// A distance of exactly ktINFINITY means "not perceived", even within a range
// wider than that.
TEST(NeighbourSearchTest, ADistanceOfInfinityIsNotPerceived) {
  FlockFixture fixture({{{ktINFINITY, 0, 0}, 1, 1}, {{0, 999998.0f, 0}, 0, 1}});
  ktBoid& self = *fixture.self;
  self.SetPerceptionRange(2e6f);
  EXPECT_EQ(self.FindNeighbours(fixture.flock.GetFirstMember()), 0);
  EXPECT_EQ(self.fNearestBoid, fixture.others[1]);
  EXPECT_EQ(self.fNearestBoidDist, 999998.0f);
}

// Sixteen friends in range, the nearest last: only the first fifteen are
// remembered (and make the centre), but the nearest friend is the sixteenth.
TEST(NeighbourSearchTest, SixteenFriendsInRange) {
  std::vector<Member> members;
  for (int i = 0; i < 16; ++i) members.push_back({{20.0f - i, 0.0f, 0.0f}, 1, 1});
  FlockFixture fixture(members);
  ktBoid& self = *fixture.self;
  EXPECT_EQ(self.FindNeighbours(fixture.flock.GetFirstMember()), 15);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(self.fFriends[i], fixture.others[i]);
  EXPECT_EQ(self.fNearestFriend, fixture.others[15]);
  EXPECT_EQ(self.fNearestFriendDist, 5.0f);

  ktInfluenceVector centre;
  self.CalcSteerToCenter(centre);
  // The centre of 20, 19, ..., 6 is 13; the vector points from it to the boid.
  ExpectVector({-1.0f, 0.0f, 0.0f}, centre.GetVector());
  EXPECT_EQ(centre.GetSpeed(), 0.5f);
  EXPECT_EQ(centre.GetInfluence(), 0.5f);
}

TEST(SteerToCenterTest, EmptyFriendEntriesCountButAddNothing) {
  FlockFixture fixture({{{0, 4, 2}, 1, 1}});
  ktBoid& self = *fixture.self;
  self.fPosition = {0.0f, 0.0f, 2.0f};
  self.AddFriend(fixture.others[0]);
  self.AddFriend(nullptr);
  ktInfluenceVector out;
  self.CalcSteerToCenter(out);
  // Centre (0, 4, 2) / 2 = (0, 2, 1); own position minus centre = (0, -2, 1).
  ExpectVector({0.0f, -2.0f / 2.2360680f, 1.0f / 2.2360680f}, out.GetVector());

  self.ClearNeighbours();
  out.SetInfluence(3.0f);
  self.CalcSteerToCenter(out);
  EXPECT_EQ(out.GetInfluence(), 0.0f);
}

// Keep distance and cohesion around their thresholds (separation 5,
// cohesion 10, desired speed 0.5, both influences 1).
struct DistanceCase {
  const char* name;
  float x;  // the single neighbour sits at (x, 0, 0)
  int32_t inFlock;
  float keepInfluence, keepSpeed;
  float cohesionInfluence, cohesionSpeed;
};

const DistanceCase kDistanceCases[] = {
    {"exactly at the separation distance", 5.0f, 1, 0.0f, 0.0f, 0.0f, 0.0f},
    {"inside the separation distance", 4.0f, 1, 0.2f * 1.5f, 0.2f * 0.5f * 1.5f, 0.0f, 0.0f},
    {"at contact", 0.0f, 1, 1.5f, 0.75f, 0.0f, 0.0f},
    {"between the two", 7.0f, 1, 0.0f, 0.0f, 0.0f, 0.0f},
    {"exactly at the cohesion distance", 10.0f, 1, 0.0f, 0.0f, 0.0f, 0.0f},
    {"beyond the cohesion distance", 20.0f, 1, 0.0f, 0.0f, 0.5f * 1.5f, 0.5f * 0.5f * 1.5f},
    // A loner is kept away from but never drawn to.
    {"loner inside the separation distance", 4.0f, 0, 0.3f, 0.15f, 0.0f, 0.0f},
    {"loner beyond the cohesion distance", 20.0f, 0, 0.0f, 0.0f, 0.0f, 0.0f},
};

TEST(KeepDistanceAndCohesionTest, Table) {
  for (const DistanceCase& c : kDistanceCases) {
    SCOPED_TRACE(c.name);
    FlockFixture fixture({{{c.x, 0.0f, 0.0f}, c.inFlock, 1}});
    ktBoid& self = *fixture.self;
    self.FindNeighbours(fixture.flock.GetFirstMember());
    ktInfluenceVector keep, cohesion;
    keep.SetInfluence(9.0f);
    cohesion.SetInfluence(9.0f);
    self.CalcKeepDistance(keep);
    self.CalcCohesion(cohesion);
    EXPECT_FLOAT_EQ(keep.GetInfluence(), c.keepInfluence);
    EXPECT_FLOAT_EQ(keep.GetSpeed(), c.keepSpeed);
    EXPECT_FLOAT_EQ(cohesion.GetInfluence(), c.cohesionInfluence);
    EXPECT_FLOAT_EQ(cohesion.GetSpeed(), c.cohesionSpeed);
    // Away from the neighbour points at it; toward it points away.
    if (c.keepInfluence > 0.0f && c.x > 0.0f) ExpectVector({1, 0, 0}, keep.GetVector());
    if (c.cohesionInfluence > 0.0f) ExpectVector({-1, 0, 0}, cohesion.GetVector());
  }
}

TEST(MatchHeadingTest, CopiesTheNearestBoidsVelocity) {
  FlockFixture fixture({{{0, 0, 3}, 0, 1}});
  ktBoid& self = *fixture.self;
  ktInfluenceVector out;
  out.SetInfluence(4.0f);
  self.CalcMatchHeading(out);  // nobody seen yet
  EXPECT_EQ(out.GetInfluence(), 0.0f);

  fixture.others[0]->fVelocity.Set({0.0f, -3.0f, 0.0f}, 0.8f);
  self.FindNeighbours(fixture.flock.GetFirstMember());
  self.CalcMatchHeading(out);
  ExpectVector({0, -1, 0}, out.GetVector());
  EXPECT_EQ(out.GetSpeed(), 0.8f);
  EXPECT_EQ(out.GetInfluence(), 0.5f);
}

TEST(SteerToLeaderTest, DrawsTowardTheLeaderAtHalfSpeed) {
  FlockFixture fixture({{{0, 2, 0}, 1, 1}});
  ktBoid& self = *fixture.self;
  ktInfluenceVector out;
  out.SetInfluence(4.0f);
  self.CalcSteerToLeader(out);
  EXPECT_EQ(out.GetInfluence(), 0.0f);
  fixture.flock.SetLeader(fixture.others[0]);
  self.CalcSteerToLeader(out);
  ExpectVector({0, -1, 0}, out.GetVector());
  EXPECT_EQ(out.GetSpeed(), 0.25f);
  EXPECT_EQ(out.GetInfluence(), 0.5f);
}

// A seed whose first draw modulo 100 is `draw`.
unsigned SeedForDraw(int draw) {
  for (unsigned seed = 1;; ++seed) {
    std::srand(seed);
    if (std::rand() % 100 == draw) return seed;
  }
}

// The jitter goes to x for draws 0 to 44, y for 45 to 89, z for 90 to 99.
// From a zero direction the jitter alone makes the direction.
TEST(CruisingTest, JitterAxisByDraw) {
  const struct {
    int draw;
    mkVector3 direction;
  } kCases[] = {
      {0, {1, 0, 0}},  {44, {1, 0, 0}}, {45, {0, 1, 0}},
      {89, {0, 1, 0}}, {90, {0, 0, 1}}, {99, {0, 0, 1}},
  };
  ktFlock flock(nullptr);
  ktBoid boid(nullptr, &flock, nullptr);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.draw);
    std::srand(SeedForDraw(c.draw));
    ktInfluenceVector out;
    boid.CalcCruising(out);
    ExpectVector(c.direction, out.GetVector());
  }
}

// Speed keeping with desired speed 0.5: the cruising speed stays within
// [0.25, 0.75] below the desired speed and is 0 above it, where the jitter
// also turns negative.
struct CruisingCase {
  const char* name;
  float speed, maxSpeed;
  float cruise;
  float sign;
};

const CruisingCase kCruisingCases[] = {
    {"standing", 0.0f, 1.0f, 0.5f, 1.0f},
    {"slightly slow: raised to half the desired speed", 0.45f, 1.0f, 0.25f, 1.0f},
    {"backwards: cut to one and a half times", -1.0f, 1.0f, 0.75f, 1.0f},
    {"error scaled by MaxSpeed", 0.0f, 2.0f, 0.25f, 1.0f},
    {"too fast", 1.0f, 1.0f, 0.0f, -1.0f},
    {"exactly desired", 0.5f, 1.0f, 0.25f, 1.0f},
    {"exactly desired with MaxSpeed 0", 0.5f, 0.0f, 0.25f, 1.0f},
    {"too fast with MaxSpeed 0", 0.6f, 0.0f, 0.0f, -1.0f},
    {"too slow with MaxSpeed 0", 0.4f, 0.0f, 0.75f, 1.0f},
};

TEST(CruisingTest, SpeedTable) {
  for (const CruisingCase& c : kCruisingCases) {
    SCOPED_TRACE(c.name);
    ktFlock flock(nullptr);
    ktBoid boid(nullptr, &flock, nullptr);
    boid.SetMaxSpeed(c.maxSpeed);
    boid.SetDesiredCruisingInfluence(0.3f);
    boid.SetMaxChange(1.0f);
    boid.fVelocity.Set({0.0f, 3.0f, 4.0f}, c.speed);
    std::srand(SeedForDraw(10));  // jitter on x
    ktInfluenceVector out;
    boid.CalcCruising(out);
    EXPECT_FLOAT_EQ(out.GetSpeed(), c.cruise);
    EXPECT_EQ(out.GetInfluence(), 0.3f);
    // (±0.5, 0.6, 0.8) normalised.
    const float length = 1.1180340f;
    ExpectVector({c.sign * 0.5f / length, 0.6f / length, 0.8f / length}, out.GetVector());
  }
}

}  // namespace
