// Sounds and sound emitters: an emitter plays while it has sounds and was
// told to play.
#include "stage/ops.h"

namespace stage {

mkSoundObject* SoundOps::GetSoundObjectByID(const char* a1) {
  auto& sounds = model_.soundsByName_;
  auto it = a1 != nullptr ? sounds.find(a1) : sounds.end();
  return it != sounds.end() ? Model::ToHandle<mkSoundObject>(it->second) : nullptr;
}
egSoundSource* SoundOps::GetSoundSourceByID(const char* a1) {
  auto& emitters = model_.emittersByName_;
  auto it = a1 != nullptr ? emitters.find(a1) : emitters.end();
  return it != emitters.end() ? Model::ToHandle<egSoundSource>(it->second) : nullptr;
}
void SoundOps::SoundEmitterRemoveSounds(egSoundSource* a1) {
  if (Emitter* e = model_.EmitterOf(a1)) e->sounds.clear();
}
void SoundOps::SoundEmitterAddSound(egSoundSource* a1, mkSoundObject* a2) {
  Emitter* e = model_.EmitterOf(a1);
  Sound* sound = model_.SoundOf(a2);
  if (e != nullptr && sound != nullptr) e->sounds.push_back(sound);
}
void SoundOps::SoundEmitterPlay(egSoundSource* a1, int32_t, int32_t, int32_t) {
  if (Emitter* e = model_.EmitterOf(a1)) e->playing = !e->sounds.empty();
}
void SoundOps::SoundEmitterStop(egSoundSource* a1, int32_t) {
  if (Emitter* e = model_.EmitterOf(a1)) e->playing = 0;
}
int32_t SoundOps::SoundEmitterIsPlaying(egSoundSource* a1) {
  Emitter* e = model_.EmitterOf(a1);
  return e != nullptr ? e->playing : 0;
}

}  // namespace stage
