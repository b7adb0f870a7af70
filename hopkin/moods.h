// The arithmetic of a creature's moods toward the nearest player: the player
// activity table, raw curiosity and fear from distance, facing and activity,
// the smoothing that moves a mood toward its raw value, the mood bands and
// the mood action table that turns the two bands into a steering tendency.
//
// Every creature brain runs these each frame (hopkin.h); they touch nothing
// but their arguments. All arithmetic is in 32-bit floats.
#ifndef TESSERA_HOPKIN_MOODS_H_
#define TESSERA_HOPKIN_MOODS_H_

#include <cstdint>

#include "kit/math/math.h"

// The mood levels: one column of every per-level tunable each.
constexpr int32_t kHopkinMoodLevels = 4;

// Copies `name` into `buffer` of `size` bytes (at least 1), cut to size - 1
// characters and always terminated: what snprintf(buffer, size, "%s", name)
// writes, without the formatting machinery, for names copied every frame.
void HopkinCopyName(char* buffer, int32_t size, const char* name);

// Curiosity and fear factors of a player doing `activity` (a behaviour name,
// compared without regard to case): the seventeen names of the table, and
// 0.5 for both moods for any other name, the empty name and null.
struct HopkinActivityFactors {
  float curiosity;
  float fear;
};
HopkinActivityFactors HopkinActivity(const char* activity);

// Raw curiosity at player distance `distance` (at least 0): 0 beyond
// `maxDistance`; otherwise the distance part, rising from 0 at contact to 1
// at `peakDistance` and falling back to 0 at `maxDistance`, plus the
// activity factor, times 0.5 times `rate`. Where the peak is at the maximum
// the distance part is 1 there (never 0/0).
float HopkinRawCuriosity(float distance, float maxDistance, float peakDistance,
                         float activityFactor, float rate);

// How much the player faces the creature: F the player's first world axis,
// V the player's position minus the creature's, both normalised (a zero
// vector stays zero); 0 when |F + V|^2 > 3.8, else 1 - |F + V|^2 / 3.8; times
// `factor`.
float HopkinFacing(const mkPoint3& player, const mkPoint3& creature, const mkVector3& playerAxis,
                   float factor);

// Raw fear: 0 beyond `maxDistance`; otherwise the distance part (1 within
// `peakDistance`, 1 - distance / maxDistance beyond it), plus `facing` when it
// is not negative, plus the activity factor, times 0.5 times `rate`.
float HopkinRawFear(float distance, float maxDistance, float peakDistance, float facing,
                    float activityFactor, float rate);

// One frame of smoothing: `*timer` grows by `delta` seconds; when it passes
// `stepTime`, or the raw value is more than `stepJump` away from the mood,
// the mood moves halfway to the raw value and the timer restarts at 0.
// Returns the new mood.
float HopkinSmoothMood(float mood, float raw, float* timer, float delta, float stepTime,
                       float stepJump);

// 0 for v <= 0, 1 up to 0.35, 2 up to 0.75, 3 above.
int32_t HopkinMoodBand(float v);

// What the moods make a creature do about the nearest player.
enum HopkinMoodDirection : int32_t {
  kHopkinMoodNone,      // the mood tendency has no influence
  kHopkinMoodApproach,  // along creature - player: toward the player
  kHopkinMoodFlee,      // along player - creature
};
enum HopkinMoodSpeed : int32_t {
  kHopkinMoodStill,  // speed 0
  kHopkinMoodSlow,   // the slow mood speed
  kHopkinMoodFast,   // the fast mood speed
};
struct HopkinMoodAction {
  HopkinMoodDirection direction;
  HopkinMoodSpeed speed;
};
// The action for a curiosity band (row) and a fear band (column), 0 to 3
// each; bands outside are taken as the nearest end.
HopkinMoodAction HopkinMoodActionFor(int32_t curiosityBand, int32_t fearBand);

#endif  // TESSERA_HOPKIN_MOODS_H_
