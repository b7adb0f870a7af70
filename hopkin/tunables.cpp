// The creature tunables' built-in defaults.
#include "hopkin/tunables.h"

namespace {

// The built-in defaults, in their fixed order, written as lines of the file.
const char* const kDefaultLines[] = {
    "VelocityWalk 0.1625",
    "VelocityRun 0.225",
    "VelocityJump 0.525",
    "PlayerTooClose 5.0",
    "MinSeparationDist 7.5",
    "MaxSeparationDist 10.0",
    "MinCohesionDist 15.0",
    "MaxCohesionDist 20.0",
    "TravelToMoodFactor 0.35",
    "StartFlockMood 1",
    "MaxFlockMood 2",
    "MinFlockMood 0",
    "ConsecutiveFreedoms 3",
    "ConsecutiveDeaths 3",
    "MaxCuriosityDistance 100.0, 100.0, 100.0, 100.0",
    "PeakCuriosityDistance 50.0, 50.0, 30.0, 20.0",
    "MaxFearDistance 100.0, 100.0, 100.0, 100.0",
    "PeakFearDistance 50.0, 30.0, 20.0, 20.0",
    "FacingFearFactor 0.85, 0.75, 0.75, 0.5",
    "MinCuriosityRate 0.4, 0.4, 0.6, 0.6",
    "MaxCuriosityRate 0.6, 0.6, 0.8, 0.8",
    "MinFearRate 0.8, 0.8, 0.6, 0.6",
    "MaxFearRate 1.0, 1.0, 0.8, 0.8",
    "FlockWaitWeights 5, 5, 5, 5, 5, 15, 15",
    "FlockAvoiders 'Cove..ZoveziWallBlocker', 'Cove..ZoveziLaunchBlockLeft', "
    "'Cove..ZoveziLaunchBlockRight', 'Cove..ZoveziExitBlocker'",
    "FlockGatherPlaces 'Cove..GatherPlace01', 'Cove..GatherPlace02'",
    "FlockFlockPerceptionRange 200.0",
    "FlockVelocityInfluence 0.0",
    "FlockFlockInfluence 1.0",
    "FlockAvoidInfluence 2.0",
    "FlockAvoidHittingPlayerInfluence 1.0",
    "FlockMoodInfluence 1.0",
    "FlockFlockCruisingInfluence 0.5",
    "FlockFlockKeepDistanceInfluence 1.0",
    "FlockFlockCohesionInfluence 0.5",
    "FlockFlockMatchHeadingInfluence 0.5",
    "FlockFlockSteerToCenterInfluence 0.5",
    "FlockFlockGatheringPlaceInfluence 0.75",
    "LonerWaitWeights 5, 5, 5, 5, 5, 15, 15",
    "LonerAvoiders 'Cove..ZoveziWallBlocker', 'Cove..ZoveziLaunchBlockLeft', "
    "'Cove..ZoveziLaunchBlockRight'",
    "LonerGatherPlaces 'Cove..ZoveziExitAttractorLeft', 'Cove..ZoveziExitAttractorRight'",
    "LonerVelocityInfluence 0.0",
    "LonerFlockInfluence 1.0",
    "LonerFlockInfluenceWhenClose 1.5",
    "LonerAvoidInfluence 1.0",
    "LonerAvoidHittingPlayerInfluence 1.0",
    "LonerMoodInfluence 1.0",
    "LonerFlockGatheringPlaceInfluence 1.0",
    "LonerFlockCruisingInfluence 0.0",
    "LonerFlockKeepDistanceInfluence 1.0",
    "LonerFlockCohesionInfluence 0.0",
    "LonerFlockMatchHeadingInfluence 0.0",
    "LonerFlockSteerToCenterInfluence 0.0",
};

}  // namespace

void HopkinAddDefaults(ktTunables* tunables) {
  for (const char* line : kDefaultLines) tunables->AddLine(line);
}
