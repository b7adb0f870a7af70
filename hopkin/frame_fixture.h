// A frame of creatures on the stage's model, for the benchmarks and the
// allocation check: bands of 30, each a 6 x 5 grid 3 apart (every creature
// of a band in sight of the others), the bands 1,500 apart along x (far
// beyond the built-in perception range of 200, so that a creature perceives
// its own band only, however many bands there are), the blockers and
// gathering places that the built-in tunables name beside the first band,
// and a player walking 30 below it. Each creature (Z00 to Z99, then Y00 to
// Y99, X00 to X99 and so on) has its animations, idle variants and voice
// emitter, and a brain of the class cHopkin built into the program, all of
// them in the class's one flock. The scene interface is the stage's
// untraced one, so that the host's bookkeeping neither dominates the cost
// nor allocates.
#ifndef TESSERA_HOPKIN_FRAME_FIXTURE_H_
#define TESSERA_HOPKIN_FRAME_FIXTURE_H_

#include <cstdio>
#include <string>

#include "hopkin/hopkin.h"
#include "stage/model.h"
#include "stage/quiet_api.h"

namespace hopkintest {

class CreatureFrame {
 public:
  static constexpr int kCreatures = 30;
  static constexpr int kBand = 30;
  static constexpr float kBandSpacing = 1500.0f;
  static constexpr float kFrameTime = 1.0f / 30.0f;

  // `creatures` from 1 to 2,600.
  explicit CreatureFrame(int creatures = kCreatures) : api_(model_), creatures_(creatures) {
    hopkin_.SetSceneApi(&api_);
    model_.AddBrainClass("cHopkin", &hopkin_);
    const struct {
      const char* name;
      mkPoint3 at;
      float radius;
    } fixtures[] = {
        {"Cove..ZoveziWallBlocker", {7.5f, 30.0f, 0.0f}, 6.0f},
        {"Cove..ZoveziLaunchBlockLeft", {-12.0f, 6.0f, 0.0f}, 3.0f},
        {"Cove..ZoveziLaunchBlockRight", {27.0f, 6.0f, 0.0f}, 3.0f},
        {"Cove..ZoveziExitBlocker", {7.5f, -15.0f, 0.0f}, 3.0f},
        {"Cove..GatherPlace01", {-5.0f, 20.0f, 0.0f}, 1.0f},
        {"Cove..GatherPlace02", {20.0f, 20.0f, 0.0f}, 1.0f},
    };
    for (const auto& fixture : fixtures)
      model_.AddObject(fixture.name, nullptr, fixture.at)->radius = fixture.radius;
    stage::SceneObject* hero = model_.AddObject("Hero", nullptr, {7.5f, -30.0f, 0.0f});
    hero->character = true;
    model_.SetPlayer(hero);
    model_.Play(model_.AddBehavior(hero, "walk"));

    const char* voices[] = {"hnorm0", "hexcite0", "hhop0"};
    for (const char* voice : voices)
      for (int i = 1; i <= 6; ++i) model_.AddSound(voice + std::to_string(i));
    model_.AddSound("hmad01");
    for (int i = 0; i < creatures; ++i) {
      // Short names: the stage's model looks emitters up by a std::string
      // made from the name, which stays within the string's own buffer only
      // up to 15 characters ("Z00..ZoveziHead"); longer ones would make the
      // host, not the brain, allocate in every frame that a creature speaks.
      char name[32];
      std::snprintf(name, sizeof name, "%c%02d", 'Z' - i / 100, i % 100);
      const int place = i % kBand;
      const float band = kBandSpacing * float(i / kBand);
      stage::SceneObject* creature =
          model_.AddObject(name, nullptr, {band + 3.0f * (place % 6), 3.0f * (place / 6), 0.0f});
      creature->character = true;
      const struct {
        const char* name;
        float seconds, speed;
      } behaviors[] = {{"walk", 1.0f, 8.0f},
                       {"run", 0.8f, 16.0f},
                       {"short_jump", 0.6f, 24.0f},
                       {"slow_turn_left", 0.5f, 0.0f},
                       {"slow_turn_right", 0.5f, 0.0f}};
      for (const auto& b : behaviors) {
        stage::Behavior* behavior = model_.AddBehavior(creature, b.name);
        behavior->cycleSeconds = b.seconds;
        behavior->speed = b.speed;
      }
      for (int k = 0; k < 7; ++k)
        model_.AddBehavior(creature, "wait" + std::to_string(k))->cycleSeconds = 1.5f;
      // Room for the one sound at a time that a voice holds.
      model_.AddEmitter(std::string(name) + "..ZoveziHead")->sounds.reserve(4);
      model_.AttachBrainClass(creature, "cHopkin");
    }
  }

  // One frame: every brain's Update, then the animations move on.
  void Step() {
    model_.SetClock(frame_, float(frame_) * kFrameTime, kFrameTime);
    for (const auto& host : model_.hostBrains()) host->plugin->Update(kFrameTime);
    model_.Advance(kFrameTime);
    ++frame_;
  }

  int size() const { return creatures_; }
  HopkinBrain& brain(int i) { return *static_cast<HopkinBrain*>(model_.hostBrains()[i]->plugin); }

 private:
  stage::Model model_;
  stage::QuietSceneApi api_;
  cHopkin hopkin_;  // destroyed first, as a plug-in is unloaded before its host
  int creatures_;
  int32_t frame_ = 0;
};

}  // namespace hopkintest

#endif  // TESSERA_HOPKIN_FRAME_FIXTURE_H_
