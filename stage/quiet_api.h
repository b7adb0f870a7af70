// The scene interface answered by the stage's model without a call trace:
// for benchmarks and allocation checks, where the trace (one text line per
// call) would dominate the cost, grow without bound and allocate. Each
// operation is answered by the model's member of the same name, as in
// StageSceneApi; an operation that the model does not model returns 0, 0.0
// or null.
#ifndef TESSERA_STAGE_QUIET_API_H_
#define TESSERA_STAGE_QUIET_API_H_

#include <type_traits>

#include "kit/host/host.h"
#include "stage/model.h"

namespace stage {

class QuietSceneApi final : public egSceneApi {
 public:
  explicit QuietSceneApi(Model& model) : model_(model) {}
  virtual ~QuietSceneApi() = default;

#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result)         \
  Ret Name Params override {                                                           \
    return Answer<Ret>([&](auto& m) -> decltype(m.Name Args) { return m.Name Args; }); \
  }
#include "kit/host/scene_ops.inc"

 private:
  template <class Ret, class Call>
  Ret Answer(Call&& call) {
    if constexpr (std::is_invocable_v<Call&, Model&>) {
      return call(model_);
    } else if constexpr (!std::is_void_v<Ret>) {
      return Ret{};
    }
  }

  Model& model_;
};

}  // namespace stage

#endif  // TESSERA_STAGE_QUIET_API_H_
