// The moving parts of the stage's model: behaviours that play, loop and run
// out and carry their objects along; glides; sound emitters; other players;
// brain classes.
#include <cmath>
#include <cstring>

#include "stage/model.h"

namespace stage {

namespace {

bool SameName(const std::string& a, const char* b) {
  if (b == nullptr || a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

Behavior* Model::AddBehavior(SceneObject* object, const std::string& name) {
  for (Behavior* b : object->behaviors)
    if (b->name == name) return nullptr;
  behaviors_.push_back(std::make_unique<Behavior>());
  Behavior* behavior = behaviors_.back().get();
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
        const mkMatrix44& m = object->local;
        const float step = b->speed * seconds;
        object->local.m[0][3] += m.m[0][0] * step;
        object->local.m[1][3] += m.m[1][0] * step;
        object->local.m[2][3] += m.m[2][0] * step;
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
}

int32_t Model::AttachBrainClass(SceneObject* object, const std::string& text) {
  const auto colon = text.find(':');
  const std::string className = text.substr(0, colon);
  const std::string first = colon == std::string::npos ? className : text.substr(colon + 1);
  egBrainClassDll* brainClass = FindBrainClass(className);
  if (object == nullptr || brainClass == nullptr) return 0;
  if (preparedClasses_.insert(brainClass).second) {
    CallTrace::Line(trace_, (">" + className + ".Prepare").c_str()).Finish();
    brainClass->Prepare();
  }
  CallTrace::Line line(trace_, (">" + className + ".MakeBrain").c_str());
  line.Arg(first.c_str());
  line.Arg(object->name.c_str());
  egBrainDll* brain = brainClass->MakeBrain(first.c_str(), object->name.c_str());
  if (brain == nullptr) {
    line.Finish("-> null");
    return 0;
  }
  HostBrain* host = AttachBrain(object, brain, className);
  line.Result(static_cast<const void*>(brain));
  brain->fBrain = host;
  return 1;
}

// --- Scene operations ---------------------------------------------------------

mkGBehavior* Model::GetBehavior(mkSceneObject* a1) {
  SceneObject* o = Object(a1);
  return o != nullptr ? ToHandle<mkGBehavior>(o->current) : nullptr;
}

// A null name gives the object's current behaviour.
mkGBehavior* Model::GetBehaviorFromName(mkSceneObject* a1, const char* a2) {
  SceneObject* o = Object(a1);
  if (o == nullptr) return nullptr;
  if (a2 == nullptr) return ToHandle<mkGBehavior>(o->current);
  for (Behavior* b : o->behaviors)
    if (SameName(b->name, a2)) return ToHandle<mkGBehavior>(b);
  return nullptr;
}

// Names compare without regard to case; the length argument is not needed.
mkGBehavior* Model::FindBehavior(egCharacter* a1, const char* a2, int32_t) {
  return GetBehaviorFromName(ToHandle<mkSceneObject>(Object(a1)), a2 != nullptr ? a2 : "");
}

int32_t Model::BehGetPlaying(mkGBehavior* a1, float, int32_t) {
  Behavior* b = BehaviorOf(a1);
  return b != nullptr ? b->playing : 0;
}
int32_t Model::BehGetLooped(mkGBehavior* a1) {
  Behavior* b = BehaviorOf(a1);
  return b != nullptr ? b->looping : 0;
}
int32_t Model::BehGetNumFrames(mkGBehavior* a1) {
  Behavior* b = BehaviorOf(a1);
  return b != nullptr ? b->frames : 0;
}
int32_t Model::BehGetLastPlayed(mkGBehavior* a1) {
  Behavior* b = BehaviorOf(a1);
  if (b == nullptr || b->cycleSeconds <= 0.0f) return 0;
  return int32_t(b->position / b->cycleSeconds * float(b->frames));
}
const char* Model::BehGetID(mkGBehavior* a1) {
  Behavior* b = BehaviorOf(a1);
  return b != nullptr ? b->name.c_str() : "";
}
mkRegistryKey* Model::BehGetKey(mkGBehavior* a1) {
  Behavior* b = BehaviorOf(a1);
  return b != nullptr ? b->key : nullptr;
}
int32_t Model::GetAnimating(mkSceneObject* a1) {
  SceneObject* o = Object(a1);
  return o != nullptr && o->current != nullptr ? o->current->playing : 0;
}

// Starts `behaviour` on the object, looping until told to finish.
void Model::AnimPlay(mkSceneObject* a1, mkGBehavior* a2, int32_t, int32_t, int32_t, int32_t, float,
                     int32_t, int32_t, float, int32_t) {
  SceneObject* o = Object(a1);
  Behavior* b = BehaviorOf(a2);
  if (o != nullptr && b != nullptr && b->owner == o) Play(b);
}

// Tells the object's current behaviour to finish its cycle.
void Model::AnimStop(mkSceneObject* a1, int32_t, int32_t, int32_t, int32_t, float, int32_t, float) {
  SceneObject* o = Object(a1);
  if (o != nullptr && o->current != nullptr) o->current->looping = 0;
}

// The current behaviour finishes its cycle; another behaviour starts at once
// and plays one cycle.
void Model::AnimContinuePlay(mkSceneObject* a1, mkGBehavior* a2, int32_t, int32_t, int32_t,
                             int32_t, int32_t, float, int32_t, int32_t, float, int32_t) {
  SceneObject* o = Object(a1);
  Behavior* b = BehaviorOf(a2);
  if (o == nullptr || b == nullptr || b->owner != o) return;
  if (o->current == b && b->playing) {
    b->looping = 0;
    return;
  }
  Play(b);
  b->looping = 0;
}

mkSoundObject* Model::GetSoundObjectByID(const char* a1) {
  auto it = a1 != nullptr ? soundsByName_.find(a1) : soundsByName_.end();
  return it != soundsByName_.end() ? ToHandle<mkSoundObject>(it->second) : nullptr;
}
egSoundSource* Model::GetSoundSourceByID(const char* a1) {
  auto it = a1 != nullptr ? emittersByName_.find(a1) : emittersByName_.end();
  return it != emittersByName_.end() ? ToHandle<egSoundSource>(it->second) : nullptr;
}
void Model::SoundEmitterRemoveSounds(egSoundSource* a1) {
  if (Emitter* e = EmitterOf(a1)) e->sounds.clear();
}
void Model::SoundEmitterAddSound(egSoundSource* a1, mkSoundObject* a2) {
  Emitter* e = EmitterOf(a1);
  Sound* sound = SoundOf(a2);
  if (e != nullptr && sound != nullptr) e->sounds.push_back(sound);
}
void Model::SoundEmitterPlay(egSoundSource* a1, int32_t, int32_t, int32_t) {
  if (Emitter* e = EmitterOf(a1)) e->playing = !e->sounds.empty();
}
void Model::SoundEmitterStop(egSoundSource* a1, int32_t) {
  if (Emitter* e = EmitterOf(a1)) e->playing = 0;
}
int32_t Model::SoundEmitterIsPlaying(egSoundSource* a1) {
  Emitter* e = EmitterOf(a1);
  return e != nullptr ? e->playing : 0;
}

egCharacter* Model::NetGetRemoteChar(int32_t a1) {
  int32_t index = 0;
  for (const auto& object : objects_)
    if (object->remotePlayer && index++ == a1) return ToHandle<egCharacter>(object.get());
  return nullptr;
}

int32_t Model::NetUpdateObjectTransform(mkSceneObject* a1, int32_t) {
  return Object(a1) != nullptr ? 1 : 0;
}

int32_t Model::BrainSetToBrainClassDll(egPhysicalSceneObject* a1, const char* a2) {
  return a2 != nullptr ? AttachBrainClass(Object(a1), a2) : 0;
}

void Model::BrainSendParams(egPhysicalSceneObject* a1, int32_t a2, const char** a3) {
  SceneObject* o = Object(a1);
  if (o == nullptr || o->brain == nullptr || o->brain->plugin == nullptr || a2 < 0 ||
      (a2 > 0 && a3 == nullptr))
    return;
  o->brain->plugin->SendParams(a2, a3);
}

void Model::BrainClassSendParams(const char* a1, int32_t a2, const char** a3) {
  egBrainClassDll* brainClass = a1 != nullptr ? FindBrainClass(a1) : nullptr;
  if (brainClass == nullptr || a2 < 0 || (a2 > 0 && a3 == nullptr)) return;
  brainClass->SendClassParams(a1, a2, a3);
}

}  // namespace stage
