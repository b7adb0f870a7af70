// The animation governor's record: one per scene object, in the context
// (object, 1005, 1005). AnimGov sets up a speed ramp; AnimGovUpdate, run
// every frame while the ramp lasts, turns it into a time scale between 0
// and 1 and drives the object's animation with it.
#ifndef TESSERA_KILN_ANIM_GOV_H_
#define TESSERA_KILN_ANIM_GOV_H_

#include <cstdint>

#include "kit/osc/osc.h"

struct AnimGovRecord {
  enum : int32_t { kStopped = 0, kEasingIn = 1, kFull = 2, kEasingOut = 3 };

  int32_t fState = kStopped;
  float fPrevTimeScale = 0.0f;  // the time scale applied at the last update
  int32_t fTargetSet = 0;       // 1 when the ramp aims at a frame
  int32_t fTargetFrame = 0;
  int32_t fXform = 1;  // channel flags passed to the animation operations
  int32_t fDynamics = 0;
  int32_t fMaterial = 0;
  int32_t fOwnLoop = 0;  // 1: the loop points below replace the behaviour's
  int32_t fLoopStart = 0;
  int32_t fLoopEnd = 0;
  ktDampOscillator fRamp;           // wave type 4: the time scale is the envelope
  float fFrameTime = 1.0f / 30.0f;  // one animation frame at full speed, seconds
  float fResidual = 0.0f;           // time carried over to the next frame step
};

#endif  // TESSERA_KILN_ANIM_GOV_H_
