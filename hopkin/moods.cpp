#include "hopkin/moods.h"

#include <cmath>

#include "kit/ascii.h"

namespace {

struct ActivityRow {
  const char* name;
  HopkinActivityFactors factors;
};

const ActivityRow kActivities[] = {
    {"walk", {0.4f, 0.6f}},           {"run", {0.0f, 0.8f}},
    {"short_jump", {0.0f, 0.8f}},     {"wait", {0.7f, 0.1f}},
    {"long_jump", {0.0f, 0.8f}},      {"stop", {0.4f, 0.7f}},
    {"turn_left", {0.4f, 0.6f}},      {"turn_right", {0.4f, 0.6f}},
    {"turn_left_fast", {0.3f, 0.7f}}, {"turn_right_fast", {0.3f, 0.7f}},
    {"back_up", {0.4f, 0.4f}},        {"fall", {0.5f, 0.8f}},
    {"get_up", {0.5f, 0.5f}},         {"pick_up_right", {0.8f, 0.0f}},
    {"pick_up_left", {0.8f, 0.0f}},   {"drop_right", {1.0f, 0.0f}},
    {"drop_left", {1.0f, 0.0f}},
};

constexpr HopkinMoodAction kNone = {kHopkinMoodNone, kHopkinMoodStill};
constexpr HopkinMoodAction kApproachStill = {kHopkinMoodApproach, kHopkinMoodStill};
constexpr HopkinMoodAction kApproachSlow = {kHopkinMoodApproach, kHopkinMoodSlow};
constexpr HopkinMoodAction kApproachFast = {kHopkinMoodApproach, kHopkinMoodFast};
constexpr HopkinMoodAction kFleeStill = {kHopkinMoodFlee, kHopkinMoodStill};
constexpr HopkinMoodAction kFleeSlow = {kHopkinMoodFlee, kHopkinMoodSlow};
constexpr HopkinMoodAction kFleeFast = {kHopkinMoodFlee, kHopkinMoodFast};

// Rows: curiosity band; columns: fear band.
constexpr HopkinMoodAction kMoodActions[4][4] = {
    {kNone, kFleeStill, kFleeSlow, kFleeFast},
    {kApproachStill, kApproachStill, kFleeStill, kFleeFast},
    {kApproachSlow, kApproachSlow, kApproachStill, kFleeFast},
    {kApproachFast, kApproachSlow, kFleeSlow, kFleeFast},
};

int32_t Clamp03(int32_t band) {
  return band < 0 ? 0 : band > 3 ? 3 : band;
}

}  // namespace

void HopkinCopyName(char* buffer, int32_t size, const char* name) {
  int32_t n = 0;
  for (; n + 1 < size && name[n] != '\0'; ++n) buffer[n] = name[n];
  buffer[n] = '\0';
}

HopkinActivityFactors HopkinActivity(const char* activity) {
  if (activity != nullptr)
    for (const ActivityRow& row : kActivities)
      if (ktSameTextNoCase(row.name, activity)) return row.factors;
  return {0.5f, 0.5f};
}

float HopkinRawCuriosity(float distance, float maxDistance, float peakDistance,
                         float activityFactor, float rate) {
  if (distance > maxDistance) return 0.0f;
  float x;
  if (distance >= peakDistance) {
    const float fall = maxDistance - peakDistance;
    x = fall > 0.0f ? 1.0f - (distance - peakDistance) / fall : 1.0f;
  } else {
    x = distance / peakDistance;
  }
  return (x + activityFactor) * 0.5f * rate;
}

float HopkinFacing(const mkPoint3& player, const mkPoint3& creature, const mkVector3& playerAxis,
                   float factor) {
  mkVector3 f = playerAxis;
  mkVector3 v = player - creature;
  Normalize(f);
  Normalize(v);
  const float s = MagnitudeSquared(f + v);
  const float m = s > 3.8f ? 0.0f : 1.0f - s / 3.8f;
  return m * factor;
}

float HopkinRawFear(float distance, float maxDistance, float peakDistance, float facing,
                    float activityFactor, float rate) {
  if (distance > maxDistance) return 0.0f;
  float x;
  if (distance <= peakDistance) {
    x = 1.0f;
  } else {
    // Here peak < distance <= max; a maximum of 0 or less leaves nothing to
    // divide by, and the distance part is 0 at the maximum.
    x = maxDistance > 0.0f ? 1.0f - distance / maxDistance : 0.0f;
  }
  if (facing >= 0.0f) x += facing;
  return (x + activityFactor) * 0.5f * rate;
}

float HopkinSmoothMood(float mood, float raw, float* timer, float delta, float stepTime,
                       float stepJump) {
  *timer += delta;
  if (*timer > stepTime || std::fabs(mood - raw) > stepJump) {
    *timer = 0.0f;
    return (mood + raw) * 0.5f;
  }
  return mood;
}

int32_t HopkinMoodBand(float v) {
  if (v <= 0.0f) return 0;
  if (v <= 0.35f) return 1;
  if (v <= 0.75f) return 2;
  return 3;
}

HopkinMoodAction HopkinMoodActionFor(int32_t curiosityBand, int32_t fearBand) {
  return kMoodActions[Clamp03(curiosityBand)][Clamp03(fearBand)];
}
