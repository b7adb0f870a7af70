// The commands and the brain of KilnXcmd, listed once. Each row of
// KILN_XCMDS names a command, in the order of the plug-in's XCmdIdentDLL
// list, and its class; the list declares the classes (below) and exports the
// global objects and the name list (kiln.cpp). A command's Run is defined in
// the source file of its family, named in the comment of its group. Adding a
// command takes one row here and its Run in one source file.
#ifndef TESSERA_KILN_COMMANDS_H_
#define TESSERA_KILN_COMMANDS_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "kit/plugin/plugin.h"

#define KILN_XCMDS(X)                                        \
  /* object_state.cpp: object flags and variables */         \
  X(SetObjFlag, SetObjFlagCmd)                               \
  X(IfObjFlag, IfObjFlagCmd)                                 \
  X(SetObjVar, SetObjVarCmd)                                 \
  X(IfObjVar, IfObjVarCmd)                                   \
  X(CaseObjVar, CaseObjVarCmd)                               \
  X(TransObjVar, TransObjVarCmd)                             \
  /* branches.cpp: children, events and random choices */    \
  X(IfChildren, IfChildrenCmd)                               \
  X(IfEvent, IfEventCmd)                                     \
  X(RandomActor, RandomActorCmd)                             \
  X(RandomTimerActor, RandomTimerActorCmd)                   \
  X(PickRandomObject, PickRandomObjectCmd)                   \
  X(DetachFromParent, DetachFromParentCmd)                   \
  /* related.cpp: objects related by name */                 \
  X(FindRelatedObj, FindRelatedObjCmd)                       \
  X(LoopRelatedObjs, LoopRelatedObjsCmd)                     \
  X(PickRandomRelatedObject, PickRandomRelatedObjectCmd)     \
  X(NextIdleRelatedObject, NextIdleRelatedObjectCmd)         \
  /* branches.cpp: idle and playing objects */               \
  X(NextIdleObject, NextIdleObjectCmd)                       \
  X(IfObjPlaying, IfObjPlayingCmd)                           \
  /* anim_gov.cpp: the animation governor */                 \
  X(AnimGov, AnimGovCmd)                                     \
  X(AnimGovUpdate, AnimGovUpdateCmd)                         \
  /* view_anim.cpp: frames chosen by the view, or stepped */ \
  X(ViewIntoAnimate, ViewIntoAnimateCmd)                     \
  X(TestAvi, TestAviCmd)                                     \
  /* jiggy_cam.cpp: camera jiggle */                         \
  X(JiggyCam, JiggyCamCmd)                                   \
  X(JiggyCamUpdate, JiggyCamUpdateCmd)                       \
  /* zoom_cam.cpp: zoom limits (and the ZoomCam brain) */    \
  X(ZoomCamSet, ZoomCamSetCmd)                               \
  /* display.cpp: diagnostic display */                      \
  X(DisplayChild, DisplayChildCmd)                           \
  X(DisplayVariable, DisplayVariableCmd)                     \
  X(DisplayNumberFrames, DisplayNumberFramesCmd)             \
  X(DisplayCamera, DisplayCameraCmd)                         \
  X(DisplayPos, DisplayPosCmd)

// The brains, in the order of BrainIdentDLL; classes in kiln/zoom_cam.h.
#define KILN_BRAINS(X) X(ZoomCam, ZoomCamBrain)

// A command class whose Run is defined in its family's source file.
#define KILN_DECLARE_COMMAND_(Name, Class)                                                      \
  class Class final : public egXCmd {                                                           \
   public:                                                                                      \
    MK_DESTROYING_DESTRUCTOR(Class)                                                             \
    int32_t Run(int32_t argc, const char** argv, egActorInstance* instance, egTrigActor* actor, \
                egTrigDetector* detector) override;                                             \
  };
KILN_XCMDS(KILN_DECLARE_COMMAND_)
#undef KILN_DECLARE_COMMAND_

// Record kinds of the contexts that these commands keep (XCmdFindContext).
constexpr int32_t kObjectFlagRecord = 1001;
constexpr int32_t kObjectVariableRecord = 1002;
constexpr int32_t kJiggleCameraRecord = 1003;
constexpr int32_t kJiggleOscillatorRecord = 1004;
constexpr int32_t kAnimGovRecord = 1005;
constexpr int32_t kZoomLimitsRecord = 1006;
constexpr int32_t kTestAviRecord = 999;

// Names are built in buffers of this size (a name of at most 99
// characters): related object names, actor names made of a base name and
// numbers. A longer name is refused with a warning and nothing is bound or
// run.
constexpr size_t kNameLimit = 100;

// The data block of `kind`'s context for (a, b, c), made on first use of
// `size` bytes and filled by `make`; null when the host gives no context or
// no block.
template <class Record, class Make>
Record* KilnRecord(egSceneApi* api, const void* a, intptr_t b, intptr_t c, Make&& make) {
  egContextMgr::Context* context = api->XCmdFindContext(
      const_cast<void*>(a), reinterpret_cast<void*>(b), reinterpret_cast<void*>(c));
  if (context == nullptr) return nullptr;
  void* data = context->GetData();
  if (data == nullptr) {
    data = context->AllocData(int32_t(sizeof(Record)));
    if (data == nullptr) return nullptr;
    make(static_cast<Record*>(data));
  }
  return static_cast<Record*>(data);
}

// Copies the parts into `out` (of kNameLimit bytes) as one name; false
// when the name would be longer than kNameLimit - 1 characters.
bool KilnJoinName(char* out, std::initializer_list<std::string_view> parts);

#endif  // TESSERA_KILN_COMMANDS_H_
