// The animation governor: an object's animation started and stopped along a
// speed ramp (a damped constant wave), optionally aimed at the frame that
// the ramp should end on.
//
// Ramp times of 0 or below have no envelope: they are refused with a log
// line and the governor is left as it was, so that no ramp ever divides by
// a zero time when it is reversed.
#include "kiln/anim_gov.h"

#include <cmath>
#include <cstring>
#include <new>

#include "kiln/commands.h"
#include "kit/plugin/command.h"

namespace {

AnimGovRecord* FindRecord(egSceneApi* api, mkSceneObject* object) {
  return ktContextRecord<AnimGovRecord>(api, object, kAnimGovRecord, kAnimGovRecord,
                                        [](AnimGovRecord* record) {
                                          new (record) AnimGovRecord();
                                          record->fRamp.SetType(ktOSC_LINE1_WAVE);
                                        });
}

// The loop points that the governor uses: its own, or the behaviour's (0
// without a behaviour).
void LoopPoints(egSceneApi* api, const AnimGovRecord& record, mkGBehavior* behavior, int32_t* start,
                int32_t* end) {
  if (record.fOwnLoop == 1) {
    *start = record.fLoopStart;
    *end = record.fLoopEnd;
  } else if (behavior != nullptr) {
    *start = api->BehGetLoopStart(behavior);
    *end = api->BehGetLoopEnd(behavior);
  } else {
    *start = *end = 0;
  }
}

int32_t WaveType(const char* text) {
  if (std::strcmp(text, "rect") == 0) return ktOSC_RECT_WAVE;
  if (std::strcmp(text, "triangle") == 0) return ktOSC_TRIANGLE_WAVE;
  return ktOSC_SINE_WAVE;
}

// ease_in or ease_out with the arguments Object, Command, Time[#K|%K]
// [Type [Shape]].
void StartRamp(egSceneApi* api, mkSceneObject* object, AnimGovRecord* record, bool easeIn,
               int32_t argc, const char** argv) {
  const char* name = easeIn ? "ease_in" : "ease_out";
  const char* timeText = argv[2];
  const double time = ktAtof(timeText);
  if (!(time > 0.0)) {
    ktLog(api, "AnimGov: %s - time must be greater than 0: %s", name, timeText);
    return;
  }
  const float t = float(time);

  const char* marker = std::strchr(timeText, '#');
  const bool relative = marker == nullptr && (marker = std::strchr(timeText, '%')) != nullptr;
  if (marker != nullptr) {
    int32_t k = ktAtoi(marker + 1);
    if (relative) {
      // The current frame first, then the loop points it is wrapped by.
      mkGBehavior* behavior = api->GetBehavior(object);
      const int32_t current = behavior != nullptr ? api->BehGetLastPlayed(behavior) : 0;
      int32_t start, end;
      LoopPoints(api, *record, behavior, &start, &end);
      k = int32_t(uint32_t(k) + uint32_t(current));
      if (k > end) k = int32_t(uint32_t(k) + uint32_t(start) - uint32_t(end));
    }
    record->fTargetSet = 1;
    record->fTargetFrame = k;
  } else {
    record->fTargetSet = 0;
    record->fTargetFrame = 0;
  }
  const int32_t type = argc >= 4 ? WaveType(argv[3]) : ktOSC_SINE_WAVE;
  const double shape = argc >= 5 ? ktAtof(argv[4]) : 0.0;

  float begin = api->GetSecs();
  ktDampOscillator& ramp = record->fRamp;
  // A reversal continues from about the level that the interrupted ramp had
  // reached.
  if (easeIn && record->fState == AnimGovRecord::kEasingOut && ramp.GetEaseOut() > 0.0f) {
    begin -= t * (1.0f - (begin - ramp.GetBeginTime()) / ramp.GetEaseOut());
  } else if (!easeIn && record->fState == AnimGovRecord::kEasingIn && ramp.GetEaseIn() > 0.0f) {
    begin -= t * (1.0f - (begin - ramp.GetBeginTime()) / ramp.GetEaseIn());
  }
  ramp.ResetDampen();
  if (easeIn) {
    ramp.SetEaseIn(t, type, shape);
  } else {
    ramp.SetEaseOut(t, type, shape);
  }
  ramp.SetBeginTime(begin);
  record->fState = easeIn ? AnimGovRecord::kEasingIn : AnimGovRecord::kEasingOut;
  if (easeIn) {
    ktLog(api, "AnimGov: ease_in time=%f type=%d shape=%f begin=%f", double(t), type, shape,
          double(begin));
  } else {
    ktLog(api, "AnimGov: ease_out time=%f type=%d shape=%f", double(t), type, shape);
  }
}

}  // namespace

int32_t AnimGovCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                        egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = ktFindObjectOrWarn(api, argv[0], "AnimGov: %s object not found");
  if (object == nullptr) return 1;
  AnimGovRecord* record = FindRecord(api, object);
  if (record == nullptr) return 1;
  const char* command = argv[1];
  if (std::strcmp(command, "set") == 0) {
    if (argc >= 3) record->fXform = std::strcmp(argv[2], "true") == 0 ? 1 : 0;
    if (argc >= 4) record->fDynamics = std::strcmp(argv[3], "true") == 0 ? 1 : 0;
    if (argc >= 5) record->fMaterial = std::strcmp(argv[4], "true") == 0 ? 1 : 0;
    if (argc >= 7) {
      record->fOwnLoop = 1;
      record->fLoopStart = ktAtoi(argv[5]);
      record->fLoopEnd = ktAtoi(argv[6]);
    }
    auto word = [](int32_t flag) { return flag != 0 ? "true" : "false"; };
    ktLog(api, "AnimGov: animation type Xform=%s, Dynamics=%s, Material=%s", word(record->fXform),
          word(record->fDynamics), word(record->fMaterial));
  } else if (std::strcmp(command, "ease_in") == 0) {
    if (record->fState == AnimGovRecord::kFull) {
      ktLog(api, "AnimGov: ease_in - already at FULL, do nothing.");
    } else if (argc < 3) {
      ktLog(api, "AnimGov: ease_in - wrong number of arguments (time(type,shape))");
    } else {
      StartRamp(api, object, record, true, argc, argv);
    }
  } else if (std::strcmp(command, "ease_out") == 0) {
    if (record->fState == AnimGovRecord::kStopped) {
      ktLog(api, "AnimGov: ease_out - already STOPPED, do nothing.");
    } else if (argc < 3) {
      ktLog(api, "AnimGov: ease_out - wrong number of arguments (time(type,shape))");
    } else {
      StartRamp(api, object, record, false, argc, argv);
    }
  } else {
    ktLog(api, "AnimGov: unrecognized command.");
  }
  return 1;
}

int32_t AnimGovUpdateCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                              egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = ktFindObjectOrWarn(api, argv[0], "AnimGovUpdate: %s object not found");
  if (object == nullptr) return 1;
  AnimGovRecord* record = FindRecord(api, object);
  if (record == nullptr) return 1;
  const bool ramping =
      record->fState == AnimGovRecord::kEasingIn || record->fState == AnimGovRecord::kEasingOut;
  // The clock and the behaviour are read while a ramp runs; stopped and at
  // full speed the time scale is known without them.
  const float now = ramping ? api->GetSecs() : 0.0f;
  mkGBehavior* behavior = ramping ? api->GetBehavior(object) : nullptr;
  bool behaviorRead = ramping;
  auto Behavior = [&]() {
    if (!behaviorRead) {
      behavior = api->GetBehavior(object);
      behaviorRead = true;
    }
    return behavior;
  };

  float s;
  if (record->fState == AnimGovRecord::kStopped) {
    ktLog(api, "AnimGovUpdate: Stopped");
    s = 0.0f;
  } else if (record->fState == AnimGovRecord::kFull) {
    ktLog(api, "AnimGovUpdate: Full ahead captain");
    s = 1.0f;
  } else if (ramping) {
    s = record->fRamp.Oscillate(now);
  } else {
    s = record->fPrevTimeScale;  // a state that no command sets: nothing changes
  }

  if (ramping) {
    if (s > 1.0f || !(s >= 0.0f)) {
      ktLog(api, "AnimGovUpdate: ERROR: TimeScale is bad: %f", double(s));
      return 1;
    }
    const bool easingIn = record->fState == AnimGovRecord::kEasingIn;
    if (record->fTargetSet == 1 && behavior != nullptr &&
        api->BehGetLastPlayed(behavior) == record->fTargetFrame) {
      s = easingIn ? 1.0f : 0.0f;
      const float rampTime = easingIn ? record->fRamp.GetEaseIn() : record->fRamp.GetEaseOut();
      ktLog(api, "AnimGovUpdate: WARNING: There's time left %f",
            double(rampTime - (now - record->fRamp.GetBeginTime())));
    }
    ktLog(api, "AnimGovUpdate: TimeScale at %f (prev=%f)", double(s),
          double(record->fPrevTimeScale));
    if (!easingIn && s == 0.0f) record->fState = AnimGovRecord::kStopped;
    if (easingIn && s == 1.0f) record->fState = AnimGovRecord::kFull;
  }

  if (s != record->fPrevTimeScale) {
    const int32_t x = record->fXform, d = record->fDynamics, m = record->fMaterial;
    if (s == 0.0f || s == 1.0f) {
      if (s == 0.0f) {
        api->AnimStop(object, 1, x, d, m, -1.0f, 0, 1.0f);
      } else {
        api->AnimContinuePlay(object, nullptr, 1, 1, x, d, m, 100.0f, 1, 0, 1.0f, 0);
      }
      record->fResidual = 0.0f;
      // Ran out of ramp before the target frame came.
      if (record->fTargetSet == 1 && Behavior() != nullptr) {
        const int32_t f = api->BehGetLastPlayed(behavior);
        if (f != record->fTargetFrame) {
          int32_t start, end;
          LoopPoints(api, *record, behavior, &start, &end);
          int32_t left = record->fTargetFrame - f;
          if (left < start) left += end - start;
          ktLog(api, "AnimGovUpdate: WARNING: Ran out of time. %d frames left", left);
        }
      }
    } else if (Behavior() == nullptr) {
      ktLog(api, "AnimGovUpdate: Cannot get mkBehavior for %s", argv[0]);
    } else {
      // Stepping: the animation moves on by whole frames at the reduced rate.
      int32_t f = api->BehGetLastPlayed(behavior);
      int32_t start, end;
      LoopPoints(api, *record, behavior, &start, &end);
      if (record->fOwnLoop == 1 && f < start) f = start;
      const float r = api->GetSecsDelta() + record->fResidual;
      const float step = record->fFrameTime / s;
      const float frames = std::trunc(r / step);
      const int32_t n = frames >= 1e6f ? 1000000 : frames > 0.0f ? int32_t(frames) : 0;
      if (n == 0) {
        record->fResidual = r;
        ktLog(api, "AnimGovUpdate: No frames to skip, TimeScale = %f residual=%f", double(s),
              double(r));
      } else {
        record->fResidual = r - float(n) * step;
        f += n;
        if (f > end) f = f + start - end - 1;
        // Never step past the frame that the ramp aims at.
        if (record->fTargetSet == 1 && record->fTargetFrame >= f - n && record->fTargetFrame < f)
          f = record->fTargetFrame;
        api->AnimPlayToFrame(object, nullptr, f, x, d, m, 0, 1.0f, 1, 0);
        ktLog(api, "AnimGovUpdate: Skipping %d frame(s) to frame %d, TimeScale=%f residual=%f", n,
              f, double(s), double(record->fResidual));
      }
    }
  }
  record->fPrevTimeScale = s;
  return record->fState == AnimGovRecord::kEasingIn || record->fState == AnimGovRecord::kEasingOut
             ? 0
             : 1;
}
