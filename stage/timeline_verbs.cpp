#include "stage/timeline_verbs.h"

#include <climits>
#include <cmath>

#include "stage/ops.h"
#include "stage/scene_file.h"
#include "stage/scene_numbers.h"
#include "stage/stage.h"

namespace stage {

namespace {

// --- Reading the words ------------------------------------------------------

bool Int(const std::string& text, int64_t low, int64_t high, int32_t* value) {
  int64_t n = 0;
  if (ReadInt(text, &n) != Number::kOk || n < low || n > high) return false;
  *value = int32_t(n);
  return true;
}
bool Float(const std::string& text, float* value) {
  return ReadFloat(text, value) == Number::kOk;
}
bool Numbers(const std::vector<std::string>& w, size_t from, mkPoint3* p) {
  return Float(w[from], &p->fX) && Float(w[from + 1], &p->fY) && Float(w[from + 2], &p->fZ);
}

// key's CODE, a whole number that fits 32 bits, and down or up.
bool ReadKey(TimelineEntry* e) {
  if (e->words[1] != "down" && e->words[1] != "up") return false;
  if (!Int(e->words[0], INT32_MIN, INT32_MAX, &e->code)) return false;
  e->on = e->words[1] == "down";
  return true;
}
bool ReadMove(TimelineEntry* e) {
  return Numbers(e->words, 0, &e->point);
}
// An object, then X Y Z.
bool ReadObjectPoint(TimelineEntry* e) {
  return Numbers(e->words, 1, &e->point);
}
bool ReadGlide(TimelineEntry* e) {
  return Numbers(e->words, 1, &e->point) && Float(e->words[4], &e->seconds) && e->seconds > 0.0f;
}
// flags' N: a whole number that fits 32 bits.
bool ReadFlags(TimelineEntry* e) {
  return Int(e->words[1], INT32_MIN, INT32_MAX, &e->code);
}
// cammode's N: a camera mode, 0 to 3.
bool ReadCamMode(TimelineEntry* e) {
  return Int(e->words[0], 0, 3, &e->code);
}
// An object, then 0 or 1.
bool ReadSwitch(TimelineEntry* e) {
  if (e->words[1] != "0" && e->words[1] != "1") return false;
  e->on = e->words[1] == "1";
  return true;
}

// Turns the object about the vertical axis so that its first axis (local x,
// or -y for an object with view axes) points along the horizontal part of
// `direction`; the vertical axis stays up.
void Face(SceneObject* object, const mkVector3& direction) {
  const float length = std::sqrt(direction.fX * direction.fX + direction.fY * direction.fY);
  if (length <= 0.0f) return;
  const float x = direction.fX / length, y = direction.fY / length;
  mkMatrix44& m = object->local;
  if (object->viewAxes) {
    // The view axis, local -y, along (x, y).
    m.m[0][0] = -y, m.m[0][1] = -x, m.m[0][2] = 0;
    m.m[1][0] = x, m.m[1][1] = -y, m.m[1][2] = 0;
  } else {
    m.m[0][0] = x, m.m[0][1] = -y, m.m[0][2] = 0;
    m.m[1][0] = y, m.m[1][1] = x, m.m[1][2] = 0;
  }
  m.m[2][0] = 0, m.m[2][1] = 0, m.m[2][2] = 1;
  m.flags = 0;
}

// An object's position, and a camera's look-at point and field of view,
// and the frame of its current behaviour.
std::string Report(Model& model, const SceneObject& object) {
  auto point = [](float x, float y, float z) {
    return FormatFloat(x) + " " + FormatFloat(y) + " " + FormatFloat(z);
  };
  const mkMatrix44 world = model.WorldMatrix(&object);
  std::string text = object.name + " at " + point(world.m[0][3], world.m[1][3], world.m[2][3]);
  if (object.camera) {
    const mkPoint3 at = model.LookAt(object);
    text += ", looking at " + point(at.fX, at.fY, at.fZ) + ", fov " + FormatFloat(object.view.fov);
  }
  if (const Behavior* b = object.current) {
    AnimationOps ops(model);
    text += ", " + b->name + " at frame " +
            std::to_string(ops.BehGetLastPlayed(Model::ToHandle<mkGBehavior>(b))) +
            (b->playing ? " playing" : " still");
  }
  return text;
}

}  // namespace

// --- Doing it -----------------------------------------------------------------

// The verbs' actions, on the stage that plays them (a friend of Stage).
struct TimelineActions {
  using Entry = TimelineEntry;

  static void Run(Stage& s, const Entry& e) {
    const auto& w = e.words;
    s.RunCommand(w[0], std::vector<std::string>(w.begin() + 1, w.end()), nullptr,
                 s.timelineDetector_);
  }
  static void Actor(Stage& s, const Entry& e) {
    Model& m = s.model();
    const auto& w = e.words;
    stage::Actor* actor = m.FindActor(w[0]);
    Detector* detector = w.size() > 1 ? m.AddDetector(w[1]) : s.timelineDetector_;
    if (actor == nullptr) {
      m.Say(MessageKind::kStage, "no actor named " + w[0] + s.Where(e.line), true);
      return;
    }
    ActorOps(m).ExecActor(Model::ToHandle<egTrigActor>(actor),
                          Model::ToHandle<egTrigDetector>(detector), 1, -1);
  }
  static void Key(Stage& s, const Entry& e) {
    if (e.on) {
      s.model().controller().keysDown.insert(e.code);
    } else {
      s.model().controller().keysDown.erase(e.code);
    }
  }
  static void Move(Stage& s, const Entry& e) {
    s.model().controller().fMovement = {e.point.fX, e.point.fY, e.point.fZ};
  }
  static void Place(Stage& s, const Entry& e) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object == nullptr) return;
    object->local.m[0][3] = e.point.fX;
    object->local.m[1][3] = e.point.fY;
    object->local.m[2][3] = e.point.fZ;
    object->local.flags = 0;
  }
  static void Event(Stage& s, const Entry& e) { s.model().AddEvent(e.words[0]); }
  static void NoEvent(Stage& s, const Entry& e) {
    ActorOps(s.model()).EventRemove(e.words[0].c_str(), 0);
  }
  static void Play(Stage& s, const Entry& e) {
    const auto& w = e.words;
    SceneObject* object = s.Find(w[0], e.line);
    if (object == nullptr) return;
    Behavior* found = nullptr;
    for (Behavior* b : object->behaviors)
      if (b->name == w[1]) found = b;
    if (found == nullptr) {
      s.model().Say(MessageKind::kStage, w[0] + " has no behavior " + w[1], true);
      return;
    }
    s.model().Play(found);
  }
  static void Glide(Stage& s, const Entry& e) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object == nullptr) return;
    const float seconds = e.seconds;
    const mkVector3 move{e.point.fX - object->local.m[0][3], e.point.fY - object->local.m[1][3],
                         e.point.fZ - object->local.m[2][3]};
    object->glide.step = {move.fX / seconds, move.fY / seconds, move.fZ / seconds};
    object->glide.remaining = seconds;
    stage::Face(object, move);
  }
  static void Face(Stage& s, const Entry& e) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object == nullptr) return;
    stage::Face(object, {e.point.fX, e.point.fY, e.point.fZ});
  }
  static void Params(Stage& s, const Entry& e) { SendParams(s, e, false); }
  static void ClassParams(Stage& s, const Entry& e) { SendParams(s, e, true); }
  static void Draw(Stage& s, const Entry& e) {
    if (SceneObject* object = s.Find(e.words[0], e.line)) object->draw = e.on ? 1 : 0;
  }
  static void Enable(Stage& s, const Entry& e) {
    if (SceneObject* object = s.Find(e.words[0], e.line)) object->enable = e.on ? 1 : 0;
  }
  static void Camera(Stage& s, const Entry& e) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object == nullptr) return;
    if (!object->camera) {
      s.model().Say(MessageKind::kStage, e.words[0] + " is not a camera");
      return;
    }
    s.model().SetCamera(object);
  }
  static void Report(Stage& s, const Entry& e) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object != nullptr) s.model().Say(MessageKind::kStage, stage::Report(s.model(), *object));
  }
  static void Light(Stage& s, const Entry& e) { SetLit(s, e, 1); }
  static void Unlight(Stage& s, const Entry& e) { SetLit(s, e, 0); }
  static void Goal(Stage& s, const Entry& e) {
    const auto& w = e.words;
    SceneObject* flock = s.Find(w[0], e.line);
    SceneObject* goal = s.Find(w[1], e.line);
    if (flock == nullptr || goal == nullptr) return;
    if (!flock->flock) return s.model().Say(MessageKind::kStage, w[0] + " is not a flock");
    flock->flockGoal = goal->key;
  }
  static void Remove(Stage& s, const Entry& e) {
    if (SceneObject* object = s.Find(e.words[0], e.line)) s.model().RemoveObject(object);
  }
  static void OneShot(Stage& s, const Entry& e) {
    if (SceneObject* object = s.Find(e.words[0], e.line)) object->oneShot = e.on ? 1 : 0;
  }
  static void Flags(Stage& s, const Entry& e) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object == nullptr) return;
    if (object->brain == nullptr)
      return s.model().Say(MessageKind::kStage, e.words[0] + " has no brain");
    object->brain->vehicleFlags = e.code;
  }
  static void CamMode(Stage& s, const Entry& e) { s.model().SetCameraMode(e.code); }

 private:
  static void SetLit(Stage& s, const Entry& e, int32_t lit) {
    SceneObject* object = s.Find(e.words[0], e.line);
    if (object == nullptr) return;
    if (!object->fireMarble)
      return s.model().Say(MessageKind::kStage, e.words[0] + " is not a firemarble");
    object->lit = lit;
  }
  // params: to the object's brain; classparams: to every brain of a class.
  static void SendParams(Stage& s, const Entry& e, bool toClass) {
    Model& m = s.model();
    const auto& w = e.words;
    std::vector<const char*> argv;
    for (size_t i = 1; i < w.size(); ++i) argv.push_back(w[i].c_str());
    argv.push_back(nullptr);
    const std::string call = w[0] + (toClass ? ".SendClassParams" : ".SendParams");
    CallWatch::Scope scope(m.watch(), &call, nullptr);
    if (!toClass) {
      SceneObject* object = s.Find(w[0], e.line);
      if (object == nullptr) return;
      if (object->brain == nullptr) {
        m.Say(MessageKind::kStage, w[0] + " has no brain", true);
        return;
      }
      CallTrace::Line(m.trace(), (">" + w[0] + ".SendParams").c_str()).Finish();
      BrainOps(m).BrainSendParams(Model::ToHandle<egPhysicalSceneObject>(object),
                                  int32_t(w.size() - 1), argv.data());
    } else {
      if (m.FindBrainClass(std::string_view(w[0]).substr(0, w[0].find(':'))) == nullptr) {
        m.Say(MessageKind::kStage, "no brain class named " + w[0], true);
        return;
      }
      CallTrace::Line(m.trace(), (">" + w[0] + ".SendClassParams").c_str()).Finish();
      BrainOps(m).BrainClassSendParams(w[0].c_str(), int32_t(w.size() - 1), argv.data());
    }
    s.RunQueuedActors();
  }
};

// --- The verbs ------------------------------------------------------------------

const std::vector<TimelineVerb>& TimelineVerbs() {
  using A = TimelineActions;
  static const std::vector<TimelineVerb> verbs = {
      {"run", 1, kManyWords, nullptr, &A::Run},
      {"actor", 1, 2, nullptr, &A::Actor},
      {"key", 2, 2, &ReadKey, &A::Key},
      {"move", 3, 3, &ReadMove, &A::Move},
      {"place", 4, 4, &ReadObjectPoint, &A::Place},
      {"event", 1, 1, nullptr, &A::Event},
      {"noevent", 1, 1, nullptr, &A::NoEvent},
      {"play", 2, 2, nullptr, &A::Play},
      {"glide", 5, 5, &ReadGlide, &A::Glide},
      {"face", 4, 4, &ReadObjectPoint, &A::Face},
      {"params", 1, kManyWords, nullptr, &A::Params},
      {"classparams", 1, kManyWords, nullptr, &A::ClassParams},
      {"draw", 2, 2, &ReadSwitch, &A::Draw},
      {"enable", 2, 2, &ReadSwitch, &A::Enable},
      {"camera", 1, 1, nullptr, &A::Camera},
      {"report", 1, 1, nullptr, &A::Report},
      {"light", 1, 1, nullptr, &A::Light},
      {"unlight", 1, 1, nullptr, &A::Unlight},
      {"goal", 2, 2, nullptr, &A::Goal},
      {"remove", 1, 1, nullptr, &A::Remove},
      {"oneshot", 2, 2, &ReadSwitch, &A::OneShot},
      {"flags", 2, 2, &ReadFlags, &A::Flags},
      {"cammode", 1, 1, &ReadCamMode, &A::CamMode},
  };
  return verbs;
}

const TimelineVerb* FindTimelineVerb(std::string_view name) {
  for (const TimelineVerb& verb : TimelineVerbs())
    if (verb.name == name) return &verb;
  return nullptr;
}

}  // namespace stage
