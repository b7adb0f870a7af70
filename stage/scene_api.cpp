#include "stage/scene_api.h"

#include <type_traits>

#include "stage/modelled.h"

namespace stage {

namespace {

// Answers the operation in `Slot` by `call(area)` when it is modelled, and
// records the result in `line`.
template <int Slot, class Ret, class Call>
Ret Answer(Model& model, CallTrace::Line& line, Call&& call) {
  if constexpr (Modelled<Slot>::value) {
    typename Modelled<Slot>::Area area(model);
    if constexpr (std::is_void_v<Ret>) {
      call(area);
      line.Finish();
    } else {
      const Ret result = call(area);
      line.Result(result);
      return result;
    }
  } else {
    line.Finish("[not modelled]");
    if constexpr (!std::is_void_v<Ret>) return Ret{};
  }
}

// The same answer without a trace line: for a trace that takes no lines,
// where writing one would do nothing.
template <int Slot, class Ret, class Call>
Ret AnswerQuietly(Model& model, Call&& call) {
  if constexpr (Modelled<Slot>::value) {
    typename Modelled<Slot>::Area area(model);
    return call(area);
  } else if constexpr (!std::is_void_v<Ret>) {
    return Ret{};
  }
}

}  // namespace

#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result)                 \
  Ret StageSceneApi::Name Params {                                                            \
    if (!model_.trace().enabled())                                                            \
      return AnswerQuietly<kSceneSlot_##Name, Ret>(                                           \
          model_, [&](auto& area) -> Ret { return area.Name Args; });                         \
    CallTrace::Line line(model_.trace(), #Name);                                              \
    [&line](auto&&... values) { (line.Arg(values), ...); } Args;                              \
    return Answer<kSceneSlot_##Name, Ret>(model_, line,                                       \
                                          [&](auto& area) -> Ret { return area.Name Args; }); \
  }
#include "kit/host/scene_ops.inc"

bool StageSceneApi::IsModelled(int slot) {
  return slot >= 0 && slot < kSceneApiOpCount && kModelledSlots[size_t(slot)];
}

}  // namespace stage
