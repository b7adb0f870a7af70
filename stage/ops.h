// The scene operations that the stage models, by area of the scene
// interface's table (kit/host/scene_ops.inc). Each area is a small class over
// the model's world state; its members are the operations of that area, with
// exactly the names and native signatures of the table (non-const, never
// overloaded), and are defined in the area's own file:
//
//   GameOps       ops_game.cpp       messages, statistics, player, camera, clock
//   ObjectOps     ops_objects.cpp    object kinds, lookups, flags, transforms,
//                                    the hierarchy (DoesLineCollideWithObject
//                                    in collision.cpp)
//   ActorOps      ops_actors.cpp     actors, detectors, events, commands and
//                                    their contexts
//   AnimationOps  ops_animation.cpp  behaviours and their playing
//   SoundOps      ops_sound.cpp      sounds and sound emitters
//   BrainOps      ops_brains.cpp     brains and brain classes
//   KeyOps        ops_keys.cpp       registry keys and scene variables
//   NetworkOps    ops_network.cpp    the network game (always a lone master)
//   FlockOps      ops_flocks.cpp     flock managers and firemarbles
//   CameraOps     ops_camera.cpp     camera goals, field of view, modes
//   TimerOps      ops_timers.cpp     timers and the actors they run later
//   PhysicalOps   ops_physical.cpp   currents, external velocity, brain data
//
// An area is made on the spot from the model (`ObjectOps(model).GetRoot(o)`)
// and holds nothing of its own. Every handle an operation is given is checked
// against the model's register, so a null, stale or foreign pointer is
// answered like "not found".
//
// To model another operation: write its member in its area, with the table's
// name and parameter types, and add one row to stage/modelled_ops.inc. The
// build checks the member's signature against the table (stage/modelled.h).
#ifndef TESSERA_STAGE_OPS_H_
#define TESSERA_STAGE_OPS_H_

#include <cstdint>

#include "kit/host/host.h"
#include "stage/model.h"

namespace stage {

// The name that name queries give for a handle that names nothing.
inline constexpr char kNoObjectName[] = "(none)";

class GameOps {
 public:
  explicit GameOps(Model& model) : model_(model) {}

  void SetMessageEnable(int32_t a1) { model_.messageEnable_ = a1; }
  int32_t GetMessageEnable() { return model_.messageEnable_; }
  void ApiMessage(const char* a1);
  void ApiMessageWarn(const char* a1);
  void ApiMessageClear() {}
  void ReservedStatBegin(int32_t) {}
  void ReservedStatEnd(int32_t) {}
  egCharacter* GetPlayer() { return Model::ToHandle<egCharacter>(model_.player_); }
  egCamera* GetCamera() { return Model::ToHandle<egCamera>(model_.camera_); }
  float GetSecs() { return model_.seconds_; }
  float GetSecsDelta() { return model_.delta_; }
  // Text on the screen: the stage keeps the call in the trace only.
  void WindowString(const char*, int32_t, int32_t, float, int32_t) {}

 private:
  Model& model_;
};

class ObjectOps {
 public:
  explicit ObjectOps(Model& model) : model_(model) {}

  int32_t IsCamera(mkSceneObject* a1);
  int32_t IsCharacter(mkSceneObject* a1);
  int32_t IsLight(mkSceneObject* a1);
  int32_t IsPhysical(mkSceneObject* a1);
  int32_t IsMoving(mkSceneObject* a1);
  mkSceneObject* GetSceneObjectByID(const char* a1);
  egPhysicalSceneObject* GetPhysicalSceneObjectByID(const char* a1);
  egCharacter* GetCharacterByID(const char* a1);
  egLight* GetLightByID(const char* a1);
  void SetEnable(mkSceneObject* a1, int32_t a2) { SetFlag(a1, &SceneObject::enable, a2); }
  void SetCollide(mkSceneObject* a1, int32_t a2) { SetFlag(a1, &SceneObject::collide, a2); }
  void SetDraw(mkSceneObject* a1, int32_t a2) { SetFlag(a1, &SceneObject::draw, a2); }
  void SetUpdate(mkSceneObject* a1, int32_t a2) { SetFlag(a1, &SceneObject::update, a2); }
  void ToggleEnable(mkSceneObject* a1) { ToggleFlag(a1, &SceneObject::enable); }
  void ToggleCollide(mkSceneObject* a1) { ToggleFlag(a1, &SceneObject::collide); }
  void ToggleDraw(mkSceneObject* a1) { ToggleFlag(a1, &SceneObject::draw); }
  void ToggleUpdate(mkSceneObject* a1) { ToggleFlag(a1, &SceneObject::update); }
  int32_t GetEnable(mkSceneObject* a1) { return Flag(a1, &SceneObject::enable); }
  int32_t GetCollide(mkSceneObject* a1) { return Flag(a1, &SceneObject::collide); }
  int32_t GetDraw(mkSceneObject* a1) { return Flag(a1, &SceneObject::draw); }
  int32_t GetUpdate(mkSceneObject* a1) { return Flag(a1, &SceneObject::update); }
  const char* GetID(mkSceneObject* a1);
  int32_t GetWorldPos(mkSceneObject* a1, mkPoint3* a2, int32_t a3);
  int32_t GetDelWorldPos(mkSceneObject* a1, mkVector3* a2);
  int32_t GetLocalToWorld(mkSceneObject* a1, mkMatrix44* a2);
  int32_t GetWorldAxes(mkSceneObject* a1, mkVector3* a2, mkVector3* a3, mkVector3* a4);
  int32_t GetLocalMatrix(mkSceneObject* a1, mkMatrix44* a2);
  void SetLocalMatrix(mkSceneObject* a1, mkMatrix44* a2);
  void TransformChanged(mkSceneObject*) {}
  float GetRadius(mkSceneObject* a1);
  // The probe against the object's sphere; see stage/collision.cpp.
  int32_t DoesLineCollideWithObject(mkSceneObject* a1, mkPoint3* a2, mkPoint3* a3, float a4,
                                    mkVector3* a5);
  mkSceneObject* GetRoot(mkSceneObject* a1);
  int32_t GetNumChildren(mkSceneObject* a1);
  mkSceneObject* GetChild(mkSceneObject* a1, int32_t a2);
  mkSceneObject* GetParent(mkSceneObject* a1);
  void AttachObject(mkSceneObject* a1, mkSceneObject* a2, int32_t a3, int32_t a4, int32_t a5);

 private:
  // An object's flag (0 for a handle that is not an object), set, toggled.
  int32_t Flag(mkSceneObject* a1, int32_t SceneObject::*flag);
  void SetFlag(mkSceneObject* a1, int32_t SceneObject::*flag, int32_t value);
  void ToggleFlag(mkSceneObject* a1, int32_t SceneObject::*flag);

  Model& model_;
};

class ActorOps {
 public:
  explicit ActorOps(Model& model) : model_(model) {}

  egTrigDetector* GetTrigDetectorByID(const char* a1);
  egTrigActor* GetTrigActorByID(const char* a1);
  egXCmd* GetXCmdByID(const char* a1);
  const char* DetectorGetID(egTrigDetector* a1);
  mkRegistryKey* RegisterXCmd(const char* a1, egXCmd* a2);
  egContextMgr::Context* XCmdFindContext(void* a1, void* a2, void* a3);
  int32_t XCmdRun(egXCmd* a1, int32_t a2, const char** a3, egActorInstance* a4, egTrigActor* a5,
                  egTrigDetector* a6);
  int32_t EventFind(const char* a1);
  void EventRegister(const char* a1, int32_t a2, int32_t a3);
  void EventRemove(const char* a1, int32_t a2);
  int32_t ExecActor(egTrigActor* a1, egTrigDetector* a2, int32_t a3, int32_t a4);

 private:
  Model& model_;
};

class AnimationOps {
 public:
  explicit AnimationOps(Model& model) : model_(model) {}

  mkGBehavior* GetBehaviorFromName(mkSceneObject* a1, const char* a2);
  void AnimPlay(mkSceneObject* a1, mkGBehavior* a2, int32_t a3, int32_t a4, int32_t a5, int32_t a6,
                float a7, int32_t a8, int32_t a9, float a10, int32_t a11);
  void AnimStop(mkSceneObject* a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, float a6,
                int32_t a7, float a8);
  void AnimContinuePlay(mkSceneObject* a1, mkGBehavior* a2, int32_t a3, int32_t a4, int32_t a5,
                        int32_t a6, int32_t a7, float a8, int32_t a9, int32_t a10, float a11,
                        int32_t a12);
  int32_t BehGetLooped(mkGBehavior* a1);
  int32_t BehGetPlaying(mkGBehavior* a1, float a2, int32_t a3);
  int32_t BehGetNumFrames(mkGBehavior* a1);
  int32_t BehGetLastPlayed(mkGBehavior* a1);
  const char* BehGetID(mkGBehavior* a1);
  mkGBehavior* GetBehavior(mkSceneObject* a1);
  int32_t GetAnimating(mkSceneObject* a1);
  mkGBehavior* FindBehavior(egCharacter* a1, const char* a2, int32_t a3);
  void SetPlayingOneShot(egCharacter* a1, int32_t a2);
  int32_t GetPlayingOneShot(egCharacter* a1);
  int32_t BehGetLoopStart(mkGBehavior* a1);
  int32_t BehGetLoopEnd(mkGBehavior* a1);
  int32_t BehGetNextPlayed(mkGBehavior* a1, int32_t a2);
  // Holds a behaviour at a frame; an object without behaviours moves its own
  // frame, with a stage note (a7 non-zero: backwards).
  void AnimPlayToFrame(mkSceneObject* a1, mkGBehavior* a2, int32_t a3, int32_t a4, int32_t a5,
                       int32_t a6, int32_t a7, float a8, int32_t a9, int32_t a10);
  // The behaviour's name in a registry name "OBJECT..BEHAVIOUR": the part
  // after the last "..". The second argument is not written.
  const char* GetBehNameFromRegName(const char* a1, const char* a2);

 private:
  Model& model_;
};

class SoundOps {
 public:
  explicit SoundOps(Model& model) : model_(model) {}

  mkSoundObject* GetSoundObjectByID(const char* a1);
  egSoundSource* GetSoundSourceByID(const char* a1);
  void SoundEmitterPlay(egSoundSource* a1, int32_t a2, int32_t a3, int32_t a4);
  void SoundEmitterStop(egSoundSource* a1, int32_t a2);
  int32_t SoundEmitterIsPlaying(egSoundSource* a1);
  void SoundEmitterAddSound(egSoundSource* a1, mkSoundObject* a2);
  void SoundEmitterRemoveSounds(egSoundSource* a1);

 private:
  Model& model_;
};

class BrainOps {
 public:
  explicit BrainOps(Model& model) : model_(model) {}

  egBrainDll* GetBrainDllByID(const char* a1);
  int32_t BrainSetToBrainClassDll(egPhysicalSceneObject* a1, const char* a2);
  // A brain of the brain class PythonMgr made from module file `a2`, as
  // BrainSetToBrainClassDll(a1, "PythonMgr:" + a2) would give.
  int32_t BrainSetToPythonBrain(egPhysicalSceneObject* a1, const char* a2);
  void BrainSendParams(egPhysicalSceneObject* a1, int32_t a2, const char** a3);
  void BrainClassSendParams(const char* a1, int32_t a2, const char** a3);
  egBrain* GetBrain(egPhysicalSceneObject* a1);

 private:
  Model& model_;
};

class KeyOps {
 public:
  explicit KeyOps(Model& model) : model_(model) {}

  void VarSetTo(mkRegistryKey* a1, mkSceneObject* a2);
  void VarSetToFirstChild(mkRegistryKey* a1, mkSceneObject* a2);
  const char* KeyGetName(mkRegistryKey* a1);
  mkRegistryKey* GetKey(mkKeyedObject* a1);
  mkRegistryKey* BehGetKey(mkGBehavior* a1);
  mkRegistryKey* ObjectGetKey(mkSceneObject* a1);
  mkRegistryKey* GetObjKeyByID(const char* a1);
  mkRegistryKey* GetBrainDllKeyByID(const char* a1);
  mkRegistryKey* GetXCmdKeyByID(const char* a1);

 private:
  Model& model_;
};

class NetworkOps {
 public:
  explicit NetworkOps(Model& model) : model_(model) {}

  int32_t NetGetGameMaster() { return 1; }
  int32_t NetGetMultiPlayer() { return 0; }
  int32_t NetGetLocallyOwned(mkSceneObject* a1);
  int32_t NetUpdateObjectTransform(mkSceneObject* a1, int32_t a2);
  int32_t NetGetNumRemoteChars();
  egCharacter* NetGetRemoteChar(int32_t a1);

 private:
  Model& model_;
};

// Flock managers are scene objects that fly toward their goal; firemarbles
// are scene objects that are lit or dark (stage/model_flocks.cpp moves the
// flocks).
class FlockOps {
 public:
  explicit FlockOps(Model& model) : model_(model) {}

  int32_t IsFlock(mkSceneObject* a1);
  int32_t IsFireMarble(mkSceneObject* a1);
  egFlockManager* GetFlockManagerByID(const char* a1);
  void FlockSetGoalKey(egFlockManager* a1, mkRegistryKey* a2);
  mkSceneObject* FlockGetGoal(egFlockManager* a1);
  int32_t FlockGetCentroid(egFlockManager* a1, mkPoint3* a2);
  int32_t FMIsLit(egFireMarble* a1);
  void FMLight(egFireMarble* a1) { SetLit(a1, 1); }
  void FMUnLight(egFireMarble* a1) { SetLit(a1, 0); }

 private:
  // The flock or firemarble behind a handle, or null.
  SceneObject* Flock(const void* handle);
  SceneObject* FireMarble(const void* handle);
  void SetLit(egFireMarble* a1, int32_t lit);

  Model& model_;
};

// A null camera is the current one (GetCamera); a handle of an object that
// is no camera is answered like "not found".
class CameraOps {
 public:
  explicit CameraOps(Model& model) : model_(model) {}

  void CamViewObject(egCamera* a1, mkRegistryKey* a2, int32_t a3, mkVector3* a4, int32_t a5);
  void CamSetTransformObject(egCamera* a1, mkRegistryKey* a2);
  void CamSetFromGoal(egCamera* a1, mkPoint3* a2);
  void CamSetAtGoal(egCamera* a1, mkPoint3* a2);
  void CamSetToTrack(egCamera* a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5);
  void CamSetFOV(egCamera* a1, float a2, int32_t a3);
  int32_t CamIsFollowMode(int32_t a1) { return a1 == kCameraFollow ? 1 : 0; }
  int32_t CamIsDriveMode(int32_t a1) { return a1 == kCameraDrive ? 1 : 0; }
  int32_t CamIsObserverMode(int32_t a1) { return a1 == kCameraObserver ? 1 : 0; }
  int32_t CamGetMode(egCamera* a1);
  void CamGetGoals(egCamera* a1, mkPoint3* a2, mkPoint3* a3, mkScalar* a4, mkVector3* a5);
  void CamGetAt(egCamera* a1, mkPoint3* a2);
  void CamGetFOV(egCamera* a1, mkScalar* a2);
  float CamGetDefaultFOV() { return kDefaultFov; }

 private:
  SceneObject* CameraOf(egCamera* camera);

  Model& model_;
};

class TimerOps {
 public:
  explicit TimerOps(Model& model) : model_(model) {}

  mkRegistryKey* GetTimerKeyByID(const char* a1);
  // The actor runs when `a2` seconds have passed; the other values are not
  // modelled.
  void ActorTimerRegister(mkRegistryKey* a1, float a2, int32_t a3, int32_t a4, egTrigActor* a5,
                          int32_t a6);

 private:
  Model& model_;
};

class PhysicalOps {
 public:
  explicit PhysicalOps(Model& model) : model_(model) {}

  void SetCurrentsAffect(mkSceneObject* a1, int32_t a2);
  void ToggleCurrentsAffect(mkSceneObject* a1);
  int32_t GetCurrentsAffect(mkSceneObject* a1);
  egBrainData* GetBrainData(egPhysicalSceneObject* a1);
  int32_t GetExternVelocity(egPhysicalSceneObject* a1, mkVector3* a2);
  void SetExternVelocity(egPhysicalSceneObject* a1, mkVector3* a2);

 private:
  Model& model_;
};

}  // namespace stage

#endif  // TESSERA_STAGE_OPS_H_
