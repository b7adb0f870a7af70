// SwarmXcmd: swarms of bugs that the host simulates as flocks (egFlockManager)
// and that seek lit firemarbles. Scripts register the swarms once
// (BugFlockInit, then BugFlockAddFlock per swarm) and run BugFlockUpdate every
// frame: each swarm picks the nearest lit firemarble, flies to it, consumes
// it, and after enough meals heads home, running a script actor at each step.
//
// All state lives in host contexts: the header (2001, 2001, 2001) and one
// record per swarm (2002, 2002, index). The records are the host's; the
// commands keep nothing of their own.
#ifndef TESSERA_SWARM_SWARM_H_
#define TESSERA_SWARM_SWARM_H_

#include <cstddef>
#include <cstdint>

#include "kit/plugin/command.h"
#include "kit/plugin/plugin.h"

// Record kinds of the swarm contexts.
constexpr int32_t kSwarmHeaderRecord = 2001;
constexpr int32_t kSwarmRecord = 2002;

// Firemarble n (1 to firemarbleCount) is the scene object named by this
// prefix and n in decimal, at least two digits: rijus3..firemarble01.
constexpr char kFiremarblePrefix[] = "rijus3..firemarble";
// The names are built in a buffer of this size; the prefix and the widest
// number allowed (kMaxFiremarbles) fit with room to spare.
constexpr size_t kFiremarbleNameLimit = 32;
// BugFlockInit takes at most this many firemarbles; a larger count is cut to
// it with a warning, so that one update cannot try an unbounded number of
// names.
constexpr int32_t kMaxFiremarbles = 999;
// BugFlockAddFlock registers at most this many swarms.
constexpr int32_t kMaxSwarms = 256;

// The states of a swarm, in the order of its life.
enum : int32_t {
  kSwarmSearching = 0,
  kSwarmApproaching = 1,  // a target was chosen; otherwise as searching
  kSwarmConsuming = 2,
  kSwarmReturning = 3,
  kSwarmHome = 4,
};

// The header record (12 bytes on every platform).
struct SwarmHeader {
  int32_t swarmCount;       // number of swarm records
  int32_t firemarbleCount;  // firemarbles to consider, numbered from 1
  float reachSq;            // squared distance at which a target is reached
};
static_assert(sizeof(SwarmHeader) == 12, "header record is 12 bytes");
static_assert(offsetof(SwarmHeader, firemarbleCount) == 4, "header layout");
static_assert(offsetof(SwarmHeader, reachSq) == 8, "header layout");

// One swarm's record. On the 32-bit host every pointer is 4 bytes and the
// record is 52 bytes; on a 64-bit build the pointers are 8 bytes wide and
// aligned to 8, so the same fields in the same order take 80 bytes (the two
// leading pointers end at 16, the seven 32-bit values at 44, the four actors
// start at 48).
struct SwarmRecord {
  egFlockManager* flock;  // the swarm
  mkSceneObject* target;  // firemarble approached or consumed; null at first
  int32_t state;          // kSwarmSearching ... kSwarmHome
  int32_t mealLimit;      // meals after which the swarm returns
  int32_t meals;          // meals so far
  float searchSq;         // squared distance within which a firemarble is noticed
  float mealTime;         // seconds a meal lasts
  float mealTimer;        // seconds spent consuming; never reset
  float homeSq;           // squared distance at which a returning swarm is home
  egTrigActor* onTarget;  // run when a new target is chosen (may be null)
  egTrigActor* onReach;   // run when the target is reached
  egTrigActor* onMeal;    // run when a meal is finished
  egTrigActor* onHome;    // run when the swarm is home
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SwarmRecord) == 52, "swarm record is 52 bytes");
static_assert(offsetof(SwarmRecord, target) == 4, "swarm record layout");
static_assert(offsetof(SwarmRecord, state) == 8, "swarm record layout");
static_assert(offsetof(SwarmRecord, mealLimit) == 12, "swarm record layout");
static_assert(offsetof(SwarmRecord, meals) == 16, "swarm record layout");
static_assert(offsetof(SwarmRecord, searchSq) == 20, "swarm record layout");
static_assert(offsetof(SwarmRecord, mealTime) == 24, "swarm record layout");
static_assert(offsetof(SwarmRecord, mealTimer) == 28, "swarm record layout");
static_assert(offsetof(SwarmRecord, homeSq) == 32, "swarm record layout");
static_assert(offsetof(SwarmRecord, onTarget) == 36, "swarm record layout");
static_assert(offsetof(SwarmRecord, onReach) == 40, "swarm record layout");
static_assert(offsetof(SwarmRecord, onMeal) == 44, "swarm record layout");
static_assert(offsetof(SwarmRecord, onHome) == 48, "swarm record layout");
#else
static_assert(sizeof(SwarmRecord) == 80, "swarm record with 8-byte pointers");
static_assert(offsetof(SwarmRecord, target) == 8, "swarm record layout");
static_assert(offsetof(SwarmRecord, state) == 16, "swarm record layout");
static_assert(offsetof(SwarmRecord, homeSq) == 40, "swarm record layout");
static_assert(offsetof(SwarmRecord, onTarget) == 48, "swarm record layout");
static_assert(offsetof(SwarmRecord, onHome) == 72, "swarm record layout");
#endif

// Writes the name of firemarble `number` into `name` (`size` bytes). False,
// and `name` empty, when the name does not fit.
bool FiremarbleName(int32_t number, char* name, size_t size);

// The command rows (kit/plugin/command.h), in the order of XCmdIdentDLL:
// name, class, argument counts and usage line.
//   BugFlockInit(firemarbleCount, reachSq): 1.
//   BugFlockAddFlock(flock, mealLimit, searchSq, mealTime, homeSq, onTarget,
//     onReach, onMeal, onHome): 1.
//   BugFlockUpdate(event): 0 when the event exists (run again next frame),
//     otherwise 1.
#define SWARM_XCMDS(X)                                                                            \
  X(BugFlockInit, BugFlockInitCmd, 2, 2, "BugFlockInit: wrong number of arguments (FIREMARBLES)") \
  X(BugFlockAddFlock, BugFlockAddFlockCmd, 9, 9,                                                  \
    "BugFlockAddFlock: wrong number of arguments (there are some)")                               \
  X(BugFlockUpdate, BugFlockUpdateCmd, 1, 1,                                                      \
    "BugFlockUpdate: wrong number of arguments (Event to check)")
MK_DECLARE_XCMDS(SWARM_XCMDS)

#endif  // TESSERA_SWARM_SWARM_H_
