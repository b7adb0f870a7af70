// The stage sets up a run: it loads plug-ins as the engine does and builds
// the scene's objects, variables, actors, detectors, events and brains.
#include "stage/stage.h"

#include <filesystem>
#include <fstream>

namespace stage {

namespace {

bool HasDirectory(const std::string& path) {
  return path.find('/') != std::string::npos || path.find('\\') != std::string::npos;
}

bool Exists(const std::string& path) {
  return std::ifstream(path).good();
}

}  // namespace

Stage::Stage() : model_(std::make_unique<Model>()), api_(std::make_unique<StageSceneApi>(*model_)) {
  timelineDetector_ = model_->AddDetector("timeline");
}

Stage::~Stage() {
  UnloadPlugins();
}

void Stage::UnloadPlugins() {
  for (const auto& host : model_->hostBrains()) host->plugin = nullptr;
  model_->DetachBrains();
  while (!plugins_.empty()) {
    // A plug-in's unload destroys its objects, which may run scripts.
    const std::string unload = "unload of " + plugins_.back()->name;
    CallWatch::Scope scope(model_->watch(), &unload, nullptr);
    plugins_.pop_back();
  }
}

bool Stage::LoadPlugin(const std::string& pathOrName, std::string* error) {
  std::string path = pathOrName;
  if (!HasDirectory(pathOrName)) {
    const std::string file =
        pathOrName.find('.') == std::string::npos ? PluginFileName(pathOrName) : pathOrName;
    path.clear();
    std::string searched;
    for (const std::string& dir : pluginPath) {
      if (Exists(dir + "/" + file)) {
        path = dir + "/" + file;
        break;
      }
      searched += dir + ", ";
    }
    if (path.empty() && Exists("./" + file)) path = "./" + file;
    if (path.empty()) {
      std::error_code ec;
      *error = "cannot find the plug-in " + pathOrName + ": no " + file + " in " + searched +
               "or the scene's directory " + std::filesystem::current_path(ec).string();
      return false;
    }
  }
  for (const auto& loaded : plugins_)
    if (loaded->path == path) return true;
  auto library = PluginLibrary::Load(path, error);
  if (!library) return false;
  Model& m = *model_;
  const std::string from = " (" + library->name + ")";
  m.Say(MessageKind::kStage,
        "loaded " + library->name + ": " + std::to_string(library->xcmdNames.size()) +
            " commands, " + std::to_string(library->brainNames.size()) + " brains, " +
            std::to_string(library->brainClassNames.size()) + " brain classes, version " +
            std::to_string(library->xcmdMajor) + "." + std::to_string(library->xcmdMinor));
  for (const std::string& name : library->xcmdNames) {
    auto* command = static_cast<egXCmd*>(library->Symbol(name.c_str()));
    if (command == nullptr) {
      m.Say(MessageKind::kStage, "listed command " + name + " is not exported" + from, true);
      continue;
    }
    m.AddXCmd(name, command);
    command->SetSceneApi(api_.get());
  }
  for (const std::string& name : library->brainNames) {
    auto* brain = static_cast<egBrainDll*>(library->Symbol(name.c_str()));
    if (brain == nullptr) {
      m.Say(MessageKind::kStage, "listed brain " + name + " is not exported" + from, true);
      continue;
    }
    m.AddBrainDll(name, brain);
  }
  for (const std::string& name : library->brainClassNames) {
    auto* brainClass = static_cast<egBrainClassDll*>(library->Symbol(name.c_str()));
    if (brainClass == nullptr) {
      m.Say(MessageKind::kStage, "listed brain class " + name + " is not exported" + from, true);
      continue;
    }
    m.AddBrainClass(name, brainClass);
    brainClass->SetSceneApi(api_.get());
  }
  plugins_.push_back(std::move(library));
  return true;
}

bool Stage::LoadScenePlugins(const SceneDescription& scene, std::vector<std::string>* errors) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Plug-ins named by a path are found relative to the scene file, and the
  // search path holds directories from before the move.
  std::vector<std::string> plugins;
  for (const std::string& plugin : scene.plugins) {
    const bool relative = HasDirectory(plugin) && !fs::path(plugin).is_absolute();
    plugins.push_back(
        relative ? fs::absolute(fs::path(scene.directory) / plugin, ec).lexically_normal().string()
                 : plugin);
  }
  for (std::string& dir : pluginPath) dir = fs::absolute(dir, ec).string();
  if (enterSceneDirectory && !scene.directory.empty()) {
    fs::current_path(scene.directory, ec);
    if (ec) {
      errors->push_back("cannot enter the scene's directory " + scene.directory + ": " +
                        ec.message());
      return false;
    }
  }
  for (size_t i = 0; i < plugins.size(); ++i) {
    std::string error;
    if (!LoadPlugin(plugins[i], &error)) {
      const std::string where = scene.path.empty() ? "" : scene.path + ":";
      errors->push_back(i < scene.pluginLines.size()
                            ? where + std::to_string(scene.pluginLines[i]) + ": " + error
                            : where + error);
      return false;
    }
  }
  return true;
}

bool Stage::Build(const SceneDescription& scene, std::vector<std::string>* errors) {
  Model& m = *model_;
  scenePath_ = scene.path;
  const size_t before = errors->size();
  auto error = [&](int line, const std::string& text) {
    errors->push_back((scene.path.empty() ? "" : scene.path + ":") + std::to_string(line) + ": " +
                      text);
  };
  for (const ObjectSpec& def : scene.objects) {
    SceneObject* parent = nullptr;
    if (!def.parent.empty()) {
      parent = m.FindObject(def.parent);
      if (parent == nullptr) {
        error(def.line, "parent " + def.parent + " is not an object defined above");
        continue;
      }
    }
    SceneObject* object = m.AddObject(def.name, parent, def.position);
    if (object == nullptr) {
      error(def.line, "the name " + def.name + " is taken");
      continue;
    }
    object->radius = def.radius;
    object->character = def.character;
    object->camera = def.camera;
    object->light = def.light;
    object->locallyOwned = def.remote ? 0 : 1;
    m.SetRemotePlayer(object, def.remotePlayer);
    object->viewAxes = def.viewAxes;
    object->view.hasLookAt = def.hasLookAt;
    if (def.hasLookAt) object->view.lookAt = def.lookAt;
    object->view.fov = def.fov;
    object->view.mode = def.mode;
    object->flock = def.flock;
    object->flockSpeed = def.flockSpeed;
    object->fireMarble = def.fireMarble;
    object->lit = def.lit ? 1 : 0;
  }
  // A flock's first goal may be an object defined after it.
  for (const ObjectSpec& def : scene.objects) {
    if (def.flockGoal.empty()) continue;
    SceneObject* flock = m.FindObject(def.name);
    SceneObject* goal = m.FindObject(def.flockGoal);
    if (goal == nullptr) {
      error(def.line, "goal " + def.flockGoal + " of " + def.name + " is not an object");
      continue;
    }
    if (flock != nullptr) flock->flockGoal = goal->key;
  }
  for (const BehaviorSpec& def : scene.behaviors) {
    SceneObject* object = m.FindObject(def.object);
    if (object == nullptr) {
      error(def.line, "no object " + def.object + " for the behavior " + def.name);
      continue;
    }
    Behavior* behavior = m.AddBehavior(object, def.name);
    if (behavior == nullptr) {
      error(def.line, def.object + " already has a behavior " + def.name);
      continue;
    }
    behavior->cycleSeconds = def.seconds;
    behavior->speed = def.speed;
    behavior->turn = def.turn;
    behavior->frames = def.frames;
    behavior->loopStart = def.loopStart;
    behavior->loopEnd = def.loopEnd;
  }
  for (const std::string& name : scene.timers)
    if (m.AddTimer(name) == nullptr) error(0, "the timer " + name + " is defined twice");
  for (const std::string& name : scene.sounds) m.AddSound(name);
  for (const std::string& name : scene.emitters) m.AddEmitter(name);
  m.SetPlayer(m.FindObject(scene.player));
  m.SetCamera(m.FindObject(scene.camera));
  for (const VariableSpec& def : scene.variables) {
    SceneObject* object = nullptr;
    if (!def.object.empty() && (object = m.FindObject(def.object)) == nullptr) {
      error(def.line, "variable " + def.name + " names " + def.object + ", which is not an object");
      continue;
    }
    if (!m.AddVariable(def.name, object)) error(def.line, "the name " + def.name + " is taken");
  }
  for (const ActorSpec& def : scene.actors) {
    Actor* actor = m.AddActor(def.name);
    actor->steps = def.steps;
    // A step that names a command no loaded plug-in lists would only ever
    // say so when the actor runs. A 'do' step is the host's own action.
    for (size_t i = 0; i < def.steps.size(); ++i)
      if (!def.steps[i].empty() && def.steps[i][0] != "do" &&
          m.FindXCmd(def.steps[i][0]) == nullptr)
        error(
            i < def.stepLines.size() ? def.stepLines[i] : def.line,
            "no loaded plug-in lists the command " + def.steps[i][0] + " (actor " + def.name + ")");
  }
  for (const std::string& name : scene.detectors) m.AddDetector(name);
  for (const std::string& name : scene.events) m.AddEvent(name);
  for (const ReactionSpec& def : scene.reactions) {
    Actor* actor = m.FindActor(def.actor);
    if (actor == nullptr) {
      error(def.line, "no actor " + def.actor + " for the event " + def.event);
      continue;
    }
    m.OnEvent(def.event, actor);
  }
  for (const BrainSpec& def : scene.brains) {
    SceneObject* object = m.FindObject(def.object);
    egBrainDll* brain = m.FindBrainDll(def.brain);
    if (object == nullptr || brain == nullptr) {
      error(def.line, object == nullptr ? "no object " + def.object
                                        : "no loaded plug-in lists the brain " + def.brain);
      continue;
    }
    HostBrain* host = m.AttachBrain(object, brain, def.brain);
    // The host writes the two brain fields directly when it attaches an
    // exported brain.
    brain->fSceneApi = api_.get();
    brain->fBrain = host->Interface();
    // A camera brain starts from a reset.
    CallWatch::Scope scope(m.watch(), host, "GetType");
    if (brain->GetType() == kCameraBrainType) {
      CallTrace::Line(m.trace(), (">" + def.object + "." + def.brain + ".Reset").c_str()).Finish();
      brain->Reset();
    }
  }
  for (const VehicleSpec& def : scene.vehicles) BuildVehicle(def, error);
  for (const BrainSpec& def : scene.brainClasses) {
    SceneObject* object = m.FindObject(def.object);
    const std::string className = def.brain.substr(0, def.brain.find(':'));
    if (object == nullptr || m.FindBrainClass(className) == nullptr) {
      error(def.line, object == nullptr ? "no object " + def.object
                                        : "no loaded plug-in lists the brain class " + className);
      continue;
    }
    if (!m.AttachBrainClass(object, def.brain))
      error(def.line, "the brain class " + className + " made no brain for " + def.object);
  }
  for (const TimelineEntry& entry : scene.timeline)
    if (entry.verb == "run" && m.FindXCmd(entry.words[0]) == nullptr)
      error(entry.line, "no loaded plug-in lists the command " + entry.words[0]);
  return errors->size() == before;
}

// A host that binds a brain by its export name, whether or not a name list
// names it, and attaches it to a vehicle host brain.
void Stage::BuildVehicle(const VehicleSpec& def,
                         const std::function<void(int, const std::string&)>& error) {
  Model& m = *model_;
  SceneObject* object = m.FindObject(def.object);
  SceneObject* vehicle = m.FindObject(def.vehicle);
  SceneObject* driver = def.driver.empty() ? nullptr : m.FindObject(def.driver);
  if (object == nullptr || vehicle == nullptr || (!def.driver.empty() && driver == nullptr)) {
    error(def.line, "no object " + (object == nullptr    ? def.object
                                    : vehicle == nullptr ? def.vehicle
                                                         : def.driver));
    return;
  }
  egBrainDll* brain = nullptr;
  for (const auto& library : plugins_)
    if ((brain = static_cast<egBrainDll*>(library->Symbol(def.brain.c_str()))) != nullptr) break;
  if (brain == nullptr) {
    error(def.line, "no loaded plug-in exports " + def.brain);
    return;
  }
  int32_t type;
  {
    CallWatch::Scope scope(m.watch(), &def.brain, nullptr);
    type = brain->GetType();
  }
  if (type != 302) {
    error(def.line, def.brain + " is not a vehicle brain (type " + std::to_string(type) + ")");
    return;
  }
  HostBrain* host = m.AttachBrain(object, brain, def.brain);
  host->vehicle = vehicle;
  host->driver = driver;
  brain->fSceneApi = api_.get();
  brain->fBrain = host->Interface();
}

}  // namespace stage
