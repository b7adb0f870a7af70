// The stage plays a run frame by frame: the clock, repeated commands, timers,
// the timeline, queued actors and the brains' updates.
#include "stage/stage.h"

#include <cmath>

#include "stage/ops.h"
#include "stage/scene_clock.h"
#include "stage/timeline_verbs.h"

namespace stage {

namespace {

// Calls a brain operation that is given the frame time. As with a command,
// its trace line opens before the call, so that the host calls the brain
// makes inside it come after it, and a closing line gives its result:
//
//   @0 >Lens.ZoomCam.Update(0.25)
//   @0 Lens.brain.Update()
//   @0 <Lens.ZoomCam.Update() -> 0
//
// The lines' names are made only when the trace takes lines: a frame
// allocates nothing for a trace that is off.
template <class Call>
int32_t CallBrain(Model& m, const HostBrain& host, const char* operation, float seconds,
                  const Call& call) {
  const bool traced = m.trace().enabled();
  const std::string name =
      traced ? host.owner->name + "." + host.pluginName + "." + operation : std::string();
  CallTrace::Line open(m.trace(), traced ? (">" + name).c_str() : "");
  open.Arg(seconds);
  open.Finish();
  int32_t result;
  {
    CallWatch::Scope scope(m.watch(), &host, operation);
    result = call();
  }
  CallTrace::Line done(m.trace(), traced ? ("<" + name).c_str() : "");
  done.Result(result);
  return result;
}

}  // namespace

bool Stage::Play(const SceneDescription& scene, std::vector<std::string>* errors) {
  if (!LoadScenePlugins(scene, errors)) return false;
  // Brain classes are prepared while the scene is built, and seed their
  // draws with time(): the scene's clock is in force from then on, and the
  // generator starts from it for plug-ins that draw without seeding.
  clock_ = scene.clock;
  StartSceneClock(clock_);
  if (!Build(scene, errors)) return false;
  for (const SceneDescription::Warning& warning : scene.warnings) {
    std::string where = ShowText(scene.path);
    if (warning.line > 0) where += (where.empty() ? "line " : ":") + std::to_string(warning.line);
    model_->Say(MessageKind::kStage, where.empty() ? warning.text : where + ": " + warning.text,
                true);
  }
  frameTime_ = scene.frameTime;
  for (int32_t frame = 0; frame < scene.frames; ++frame) RunFrame(scene, frame);
  // Where the brains took their objects.
  for (const auto& host : model_->hostBrains()) {
    const mkMatrix44 world = model_->WorldMatrix(host->owner);
    model_->Say(MessageKind::kStage, host->owner->name + " (" + host->pluginName + ") ends at " +
                                         FormatFloat(world.m[0][3]) + " " +
                                         FormatFloat(world.m[1][3]) + " " +
                                         FormatFloat(world.m[2][3]));
  }
  return true;
}

void Stage::RunFrame(const SceneDescription& scene, int32_t frame) {
  Model& m = *model_;
  SetFrameClock(m, scene, frame);
  std::vector<CommandRun> repeats;
  repeats.swap(repeats_);
  for (const CommandRun& run : repeats) RunCommand(run.command, run.args, run.actor, run.detector);
  for (const TimedActor& due : m.TakeDueActors()) {
    m.Say(MessageKind::kStage, "timer " + due.timer->name + " runs its actor");
    ActorOps(m).ExecActor(Model::ToHandle<egTrigActor>(due.actor), nullptr, 1, -1);
    RunQueuedActors();
  }
  for (const TimelineEntry& entry : scene.timeline)
    if (entry.frame == frame) {
      ApplyTimeline(entry);
      RunQueuedActors();
    }
  RunQueuedActors();
  // The frame updates the brains attached when it began: a brain attached
  // by a brain or a command during the walk (the list may grow and move)
  // starts with the next frame.
  const size_t brains = m.hostBrains().size();
  for (size_t i = 0; i < brains; ++i) {
    HostBrain* host = m.hostBrains()[i].get();
    // Vehicle brains are called before the frame's movement too.
    if (host->vehicle != nullptr)
      CallBrain(m, *host, "PreUpdate", scene.frameTime,
                [&] { return host->plugin->PreUpdate(scene.frameTime); });
    CallBrain(m, *host, "Update", scene.frameTime,
              [&] { return host->plugin->Update(scene.frameTime); });
    // A camera brain sets its camera's goals after its update.
    CallWatch::Scope scope(m.watch(), host, "GetType");
    if (host->plugin->GetType() == kCameraBrainType) {
      CallTrace::Line(m.trace(),
                      (">" + host->owner->name + "." + host->pluginName + ".UpdateGoals").c_str())
          .Finish();
      host->plugin->UpdateGoals();
    }
  }
  RunQueuedActors();
  m.Advance(scene.frameTime);
  if (!saidNotFinite_) CheckPositionsFinite();
  if (onFrameEnd) onFrameEnd(frame);
}

void Stage::ApplyTimeline(const TimelineEntry& entry) {
  if (const TimelineVerb* verb = FindTimelineVerb(entry.verb)) verb->apply(*this, entry);
}

int32_t Stage::RunCommand(const std::string& name, const std::vector<std::string>& args,
                          Actor* actor, Detector* detector) {
  Model& m = *model_;
  egXCmd* command = m.FindXCmd(name);
  if (command == nullptr) {
    m.Say(MessageKind::kStage, "no loaded plug-in lists the command " + name, true);
    return 1;
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  const bool traced = m.trace().enabled();
  CallTrace::Line line(m.trace(), traced ? (">" + name + ".Run").c_str() : "");
  line.Arg(int32_t(args.size()));
  for (const char* arg : argv)
    if (arg != nullptr) line.Arg(arg);
  line.Finish();
  int32_t result;
  {
    CallWatch::Scope scope(m.watch(), &name, &args);
    result = command->Run(int32_t(args.size()), argv.data(), nullptr,
                          Model::ToHandle<egTrigActor>(actor),
                          Model::ToHandle<egTrigDetector>(detector));
  }
  CallTrace::Line done(m.trace(), traced ? ("<" + name + ".Run").c_str() : "");
  done.Result(result);
  if (result == 0) repeats_.push_back(CommandRun{name, args, actor, detector});
  return result;
}

void Stage::RunQueuedActors() {
  Model& m = *model_;
  int runs = 0;
  while (!m.actorQueue().empty()) {
    if (++runs > kMaxRunsPerFrame) {
      m.Say(MessageKind::kStage,
            "more than " + std::to_string(kMaxRunsPerFrame) +
                " command runs in one frame; the rest are dropped",
            true);
      m.actorQueue().clear();
      break;
    }
    CommandRun run = std::move(m.actorQueue().front());
    m.actorQueue().pop_front();
    if (run.command == "do" && !run.args.empty()) {
      // A host action: the timeline verb, applied now.
      CallTrace::Line line(m.trace(), ">do");
      std::string note = "do";
      for (const std::string& word : run.args) {
        line.Arg(word.c_str());
        note += " " + word;
      }
      line.Finish();
      m.Say(MessageKind::kStage, note);
      TimelineEntry entry;
      entry.verb = run.args[0];
      entry.words.assign(run.args.begin() + 1, run.args.end());
      std::string message;
      if (ReadTimelineWords(&entry, &message))
        ApplyTimeline(entry);
      else
        m.Say(MessageKind::kStage, message, true);
      continue;
    }
    RunCommand(run.command, run.args, run.actor, run.detector);
  }
}

SceneObject* Stage::Find(const std::string& name, int line) {
  SceneObject* object = model_->FindObject(name);
  if (object == nullptr)
    model_->Say(MessageKind::kStage, "no object named " + name + Where(line), true);
  return object;
}

std::string Stage::Where(int line) const {
  if (line <= 0) return "";
  return " (" + (scenePath_.empty() ? "line " : ShowText(scenePath_) + ":") + std::to_string(line) +
         ")";
}

void Stage::CheckPositionsFinite() {
  for (const auto& object : model_->objects()) {
    const mkMatrix44 world = model_->WorldMatrix(object.get());
    const float x = world.m[0][3], y = world.m[1][3], z = world.m[2][3];
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) continue;
    saidNotFinite_ = true;
    model_->Say(MessageKind::kStage,
                object->name + " is at " + FormatFloat(x) + " " + FormatFloat(y) + " " +
                    FormatFloat(z) +
                    ", not a finite position; pictures and replay pages leave out positions "
                    "that are not finite",
                true);
    return;
  }
}

}  // namespace stage
