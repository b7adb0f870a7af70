// The neighbour search of the steering step.
//
// The search is defined by the plain walk, ScanNeighbours: every member from
// `first` along the member list, in list order; a member is perceived when it
// is not the searching boid, has stepped (positionValid), and its distance
// (the float square root of dx*dx + dy*dy + dz*dz, in that order) is below
// the searching boid's PerceptionRange. Perceived in-flock members become
// friends in list order (the first Max_Friends_Visible of them); strict
// comparisons keep the earlier member as nearest boid and nearest friend on
// equal distances.
#ifndef TESSERA_KIT_BOIDS_NEIGHBOURS_H_
#define TESSERA_KIT_BOIDS_NEIGHBOURS_H_

#include <cstdint>

#include "kit/boids/flock.h"

// The plain walk: clears the boid's neighbours, then visits every member from
// `first`. Returns the friend count.
int32_t ScanNeighbours(ktBoid& boid, ktBoid* first);

#endif  // TESSERA_KIT_BOIDS_NEIGHBOURS_H_
