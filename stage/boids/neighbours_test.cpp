// The neighbour search through a large flock's index finds exactly what the
// plain walk finds: the same friends in the same order, the same nearest
// boid and friend at the same distances, bit for bit. Random flocks are
// stepped as a host steps them (each boid's FlockIt stores its position in
// turn, so positions change within a frame) and every search is compared
// with the walk over the same list at that moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "stage/boids/direct_api.h"
#include "kit/boids/flock.h"
#include "kit/boids/neighbours.h"
#include "stage/model.h"

namespace {

constexpr float kRange = 10.0f;

// What a search leaves in the boid.
struct Found {
  int32_t friendCount;
  ktBoid* friends[Max_Friends_Visible];
  ktBoid* nearestBoid;
  float nearestBoidDist;
  ktBoid* nearestFriend;
  float nearestFriendDist;

  explicit Found(const ktBoid& b)
      : friendCount(b.fFriendCount),
        nearestBoid(b.fNearestBoid),
        nearestBoidDist(b.fNearestBoidDist),
        nearestFriend(b.fNearestFriend),
        nearestFriendDist(b.fNearestFriendDist) {
    std::copy(b.fFriends, b.fFriends + Max_Friends_Visible, friends);
  }
};

void ExpectSame(const Found& walked, const Found& indexed) {
  EXPECT_EQ(walked.friendCount, indexed.friendCount);
  for (int i = 0; i < Max_Friends_Visible; ++i) EXPECT_EQ(walked.friends[i], indexed.friends[i]);
  EXPECT_EQ(walked.nearestBoid, indexed.nearestBoid);
  EXPECT_EQ(0, std::memcmp(&walked.nearestBoidDist, &indexed.nearestBoidDist, sizeof(float)));
  EXPECT_EQ(walked.nearestFriend, indexed.nearestFriend);
  EXPECT_EQ(0, std::memcmp(&walked.nearestFriendDist, &indexed.nearestFriendDist, sizeof(float)));
}

// Two flocks over one room. Each boid steers by one flock and sits in the
// member list of either (a boid's flock and the list that holds it are
// independent), so each list is searched by its own boids and seen by the
// other flock's.
class TwoFlocks {
 public:
  // About `neighbours` boids within range of each.
  TwoFlocks(int boids, uint32_t seed, float neighbours = 8.0f)
      : random_(seed), a_(&api_), b_(&api_) {
    side_ = std::sqrt(float(boids) * 3.14159265f / neighbours) * kRange;
    a_.SetPerceptionRange(kRange);
    b_.SetPerceptionRange(kRange);
    for (int i = 0; i < boids; ++i) AddBoid();
  }

  // Steps every boid once, in a random order, a few not at all; before its
  // step each boid's object moves. Every search is checked against the walk.
  void Frame() {
    std::vector<Boid*> order;
    for (Boid& boid : boids_)
      if (boid.boid != nullptr) order.push_back(&boid);
    std::shuffle(order.begin(), order.end(), random_);
    for (Boid* boid : order) {
      if (Chance(0.05)) continue;
      Move(*boid->object);
      ktVelocityVector current;
      current.Set({1.0f, 0.0f, 0.0f}, 0.5f);
      ktInfluenceVector out;
      boid->boid->FlockIt(&current, &out);
      const Found indexed(*boid->boid);
      ScanNeighbours(*boid->boid, boid->boid->fFlock->GetFirstMember());
      ExpectSame(Found(*boid->boid), indexed);
      ++searches_;
      if (testing::Test::HasFailure()) return;
    }
  }

  // Between frames: members leave, join, change lists and places in their
  // list, die; flags and ranges change.
  void Shuffle() {
    for (int i = 0; i < 6; ++i) {
      Boid& boid = boids_[Pick(boids_.size())];
      if (boid.boid == nullptr) continue;
      ktBoid* self = boid.boid.get();
      ktFlock* list = boid.list < 0 ? nullptr : boid.list == 0 ? &a_ : &b_;
      switch (Pick(5)) {
        case 0:  // to the end of the other list (or of one, when in none)
          if (list != nullptr) list->RemoveFrom(self);
          boid.list = list == &a_ ? 1 : 0;
          (boid.list == 0 ? a_ : b_).AddTo(self);
          break;
        case 1:  // behind another member, through the links alone
          if (list != nullptr && list->GetFirstMember() != self) MoveBehindSomeone(self, *list);
          break;
        case 2:  // cut out through the links, as a script's free does
          if (list != nullptr && list->GetFirstMember() != self) {
            CutOut(self);
            --list->fCount;
            boid.list = -1;
          }
          break;
        case 3:  // dies, after leaving its list as the owner must
          if (list != nullptr) list->RemoveFrom(self);
          boid.boid.reset();
          break;
        case 4:
          AddBoid();
          break;
      }
    }
    for (Boid& boid : boids_) {
      if (boid.boid == nullptr) continue;
      if (Chance(0.05)) boid.boid->SetInFlock(1 - boid.boid->IsInFlock());
      // Flags written straight into the fields, as a plug-in may.
      if (Chance(0.02)) boid.boid->fInFlock = 1 - boid.boid->fInFlock;
      if (Chance(0.01)) boid.boid->fPositionValid = 1 - boid.boid->fPositionValid;
      if (Chance(0.03)) {
        const float ranges[] = {kRange, kRange * 0.5f, kRange * 1.7f,
                                0.0f,   1e20f,         std::numeric_limits<float>::quiet_NaN()};
        boid.boid->SetPerceptionRange(ranges[Pick(6)]);
      }
    }
  }

  // Searches the two indexes answered, and searches checked.
  int64_t Answered() const {
    int64_t n = 0;
    for (const ktFlock* f : {&a_, &b_})
      if (f->fNeighbourIndex != nullptr) n += f->fNeighbourIndex->Answered();
    return n;
  }
  int64_t searches() const { return searches_; }

 private:
  struct Boid {
    stage::SceneObject* object;
    std::unique_ptr<ktBoid> boid;
    int list;  // 0: a_'s member list, 1: b_'s
  };

  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p; }
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  float Uniform(float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random_);
  }

  void AddBoid() {
    const std::string name = "Boid" + std::to_string(boids_.size());
    stage::SceneObject* object = model_.AddObject(name, nullptr, {0.0f, 0.0f, 0.0f});
    Place(*object, {Uniform(0.0f, side_), Uniform(0.0f, side_), Chance(0.3) ? Uniform(-5, 5) : 0});
    auto boid = std::make_unique<ktBoid>(model_.FindKey(name), Chance(0.5) ? &a_ : &b_, &api_);
    boid->SetInFlock(Chance(0.85) ? 1 : 0);
    const int list = Chance(0.5) ? 0 : 1;
    (list == 0 ? a_ : b_).AddTo(boid.get());
    boids_.push_back({object, std::move(boid), list});
  }

  static void CutOut(ktBoid* self) {
    ktBoid* prev = self->fPrev;
    ktBoid* next = self->GetNext();
    prev->SetNext(next);
    if (next != nullptr) next->SetPrev(prev);
    self->SetNext(nullptr);
    self->SetPrev(nullptr);
  }

  // `self` is not the list's first member.
  void MoveBehindSomeone(ktBoid* self, ktFlock& list) {
    CutOut(self);
    std::vector<ktBoid*> members;
    for (ktBoid* m = list.GetFirstMember(); m != nullptr; m = m->GetNext()) members.push_back(m);
    ktBoid* before = members[Pick(members.size())];
    ktBoid* after = before->GetNext();
    self->SetNext(after);
    if (after != nullptr) after->SetPrev(self);
    before->SetNext(self);
    self->SetPrev(before);
  }

  static mkPoint3 At(const stage::SceneObject& o) {
    return {o.local.m[0][3], o.local.m[1][3], o.local.m[2][3]};
  }
  static void Place(stage::SceneObject& o, const mkPoint3& p) {
    o.local.m[0][3] = p.fX;
    o.local.m[1][3] = p.fY;
    o.local.m[2][3] = p.fZ;
  }

  // Mostly a short step; sometimes a jump across the room, a whole-number
  // place (equal distances, ties in the nearest), a place exactly at the
  // range from another boid, or coordinates that no cell can hold.
  void Move(stage::SceneObject& o) {
    mkPoint3 p = At(o);
    if (!std::isfinite(p.fX) || !std::isfinite(p.fY) || std::fabs(p.fX) > 2 * side_) p = {0, 0, 0};
    const double draw = Uniform(0.0f, 1.0f);
    if (draw < 0.70) {
      p = {p.fX + Uniform(-2, 2), p.fY + Uniform(-2, 2), p.fZ};
    } else if (draw < 0.80) {
      p = {Uniform(0.0f, side_), Uniform(0.0f, side_), 0.0f};
    } else if (draw < 0.92) {
      p = {std::round(p.fX), std::round(p.fY), std::round(p.fZ)};
    } else if (draw < 0.95) {
      const mkPoint3 q = At(*boids_[Pick(boids_.size())].object);
      p = {q.fX + kRange, q.fY, q.fZ};
    } else {
      const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(), 3e12f, -3e12f, 1e38f};
      p.fX = odd[Pick(5)];
    }
    Place(o, p);
  }

  std::mt19937 random_;
  stage::Model model_;
  boidtest::DirectSceneApi api_;
  ktFlock a_;
  ktFlock b_;
  float side_;
  std::vector<Boid> boids_;
  int64_t searches_ = 0;
};

class IndexedSearchTest : public testing::TestWithParam<int> {};

TEST_P(IndexedSearchTest, FindsWhatTheWalkFinds) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    TwoFlocks flocks(GetParam(), seed);
    for (int frame = 0; frame < 12 && !HasFailure(); ++frame) {
      flocks.Frame();
      flocks.Shuffle();
    }
    // Many searches went through the cells (the rest: ranges no cell
    // covers, boids out of every cell, lists that fell below the size).
    if (GetParam() >= 2 * ktNeighbourIndex::kCellMembers) {
      EXPECT_GT(flocks.Answered(), flocks.searches() / 4);
    }
  }
}

// 2 x 20 boids: lists held without cells; 2 x 70: lists near the size from
// which they have cells.
INSTANTIATE_TEST_SUITE_P(Flocks, IndexedSearchTest, testing::Values(40, 140, 400, 1500));

// A crowd: many boids to a cell, so that searches follow each other from
// one cell (and reuse its members) while members cross between cells.
TEST(NeighbourIndexTest, FindsWhatTheWalkFindsInACrowd) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    TwoFlocks flocks(600, seed, 60.0f);
    for (int frame = 0; frame < 12 && !HasFailure(); ++frame) {
      flocks.Frame();
      flocks.Shuffle();
    }
    EXPECT_GT(flocks.Answered(), flocks.searches() / 4);
  }
}

// Positions written straight into members' fields between frames (a member
// put beside another far from where it stepped, one put out of every cell
// and one back) are seen by every search of the next frame, as the walk
// sees them.
TEST(NeighbourIndexTest, SeesPositionsWrittenIntoTheFields) {
  stage::Model model;
  boidtest::DirectSceneApi api;
  ktFlock flock(&api);
  flock.SetPerceptionRange(kRange);
  std::vector<std::unique_ptr<ktBoid>> boids;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "Boid" + std::to_string(i);
    model.AddObject(name, nullptr, {float(i % 10) * 30.0f, float(i / 10) * 30.0f, 0.0f});
    boids.push_back(std::make_unique<ktBoid>(model.FindKey(name), &flock, &api));
    boids.back()->SetInFlock(1);
    flock.AddTo(boids.back().get());
  }
  ktVelocityVector current;
  ktInfluenceVector out;
  const auto frame = [&] {
    for (auto& boid : boids) {
      boid->FlockIt(&current, &out);
      const Found indexed(*boid);
      ScanNeighbours(*boid, flock.GetFirstMember());
      ExpectSame(Found(*boid), indexed);
    }
  };
  frame();
  frame();
  const int64_t answered = flock.fNeighbourIndex->Answered();
  // Each boid alone in its cell's reach; then the last three are written
  // beside boid 55 (one of them in the layer of cells below), far from where they
  // stepped, and boid 0 out of every cell. The positions are written after
  // the boids' objects, so a boid's own step does not undo them before the
  // others search: the objects move too.
  EXPECT_EQ(boids[55]->fNearestBoid, nullptr);
  const mkPoint3 beside[] = {
      {152.0f, 150.0f, 0.0f}, {150.0f, 153.0f, 0.0f}, {150.0f, 150.0f, -4.0f}};
  for (int i = 0; i < 3; ++i) {
    stage::SceneObject* object = model.FindObject("Boid" + std::to_string(97 + i));
    object->local.m[0][3] = beside[i].fX;
    object->local.m[1][3] = beside[i].fY;
    object->local.m[2][3] = beside[i].fZ;
    boids[size_t(97 + i)]->fPosition = beside[i];
  }
  boids[0]->fPosition = {std::numeric_limits<float>::infinity(), 0.0f, 0.0f};
  boids[55]->FlockIt(&current, &out);
  EXPECT_EQ(boids[55]->fFriendCount, 3);
  EXPECT_EQ(boids[55]->fNearestBoid, boids[97].get());
  frame();
  EXPECT_EQ(boids[55]->fFriendCount, 3);
  EXPECT_EQ(flock.fNeighbourIndex->Answered(), answered + 101);
}

// A flock that dies before its members leaves them usable, and a member that
// dies leaves the index it was in.
TEST(NeighbourIndexTest, EitherMayBeDestroyedFirst) {
  stage::Model model;
  boidtest::DirectSceneApi api;
  std::vector<std::unique_ptr<ktBoid>> boids;
  auto flock = std::make_unique<ktFlock>(&api);
  for (int i = 0; i < 80; ++i) {
    const std::string name = "Boid" + std::to_string(i);
    model.AddObject(name, nullptr, {float(i), 0.0f, 0.0f});
    boids.push_back(std::make_unique<ktBoid>(model.FindKey(name), flock.get(), &api));
    flock->AddTo(boids.back().get());
  }
  ktVelocityVector current;
  ktInfluenceVector out;
  for (auto& boid : boids) boid->FlockIt(&current, &out);
  for (auto& boid : boids) boid->FlockIt(&current, &out);
  ASSERT_NE(flock->fNeighbourIndex, nullptr);
  EXPECT_GT(flock->fNeighbourIndex->Answered(), 0);
  EXPECT_EQ(boids[5]->fIndexedBy, flock->fNeighbourIndex);

  flock->RemoveFrom(boids[5].get());
  boids[5].reset();
  boids[6]->FlockIt(&current, &out);
  const Found indexed(*boids[6]);
  ScanNeighbours(*boids[6], flock->GetFirstMember());
  ExpectSame(Found(*boids[6]), indexed);

  flock.reset();
  for (auto& boid : boids) {
    if (boid == nullptr) continue;
    EXPECT_EQ(boid->fIndexedBy, nullptr);
  }
}

}  // namespace
