// The commands and the brain of KilnXcmd, listed once. Each row of
// KILN_XCMDS is a command row (kit/plugin/command.h), in the order of the
// plug-in's XCmdIdentDLL list: its name, class, argument counts and usage
// line. The list declares the classes (below) and exports the global objects
// and the name list (plugin.cpp). A command's Run is defined in the source
// file of its family, named in the comment of its group. Adding a command
// takes one row here and its Run in one source file.
#ifndef TESSERA_KILN_COMMANDS_H_
#define TESSERA_KILN_COMMANDS_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "kit/plugin/command.h"
#include "kit/plugin/plugin.h"

#define KILN_XCMDS(X)                                                                              \
  /* object_state.cpp: object flags and variables */                                               \
  X(SetObjFlag, SetObjFlagCmd, 2, 2, "SetObjFlag: wrong number of arguments (Object, What)")       \
  X(IfObjFlag, IfObjFlagCmd, 3, 3, "IfObjFlag: wrong number of arguments (Object, What)")          \
  X(SetObjVar, SetObjVarCmd, 3, 3,                                                                 \
    "SetObjVar: wrong number of arguments (Object, Operator, Number)")                             \
  X(IfObjVar, IfObjVarCmd, 5, 5,                                                                   \
    "IfObjVar: wrong number of arguments (Object, Number, LessThan, EqualTo, GreaterThan)")        \
  X(CaseObjVar, CaseObjVarCmd, 2, kAnyCount,                                                       \
    "CaseObjVar: wrong number of arguments (Object, Actor0, Actor1, ...)")                         \
  X(TransObjVar, TransObjVarCmd, 5, 5,                                                             \
    "TransObjVar: wrong number of arguments (Object, Operator, Number, Max, Basename)")            \
  /* branches.cpp: children, events and random choices */                                          \
  X(IfChildren, IfChildrenCmd, 3, 3,                                                               \
    "IfChildren: wrong number of arguments (Parent, trueActor, falseActor)")                       \
  X(IfEvent, IfEventCmd, 3, 3,                                                                     \
    "IfEvent: wrong number of arguments (Parent, trueActor, falseActor)")                          \
  X(RandomActor, RandomActorCmd, 1, kAnyCount,                                                     \
    "RandomActor: wrong number of arguments (Actor1, Actor2, ...)")                                \
  X(RandomTimerActor, RandomTimerActorCmd, 4, 4,                                                   \
    "RandomTimerActor: wrong number of arguments (TimerID,Delay,Variance,Actor,Activate)")         \
  X(PickRandomObject, PickRandomObjectCmd, 3, kAnyCount,                                           \
    "PickRandomObject: wrong number of arguments (Variable and at least 2 objects)")               \
  X(DetachFromParent, DetachFromParentCmd, 1, 1,                                                   \
    "DetachFromParent: wrong number of arguments (Child object)")                                  \
  /* related.cpp: objects related by name */                                                       \
  X(FindRelatedObj, FindRelatedObjCmd, 3, 3,                                                       \
    "FindRelatedObj: wrong number of arguments (Object, Variable, Text)")                          \
  X(LoopRelatedObjs, LoopRelatedObjsCmd, 4, 4,                                                     \
    "LoopRelatedObjs: wrong number of arguments (Object, Variable, Text, Actor)")                  \
  X(PickRandomRelatedObject, PickRandomRelatedObjectCmd, 3, 3,                                     \
    "PickRandomRelatedObject: wrong number of arguments (Var, base_obj, max_number)")              \
  X(NextIdleRelatedObject, NextIdleRelatedObjectCmd, 3, 4,                                         \
    "NextIdleRelatedObject: wrong number of arguments (Var, base_obj, max_number)")                \
  /* branches.cpp: idle and playing objects */                                                     \
  X(NextIdleObject, NextIdleObjectCmd, 3, kAnyCount,                                               \
    "NextIdleObject: wrong number of arguments (Variable and at least 2 objects)")                 \
  X(IfObjPlaying, IfObjPlayingCmd, 3, 3,                                                           \
    "IfObjPlaying: wrong number of arguments (OBJECT,TRUE,FALSE)")                                 \
  /* anim_gov.cpp: the animation governor */                                                       \
  X(AnimGov, AnimGovCmd, 2, kAnyCount,                                                             \
    "AnimGov: wrong number of arguments (Object, Command, ...)")                                   \
  X(AnimGovUpdate, AnimGovUpdateCmd, 1, 1,                                                         \
    "AnimGovUpdate: wrong number of arguments (needs object to animate)")                          \
  /* view_anim.cpp: frames chosen by the view, or stepped */                                       \
  X(ViewIntoAnimate, ViewIntoAnimateCmd, 2, kAnyCount,                                             \
    "ViewIntoAnimate: wrong number of arguments (OBJECT,REFOBJ,[OFFSET,FRAMES,SECS,DIRECTION])")   \
  X(TestAvi, TestAviCmd, 3, 3, "TestAvi: wrong number of arguments (OBJECT,COMMAND,LENGTH)")       \
  /* jiggy_cam.cpp: camera jiggle */                                                               \
  X(JiggyCam, JiggyCamCmd, 2, kAnyCount, "JiggyCam: wrong number of arguments (Command, Id, ...)") \
  X(JiggyCamUpdate, JiggyCamUpdateCmd, 0, kAnyCount, nullptr)                                      \
  /* zoom_cam.cpp: zoom limits (and the ZoomCam brain) */                                          \
  X(ZoomCamSet, ZoomCamSetCmd, 3, 3,                                                               \
    "ZoomCamSet: wrong number of arguments (object,minFOV,maxFOV)")                                \
  /* display.cpp: diagnostic display */                                                            \
  X(DisplayChild, DisplayChildCmd, 1, kAnyCount,                                                   \
    "DisplayChild: wrong number of arguments (Parent)")                                            \
  X(DisplayVariable, DisplayVariableCmd, 1, kAnyCount,                                             \
    "DisplayVariable: wrong number of arguments (Variable)")                                       \
  X(DisplayNumberFrames, DisplayNumberFramesCmd, 1, kAnyCount,                                     \
    "DisplayNumberFrames: wrong number of arguments (Object)")                                     \
  X(DisplayCamera, DisplayCameraCmd, 1, kAnyCount,                                                 \
    "DisplayCamera: wrong number of arguments (Object)")                                           \
  X(DisplayPos, DisplayPosCmd, 2, 2, "DisplayPos: wrong number of arguments (OBJECT,UPDATE)")

// The brains, in the order of BrainIdentDLL; classes in kiln/zoom_cam.h.
#define KILN_BRAINS(X) X(ZoomCam, ZoomCamBrain)

MK_DECLARE_XCMDS(KILN_XCMDS)

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

// Copies the parts into `out` (of kNameLimit bytes) as one name; false
// when the name would be longer than kNameLimit - 1 characters.
bool KilnJoinName(char* out, std::initializer_list<std::string_view> parts);

#endif  // TESSERA_KILN_COMMANDS_H_
