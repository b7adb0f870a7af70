// The boid library against the reference host: list adding by name, and the
// steering step reading positions, axes and enabled flags and probing for
// blockers through the scene interface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kit/boids/flock.h"
#include "kit/testing/raw_slots.h"
#include "stage/stage.h"

namespace {

using stage::SceneObject;

void ExpectVector(const mkVector3& expected, const mkVector3& actual) {
  EXPECT_FLOAT_EQ(expected.fX, actual.fX);
  EXPECT_FLOAT_EQ(expected.fY, actual.fY);
  EXPECT_FLOAT_EQ(expected.fZ, actual.fZ);
}

// A seed whose first draw modulo 100 is `draw`.
unsigned SeedForDraw(int draw) {
  for (unsigned seed = 1;; ++seed) {
    std::srand(seed);
    if (std::rand() % 100 == draw) return seed;
  }
}

// A stage scene with one flock.
class BoidScene : public ::testing::Test {
 protected:
  BoidScene() : api(&stage.api()), flock(api) {}

  SceneObject* Add(const std::string& name, mkPoint3 position, float radius = 0.5f) {
    SceneObject* object = stage.model().AddObject(name, nullptr, position);
    object->radius = radius;
    return object;
  }
  mkRegistryKey* Key(const std::string& name) { return stage.model().FindKey(name.c_str()); }
  // Sets the object's first world axis (column 0 of its matrix).
  static void SetFirstAxis(SceneObject* object, const mkVector3& axis) {
    object->local.m[0][0] = axis.fX;
    object->local.m[1][0] = axis.fY;
    object->local.m[2][0] = axis.fZ;
    object->local.flags = 0;
  }
  const std::vector<std::string>& Trace() { return stage.model().trace().lines(); }
  void ClearTraceMark() { traceMark = Trace().size(); }
  std::vector<std::string> TraceSinceMark() {
    return std::vector<std::string>(Trace().begin() + traceMark, Trace().end());
  }

  stage::Stage stage;
  egSceneApi* api;
  ktFlock flock;
  size_t traceMark = 0;
};

// --- Lists --------------------------------------------------------------------------------------

// Which of the four lists a case fills.
struct ListKind {
  const char* name;
  int32_t capacity;
  void (*add)(ktFlock&, ktBoid&, const char* const*);
  mkRegistryKey** (*entries)(ktFlock&, ktBoid&);
};

const ListKind kListKinds[] = {
    {"flock avoid list", 20,
     [](ktFlock& f, ktBoid&, const char* const* n) { f.AddAvoidObjects(n); },
     [](ktFlock& f, ktBoid&) { return f.fAvoidObjects; }},
    {"flock gathering list", 10,
     [](ktFlock& f, ktBoid&, const char* const* n) { f.AddGatheringPlaces(n); },
     [](ktFlock& f, ktBoid&) { return f.fGatheringPlaces; }},
    {"boid avoid list", 20, [](ktFlock&, ktBoid& b, const char* const* n) { b.AddAvoidObjects(n); },
     [](ktFlock&, ktBoid& b) { return b.fAvoidObjects; }},
    {"boid gathering list", 10,
     [](ktFlock&, ktBoid& b, const char* const* n) { b.AddGatheringPlaces(n); },
     [](ktFlock&, ktBoid& b) { return b.fGatheringPlaces; }},
};

// Names: "oN" is object N, "ghost" names nothing, "empty" is a variable
// that names nothing, "chosen" a variable that names o1.
struct ListCase {
  const char* name;
  int filled;  // entries already in the list, as capacity minus this many
  std::vector<const char*> names;
  std::vector<const char*> added;  // what lands after the filled entries
};

const ListCase kListCases[] = {
    {"holding capacity - 1 takes nothing", 1, {"o1"}, {}},
    {"holding capacity - 2 takes two", 2, {"o1", "o2", "o3"}, {"o1", "o2"}},
    {"unknown names give their slot to the next", 2, {"ghost", "empty", "o3", "o4"}, {"o3", "o4"}},
    {"a variable gives the key of the variable", 2, {"chosen"}, {"chosen"}},
    {"the same object twice is kept twice", 3, {"o1", "o1"}, {"o1", "o1"}},
};

TEST_F(BoidScene, AddingToListsFollowsTheRule) {
  for (int i = 0; i < 25; ++i) Add("o" + std::to_string(i), {float(i), 0, 0});
  stage.model().AddVariable("empty", nullptr);
  stage.model().AddVariable("chosen", stage.model().FindObject("o1"));
  for (const ListKind& kind : kListKinds) {
    for (const ListCase& c : kListCases) {
      SCOPED_TRACE(std::string(kind.name) + ": " + c.name);
      ktFlock f(api);
      ktBoid b(nullptr, &f, api);
      // Fill up to capacity - filled with o5, o6, ...
      std::vector<std::string> fill;
      for (int i = 0; i < kind.capacity - c.filled; ++i)
        fill.push_back("o" + std::to_string(5 + i));
      std::vector<const char*> fillNames;
      for (const std::string& s : fill) fillNames.push_back(s.c_str());
      fillNames.push_back(nullptr);
      kind.add(f, b, fillNames.data());

      std::vector<const char*> names = c.names;
      names.push_back(nullptr);
      kind.add(f, b, names.data());

      mkRegistryKey** entries = kind.entries(f, b);
      const int before = kind.capacity - c.filled;
      for (int i = 0; i < before; ++i) EXPECT_EQ(entries[i], Key(fill[i])) << i;
      for (size_t i = 0; i < c.added.size(); ++i) EXPECT_EQ(entries[before + i], Key(c.added[i]));
      for (int i = before + int(c.added.size()); i < kind.capacity; ++i)
        EXPECT_EQ(entries[i], nullptr) << i;
    }
  }
}

TEST_F(BoidScene, AnEmptyListTakesUpToItsCapacityInOneCall) {
  std::vector<std::string> names;
  for (int i = 0; i < 25; ++i) {
    names.push_back("o" + std::to_string(i));
    Add(names.back(), {0, 0, 0});
  }
  std::vector<const char*> list;
  for (const std::string& s : names) list.push_back(s.c_str());
  list.push_back(nullptr);
  flock.AddAvoidObjects(list.data());
  flock.AddGatheringPlaces(list.data());
  for (int i = 0; i < 20; ++i) EXPECT_EQ(flock.GetAvoidObjects()[i], Key(names[i]));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(flock.GetGatheringPlaces()[i], Key(names[i]));
  // Full: nothing more, and after emptying it takes names again.
  const char* more[] = {"o24", nullptr};
  flock.AddAvoidObjects(more);
  EXPECT_EQ(flock.GetAvoidObjects()[19], Key("o19"));
  flock.RemoveAllAvoidObjects();
  for (int i = 0; i < 20; ++i) EXPECT_EQ(flock.GetAvoidObjects()[i], nullptr);
  flock.AddAvoidObjects(more);
  EXPECT_EQ(flock.GetAvoidObjects()[0], Key("o24"));
  EXPECT_EQ(flock.GetGatheringPlaces()[9], Key("o9"));
}

TEST_F(BoidScene, AddOperationsBySlot) {
  Add("Rock", {0, 0, 0});
  Add("Pond", {0, 0, 0});
  ktBoid boid(nullptr, &flock, api);
  const char* rock[] = {"Rock", nullptr};
  const char* pond[] = {"Pond", nullptr};
  mktest::CallSlot<void>(&flock, 0, rock);  // AddAvoidObjects
  mktest::CallSlot<void>(&flock, 4, pond);  // AddGatheringPlaces
  mktest::CallSlot<void>(&boid, 3, pond);   // AddAvoidObjects
  mktest::CallSlot<void>(&boid, 5, rock);   // AddGatheringPlaces
  EXPECT_EQ(flock.fAvoidObjects[0], Key("Rock"));
  EXPECT_EQ(flock.fGatheringPlaces[0], Key("Pond"));
  EXPECT_EQ(boid.fAvoidObjects[0], Key("Pond"));
  EXPECT_EQ(boid.fGatheringPlaces[0], Key("Rock"));
}

// --- The step -----------------------------------------------------------------------------------

TEST_F(BoidScene, BoidWithoutObjectGetsZeroAndReadsNothing) {
  Add("Rock", {1, 0, 0});
  const char* rock[] = {"Rock", nullptr};
  flock.AddAvoidObjects(rock);
  stage.model().AddVariable("Nobody", nullptr);
  ktBoid keyless(nullptr, &flock, api);
  ktBoid nameless(Key("Nobody"), &flock, api);
  for (ktBoid* boid : {&keyless, &nameless}) {
    flock.AddTo(boid);
    ClearTraceMark();
    ktVelocityVector current({1, 0, 0}, 0.5f);
    ktInfluenceVector out({0, 1, 0}, 3.0f, 2.0f);
    boid->FlockIt(&current, &out);
    ExpectVector({0, 0, 0}, out.GetVector());
    EXPECT_EQ(out.GetSpeed(), 0.0f);
    EXPECT_EQ(out.GetInfluence(), 0.0f);
    out.Set({0, 1, 0}, 3.0f, 2.0f);
    EXPECT_EQ(boid->AvoidBlockers(10, 3, 1, &out), 0.0f);
    ExpectVector({0, 0, 0}, out.GetVector());
    EXPECT_EQ(out.GetSpeed(), 0.0f);
    EXPECT_EQ(out.GetInfluence(), 0.0f);
    EXPECT_EQ(boid->fPositionValid, 0);
    EXPECT_TRUE(TraceSinceMark().empty());
  }
}

// Alone, with no gathering place: cruising is all there is, and its share
// is 1, so the result is the cruising vector itself.
TEST_F(BoidScene, LoneBoidOnlyCruises) {
  Add("Zovezi", {3, 4, 5});
  ktBoid boid(Key("Zovezi"), &flock, api);
  flock.AddTo(&boid);
  boid.SetInFlock(1);
  std::srand(SeedForDraw(60));  // jitter on y
  ktVelocityVector current({0, 0, 0}, 0.0f);
  ktInfluenceVector out;
  out.SetInfluence(0.7f);
  ClearTraceMark();
  boid.FlockIt(&current, &out);
  ExpectVector({0, 1, 0}, out.GetVector());
  EXPECT_EQ(out.GetSpeed(), 0.5f);
  EXPECT_EQ(out.GetInfluence(), 0.7f);  // left for the caller
  EXPECT_EQ(boid.fPositionValid, 1);
  EXPECT_EQ(boid.fPosition.fZ, 5.0f);
  EXPECT_EQ(boid.GetWhereToDistance(), ktINFINITY);
  EXPECT_EQ(TraceSinceMark(), std::vector<std::string>{"@0 GetWorldPos(Zovezi, &(3 4 5), 0) -> 1"});
}

// Keep distance and heading are recomputed only while friends are seen; a
// nearby loner leaves them as they were.
TEST_F(BoidScene, TendenciesKeepTheirValuesWithoutFriends) {
  Add("A", {0, 0, 0});
  Add("B", {2, 0, 0});
  ktBoid a(Key("A"), &flock, api), b(Key("B"), &flock, api);
  flock.AddTo(&a);
  flock.AddTo(&b);
  a.SetInFlock(1);
  b.SetInFlock(1);
  ktVelocityVector current({0, 0, 1}, 0.4f);
  ktInfluenceVector out;
  b.FlockIt(&current, &out);
  a.FlockIt(&current, &out);
  EXPECT_EQ(a.fFriendCount, 1);
  EXPECT_FLOAT_EQ(a.fKeepDistance.GetInfluence(), 0.6f * 1.5f);
  EXPECT_EQ(a.fMatchHeading.GetInfluence(), 0.5f);

  b.SetInFlock(0);
  stage.model().FindObject("B")->local.m[0][3] = 4.0f;
  b.FlockIt(&current, &out);
  a.FlockIt(&current, &out);
  EXPECT_EQ(a.fFriendCount, 0);
  EXPECT_EQ(a.fNearestBoid, &b);
  EXPECT_FLOAT_EQ(a.fNearestBoidDist, 4.0f);
  EXPECT_FLOAT_EQ(a.fKeepDistance.GetInfluence(), 0.6f * 1.5f);  // from the first step
}

// Gathering by waypoint, over a flock list of five places at x = 10, 20,
// ..., 50 (the boid at the origin).
struct WaypointCase {
  const char* name;
  int32_t waypoint;
  int disabled;    // index of a disabled place, or -1
  float distance;  // to the target, or ktINFINITY
};

const WaypointCase kWaypointCases[] = {
    {"nearest", -1, -1, 10.0f},
    {"nearest enabled", -1, 0, 20.0f},
    {"waypoint 3", 3, -1, 40.0f},
    {"waypoint 0", 0, -1, 10.0f},
    {"waypoint 3 disabled", 3, 3, ktINFINITY},
    {"waypoint 7 is an empty entry", 7, -1, ktINFINITY},
    {"waypoint 10", 10, -1, ktINFINITY},
    {"waypoint far beyond", 1000, -1, ktINFINITY},
};

TEST_F(BoidScene, GatheringByWaypoint) {
  Add("Zovezi", {0, 0, 0});
  const char* places[] = {"P0", "P1", "P2", "P3", "P4", nullptr};
  for (int i = 0; i < 5; ++i) Add(places[i], {10.0f * (i + 1), 0, 0});
  flock.AddGatheringPlaces(places);
  ktBoid boid(Key("Zovezi"), &flock, api);
  flock.AddTo(&boid);
  for (const WaypointCase& c : kWaypointCases) {
    SCOPED_TRACE(c.name);
    for (int i = 0; i < 5; ++i) stage.model().FindObject(places[i])->enable = i != c.disabled;
    flock.SetWaypoint(c.waypoint);
    ktVelocityVector current({1, 0, 0}, 0.5f);
    ktInfluenceVector out;
    boid.FlockIt(&current, &out);
    EXPECT_EQ(boid.GetWhereToDistance(), c.distance);
    EXPECT_EQ(flock.GetWaypoint(), c.waypoint);
    const ktInfluenceVector& gathering = boid.fGatheringPlace;
    EXPECT_EQ(gathering.fSpeed, 0.25f);  // half the desired speed with the flock's list
    if (c.distance == ktINFINITY) {
      EXPECT_EQ(gathering.fInfluence, 0.0f);
    } else {
      EXPECT_EQ(gathering.fInfluence, 0.5f);
      ExpectVector({-1, 0, 0}, gathering.fDirection);  // from the place to the boid
    }
  }
}

// A boid's own places, with its own waypoint, at the full desired speed.
TEST_F(BoidScene, OwnGatheringPlacesComeFirst) {
  Add("Zovezi", {0, 0, 0});
  Add("Near", {0, 5, 0});
  Add("Mine0", {0, 0, 30});
  Add("Mine1", {0, 0, -20});
  const char* flockPlaces[] = {"Near", nullptr};
  const char* own[] = {"Mine0", "Mine1", nullptr};
  flock.AddGatheringPlaces(flockPlaces);
  ktBoid boid(Key("Zovezi"), &flock, api);
  boid.AddGatheringPlaces(own);
  boid.SetWaypoint(1);
  flock.SetWaypoint(0);
  ktVelocityVector current({1, 0, 0}, 0.5f);
  ktInfluenceVector out;
  boid.FlockIt(&current, &out);
  EXPECT_EQ(boid.GetWhereToDistance(), 20.0f);
  ExpectVector({0, 0, 1}, boid.fGatheringPlace.fDirection);
  EXPECT_EQ(boid.fGatheringPlace.fSpeed, 0.5f);
  EXPECT_EQ(boid.GetWaypoint(), 1);
  EXPECT_EQ(flock.GetWaypoint(), 0);
}

// Both tendencies at speed 1.4 blend to 1.4, which MaxSpeed cuts; a higher
// MaxSpeed does not raise it.
TEST_F(BoidScene, ResultSpeedIsCappedAtMaxSpeed) {
  Add("Zovezi", {0, 0, 0});
  Add("Home", {0, 10, 0});
  const char* home[] = {"Home", nullptr};
  for (float maxSpeed : {1.0f, 5.0f}) {
    SCOPED_TRACE(maxSpeed);
    ktBoid boid(Key("Zovezi"), &flock, api);
    boid.AddGatheringPlaces(home);
    boid.SetDesiredSpeed(1.4f);
    boid.SetMaxSpeed(maxSpeed);
    boid.SetDesiredGatheringPlaceInfluence(0.5f);
    boid.SetDesiredCruisingInfluence(0.5f);
    ktVelocityVector current({0, 0, 0}, 0.0f);
    ktInfluenceVector out;
    std::srand(1);
    boid.FlockIt(&current, &out);
    EXPECT_FLOAT_EQ(boid.fCruising.fSpeed, maxSpeed == 1.0f ? 1.4f : 0.7f);
    EXPECT_FLOAT_EQ(out.GetSpeed(), maxSpeed == 1.0f ? 1.0f : (0.7f + 1.4f) * 0.5f);
  }
}

TEST_F(BoidScene, StepBySlot) {
  Add("Zovezi", {1, 2, 3});
  Add("Rock", {4, 0.5f, 0}, 1.0f);
  const char* rock[] = {"Rock", nullptr};
  flock.AddAvoidObjects(rock);
  ktBoid boid(Key("Zovezi"), &flock, api);
  ktVelocityVector current({1, 0, 0}, 0.5f);
  ktInfluenceVector out;
  mktest::CallSlot<void>(&boid, 0, &current, &out);  // FlockIt
  EXPECT_EQ(boid.fPositionValid, 1);
  EXPECT_EQ(boid.fPosition.fY, 2.0f);
  stage.model().FindObject("Zovezi")->local.m[1][3] = 0.0f;
  stage.model().FindObject("Zovezi")->local.m[2][3] = 0.0f;
  EXPECT_EQ(mktest::CallSlot<float>(&boid, 1, 10.0f, 3.0f, 1.0f, &out), 0.25f);  // AvoidBlockers
  ExpectVector({0, 1, 0}, out.GetVector());
}

// --- Blockers -----------------------------------------------------------------------------------

// The creature at the origin looking along x; probes to 10 with size 1 and
// to 3 with size 0.5.
struct Blocker {
  const char* name;
  mkPoint3 position;
  float radius;
  int32_t enable;
};

struct BlockerCase {
  const char* name;
  std::vector<Blocker> blockers;
  mkVector3 direction;
  float speed;
  std::vector<std::string> probes;  // the line queries, in order
};

const BlockerCase kBlockerCases[] = {
    {"nothing in the way",
     {{"Aside", {5, 4, 0}, 1.0f, 1}},
     {0, 0, 0},
     0.0f,
     {"DoesLineCollideWithObject(Aside, &(0 0 0), &(10 0 0), 1, &(0 0 0)) -> 0"}},
    {"only disabled blockers",
     {{"Off", {5, 0, 0}, 1.0f, 0}, {"Off2", {2, 0, 0}, 1.0f, 0}},
     {0, 0, 0},
     0.0f,
     {}},
    // Far hit only: the vector from the blocker toward the probe, negated.
    {"far probe hits",
     {{"Far", {8, 0, -1.2f}, 0.5f, 1}},
     {0, 0, -1},
     0.25f,
     {"DoesLineCollideWithObject(Far, &(0 0 0), &(10 0 0), 1, &(0 0 1)) -> 1",
      "DoesLineCollideWithObject(Far, &(0 0 0), &(3 0 0), 0.5, &(0 0 1)) -> 0"}},
    // The near hit counts twice: -2 (0, -1, 0) - (0, 0, 1) = (0, 2, -1).
    {"near hit counts twice",
     {{"Near", {2, 0.8f, 0}, 0.5f, 1}, {"Far", {8, 0, -1.2f}, 0.5f, 1}},
     {0, 2 / 2.2360680f, -1 / 2.2360680f},
     0.25f,
     {"DoesLineCollideWithObject(Near, &(0 0 0), &(10 0 0), 1, &(0 -1 0)) -> 1",
      "DoesLineCollideWithObject(Near, &(0 0 0), &(3 0 0), 0.5, &(0 -1 0)) -> 1",
      "DoesLineCollideWithObject(Far, &(0 0 0), &(10 0 0), 1, &(0 0 1)) -> 1",
      "DoesLineCollideWithObject(Far, &(0 0 0), &(3 0 0), 0.5, &(0 0 1)) -> 0"}},
    {"behind the creature",
     {{"Behind", {-3, 0, 0}, 1.0f, 1}},
     {0, 0, 0},
     0.0f,
     {"DoesLineCollideWithObject(Behind, &(0 0 0), &(10 0 0), 1, &(0 0 0)) -> 0"}},
};

TEST_F(BoidScene, AvoidBlockersTable) {
  SceneObject* creature = Add("Zovezi", {0, 0, 0});
  SetFirstAxis(creature, {2, 0, 0});  // probes use the axis at unit length
  for (const BlockerCase& c : kBlockerCases) {
    SCOPED_TRACE(c.name);
    ktFlock f(api);
    std::vector<const char*> names;
    for (const Blocker& b : c.blockers) {
      SceneObject* object = stage.model().FindObject(b.name);
      if (object == nullptr) object = Add(b.name, b.position, b.radius);
      object->enable = b.enable;
      names.push_back(b.name);
    }
    names.push_back(nullptr);
    f.AddAvoidObjects(names.data());
    ktBoid boid(Key("Zovezi"), &f, api);
    ktInfluenceVector out({1, 1, 1}, 9.0f, 0.3f);
    ClearTraceMark();
    EXPECT_EQ(boid.AvoidBlockers(10.0f, 3.0f, 1.0f, &out), c.speed);
    ExpectVector(c.direction, out.GetVector());
    EXPECT_EQ(out.GetSpeed(), c.speed);
    EXPECT_EQ(out.GetInfluence(), 0.3f);
    std::vector<std::string> probes;
    for (const std::string& line : TraceSinceMark())
      if (line.find("DoesLineCollideWithObject") != std::string::npos)
        probes.push_back(line.substr(3));
    EXPECT_EQ(probes, c.probes);
  }
}

// The list probed follows the boid's gathering list: a boid with gathering
// places of its own probes its own avoid list, even an empty one; any other
// boid probes the flock's, whatever its own avoid list holds.
TEST_F(BoidScene, OwnGatheringPlacesChooseTheOwnAvoidList) {
  Add("Zovezi", {0, 0, 0});
  Add("Left", {5, 1, 0});
  Add("Right", {5, -1, 0});
  Add("Pond", {0, 50, 0});
  const char* left[] = {"Left", nullptr};
  const char* right[] = {"Right", nullptr};
  const char* pond[] = {"Pond", nullptr};
  flock.AddAvoidObjects(left);
  ktInfluenceVector out;

  ktBoid plain(Key("Zovezi"), &flock, api);
  EXPECT_EQ(plain.AvoidBlockers(10, 3, 1, &out), 0.25f);
  ExpectVector({0, 1, 0}, out.GetVector());  // at Left: a push away in the step's sense

  ktBoid gatherer(Key("Zovezi"), &flock, api);
  gatherer.AddGatheringPlaces(pond);
  ClearTraceMark();
  EXPECT_EQ(gatherer.AvoidBlockers(10, 3, 1, &out), 0.0f);  // its own list is empty
  ExpectVector({0, 0, 0}, out.GetVector());
  for (const std::string& line : TraceSinceMark())
    EXPECT_EQ(line.find("DoesLineCollideWithObject"), std::string::npos) << line;

  ktBoid avoider(Key("Zovezi"), &flock, api);
  avoider.AddAvoidObjects(right);
  avoider.AvoidBlockers(10, 3, 1, &out);
  ExpectVector({0, 1, 0}, out.GetVector());  // still the flock's Left: no places of its own

  ktBoid both(Key("Zovezi"), &flock, api);
  both.AddAvoidObjects(right);
  both.AddGatheringPlaces(pond);
  both.AvoidBlockers(10, 3, 1, &out);
  ExpectVector({0, -1, 0}, out.GetVector());  // at Right, its own blocker, only
}

// Places at the same distance: the earlier in the list stays the nearest.
TEST_F(BoidScene, NearestPlaceTiesKeepTheEarlierPlace) {
  Add("Zovezi", {0, 0, 0});
  Add("North", {0, 10, 0});
  Add("South", {0, -10, 0});
  const char* northFirst[] = {"North", "South", nullptr};
  const char* southFirst[] = {"South", "North", nullptr};
  for (const char* const* names : {northFirst, southFirst}) {
    SCOPED_TRACE(names[0]);
    ktFlock f(api);
    f.AddGatheringPlaces(names);
    ktBoid boid(Key("Zovezi"), &f, api);
    boid.fPosition = {0, 0, 0};
    mkVector3 toward = {0, 0, 0};
    int32_t waypoint = -1;
    EXPECT_EQ(boid.NearestPlace(f.GetGatheringPlaces(), toward, waypoint), 10.0f);
    ExpectVector({0, names[0][0] == 'N' ? -10.0f : 10.0f, 0}, toward);
    EXPECT_EQ(waypoint, -1);
  }
}

// One frame of a small flock, whole: three boids in a row, the middle one
// a loner, with a gathering place and a blocker.
TEST_F(BoidScene, FrameOfASmallFlock) {
  Add("Z0", {0, 0, 0});
  Add("Z1", {3, 0, 0});
  Add("Z2", {20, 0, 0});
  Add("Pond", {0, 40, 0});
  Add("Rock", {5, 0, 0}, 1.0f);
  const char* pond[] = {"Pond", nullptr};
  const char* rock[] = {"Rock", nullptr};
  flock.AddGatheringPlaces(pond);
  flock.AddAvoidObjects(rock);
  ktBoid z0(Key("Z0"), &flock, api), z1(Key("Z1"), &flock, api), z2(Key("Z2"), &flock, api);
  for (ktBoid* b : {&z0, &z1, &z2}) flock.AddTo(b);
  z0.SetInFlock(1);
  z2.SetInFlock(1);
  std::srand(7);
  ktVelocityVector current({-1, 0, 0}, 0.5f);
  ktInfluenceVector flockResult, avoidResult;
  for (ktBoid* b : {&z0, &z1, &z2}) b->FlockIt(&current, &flockResult);
  // z0 steps before the others have a position: it sees nobody.
  EXPECT_EQ(z0.fFriendCount, 0);
  EXPECT_EQ(z0.fNearestBoid, nullptr);
  // z1 sees z0 (friend, 3 away) but not z2, who has not stepped yet.
  EXPECT_EQ(z1.fFriendCount, 1);
  EXPECT_EQ(z1.fNearestBoid, &z0);
  // z2 sees z0 (20 away, a friend) and the loner z1 (17 away).
  EXPECT_EQ(z2.fFriendCount, 1);
  EXPECT_EQ(z2.fNearestBoid, &z1);
  EXPECT_EQ(z2.fNearestFriend, &z0);
  EXPECT_FLOAT_EQ(z2.fCohesion.GetInfluence(), 0.5f * 1.5f);  // 1 - 10 / 20
  EXPECT_EQ(z2.GetWhereToDistance(), Magnitude({-20, -40, 0}));
  // Next frame z0 sees both.
  z0.FlockIt(&current, &flockResult);
  EXPECT_EQ(z0.fFriendCount, 1);
  EXPECT_EQ(z0.fNearestBoid, &z1);
  EXPECT_FLOAT_EQ(z0.fKeepDistance.GetInfluence(), (1.0f - 3.0f / 5.0f) * 1.5f);
  // z0 and z1 look along x at the rock; z2 is past it.
  EXPECT_EQ(z0.AvoidBlockers(10, 3, 1, &avoidResult), 0.25f);
  EXPECT_EQ(z1.AvoidBlockers(10, 3, 1, &avoidResult), 0.25f);
  EXPECT_EQ(z2.AvoidBlockers(10, 3, 1, &avoidResult), 0.0f);
}

}  // namespace
