#include "stage/model.h"

#include <cmath>
#include <cstring>

namespace stage {

namespace {

std::string KindPrefix(EntityKind kind) {
  switch (kind) {
    case EntityKind::kObject:
      return "";
    case EntityKind::kBehavior:
      return "behavior:";
    case EntityKind::kSound:
      return "sound:";
    case EntityKind::kEmitter:
      return "emitter:";
    case EntityKind::kKey:
      return "key:";
    case EntityKind::kContext:
      return "context:";
    case EntityKind::kActor:
      return "actor:";
    case EntityKind::kDetector:
      return "detector:";
    case EntityKind::kXCmd:
      return "xcmd:";
    case EntityKind::kBrainDll:
      return "brain:";
    case EntityKind::kBrainClass:
      return "brainclass:";
    case EntityKind::kHostBrain:
      return "hostbrain:";
    case EntityKind::kController:
      return "controller:";
    case EntityKind::kTimer:
      return "timer:";
    case EntityKind::kBrainData:
      return "braindata:";
  }
  return "";
}

}  // namespace

mkMatrix44 IdentityMatrix() {
  mkMatrix44 m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  m.flags = 1;
  return m;
}

mkVector3 FirstAxis(const SceneObject& object, const mkMatrix44& m) {
  if (object.viewAxes) return {-m.m[0][1], -m.m[1][1], -m.m[2][1]};
  return {m.m[0][0], m.m[1][0], m.m[2][0]};
}

mkMatrix44 Multiply(const mkMatrix44& a, const mkMatrix44& b) {
  return a * b;
}

// --- Context ------------------------------------------------------------------

void* Context::GetData() {
  return data_;
}

void* Context::AllocData(int32_t size) {
  if (size < 0 || size > kMaxDataSize) {
    model->Say(MessageKind::kStage,
               "context " + label + ": refused a data block of " + std::to_string(size) + " bytes");
    return nullptr;
  }
  // Zeroed, and never smaller than one byte, so that every block is distinct.
  blocks_.push_back(std::unique_ptr<uint8_t[]>(new uint8_t[size > 0 ? size : 1]()));
  data_ = blocks_.back().get();
  size_ = size;
  return data_;
}

// --- Controller --------------------------------------------------------------------

Controller::Controller() {
  fCursorKey = nullptr;
  fFlags = 2;
  fMovement = {0, 0, 0};
  fAttitude = {0, 0, 0};
}

void Controller::ResetInputStates() {
  keysDown.clear();
  fMovement = {0, 0, 0};
  fAttitude = {0, 0, 0};
  CallTrace::Line(model->trace(), "controller.ResetInputStates").Finish();
}

int32_t Controller::isKeyDown(int32_t code) {
  const int32_t down = keysDown.count(code) ? 1 : 0;
  CallTrace::Line line(model->trace(), "controller.isKeyDown");
  line.Arg(code);
  line.Result(down);
  return down;
}

void Controller::SetScalarInputState(int32_t code, float value, const char* text) {
  CallTrace::Line line(model->trace(), "controller.SetScalarInputState");
  line.Arg(code);
  line.Arg(value);
  line.Arg(text);
  line.Finish();
}

// --- Model: building ------------------------------------------------------------------------

Model::Model() : trace_([this](const void* handle) { return Label(handle); }) {
  controller_.model = this;
  Register(&controller_, EntityKind::kController, "player");
}

Model::~Model() = default;

void Model::Register(const void* handle, EntityKind kind, std::string label) {
  entities_[handle] = Entry{kind, std::move(label)};
}

bool Model::Is(const void* handle, EntityKind kind) const {
  if (handle == nullptr) return false;
  auto it = entities_.find(handle);
  return it != entities_.end() && it->second.kind == kind;
}

std::string Model::Label(const void* handle) const {
  if (handle == nullptr) return "null";
  if (reinterpret_cast<uintptr_t>(handle) < 0x10000)
    return std::to_string(reinterpret_cast<uintptr_t>(handle));
  auto it = entities_.find(handle);
  if (it == entities_.end()) return "?";
  return KindPrefix(it->second.kind) + it->second.label;
}

mkRegistryKey* Model::NewKey(const std::string& name, void* object, bool findable) {
  mkRegistryKey* key = keyPool_.Add();
  key->fObject = object;
  // The deque's strings stay put: the key's name field points into one.
  keyNames_.push_back(name);
  key->fName = keyNames_.back().c_str();
  keys_.push_back(key);
  if (findable) keysByName_.emplace(name, key);
  Register(key, EntityKind::kKey, name);
  return key;
}

SceneObject* Model::AddObject(const std::string& name, SceneObject* parent,
                              const mkPoint3& position) {
  if (name.empty() || objectsByName_.count(name) != 0 || keysByName_.count(name) != 0)
    return nullptr;
  SceneObject* object = objectPool_.Add();
  objects_.emplace_back(object);
  object->name = name;
  object->local = IdentityMatrix();
  object->local.m[0][3] = position.fX;
  object->local.m[1][3] = position.fY;
  object->local.m[2][3] = position.fZ;
  object->local.flags = 0;
  object->parent = parent;
  if (parent != nullptr) parent->children.push_back(object);
  objectsByName_[name] = object;
  Register(object, EntityKind::kObject, name);
  Register(&object->brainData, EntityKind::kBrainData, name);
  object->key = NewKey(name, object, true);
  return object;
}

mkPoint3 Model::LookAt(const SceneObject& camera) const {
  if (camera.view.hasLookAt) return camera.view.lookAt;
  const mkMatrix44 world = WorldMatrix(&camera);
  return mkPoint3{world.m[0][3], world.m[1][3], world.m[2][3]} + FirstAxis(camera, world);
}

bool Model::AddVariable(const std::string& name, SceneObject* object) {
  if (name.empty() || keysByName_.count(name) != 0) return false;
  NewKey(name, object, true);
  return true;
}

Actor* Model::AddActor(const std::string& name) {
  if (Actor* existing = FindActor(name)) return existing;
  actors_.push_back(std::make_unique<Actor>());
  Actor* actor = actors_.back().get();
  actor->name = name;
  actorsByName_[name] = actor;
  Register(actor, EntityKind::kActor, name);
  return actor;
}

Timer* Model::AddTimer(const std::string& name) {
  if (name.empty() || timersByName_.count(name) != 0) return nullptr;
  timers_.push_back(std::make_unique<Timer>());
  Timer* timer = timers_.back().get();
  timer->name = name;
  timersByName_[name] = timer;
  Register(timer, EntityKind::kTimer, name);
  timer->key = NewKey(name, timer, false);
  return timer;
}

std::vector<TimedActor> Model::TakeDueActors() {
  std::vector<TimedActor> due, later;
  for (const TimedActor& t : timedActors_) (t.due <= seconds_ ? due : later).push_back(t);
  timedActors_.swap(later);
  return due;
}

Detector* Model::AddDetector(const std::string& name) {
  if (Detector* existing = FindDetector(name)) return existing;
  detectors_.push_back(std::make_unique<Detector>());
  Detector* detector = detectors_.back().get();
  detector->name = name;
  detectorsByName_[name] = detector;
  Register(detector, EntityKind::kDetector, name);
  return detector;
}

mkRegistryKey* Model::AddXCmd(const std::string& name, egXCmd* command) {
  xcmds_[name] = command;
  Register(command, EntityKind::kXCmd, name);
  mkRegistryKey* key = NewKey(name, command, false);
  command->fCurrentKey = key;
  return key;
}

mkRegistryKey* Model::AddBrainDll(const std::string& name, egBrainDll* brain) {
  brainDlls_[name] = brain;
  Register(brain, EntityKind::kBrainDll, name);
  mkRegistryKey* key = NewKey(name, brain, false);
  brain->fCurrentKey = key;
  return key;
}

void Model::AddBrainClass(const std::string& name, egBrainClassDll* brainClass) {
  brainClasses_[name] = brainClass;
  Register(brainClass, EntityKind::kBrainClass, name);
}

HostBrain* Model::AttachBrain(SceneObject* object, egBrainDll* brain, const std::string& name) {
  hostBrains_.push_back(std::make_unique<HostBrain>());
  HostBrain* host = hostBrains_.back().get();
  host->owner = object;
  host->plugin = brain;
  host->pluginName = name;
  host->model = this;
  object->brain = host;
  Register(static_cast<egCameraBrain*>(host), EntityKind::kHostBrain, object->name);
  Register(static_cast<egPlayerVehicleBrain*>(host), EntityKind::kHostBrain, object->name);
  if (!Is(brain, EntityKind::kBrainDll)) Register(brain, EntityKind::kBrainDll, name);
  return host;
}

void Model::DetachBrains() {
  for (auto& object : objects_) object->brain = nullptr;
  for (auto& host : hostBrains_) entities_.erase(host.get());
  hostBrains_.clear();
  for (auto& [name, command] : xcmds_) entities_.erase(command);
  for (auto& [name, brain] : brainDlls_) entities_.erase(brain);
  for (auto& [name, brainClass] : brainClasses_) entities_.erase(brainClass);
  xcmds_.clear();
  brainDlls_.clear();
  brainClasses_.clear();
}

SceneObject* Model::FindObject(std::string_view name) const {
  auto it = objectsByName_.find(name);
  return it == objectsByName_.end() ? nullptr : it->second;
}
Actor* Model::FindActor(std::string_view name) const {
  auto it = actorsByName_.find(name);
  return it == actorsByName_.end() ? nullptr : it->second;
}
Detector* Model::FindDetector(std::string_view name) const {
  auto it = detectorsByName_.find(name);
  return it == detectorsByName_.end() ? nullptr : it->second;
}
mkRegistryKey* Model::FindKey(std::string_view name) const {
  auto it = keysByName_.find(name);
  constexpr std::string_view kGlobal = "global..";
  if (it == keysByName_.end() && name.substr(0, kGlobal.size()) == kGlobal)
    it = keysByName_.find(name.substr(kGlobal.size()));
  return it == keysByName_.end() ? nullptr : it->second;
}
egXCmd* Model::FindXCmd(std::string_view name) const {
  auto it = xcmds_.find(name);
  return it == xcmds_.end() ? nullptr : it->second;
}
egBrainDll* Model::FindBrainDll(std::string_view name) const {
  auto it = brainDlls_.find(name);
  return it == brainDlls_.end() ? nullptr : it->second;
}
egBrainClassDll* Model::FindBrainClass(std::string_view name) const {
  auto it = brainClasses_.find(name);
  return it == brainClasses_.end() ? nullptr : it->second;
}

Actor* Model::ActorOf(const void* handle) const {
  return Is(handle, EntityKind::kActor) ? static_cast<Actor*>(const_cast<void*>(handle)) : nullptr;
}
Detector* Model::DetectorOf(const void* handle) const {
  return Is(handle, EntityKind::kDetector) ? static_cast<Detector*>(const_cast<void*>(handle))
                                           : nullptr;
}
Emitter* Model::EmitterOf(const void* handle) const {
  return Is(handle, EntityKind::kEmitter) ? static_cast<Emitter*>(const_cast<void*>(handle))
                                          : nullptr;
}
Sound* Model::SoundOf(const void* handle) const {
  return Is(handle, EntityKind::kSound) ? static_cast<Sound*>(const_cast<void*>(handle)) : nullptr;
}

// --- Model: running ------------------------------------------------------------------------

void Model::Say(MessageKind kind, const std::string& text, bool problem) {
  Message message{frame_, kind, text, problem || kind == MessageKind::kWarning};
  if (message.problem) ++problems_;
  if (onMessage) onMessage(message);
  if (keepMessages) messages_.push_back(std::move(message));
}

void Model::SetClock(int32_t frame, float seconds, float delta) {
  frame_ = frame;
  seconds_ = seconds;
  delta_ = delta;
  trace_.SetFrame(frame);
}

void Model::QueueActor(Actor* actor, Detector* detector) {
  for (const auto& step : actor->steps) {
    if (step.empty()) continue;
    CommandRun run{step[0], std::vector<std::string>(step.begin() + 1, step.end()), actor,
                   detector};
    // A host action reads its scene variables when the actor starts: a word
    // that names a variable stands for the object that it names now.
    if (run.command == "do")
      for (size_t i = 1; i < run.args.size(); ++i) {
        std::string& word = run.args[i];
        if (FindObject(word) != nullptr) continue;
        const mkRegistryKey* key = FindKey(word);
        if (SceneObject* named = key != nullptr ? Object(key->fObject) : nullptr)
          word = named->name;
      }
    actorQueue_.push_back(std::move(run));
  }
}

mkMatrix44 Model::WorldMatrix(const SceneObject* object) const {
  mkMatrix44 world = object->local;
  // Parents form a tree built by the model; the depth bound guards against a
  // cycle made through AttachObject all the same.
  int depth = 0;
  for (const SceneObject* p = object->parent; p != nullptr && depth < 256; p = p->parent, ++depth)
    world = Multiply(p->local, world);
  return world;
}

}  // namespace stage
