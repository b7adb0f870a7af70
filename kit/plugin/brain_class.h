// The scaffolding that every brain class shares: the list of the brains it
// made (its first own field), the brain for a pair of names found or made,
// class parameters fanned out to every brain, and the brains destroyed with
// the class.
//
// A brain class derives from ktBrainClassDll<TheBrain> instead of
// egBrainClassDll and writes only what is its own: its class kind, its
// Prepare, how it compares the names of a pair and how it makes a brain.
//
//   class cBeetleBrain final : public ktBrainClassDll<BeetleBrain> {
//    public:
//     MK_DESTROYING_DESTRUCTOR(cBeetleBrain)
//     int32_t GetClassKind() override { return 2; }
//     void Prepare() override { std::srand(unsigned(std::time(nullptr))); }
//     egBrainDll* MakeBrain(const char* first, const char* second) override {
//       return FindOrMake(
//           [&](const BeetleBrain& b) { return b.SameNames(first, second); },
//           [&] { return new BeetleBrain(first, second); });
//     }
//   };
//
// The list, FindOrMake and the inherited SendClassParams (SendParams of every
// brain, in the order of making, the class's text not looked at) are the
// whole of the class's bookkeeping. The brains are destroyed, in the order
// of making and through their slot 0, when the class is: by this layer's
// destructor, after the concrete class's own. A class whose brains use its
// own fields as they go (a flock that brains leave) calls DestroyBrains()
// first in its own destructor.
//
// Binary interface: this layer adds no operation slot (SendClassParams is
// slot 16 of egBrainClassDll) and one field, the GrowableArray of brains,
// right after the class's scene interface.
#ifndef TESSERA_KIT_PLUGIN_BRAIN_CLASS_H_
#define TESSERA_KIT_PLUGIN_BRAIN_CLASS_H_

#include <cstdint>

#include "kit/plugin/plugin.h"

template <class Brain>
class ktBrainClassDll : public egBrainClassDll {
 public:
  // Slot 16: SendParams(argc, argv) of every brain in the order of making;
  // `text` is not looked at.
  void SendClassParams(const char* text, int32_t argc, const char** argv) override {
    ForEachBrain([argc, argv](Brain& brain) { brain.SendParams(argc, argv); });
  }

  // The brains made, in the order of making (Brain*). The class owns them.
  GrowableArray fBrains;

 protected:
  ktBrainClassDll() = default;
  ~ktBrainClassDll() { DestroyBrains(); }

  // The first brain of the list for which `same(brain)` is true; otherwise
  // the brain that `make()` returns, given the class's scene interface and
  // appended to the list. Null when `make` returns null or throws, or when
  // the list is full (the new brain is then destroyed): nothing escapes to
  // the host.
  template <class Same, class Make>
  Brain* FindOrMake(Same same, Make make) {
    for (uint16_t i = 0; i < fBrains.fCount; ++i) {
      Brain* brain = static_cast<Brain*>(fBrains[i]);
      if (same(static_cast<const Brain&>(*brain))) return brain;
    }
    Brain* brain = nullptr;
    try {
      brain = make();
    } catch (...) {
      return nullptr;
    }
    if (brain == nullptr) return nullptr;
    brain->fSceneApi = fSceneApi;
    if (!fBrains.Append(brain)) {
      brain->Destroy(1);
      return nullptr;
    }
    return brain;
  }

  // Calls `call(brain)` for every brain, in the order of making.
  template <class Call>
  void ForEachBrain(Call call) {
    for (uint16_t i = 0; i < fBrains.fCount; ++i) call(*static_cast<Brain*>(fBrains[i]));
  }

  // Destroys every brain, in the order of making, through its destroying
  // destructor (slot 0, memory freed), and empties the list.
  void DestroyBrains() {
    for (uint16_t i = 0; i < fBrains.fCount; ++i) static_cast<Brain*>(fBrains[i])->Destroy(1);
    fBrains.Clear();
  }
};

#endif  // TESSERA_KIT_PLUGIN_BRAIN_CLASS_H_
