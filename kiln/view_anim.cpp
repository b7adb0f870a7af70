// Material animation frames set explicitly: ViewIntoAnimate chooses the
// frame from where the camera stands around a reference object (a full turn
// plays the whole animation once), TestAvi steps it one frame per run.
//
// A frame count of 0 or below gives no frame: both commands warn and change
// nothing.
#include <cmath>
#include <cstring>
#include <new>

#include "kiln/commands.h"
#include "kit/host/scene_geometry.h"
#include "kit/plugin/command.h"

namespace {

int32_t* FrameRecord(egSceneApi* api, const void* a, intptr_t b, intptr_t c, int32_t initial) {
  return ktContextRecord<int32_t>(api, a, b, c, [initial](int32_t* frame) { *frame = initial; });
}

// Only the material channel, with these constant values.
void PlayToFrame(egSceneApi* api, mkSceneObject* object, int32_t frame) {
  api->AnimPlayToFrame(object, nullptr, frame, 0, 0, 1, 0, 1.0f, 1, 0);
}

// The horizontal part of `v`, of length 1 (or 0).
mkVector3 Flat(const mkVector3& v) {
  mkVector3 flat{v.fX, v.fY, 0.0f};
  const float length = std::sqrt(flat.fX * flat.fX + flat.fY * flat.fY);
  if (length != 0.0f && std::isfinite(length)) {
    flat.fX /= length;
    flat.fY /= length;
  }
  return flat;
}

// The angle, 0 to 2 pi, from the reference's view axis to the direction of
// the camera, about the vertical axis.
float AngleToCamera(egSceneApi* api, mkSceneObject* reference) {
  const mkVector3 view = ktWorldAxesOf(api, reference).view;
  const mkPoint3 p = ktWorldPosition(api, reference, 1);
  const mkPoint3 c = ktWorldPosition(api, api->GetSceneObjectByID("the_camera"), 0);
  const mkVector3 toCam{c.fX - p.fX, c.fY - p.fY, c.fZ - p.fZ};
  ktWarn(api, "ObjRotatedFromCam: %s view = %f,%f,%f", api->GetID(reference), double(view.fX),
         double(view.fY), double(view.fZ));
  ktWarn(api, "ObjRotatedFromCam: toCam vector = %f,%f,%f", double(toCam.fX), double(toCam.fY),
         double(toCam.fZ));
  const mkVector3 a = Flat(view), b = Flat(toCam);
  float cosine = a.fX * b.fX + a.fY * b.fY;
  if (!(cosine >= -1.0f)) cosine = -1.0f;  // also a NaN
  if (cosine > 1.0f) cosine = 1.0f;
  float angle = std::acos(cosine);
  if (a.fX * b.fY - a.fY * b.fX > 0.0f) angle = 6.2831855f - angle;
  ktWarn(api, "ObjRotatedFromCam: rads = %f", double(angle));
  return angle;
}

}  // namespace

int32_t ViewIntoAnimateCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  mkSceneObject* reference = api->GetSceneObjectByID(argv[1]);
  int32_t* last = FrameRecord(api, object, reinterpret_cast<intptr_t>(reference), 0, -1);
  if (object == nullptr) {
    ktWarn(api, "ViewIntoAnimate: scene obj %s is not found", argv[0]);
    return 0;
  }
  if (reference == nullptr) {
    ktWarn(api, "ViewIntoAnimate: refobj %s is not found", argv[1]);
    return 0;
  }
  const int32_t offset = argc >= 3 ? ktAtoi(argv[2]) : 0;
  const int32_t frames = argc >= 4 ? ktAtoi(argv[3]) : 360;
  const bool backward = argc >= 5 && argv[4][0] == '-';
  if (frames <= 0) {
    ktWarn(api, "ViewIntoAnimate: FRAMES must be greater than 0 (it is %d)", frames);
    return 1;
  }
  const float percent = AngleToCamera(api, reference) * 0.15915494f;
  const int64_t part = int64_t(std::trunc(double(percent) * frames));
  int64_t frame = backward ? part : frames - part;
  frame += offset;
  if (frame > frames) frame -= frames;
  const int32_t next = int32_t(uint32_t(uint64_t(frame)));
  const int32_t previous = last != nullptr ? *last : -1;
  ktWarn(api, "ViewIntoAnimate: percent=%f previous_frame=%d next_frame=%d", double(percent),
         previous, next);
  if (next != previous) {
    PlayToFrame(api, object, next);
    if (last != nullptr) *last = next;
  }
  return 0;
}

int32_t TestAviCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                        egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  int32_t* frame = FrameRecord(api, object, kTestAviRecord, kTestAviRecord, 0);
  const int32_t length = ktAtoi(argv[2]);
  if (object == nullptr) {
    ktWarn(api, "TestAvi: scene obj %s is not found", argv[0]);
    return 1;
  }
  if (length <= 0) {
    ktWarn(api, "TestAvi: LENGTH must be greater than 0 (it is %d)", length);
    return 1;
  }
  const int32_t current = frame != nullptr ? *frame : 0;
  int32_t next = current;
  if (std::strcmp(argv[1], "inc") == 0) {
    next = current >= length - 1 ? 0 : current + 1;
  } else if (std::strcmp(argv[1], "dec") == 0) {
    next = current <= 0 ? length - 1 : current - 1;
  } else {
    ktWarn(api, "TestAvi: unrecongized command %s", argv[1]);
  }
  ktWarn(api, "TestAvi: previous_frame=%d next_frame=%d", current, next);
  if (next != current) {
    PlayToFrame(api, object, next);
    if (frame != nullptr) *frame = next;
  }
  return 1;
}
