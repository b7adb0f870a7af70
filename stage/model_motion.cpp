// The moving parts of the stage's model: behaviours that play, loop and run
// out and carry their objects along; glides; sounds and emitters; brain
// classes that give objects their brains.
#include <cmath>
#include <cstring>

#include "stage/model.h"

namespace stage {

Behavior* Model::AddBehavior(SceneObject* object, const std::string& name) {
  for (Behavior* b : object->behaviors)
    if (b->name == name) return nullptr;
  Behavior* behavior = behaviorPool_.Add();
  behavior->name = name;
  behavior->owner = object;
  object->behaviors.push_back(behavior);
  Register(behavior, EntityKind::kBehavior, object->name + ".." + name);
  behavior->key = NewKey(object->name + ".." + name, behavior, false);
  return behavior;
}

Sound* Model::AddSound(const std::string& name) {
  if (soundsByName_.count(name)) return soundsByName_[name];
  sounds_.push_back(std::make_unique<Sound>());
  Sound* sound = sounds_.back().get();
  sound->name = name;
  soundsByName_[name] = sound;
  Register(sound, EntityKind::kSound, name);
  return sound;
}

Emitter* Model::AddEmitter(const std::string& name) {
  if (emittersByName_.count(name)) return emittersByName_[name];
  emitters_.push_back(std::make_unique<Emitter>());
  Emitter* emitter = emitters_.back().get();
  emitter->name = name;
  emittersByName_[name] = emitter;
  Register(emitter, EntityKind::kEmitter, name);
  return emitter;
}

void Model::Play(Behavior* behavior) {
  SceneObject* object = behavior->owner;
  if (object->current != nullptr && object->current != behavior) object->current->playing = 0;
  object->current = behavior;
  behavior->playing = 1;
  behavior->looping = 1;
  behavior->position = 0.0f;
}

void Model::Advance(float seconds) {
  for (const auto& object : objects_) {
    Behavior* b = object->current;
    if (b != nullptr && b->playing) {
      if (b->speed != 0.0f) {
        // Along the object's first axis, in its parent's frame.
        const mkVector3 axis = FirstAxis(*object, object->local);
        const float step = b->speed * seconds;
        object->local.m[0][3] += axis.fX * step;
        object->local.m[1][3] += axis.fY * step;
        object->local.m[2][3] += axis.fZ * step;
        object->local.flags = 0;
      }
      if (b->turn != 0.0f) {
        // Rotate the axes (the upper 3x3) about the vertical axis.
        const float angle = b->turn * seconds, c = std::cos(angle), sn = std::sin(angle);
        mkMatrix44& m = object->local;
        for (int row = 0; row < 3; ++row) {
          const float x = m.m[row][0], y = m.m[row][1];
          m.m[row][0] = x * c + y * sn;
          m.m[row][1] = -x * sn + y * c;
        }
        m.flags = 0;
      }
      b->position += seconds;
      if (b->position >= b->cycleSeconds) {
        if (b->looping) {
          b->position = b->cycleSeconds > 0.0f ? std::fmod(b->position, b->cycleSeconds) : 0.0f;
        } else {
          b->playing = 0;
          b->position = 0.0f;
        }
      }
    }
    Glide& g = object->glide;
    if (g.remaining > 0.0f) {
      const float t = seconds < g.remaining ? seconds : g.remaining;
      object->local.m[0][3] += g.step.fX * t;
      object->local.m[1][3] += g.step.fY * t;
      object->local.m[2][3] += g.step.fZ * t;
      object->local.flags = 0;
      g.remaining -= t;
    }
  }
  AdvanceFlocks(seconds);
}

int32_t Model::AttachBrainClass(SceneObject* object, const std::string& text) {
  const auto colon = text.find(':');
  const std::string className = text.substr(0, colon);
  const std::string first = colon == std::string::npos ? className : text.substr(colon + 1);
  egBrainClassDll* brainClass = FindBrainClass(className);
  if (object == nullptr || brainClass == nullptr) return 0;
  if (preparedClasses_.insert(brainClass).second) {
    const std::string prepare = className + ".Prepare";
    CallTrace::Line(trace_, (">" + prepare).c_str()).Finish();
    CallWatch::Scope scope(watch_, &prepare, nullptr);
    brainClass->Prepare();
  }
  // Its line opens before the call, so that the host calls the class makes
  // inside it come after it; a closing line gives the brain it made.
  const std::string make = className + ".MakeBrain";
  CallTrace::Line open(trace_, (">" + make).c_str());
  open.Arg(first.c_str());
  open.Arg(object->name.c_str());
  open.Finish();
  const std::vector<std::string> names = {first, object->name};
  egBrainDll* brain;
  {
    CallWatch::Scope scope(watch_, &make, &names);
    brain = brainClass->MakeBrain(first.c_str(), object->name.c_str());
  }
  CallTrace::Line done(trace_, ("<" + make).c_str());
  if (brain == nullptr) {
    done.Finish("-> null");
    return 0;
  }
  HostBrain* host = AttachBrain(object, brain, className);
  done.Result(static_cast<const void*>(brain));
  brain->fBrain = host->Interface();
  return 1;
}

}  // namespace stage
