// Animation requests and the creature's voice. The host plays behaviours
// and sounds; the brain names them. A movement is never cut short: it is
// told to finish its cycle, and the next animation starts on a request after
// it has stopped. An idle is interrupted at once.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hopkin/hopkin.h"
#include "kit/ascii.h"

namespace {

void CopyName(char* buffer, const char* name) {
  HopkinCopyName(buffer, HopkinBrain::kNameLimit, name);
}

}  // namespace

void HopkinBrain::PlayAnimation(const char* name) {
  egSceneApi* api = fSceneApi;
  mkSceneObject* object = fObject;
  auto* character = reinterpret_cast<egCharacter*>(object);
  mkGBehavior* behavior = api->GetBehavior(object);
  const bool playing = api->BehGetPlaying(behavior, -1.0f, 1) != 0;
  const bool idling = ktSameTextNoCase(fCurrentAnimation, "wait");

  if (ktSameTextNoCase(name, "wait")) {
    if (!idling && playing) {
      if (fMovePlaying) {
        api->AnimStop(object, 0, 1, 0, 0, -1.0f, 0, 1.0f);
        api->AnimContinuePlay(object, behavior, 0, 0, 1, 0, 0, -1.0f, 0, 0, 1.0f, 0);
        fMovePlaying = 0;
      }
      return;
    }
    if (idling && playing) return;
    float total = 0.0f;
    for (float weight : fIdleWeights) total += weight;
    const float x = float(HopkinDraw1000()) * total * 0.001f;
    size_t k = 0;
    float sum = 0.0f;
    while (k < fIdleWeights.size()) {
      sum += fIdleWeights[k];
      if (sum > x) break;
      ++k;
    }
    char variant[16];
    std::snprintf(variant, sizeof variant, "wait%d", int(k));
    mkGBehavior* idle = api->FindBehavior(character, variant, -int32_t(std::strlen(variant)));
    api->AnimContinuePlay(object, idle, 0, 0, 1, 0, 0, -1.0f, 0, 0, 1.0f, 0);
    fMovePlaying = 0;
    CopyName(fCurrentAnimation, "wait");
    Speak(std::strcmp(variant, "wait3") == 0 ? "waitmad" : "wait");
    fVoiceTimer = 0.0f;
    return;
  }

  if (ktSameTextNoCase(fCurrentAnimation, name) && playing) {
    if (fVoiceTimer > fVoiceInterval) {
      if (std::rand() % 2 == 1) Speak(name);
      fVoiceTimer = 0.0f;
    } else {
      fVoiceTimer += api->GetSecsDelta();
    }
    return;
  }
  if (!idling && playing) {
    if (fMovePlaying) {
      api->AnimStop(object, 0, 1, 0, 0, 100.0f, 0, 1.0f);
      api->AnimContinuePlay(object, behavior, 0, 0, 1, 0, 0, 100.0f, 0, 0, 1.0f, 0);
      fMovePlaying = 0;
    }
    return;
  }
  api->AnimStop(object, 0, 1, 0, 0, 100.0f, 0, 1.0f);
  mkGBehavior* movement = api->FindBehavior(character, name, -int32_t(std::strlen(name)));
  api->AnimPlay(object, movement, 1, 1, 0, 0, 100.0f, 0, 0, 1.0f, 0);
  fMovePlaying = 1;
  CopyName(fCurrentAnimation, name);
  Speak(name);
  fVoiceTimer = 0.0f;
}

void HopkinBrain::Speak(const char* name) {
  egSceneApi* api = fSceneApi;
  egSoundSource* emitter = api->GetSoundSourceByID(fVoiceEmitter.c_str());
  if (emitter == nullptr) return;
  char sound[16];
  if (ktSameTextNoCase(name, "short_jump")) {
    std::snprintf(sound, sizeof sound, "hhop0%d", std::rand() % 6 + 1);
  } else if (ktSameTextNoCase(name, "run")) {
    std::snprintf(sound, sizeof sound, "hexcite0%d", std::rand() % 6 + 1);
  } else if (ktSameTextNoCase(name, "waitmad")) {
    std::snprintf(sound, sizeof sound, "hmad01");
  } else {
    std::snprintf(sound, sizeof sound, "hnorm0%d", std::rand() % 6 + 1);
  }
  mkSoundObject* object = api->GetSoundObjectByID(sound);
  if (object == nullptr) return;
  api->SoundEmitterRemoveSounds(emitter);
  api->SoundEmitterAddSound(emitter, object);
  api->SoundEmitterPlay(emitter, 1, 1, 0);
}
