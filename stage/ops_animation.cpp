// Behaviours: finding them, reading their state, and playing them on their
// objects (the model moves them on; see model_motion.cpp).
#include <string_view>
#include <string>

#include "kit/ascii.h"
#include "stage/ops.h"

namespace stage {

mkGBehavior* AnimationOps::GetBehavior(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? Model::ToHandle<mkGBehavior>(o->current) : nullptr;
}

// A null or empty name gives the object's current behaviour, or else its
// first one.
mkGBehavior* AnimationOps::GetBehaviorFromName(mkSceneObject* a1, const char* a2) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr) return nullptr;
  if (a2 == nullptr || *a2 == '\0') {
    Behavior* b = o->current != nullptr  ? o->current
                  : o->behaviors.empty() ? nullptr
                                         : o->behaviors.front();
    return Model::ToHandle<mkGBehavior>(b);
  }
  // Every character of the name counts (a null character inside one too).
  for (Behavior* b : o->behaviors)
    if (ktSameTextNoCase(std::string_view(b->name), std::string_view(a2)))
      return Model::ToHandle<mkGBehavior>(b);
  return nullptr;
}

// Names compare without regard to case; the length argument is not needed.
mkGBehavior* AnimationOps::FindBehavior(egCharacter* a1, const char* a2, int32_t) {
  return GetBehaviorFromName(Model::ToHandle<mkSceneObject>(model_.Object(a1)),
                             a2 != nullptr ? a2 : "");
}

int32_t AnimationOps::BehGetPlaying(mkGBehavior* a1, float, int32_t) {
  Behavior* b = model_.BehaviorOf(a1);
  return b != nullptr ? b->playing : 0;
}
int32_t AnimationOps::BehGetLooped(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  return b != nullptr ? b->looping : 0;
}
int32_t AnimationOps::BehGetNumFrames(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  return b != nullptr ? b->frames : 0;
}
int32_t AnimationOps::BehGetLastPlayed(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  if (b == nullptr || b->cycleSeconds <= 0.0f) return 0;
  return int32_t(b->position / b->cycleSeconds * float(b->frames));
}
const char* AnimationOps::BehGetID(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  return b != nullptr ? b->name.c_str() : "";
}
int32_t AnimationOps::GetAnimating(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr && o->current != nullptr ? o->current->playing : 0;
}

// Starts `behaviour` on the object, looping until told to finish.
void AnimationOps::AnimPlay(mkSceneObject* a1, mkGBehavior* a2, int32_t, int32_t, int32_t, int32_t,
                            float, int32_t, int32_t, float, int32_t) {
  SceneObject* o = model_.Object(a1);
  Behavior* b = model_.BehaviorOf(a2);
  if (o != nullptr && b != nullptr && b->owner == o) model_.Play(b);
}

// Tells the object's current behaviour to finish its cycle.
void AnimationOps::AnimStop(mkSceneObject* a1, int32_t, int32_t, int32_t, int32_t, float, int32_t,
                            float) {
  SceneObject* o = model_.Object(a1);
  if (o != nullptr && o->current != nullptr) o->current->looping = 0;
}

// The current behaviour finishes its cycle; another behaviour starts at once
// and plays one cycle. Without a behaviour, the object's current behaviour
// plays on in a loop from where it stands, at the rate a11 (backwards when
// a10 is non-zero), with a stage note when the rate is not 1 or backwards.
void AnimationOps::AnimContinuePlay(mkSceneObject* a1, mkGBehavior* a2, int32_t, int32_t, int32_t,
                                    int32_t, int32_t, float, int32_t, int32_t a10, float a11,
                                    int32_t) {
  SceneObject* o = model_.Object(a1);
  if (o != nullptr && a2 == nullptr) {
    if (a11 != 1.0f || a10 != 0)
      model_.Say(MessageKind::kStage,
                 o->name + " plays at rate " + FormatFloat(a11) + (a10 != 0 ? " backwards" : ""));
    if (o->current != nullptr) {
      o->current->playing = 1;
      o->current->looping = 1;
    }
    return;
  }
  Behavior* b = model_.BehaviorOf(a2);
  if (o == nullptr || b == nullptr || b->owner != o) return;
  if (o->current == b && b->playing) {
    b->looping = 0;
    return;
  }
  model_.Play(b);
  b->looping = 0;
}

void AnimationOps::SetPlayingOneShot(egCharacter* a1, int32_t a2) {
  if (SceneObject* o = model_.Object(a1)) o->oneShot = a2 != 0;
}
int32_t AnimationOps::GetPlayingOneShot(egCharacter* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->oneShot : 0;
}

int32_t AnimationOps::BehGetLoopStart(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  return b != nullptr ? b->loopStart : 0;
}
int32_t AnimationOps::BehGetLoopEnd(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  if (b == nullptr) return 0;
  return b->loopEnd >= 0 ? b->loopEnd : b->frames - 1;
}
// The frame after the last one while the behaviour plays (back to the loop
// start after the loop end); the last one while it stands.
int32_t AnimationOps::BehGetNextPlayed(mkGBehavior* a1, int32_t) {
  Behavior* b = model_.BehaviorOf(a1);
  if (b == nullptr) return 0;
  const int32_t last = BehGetLastPlayed(a1);
  if (!b->playing) return last;
  return last >= BehGetLoopEnd(a1) ? b->loopStart : last + 1;
}

// Holds the behaviour (without one, the object's current behaviour, or else
// its first) at `frame`, which becomes the last one played. Frames beyond the
// behaviour's are held at its ends. An object without behaviours moves its
// own frame (a material's frames) instead, with a stage note; a7 non-zero
// plays it backwards.
void AnimationOps::AnimPlayToFrame(mkSceneObject* a1, mkGBehavior* a2, int32_t a3, int32_t, int32_t,
                                   int32_t, int32_t a7, float, int32_t, int32_t) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr) return;
  if (a2 == nullptr && o->current == nullptr && o->behaviors.empty()) {
    model_.Say(MessageKind::kStage, o->name + " goes from frame " + std::to_string(o->frame) +
                                        " to frame " + std::to_string(a3) +
                                        (a7 != 0 ? " backwards" : ""));
    o->frame = a3;
    return;
  }
  Behavior* b = a2 != nullptr ? model_.BehaviorOf(a2) : o->current;
  if (b == nullptr && a2 == nullptr && !o->behaviors.empty()) b = o->behaviors.front();
  if (b == nullptr || b->owner != o || b->frames <= 0) return;
  if (o->current != nullptr && o->current != b) o->current->playing = 0;
  o->current = b;
  const int32_t frame = a3 < 0 ? 0 : a3 >= b->frames ? b->frames - 1 : a3;
  b->playing = 0;
  b->looping = 0;
  // The middle of the frame, so that the frame reads back exactly.
  b->position = (float(frame) + 0.5f) * b->cycleSeconds / float(b->frames);
}

const char* AnimationOps::GetBehNameFromRegName(const char* a1, const char*) {
  if (a1 == nullptr) return "";
  const char* name = a1;
  for (const char* p = a1; *p != '\0'; ++p)
    if (p[0] == '.' && p[1] == '.') name = p + 2;
  return name;
}

}  // namespace stage
