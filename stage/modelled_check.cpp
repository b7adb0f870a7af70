// Rows of the list of modelled operations (stage/modelled_ops.inc) that must
// not compile, for the stage_modelled_row_* tests: STAGE_CHECK_CASE picks one
// row. Case 0 is the control, a correct row, which compiles; so each other
// case fails for its row alone.
#include "stage/modelled.h"

namespace stage {

// Members named after operations that the stage does not model.
class CheckOps {
 public:
  explicit CheckOps(Model& model) : model_(model) {}

  int32_t GetThrowable(mkSceneObject* a1) { return 0; }
  int32_t GetNumNodes(egCharacter* a1) { return 0; }           // parameter type differs
  float GetClimbable(mkSceneObject* a1) { return 0.0f; }       // result type differs
  int32_t IsPosRefNode(mkSceneObject* a1) const { return 0; }  // const
  int32_t FrobnicateAll() { return 0; }                        // not an operation

 private:
  Model& model_;
};

#if STAGE_CHECK_CASE == 0
STAGE_MODELLED_OP(CheckOps, GetThrowable)
#elif STAGE_CHECK_CASE == 1
STAGE_MODELLED_OP(CheckOps, GetNumNodes)
#elif STAGE_CHECK_CASE == 2
STAGE_MODELLED_OP(CheckOps, GetClimbable)
#elif STAGE_CHECK_CASE == 3
STAGE_MODELLED_OP(CheckOps, IsPosRefNode)
#elif STAGE_CHECK_CASE == 4
STAGE_MODELLED_OP(CheckOps, FrobnicateAll)
#elif STAGE_CHECK_CASE == 5
STAGE_MODELLED_OP(CheckOps, GetNumChildren)  // listed already, for ObjectOps
#endif

}  // namespace stage
