// The stage's scene model: the world that the reference host keeps in place
// of the engine's. Objects by name with parents, children and local
// matrices; registry keys and scene variables; contexts found by three
// values; actors, detectors and events; the player, the camera and the game
// controller; host brains that drive plug-in brains; the clock.
//
// The scene operations that plug-ins rely on are answered on this state by
// the areas of stage/ops.h, one class and file per area of the scene
// interface's table; stage/modelled_ops.inc lists them. Every handle that the
// model hands out is registered with a kind, and every handle it is given is
// checked against that register (Object, ActorOf, Key, ...), so a null, stale
// or foreign pointer is answered like "not found" and never dereferenced.
#ifndef TESSERA_STAGE_MODEL_H_
#define TESSERA_STAGE_MODEL_H_

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "kit/host/host.h"
#include "kit/plugin/plugin.h"
#include "stage/call_watch.h"
#include "stage/handle_pool.h"
#include "stage/host_brain.h"
#include "stage/trace.h"

namespace stage {

class HostBrain;
struct SceneObject;

enum class EntityKind {
  kObject,
  kBehavior,
  kSound,
  kEmitter,
  kKey,
  kContext,
  kActor,
  kDetector,
  kXCmd,
  kBrainDll,
  kBrainClass,
  kHostBrain,
  kController,
  kTimer,
  kBrainData,
};

// A behaviour (an animation) of an object. While it plays it runs through
// cycles of `cycleSeconds`; a looping behaviour starts its next cycle, a
// finishing one stops at the end of the cycle. While it plays it carries its
// object along the object's first axis at `speed` units per second and turns
// it about the vertical axis at `turn` radians per second.
struct Behavior {
  std::string name;
  SceneObject* owner = nullptr;
  float cycleSeconds = 1.0f;
  float speed = 0.0f;
  float turn = 0.0f;  // radians per second about the vertical axis, counterclockwise
  int32_t frames = 30;
  int32_t playing = 0;
  int32_t looping = 0;
  float position = 0.0f;         // seconds into the cycle
  int32_t loopStart = 0;         // loop points that the behaviour reports
  int32_t loopEnd = -1;          // -1: the last frame
  mkRegistryKey* key = nullptr;  // named "<object>..<behaviour>"
};

struct Sound {
  std::string name;
};

// A sound emitter: the sounds it was given, and whether it plays.
struct Emitter {
  std::string name;
  std::vector<Sound*> sounds;
  int32_t playing = 0;
};

// A straight move of an object over some seconds (the timeline's glide).
struct Glide {
  mkPoint3 step{0, 0, 0};  // per second
  float remaining = 0.0f;
};

// Camera modes as CamGetMode gives them.
enum CameraMode : int32_t {
  kCameraFixed = 0,
  kCameraFollow = 1,
  kCameraDrive = 2,
  kCameraObserver = 3
};

// The field of view of a camera that the scene gives none, degrees.
inline constexpr float kDefaultFov = 60.0f;

// A camera's state beyond its position (its from-goal): where it looks, its
// field of view and mode, and what it was told to view, follow and track.
struct CameraState {
  mkPoint3 lookAt{0, 0, 0};
  bool hasLookAt = false;  // given by the scene or CamSetAtGoal
  float fov = kDefaultFov;
  int32_t mode = kCameraFixed;
  mkRegistryKey* viewKey = nullptr;
  mkRegistryKey* transformKey = nullptr;
  int32_t tracking[4] = {-1, -1, -1, -1};
};

// The host's brain data record of an object; the word at byte 20 holds its
// flags.
struct BrainData {
  uint8_t bytes[32] = {};
};

struct SceneObject {
  std::string name;
  SceneObject* parent = nullptr;
  std::vector<SceneObject*> children;
  mkMatrix44 local;  // relative to the parent; translation in column 3
  float radius = 0.5f;
  bool character = false;
  bool camera = false;
  bool light = false;
  int32_t enable = 1;
  int32_t collide = 1;
  int32_t draw = 1;
  int32_t update = 1;
  int32_t locallyOwned = 1;
  // Another machine's player (NetGetRemoteChar); set through
  // Model::SetRemotePlayer, which keeps their count.
  bool remotePlayer = false;
  // The axes that GetWorldAxes gives are view, up and right: the local -y,
  // z and -x directions (otherwise the local x, y and z directions). The
  // first of them is the direction that behaviours carry the object along.
  bool viewAxes = false;
  int32_t oneShot = 0;           // SetPlayingOneShot, GetPlayingOneShot
  int32_t frame = 0;             // the frame that AnimPlayToFrame went to last
  mkRegistryKey* key = nullptr;  // the key that names this object
  HostBrain* brain = nullptr;
  std::vector<Behavior*> behaviors;
  Behavior* current = nullptr;  // the behaviour GetBehavior gives
  Glide glide;
  // A flock manager (IsFlock, GetFlockManagerByID): the swarm is drawn as one
  // point, its centroid, that flies at `flockSpeed` units per second straight
  // toward the object its goal key names, and stops there.
  bool flock = false;
  float flockSpeed = 1.0f;
  mkRegistryKey* flockGoal = nullptr;  // FlockSetGoalKey; null: no goal
  // A firemarble (IsFireMarble): a light that is lit or dark.
  bool fireMarble = false;
  int32_t lit = 0;
  CameraState view;      // for cameras
  int32_t currents = 1;  // whether currents carry it
  mkVector3 externVelocity{0, 0, 0};
  BrainData brainData;
  // False once RemoveObject took it out: its handle is no object any more.
  bool inScene = true;
};

struct Actor {
  std::string name;
  // Each step runs a command: the command's name, then its arguments.
  std::vector<std::vector<std::string>> steps;
};

struct Detector {
  std::string name;
};

// A timer: actors registered with it run when their delay has passed.
struct Timer {
  std::string name;
  mkRegistryKey* key = nullptr;  // found by GetTimerKeyByID
};

// An actor that a timer runs at `due` seconds.
struct TimedActor {
  Timer* timer = nullptr;
  Actor* actor = nullptr;
  float due = 0.0f;
};

// A context: a data block that the host keeps for plug-ins. Blocks that
// AllocData replaces stay alive until the model goes, so that a plug-in still
// holding the old address reads memory that exists.
class Context final : public egContextMgr::Context {
 public:
  // Larger requests are refused (AllocData returns null).
  static constexpr int32_t kMaxDataSize = 1 << 20;

  void* GetData() override;
  void* AllocData(int32_t size) override;
  // The size of the block that GetData gives (0 when there is none).
  int32_t size() const { return size_; }

  std::string label;
  class Model* model = nullptr;

 private:
  std::vector<std::unique_ptr<uint8_t[]>> blocks_;
  void* data_ = nullptr;
  int32_t size_ = 0;
};

// The player's input state.
class Controller final : public egGameController {
 public:
  Controller();
  void ResetInputStates() override;
  int32_t isKeyDown(int32_t code) override;
  void SetScalarInputState(int32_t code, float value, const char* text) override;

  std::set<int32_t> keysDown;
  class Model* model = nullptr;
};

// A command run that the stage still owes: an actor's step, or a command
// that asked to be run again on the next frame.
struct CommandRun {
  std::string command;
  std::vector<std::string> args;
  Actor* actor = nullptr;
  Detector* detector = nullptr;
};

class Model {
 public:
  Model();
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // --- Building the scene -------------------------------------------------
  // Null when the name is taken or empty.
  SceneObject* AddObject(const std::string& name, SceneObject* parent, const mkPoint3& position);
  // A scene variable: a registry key named `name` that names `object` (or
  // nothing). False when the name is taken.
  bool AddVariable(const std::string& name, SceneObject* object);
  Actor* AddActor(const std::string& name);
  Detector* AddDetector(const std::string& name);
  void SetPlayer(SceneObject* object) { player_ = object; }
  void SetCamera(SceneObject* object) { camera_ = object; }
  // The current camera (GetCamera), or null.
  const SceneObject* camera() const { return camera_; }
  // Sets the current camera's mode (a CameraMode); nothing without a camera.
  void SetCameraMode(int32_t mode) {
    if (camera_ != nullptr) camera_->view.mode = mode;
  }
  // Where the camera looks: its look-at point, or while it has been given
  // none, one unit along its first axis from where it stands.
  mkPoint3 LookAt(const SceneObject& camera) const;
  // An event that exists (EventFind finds it), made without running the
  // actors that react to it.
  void AddEvent(const std::string& name) { events_.insert(name); }
  // Runs `actor` whenever a plug-in registers the event `event`.
  void OnEvent(const std::string& event, Actor* actor) { eventActors_.emplace(event, actor); }
  const void* GetPlayerHandle() const { return player_; }
  // Registers a plug-in object under its listed name; gives it a registry key
  // (its current key) and returns that key.
  mkRegistryKey* AddXCmd(const std::string& name, egXCmd* command);
  mkRegistryKey* AddBrainDll(const std::string& name, egBrainDll* brain);
  void AddBrainClass(const std::string& name, egBrainClassDll* brainClass);
  // Attaches a plug-in brain to `object` through a new host brain.
  HostBrain* AttachBrain(SceneObject* object, egBrainDll* brain, const std::string& name);
  // Forgets every host brain and every plug-in object (before unloading).
  void DetachBrains();

  // A behaviour of `object`; null when the object already has one of that
  // name.
  Behavior* AddBehavior(SceneObject* object, const std::string& name);
  Sound* AddSound(const std::string& name);
  Emitter* AddEmitter(const std::string& name);
  // Makes `behavior` the object's current behaviour and plays it in a loop.
  void Play(Behavior* behavior);
  // A timer (GetTimerKeyByID); null when the name is taken or empty.
  Timer* AddTimer(const std::string& name);
  // The actors whose timers are due at the model's clock, in the order
  // registered; they are forgotten.
  std::vector<TimedActor> TakeDueActors();
  // Moves every playing behaviour, glide and flock on by `seconds`.
  void Advance(float seconds);
  // Moves every flock toward its goal (part of Advance).
  void AdvanceFlocks(float seconds);
  // Takes an object out of the scene: its name finds nothing any more, its
  // handle is no longer an object (operations answer it like "not found"),
  // and every key that named it names nothing. Its memory stays, so that
  // nothing the stage keeps dangles. False, with a stage note, for an object
  // with children or a brain.
  bool RemoveObject(SceneObject* object);
  // Gives `object` a brain of the brain class `text` ("Class" or
  // "Class:First"): Prepare on the class's first use, then MakeBrain(First,
  // object name), and a host brain for the result. Returns 1 when attached.
  int32_t AttachBrainClass(SceneObject* object, const std::string& text);

  SceneObject* FindObject(std::string_view name) const;
  Actor* FindActor(std::string_view name) const;
  Detector* FindDetector(std::string_view name) const;
  // The key of a scene object or variable by its name (GetObjKeyByID). A
  // name "global..NAME" that names nothing finds NAME: scene variables are
  // global.
  mkRegistryKey* FindKey(std::string_view name) const;
  egXCmd* FindXCmd(std::string_view name) const;
  egBrainDll* FindBrainDll(std::string_view name) const;
  egBrainClassDll* FindBrainClass(std::string_view name) const;
  const std::vector<std::unique_ptr<HostBrain>>& hostBrains() const { return hostBrains_; }
  Controller& controller() { return controller_; }

  // --- Handles --------------------------------------------------------------
  template <class Handle>
  static Handle* ToHandle(const void* entity) {
    return reinterpret_cast<Handle*>(const_cast<void*>(entity));
  }
  // The entity behind a handle, or null when the handle is not one of the
  // model's entities of that kind.
  SceneObject* Object(const void* handle) const {
    SceneObject* object = objectPool_.Find(handle);
    return object != nullptr && object->inScene ? object : nullptr;
  }
  Actor* ActorOf(const void* handle) const;
  Detector* DetectorOf(const void* handle) const;
  mkRegistryKey* Key(const void* handle) const { return keyPool_.Find(handle); }
  Behavior* BehaviorOf(const void* handle) const { return behaviorPool_.Find(handle); }
  Emitter* EmitterOf(const void* handle) const;
  Sound* SoundOf(const void* handle) const;
  std::string Label(const void* handle) const;

  // --- Running ----------------------------------------------------------------
  CallTrace& trace() { return trace_; }
  // The watch over the calls into plug-ins (flushing and the time limit).
  CallWatch& watch() { return watch_; }
  const std::vector<Message>& messages() const { return messages_; }
  // Writes a message line. Warnings count as problems, and so do stage
  // notes said with `problem` (something named that was not found).
  void Say(MessageKind kind, const std::string& text, bool problem = false);
  // Messages also go to this function as they are written (the stage program
  // prints them); may be empty.
  std::function<void(const Message&)> onMessage;
  // Whether messages() keeps the lines; a long run that prints them as they
  // come keeps none, so that its memory does not grow with its frames.
  bool keepMessages = true;
  // Warnings and problem notes written so far.
  int64_t problems() const { return problems_; }
  void SetClock(int32_t frame, float seconds, float delta);
  int32_t frame() const { return frame_; }
  float seconds() const { return seconds_; }
  float delta() const { return delta_; }
  // The contexts by their three values (a scene object, a record kind and a
  // third value), for readers of the records that the host knows.
  using ContextKey = std::tuple<uintptr_t, uintptr_t, uintptr_t>;
  const std::map<ContextKey, std::unique_ptr<Context>>& contexts() const { return contexts_; }
  // Record kinds of the object flag and the object variable that commands
  // keep in a scene object's contexts.
  static constexpr uintptr_t kFlagRecord = 1001;
  static constexpr uintptr_t kVariableRecord = 1002;
  // Calls visit(key, object, kind, value) for each object flag and object
  // variable kept on a scene object that is in the scene, in key order, with
  // the record's 32-bit value.
  template <class Visit>
  void ForEachObjectRecord(Visit visit) const {
    for (const auto& [key, context] : contexts_) {
      const uintptr_t kind = std::get<1>(key);
      if ((kind != kFlagRecord && kind != kVariableRecord) || std::get<2>(key) != 0) continue;
      const SceneObject* object = Object(reinterpret_cast<const void*>(std::get<0>(key)));
      if (object == nullptr || context->size() < 4) continue;
      visit(key, *object, kind, *static_cast<const int32_t*>(context->GetData()));
    }
  }
  std::deque<CommandRun>& actorQueue() { return actorQueue_; }
  // Queues the steps of `actor` for the running frame.
  void QueueActor(Actor* actor, Detector* detector);
  // World transform of an object (its parents' local matrices times its own).
  mkMatrix44 WorldMatrix(const SceneObject* object) const;
  // The same, without a copy for an object without a parent (its local
  // matrix); `scratch` holds the product otherwise.
  const mkMatrix44& WorldMatrix(const SceneObject* object, mkMatrix44& scratch) const {
    if (object->parent == nullptr) return object->local;
    return scratch = WorldMatrix(object);
  }
  // Every object made, in the order made (removed ones too). The pointers
  // do not own: the objects live in the model's pool.
  struct PoolOwned {
    void operator()(SceneObject*) const {}
  };
  using ObjectList = std::vector<std::unique_ptr<SceneObject, PoolOwned>>;
  const ObjectList& objects() const { return objects_; }
  // Marks `object` as another machine's player or not. The count of those
  // (removed ones too) answers NetGetNumRemoteChars, which every creature
  // asks every frame, without a walk over the objects.
  void SetRemotePlayer(SceneObject* object, bool remote) {
    if (object->remotePlayer == remote) return;
    object->remotePlayer = remote;
    remotePlayers_ += remote ? 1 : -1;
  }
  int32_t remotePlayers() const { return remotePlayers_; }

 private:
  // The areas of scene operations (stage/ops.h) answer on this state.
  friend class GameOps;
  friend class ObjectOps;
  friend class ActorOps;
  friend class AnimationOps;
  friend class SoundOps;
  friend class BrainOps;
  friend class KeyOps;
  friend class NetworkOps;
  friend class FlockOps;
  friend class CameraOps;
  friend class TimerOps;
  friend class PhysicalOps;

  void Register(const void* handle, EntityKind kind, std::string label);
  // Keys of scene objects and variables are found by name (GetObjKeyByID);
  // those of plug-in objects are not.
  mkRegistryKey* NewKey(const std::string& name, void* object, bool findable);
  bool Is(const void* handle, EntityKind kind) const;

  struct Entry {
    EntityKind kind;
    std::string label;
  };
  // Every handle with its kind and label, for the trace. Objects, keys and
  // behaviours, whose handles the per-frame calls check, are also found by
  // address in their pools (no hashing on the per-frame path).
  std::unordered_map<const void*, Entry> entities_;
  HandlePool<SceneObject> objectPool_;
  ObjectList objects_;
  int32_t remotePlayers_ = 0;
  // Names are found without making strings: lookups run every frame.
  std::map<std::string, SceneObject*, std::less<>> objectsByName_;
  HandlePool<mkRegistryKey> keyPool_;
  std::vector<mkRegistryKey*> keys_;
  std::map<std::string, mkRegistryKey*, std::less<>> keysByName_;
  std::deque<std::string> keyNames_;  // by the key's number in keyPool_
  std::map<ContextKey, std::unique_ptr<Context>> contexts_;
  std::vector<std::unique_ptr<Actor>> actors_;
  std::map<std::string, Actor*, std::less<>> actorsByName_;
  std::vector<std::unique_ptr<Detector>> detectors_;
  std::map<std::string, Detector*, std::less<>> detectorsByName_;
  std::map<std::string, egXCmd*, std::less<>> xcmds_;
  std::map<std::string, egBrainDll*, std::less<>> brainDlls_;
  std::map<std::string, egBrainClassDll*, std::less<>> brainClasses_;
  std::vector<std::unique_ptr<HostBrain>> hostBrains_;
  HandlePool<Behavior> behaviorPool_;
  std::vector<std::unique_ptr<Sound>> sounds_;
  std::map<std::string, Sound*, std::less<>> soundsByName_;
  std::vector<std::unique_ptr<Emitter>> emitters_;
  std::map<std::string, Emitter*, std::less<>> emittersByName_;
  std::set<egBrainClassDll*> preparedClasses_;
  std::set<std::string, std::less<>> events_;
  std::multimap<std::string, Actor*, std::less<>> eventActors_;
  std::vector<std::unique_ptr<Timer>> timers_;
  std::map<std::string, Timer*, std::less<>> timersByName_;
  std::vector<TimedActor> timedActors_;
  Controller controller_;
  SceneObject* player_ = nullptr;
  SceneObject* camera_ = nullptr;
  CallTrace trace_;
  CallWatch watch_;
  std::vector<Message> messages_;
  int64_t problems_ = 0;
  std::deque<CommandRun> actorQueue_;
  int32_t messageEnable_ = 1;
  int32_t frame_ = 0;
  float seconds_ = 0.0f;
  float delta_ = 0.0f;
};

// The first axis of an object whose local (or world) matrix is `m`: the
// direction that GetWorldAxes gives first and that behaviours carry it along.
mkVector3 FirstAxis(const SceneObject& object, const mkMatrix44& m);

// The identity matrix with its flag set, and one that places at `position`.
mkMatrix44 IdentityMatrix();
mkMatrix44 Multiply(const mkMatrix44& a, const mkMatrix44& b);

}  // namespace stage

#endif  // TESSERA_STAGE_MODEL_H_
