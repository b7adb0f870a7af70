// Which scene operations the stage models, and by which area (stage/ops.h).
//
// The list is stage/modelled_ops.inc. For each row this header makes
// Modelled<kSceneSlot_Name> name the area, and checks at compile time that the
// area's member has the table's signature: a member whose parameter or result
// type differs from kit/host/scene_ops.inc fails the build instead of leaving
// the operation silently unmodelled. The scene interfaces (scene_api.cpp,
// quiet_api.h) reach an area only under `if constexpr (Modelled<slot>::value)`,
// so an operation that is not listed is never looked up in any area.
#ifndef TESSERA_STAGE_MODELLED_H_
#define TESSERA_STAGE_MODELLED_H_

#include <array>
#include <type_traits>

#include "kit/host/host.h"
#include "stage/model.h"
#include "stage/ops.h"

namespace stage {

// The member-function type that answers each operation in an area C:
// Sig_Name<C> is `Ret (C::*)(native parameters)`.
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  template <class C>                                                          \
  using Sig_##Name = Ret(C::*) Params;
#include "kit/host/scene_ops.inc"

// Modelled<slot>::value tells whether the operation in that slot is modelled;
// when it is, Modelled<slot>::Area is the class that answers it.
template <int Slot>
struct Modelled {
  static constexpr bool value = false;
};

// Declares `Name` modelled by `AreaClass` and checks the member's signature.
// Used for each row of the list; a name that is not an operation has no slot
// and a member that is missing has no address, and a name listed twice makes
// a second specialisation: all three fail to compile too.
#define STAGE_MODELLED_OP(AreaClass, Name)                                         \
  template <>                                                                      \
  struct Modelled<kSceneSlot_##Name> {                                             \
    static constexpr bool value = true;                                            \
    using Area = AreaClass;                                                        \
  };                                                                               \
  static_assert(std::is_same_v<decltype(&AreaClass::Name), Sig_##Name<AreaClass>>, \
                #AreaClass "::" #Name " differs from the scene interface's " #Name);

#define STAGE_OP(AreaClass, Name) STAGE_MODELLED_OP(AreaClass, Name)
#include "stage/modelled_ops.inc"

// Whether each slot is modelled, from the same list.
inline constexpr std::array<bool, kSceneApiOpCount> kModelledSlots = [] {
  std::array<bool, kSceneApiOpCount> slots{};
#define STAGE_OP(AreaClass, Name) slots[kSceneSlot_##Name] = true;
#include "stage/modelled_ops.inc"
  return slots;
}();

}  // namespace stage

#endif  // TESSERA_STAGE_MODELLED_H_
