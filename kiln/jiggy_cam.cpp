// Camera jiggle: numbered vector oscillators that shake the current camera.
// JiggyCam sets them up and activates them; JiggyCamUpdate, run every
// frame, adds the sum of their vectors to the camera's goal position and
// look-at point as they were at activation, until every oscillator is off.
//
// Records: the camera's (camera, 1003, 1003) and one per oscillator
// (camera, 1004, i) for i from 0 to the camera's count - 1.
//
// Degenerate times never give an infinity or a NaN: a period of 0 or below
// freezes the wave (see kit/osc/osc.h); envelope times of 0 or below have
// no phase, and a negative ease-out time ends the oscillator when its
// middle ends.
#include <cstring>
#include <new>

#include "kiln/commands.h"
#include "kit/osc/osc.h"
#include "kit/plugin/command.h"

namespace {

struct JiggleCameraRecord {
  int32_t fCount = 0;   // oscillator records made for this camera
  int32_t fActive = 0;  // 1 while the jiggle runs
  mkPoint3 fBasePosition{0, 0, 0};
  mkPoint3 fBaseAt{0, 0, 0};
};

struct JiggleOscillatorRecord {
  enum : int32_t { kOff = 0, kRunning = 1, kMuted = 2 };
  int32_t fId = 0;
  int32_t fState = kOff;
  ktVecOscillator fOsc;
};

JiggleCameraRecord* CameraRecord(egSceneApi* api, egCamera* camera) {
  return ktContextRecord<JiggleCameraRecord>(
      api, camera, kJiggleCameraRecord, kJiggleCameraRecord,
      [](JiggleCameraRecord* r) { new (r) JiggleCameraRecord(); });
}

// Oscillator record `index`, made with `id` when it does not exist yet.
JiggleOscillatorRecord* OscillatorRecord(egSceneApi* api, egCamera* camera, int32_t index,
                                         int32_t id) {
  return ktContextRecord<JiggleOscillatorRecord>(api, camera, kJiggleOscillatorRecord, index,
                                                 [id](JiggleOscillatorRecord* r) {
                                                   new (r) JiggleOscillatorRecord();
                                                   r->fId = id;
                                                 });
}

// An existing oscillator record, or null.
JiggleOscillatorRecord* ExistingRecord(egSceneApi* api, egCamera* camera, int32_t index) {
  egContextMgr::Context* context =
      api->XCmdFindContext(camera, reinterpret_cast<void*>(intptr_t(kJiggleOscillatorRecord)),
                           reinterpret_cast<void*>(intptr_t(index)));
  return context != nullptr ? static_cast<JiggleOscillatorRecord*>(context->GetData()) : nullptr;
}

int32_t WaveType(int32_t argc, const char** argv, int32_t at) {
  if (argc <= at) return ktOSC_SINE_WAVE;
  if (std::strcmp(argv[at], "rect") == 0) return ktOSC_RECT_WAVE;
  if (std::strcmp(argv[at], "triangle") == 0) return ktOSC_TRIANGLE_WAVE;
  return ktOSC_SINE_WAVE;
}

double Shape(int32_t argc, const char** argv, int32_t at) {
  return argc > at ? ktAtof(argv[at]) : 0.0;
}

}  // namespace

int32_t JiggyCamCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                         egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  egCamera* camera = api->GetCamera();
  JiggleCameraRecord* cam = CameraRecord(api, camera);
  if (cam == nullptr) return 1;

  // Any command with a numeric Id selects its oscillator, making it first.
  JiggleOscillatorRecord* osc = nullptr;
  if (std::strcmp(argv[1], "all") != 0) {
    const int32_t id = ktAtoi(argv[1]);
    for (int32_t i = 0; i < cam->fCount && osc == nullptr; ++i) {
      JiggleOscillatorRecord* record = ExistingRecord(api, camera, i);
      if (record != nullptr && record->fId == id) osc = record;
    }
    if (osc == nullptr) {
      osc = OscillatorRecord(api, camera, cam->fCount, id);
      if (osc == nullptr) return 1;
      ++cam->fCount;
    }
  }

  const char* command = argv[0];
  const int32_t c = argc;
  auto is = [command](const char* name) { return std::strcmp(command, name) == 0; };
  const bool known = is("set") || is("var") || is("ease_in") || is("ease_out") || is("middle") ||
                     is("vec") || is("activate") || is("mute") || is("kill");
  if (!known) {
    ktLog(api, "JiggyCam: unrecognized command.");
    return 1;
  }
  if (osc == nullptr) {
    // "all" names no oscillator; set ignores it quietly.
    if (!is("set")) ktWarn(api, "JiggyCam: %s needs the number of an oscillator, not all", command);
    return 1;
  }
  ktVecOscillator& wave = osc->fOsc;
  if (is("set")) {
    if (c < 3) {
      ktWarn(api, "JiggyCam: set - wrong number of arguments (period(type,shape,bipolar))");
      return 1;
    }
    const float period = float(ktAtof(argv[2]));
    const int32_t type = WaveType(c, argv, 3);
    const double shape = Shape(c, argv, 4);
    const int32_t bipolar = c > 5 && std::strcmp(argv[5], "false") == 0 ? 0 : 1;
    wave.SetPeriodTime(period);
    wave.SetType(type);
    wave.SetShape(shape);
    wave.SetBipolar(bipolar);
    ktLog(api, "JiggyCam: set period=%f, type=%d, shape=%f, bipolar=%d", double(period), type,
          shape, bipolar);
  } else if (is("var")) {
    if (c != 4) {
      ktLog(api, "JiggyCam: var - wrong number of arguments (freq,ampl)");
      return 1;
    }
    const double freq = ktAtof(argv[2]), ampl = ktAtof(argv[3]);
    wave.SetWaveVariance(freq, ampl);
    ktLog(api, "JiggyCam: var freq=%f, ampl=%f", freq, ampl);
  } else if (is("ease_in") || is("ease_out")) {
    const bool in = is("ease_in");
    if (c < 3) {
      ktLog(api, "JiggyCam: %s - wrong number of arguments (time(type,shape))", command);
      return 1;
    }
    const float time = float(ktAtof(argv[2]));
    const int32_t type = WaveType(c, argv, 3);
    const double shape = Shape(c, argv, 4);
    if (in) {
      wave.SetEaseIn(time, type, shape);
    } else {
      wave.SetEaseOut(time, type, shape);
    }
    ktLog(api, "JiggyCam: %s time=%f type=%d shape=%f", command, double(time), type, shape);
  } else if (is("middle")) {
    if (c != 3) {
      ktLog(api, "JiggyCam: middle - wrong number of arguments (time)");
      return 1;
    }
    const float time = float(ktAtof(argv[2]));
    wave.SetMiddle(time);
    ktLog(api, "JiggyCam: middle time=%f", double(time));
  } else if (is("vec")) {
    if (c != 5) {
      ktLog(api, "JiggyCam: vec - wrong number of arguments (x,y,z)");
      return 1;
    }
    const mkVector3 v{float(ktAtof(argv[2])), float(ktAtof(argv[3])), float(ktAtof(argv[4]))};
    wave.SetVector(v);
    ktLog(api, "JiggyCam: vec x=%f, y=%f, z=%f", double(v.fX), double(v.fY), double(v.fZ));
  } else if (is("activate")) {
    wave.SetBeginTime(api->GetSecs());
    osc->fState = JiggleOscillatorRecord::kRunning;
    if (cam->fActive == 0) {
      // The first oscillator to start captures the pose to shake about.
      cam->fActive = 1;
      mkVector3 zero{0.0f, 0.0f, 0.0f};
      api->CamViewObject(camera, nullptr, 0, &zero, 0);
      api->CamSetTransformObject(camera, nullptr);
      api->CamGetGoals(camera, &cam->fBasePosition, nullptr, nullptr, nullptr);
      api->CamGetAt(camera, &cam->fBaseAt);
    }
    wave.SetLogger(api);
  } else if (is("mute")) {
    osc->fState = JiggleOscillatorRecord::kMuted;
  } else {
    osc->fState = JiggleOscillatorRecord::kOff;
  }
  return 1;
}

int32_t JiggyCamUpdateCmd::Run(int32_t, const char**, egActorInstance*, egTrigActor*,
                               egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  egCamera* camera = api->GetCamera();
  JiggleCameraRecord* cam = CameraRecord(api, camera);
  if (cam == nullptr || cam->fActive == 0) return 1;
  mkVector3 sum{0.0f, 0.0f, 0.0f};
  bool any = false;
  const float now = api->GetSecs();
  for (int32_t i = 0; i < cam->fCount; ++i) {
    JiggleOscillatorRecord* osc = ExistingRecord(api, camera, i);
    if (osc == nullptr) continue;
    if (osc->fState == JiggleOscillatorRecord::kRunning) {
      const mkVector3 v = osc->fOsc.Oscillate(now);
      sum.fX += v.fX;
      sum.fY += v.fY;
      sum.fZ += v.fZ;
    } else {
      ktLog(api, "JiggyCamUpdate: Oscillator %d is inactive", osc->fId);
    }
    if (osc->fOsc.IsDampedExpired() != 0) {
      osc->fState = JiggleOscillatorRecord::kOff;
      ktLog(api, "JiggyCamUpdate: Oscillator %d dampening has expired", osc->fId);
    }
    if (osc->fState != JiggleOscillatorRecord::kOff) any = true;
  }
  mkPoint3 from{cam->fBasePosition.fX + sum.fX, cam->fBasePosition.fY + sum.fY,
                cam->fBasePosition.fZ + sum.fZ};
  mkPoint3 at{cam->fBaseAt.fX + sum.fX, cam->fBaseAt.fY + sum.fY, cam->fBaseAt.fZ + sum.fZ};
  api->CamSetFromGoal(camera, &from);
  api->CamSetAtGoal(camera, &at);
  if (!any) {
    cam->fActive = 0;
    ktLog(api, "JiggyCamUpdate: Everybody has gone inactive");
  }
  return 0;
}
