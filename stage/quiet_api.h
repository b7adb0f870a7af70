// The scene interface answered by the stage's model without a call trace:
// for benchmarks and allocation checks, where the trace (one text line per
// call) would dominate the cost, grow without bound and allocate. Each
// modelled operation is answered by its area (stage/ops.h), as in
// StageSceneApi; an operation that the stage does not model returns 0, 0.0
// or null.
#ifndef TESSERA_STAGE_QUIET_API_H_
#define TESSERA_STAGE_QUIET_API_H_

#include <type_traits>

#include "kit/host/host.h"
#include "stage/model.h"
#include "stage/modelled.h"

namespace stage {

class QuietSceneApi final : public egSceneApi {
 public:
  explicit QuietSceneApi(Model& model) : model_(model) {}
  virtual ~QuietSceneApi() = default;

#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result)                 \
  Ret Name Params override {                                                                  \
    return Answer<kSceneSlot_##Name, Ret>([&](auto& area) -> Ret { return area.Name Args; }); \
  }
#include "kit/host/scene_ops.inc"

 private:
  template <int Slot, class Ret, class Call>
  Ret Answer(Call&& call) {
    if constexpr (Modelled<Slot>::value) {
      typename Modelled<Slot>::Area area(model_);
      return call(area);
    } else if constexpr (!std::is_void_v<Ret>) {
      return Ret{};
    }
  }

  Model& model_;
};

}  // namespace stage

#endif  // TESSERA_STAGE_QUIET_API_H_
