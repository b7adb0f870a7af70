// The creature brain on the stage's model, with the brain class built into
// the test, shared by the creature's tests (animation_test.cpp, steer_test.cpp):
// a creature as a scene declares it, the sounds it speaks, and a fixture that
// plays frames and reads the stage's call trace.
#ifndef TESSERA_HOPKIN_HOPKIN_TEST_FIXTURE_H_
#define TESSERA_HOPKIN_HOPKIN_TEST_FIXTURE_H_

#include "hopkin/hopkin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "kit/testing/temp_dir.h"
#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"

namespace hopkintest {

using stagetest::Lines;

// The objects of one creature as a scene declares them: a character with
// its animations and the emitter on its head.
inline std::string Creature(const std::string& name, const std::string& properties) {
  std::string text = "object " + name + " character " + properties + "\n";
  for (const char* movement : {"walk", "run", "short_jump"})
    text += "behavior " + name + " " + movement + " seconds 0.5 speed 1\n";
  for (const char* turn : {"slow_turn_left", "slow_turn_right"})
    text += "behavior " + name + " " + turn + " seconds 0.5\n";
  for (int i = 0; i < 7; ++i)
    text += "behavior " + name + " wait" + std::to_string(i) + " seconds 1\n";
  text += "emitter " + name + "..ZoveziHead\n";
  text += "brainclass " + name + " cHopkin\n";
  return text;
}

inline constexpr char kSounds[] =
    "sound hnorm01\n sound hnorm02\n sound hnorm03\n sound hnorm04\n sound hnorm05\n"
    "sound hnorm06\n sound hexcite01\n sound hexcite02\n sound hexcite03\n sound hexcite04\n"
    "sound hexcite05\n sound hexcite06\n sound hhop01\n sound hhop02\n sound hhop03\n"
    "sound hhop04\n sound hhop05\n sound hhop06\n sound hmad01\n";

// Sound names with a random digit lose it: "hnorm0?".
inline std::string WithoutDigits(const std::string& line) {
  static const std::regex digit("(hnorm0|hexcite0|hhop0)[1-6]");
  return std::regex_replace(line, digit, "$1?");
}

// No plug-in is loaded: the brain class is the test's own, added to the
// stage's model under its name. Scenes have the frame time 0.1 unless the
// text sets one first.
class HopkinTest : public stagetest::StageFixture {
 protected:
  HopkinTest() : StageFixture({}) { sceneHead_ = "frametime 0.1\n"; }

  void SetUp() override {
    StageFixture::SetUp();
    hopkin_.SetSceneApi(&stage_.api());
    stage_.model().AddBrainClass("cHopkin", &hopkin_);
    stage::SetSceneCalendarTime(1000000000);
  }

  HopkinBrain* Brain(const std::string& object) { return BrainOf<HopkinBrain>(object); }
  void* Handle(const std::string& name) { return Object(name); }

  // Trace lines since Mark() that call one of `ops`, without random digits.
  Lines Calls(const std::set<std::string>& ops) {
    Lines lines;
    const auto& trace = stage_.model().trace().lines();
    for (size_t i = traceFirst_; i < trace.size(); ++i) {
      const std::string& line = trace[i];
      const size_t start = line.find(' ') + 1;
      const std::string op = line.substr(start, line.find('(', start) - start);
      if (ops.count(op) != 0) lines.push_back(WithoutDigits(line));
    }
    return lines;
  }
  Lines AnimationCalls() {
    return Calls({"AnimStop", "AnimPlay", "AnimContinuePlay", "SoundEmitterAddSound"});
  }

  // Sends one command to a brain as the host does.
  void Params(HopkinBrain* brain, std::vector<const char*> words) {
    brain->SendParams(int32_t(words.size()), words.data());
  }

  // For tests that drive PlayAnimation themselves: the brain has steered one
  // frame (it knows its object and emitter) and then does nothing in Update.
  HopkinBrain* AnimatedCreature(bool sounds = true) {
    Scene(Creature("Zovezi01", "at 0 0 0") + (sounds ? kSounds : "") + "player Hero at 0 -500 0\n");
    HopkinBrain* brain = Brain("Zovezi01");
    brain->fActive = 0;
    brain->fObject = static_cast<mkSceneObject*>(Handle("Zovezi01"));
    brain->fVoiceEmitter = "Zovezi01..ZoveziHead";
    return brain;
  }
  // Requests names[i] in frame i, after which the behaviours move on by the
  // frame time.
  void Requests(HopkinBrain* brain, const std::vector<const char*>& names) {
    for (const char* name : names) {
      stage_.model().SetClock(frame_, float(frame_) * 0.1f, 0.1f);
      brain->PlayAnimation(name);
      stage_.model().Advance(0.1f);
      ++frame_;
    }
  }

  cHopkin hopkin_;  // destroyed before the stage, as a plug-in is unloaded
};

}  // namespace hopkintest

#endif  // TESSERA_HOPKIN_HOPKIN_TEST_FIXTURE_H_
