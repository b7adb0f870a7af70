// The stage's implementation of the scene interface: all 434 operations,
// generated from the interface's table. Each operation writes one line to
// the call trace (its name, its arguments, its result) and is answered by the
// member of the same name of its area (stage/ops.h) when stage/modelled_ops.inc
// lists it; an operation that the stage does not model returns 0, 0.0 or null
// and is marked "[not modelled]" in the trace.
#ifndef TESSERA_STAGE_SCENE_API_H_
#define TESSERA_STAGE_SCENE_API_H_

#include "kit/host/host.h"
#include "stage/model.h"

namespace stage {

class StageSceneApi final : public egSceneApi {
 public:
  explicit StageSceneApi(Model& model) : model_(model) {}
  virtual ~StageSceneApi() = default;

#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  Ret Name Params override;
#include "kit/host/scene_ops.inc"

  // Whether the operation in this slot is modelled (listed in
  // stage/modelled_ops.inc).
  static bool IsModelled(int slot);

 private:
  Model& model_;
};

}  // namespace stage

#endif  // TESSERA_STAGE_SCENE_API_H_
