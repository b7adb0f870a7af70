// Diagnostic display: facts about the scene written to the log and warning
// lines for scene authors who test their scripts. The channel of each line
// is part of what scripts see. Lines are formatted in buffers of
// kMessageLimit bytes (kit/plugin/command.h) and cut there.
//
// The commands that read a first argument without checking the count in
// the engine's scripts warn when there is none (their rows take 1 or more).
#include <cstring>

#include "kiln/commands.h"
#include "kit/plugin/command.h"

int32_t DisplayChildCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                             egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* parent = api->GetSceneObjectByID(argv[0]);
  if (parent == nullptr) {
    ktLog(api, "DisplayChild: Parent not found");
    return 1;
  }
  mkRegistryKey* key = api->GetObjKeyByID("a_child");
  if (key == nullptr) {
    ktLog(api, "DisplayChild: FindKeyByName failed");
    return 1;
  }
  api->VarSetToFirstChild(key, parent);
  if (auto* child = static_cast<mkSceneObject*>(key->fObject); child != nullptr) {
    const char* parentName = api->GetID(parent);
    const char* childName = api->GetID(child);
    ktLog(api, "DisplayChild: %s(Parent) <- %s(Child)", parentName, childName);
  } else {
    ktLog(api, "DisplayChild: %s(Parent) - no children", api->GetID(parent));
  }
  return 1;
}

int32_t DisplayVariableCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkRegistryKey* key = api->GetObjKeyByID(argv[0]);
  if (key != nullptr && key->fObject != nullptr) {
    ktLog(api, "DisplayVariable: %s(variable) = %s(object)", argv[0],
          api->GetID(static_cast<mkSceneObject*>(key->fObject)));
  } else {
    ktLog(api, "DisplayVariable: %s not set.", argv[0]);
  }
  return 1;
}

int32_t DisplayNumberFramesCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                    egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  const char* name = argv[0];
  mkSceneObject* object = api->GetSceneObjectByID(name);
  if (object == nullptr) {
    ktLog(api, "DisplayNumberFrames: %s not found.", name);
    return 1;
  }
  mkGBehavior* behavior = api->GetBehavior(object);
  if (behavior == nullptr) {
    ktLog(api, "DisplayNumberFrames: %s animation not found.", name);
    return 1;
  }
  const int32_t frames = api->BehGetNumFrames(behavior);
  const int32_t loopStart = api->BehGetLoopStart(behavior);
  const int32_t loopEnd = api->BehGetLoopEnd(behavior);
  ktLog(api, "DisplayNumberFrames: %s has %d frames: loopstart=%d loopend=%d", name, frames,
        loopStart, loopEnd);
  const int32_t last = api->BehGetLastPlayed(behavior);
  const int32_t next = api->BehGetNextPlayed(behavior, 0);
  ktLog(api, "DisplayNumberFrames: %s is at %d frame, next frame is %d", name, last, next);
  return 1;
}

int32_t DisplayCameraCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                              egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  if (object == nullptr) {
    ktLog(api, "DisplayCamera: %s not found.", argv[0]);
    return 1;
  }
  if (api->IsCamera(object) != 0) {
    ktWarn(api, "DisplayCamera: %s IS a camera.", argv[0]);
  } else {
    ktWarn(api, "DisplayCamera: %s is NOT a camera.", argv[0]);
  }
  mkPoint3 from{0, 0, 0}, at{0, 0, 0};
  api->CamGetGoals(nullptr, &from, &at, nullptr, nullptr);
  ktWarn(api, "DisplayCamera: CamGetGoals->camFrom %f,%f,%f", double(from.fX), double(from.fY),
         double(from.fZ));
  ktWarn(api, "DisplayCamera: CamGetGoals->camAt %f,%f,%f", double(at.fX), double(at.fY),
         double(at.fZ));
  api->GetWorldPos(object, &from, 0);
  api->CamGetAt(nullptr, &at);
  ktWarn(api, "DisplayCamera: GetWorldPos->camFrom %f,%f,%f", double(from.fX), double(from.fY),
         double(from.fZ));
  ktWarn(api, "DisplayCamera: CamGetAt->camAt %f,%f,%f", double(at.fX), double(at.fY),
         double(at.fZ));
  return 1;
}

int32_t DisplayPosCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                           egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  if (object == nullptr) {
    ktLog(api, "DisplayPos: Couldn't find %s", argv[0]);
  } else {
    mkPoint3 p{0, 0, 0};
    api->GetWorldPos(object, &p, 1);
    ktLog(api, "DisplayPos: %s center x=%f y=%f z=%f", api->GetID(object), double(p.fX),
          double(p.fY), double(p.fZ));
    api->GetWorldPos(object, &p, 0);
    ktLog(api, "DisplayPos: %s pivot x=%f y=%f z=%f", api->GetID(object), double(p.fX),
          double(p.fY), double(p.fZ));
    mkVector3 view{0, 0, 0}, up{0, 0, 0}, right{0, 0, 0};
    api->GetWorldAxes(object, &view, &up, &right);
    ktWarn(api, "DisplayPos: view_vect %f,%f,%f", double(view.fX), double(view.fY),
           double(view.fZ));
    ktWarn(api, "DisplayPos: right_vect %f,%f,%f", double(right.fX), double(right.fY),
           double(right.fZ));
    ktWarn(api, "DisplayPos: up_vect %f,%f,%f", double(up.fX), double(up.fY), double(up.fZ));
  }
  return std::strcmp(argv[1], "Yes") == 0 ? 0 : 1;
}
