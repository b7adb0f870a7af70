#include "stage/scene_api.h"

#include <type_traits>

namespace stage {

namespace {

// Calls the model's member through `call` when the model has one that takes
// these arguments, and records the result in `line`.
template <class Ret, class Call>
Ret Answer(Model& model, Call&& call, CallTrace::Line& line) {
  if constexpr (std::is_invocable_v<Call&, Model&>) {
    if constexpr (std::is_void_v<Ret>) {
      call(model);
      line.Finish();
    } else {
      const Ret result = call(model);
      line.Result(result);
      return result;
    }
  } else {
    line.Finish("[not modelled]");
    if constexpr (!std::is_void_v<Ret>) return Ret{};
  }
}

// Whether the model has a member that answers an operation of type Op.
template <class Op>
struct Probe;
template <class Ret, class... Params>
struct Probe<Ret(Params...)> {
  template <class Call>
  static bool With(Call&&) {
    return std::is_invocable_v<Call&, Model&, Params...>;
  }
};

}  // namespace

#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  Ret StageSceneApi::Name Params {                                             \
    CallTrace::Line line(model_.trace(), #Name);                              \
    [&line](auto&&... values) { (line.Arg(values), ...); } Args;              \
    return Answer<Ret>(                                                        \
        model_, [&](auto& m) -> decltype(m.Name Args) { return m.Name Args; }, line); \
  }
#include "kit/host/scene_ops.inc"

bool StageSceneApi::IsModelled(int slot) {
  static const bool kModelled[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  Probe<Ret Params>::With(                                                   \
      [](auto& m, auto&&... v) -> decltype(m.Name(v...)) { return m.Name(v...); }),
#include "kit/host/scene_ops.inc"
  };
  return slot >= 0 && slot < kSceneApiOpCount && kModelled[slot];
}

}  // namespace stage
