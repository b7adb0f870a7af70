// Messages, statistics, the player, the camera and the clock.
#include "stage/ops.h"

namespace stage {

// Lines are written whole as the caller formatted them; SetMessageEnable(0)
// silences both kinds.
void GameOps::ApiMessage(const char* a1) {
  if (model_.messageEnable_) model_.Say(MessageKind::kLog, a1 != nullptr ? a1 : "");
}
void GameOps::ApiMessageWarn(const char* a1) {
  if (model_.messageEnable_) model_.Say(MessageKind::kWarning, a1 != nullptr ? a1 : "");
}

}  // namespace stage
