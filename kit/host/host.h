// The host engine as the plug-ins see it: the scene interface egSceneApi, its
// opaque handle types, registry keys, contexts, host brains and the game
// controller. Everything here belongs to the host: a plug-in never frees what
// it gets through these types.
//
// Slot order and field order are the host's binary interface. Each class
// lists its virtual operations in slot order; none has a C++ destructor slot.
#ifndef TESSERA_KIT_HOST_HOST_H_
#define TESSERA_KIT_HOST_HOST_H_

#include <cstdint>

#include "kit/config.h"
#include "kit/math/math.h"

// Opaque host handles: the scene interface returns and accepts pointers to
// these; null means "not found". A character is a physical scene object, a
// moving scene object and a scene object at the same address.
struct mkSceneObject;
struct egMovingSceneObject;
struct egPhysicalSceneObject;
struct egCharacter;
struct egCamera;
struct egCameraInfo;
struct egLight;
struct egFireMarble;
struct egFlockManager;
struct egGuideRail;
struct egIK;
struct egInventory;
struct egMissileMgr;
struct egAnimPath;
struct egSoundSource;
struct egTimer;
struct egTrigActor;
struct egTrigDetector;
struct egActorInstance;
struct egBrainData;
struct mkGBehavior;
struct mkGEnvironment;
struct mkSoundObject;
struct mkSceneNode;
struct mkScene;
struct mkPortal;
struct mkBounds3;
struct BehaviorGroup;

// Plug-in object layers (kit/plugin) that the interface names.
class mkKeyedObject;
class egXCmd;
class egBrainDll;
class mkStream;

// A host registry key. Its first field is the object that the key names, or
// null; its second the key's name (null-terminated text). Plug-ins read only
// these two fields (the name only through mkRegistryc's GetNameFromKey).
// The host's own fields follow.
struct mkRegistryKey {
  void* fObject;
  const char* fName;
};

class egGameController;

// Host-owned persistent records, found by three values through
// egSceneApi::XCmdFindContext and kept until the host discards them.
class egContextMgr {
 public:
  class Context {
   public:
    // The data block, or null before the first AllocData.
    virtual void* GetData() = 0;
    // Makes a new data block of `size` bytes and returns it; the block stays
    // the host's. Callers fill every field before use.
    virtual void* AllocData(int32_t size) = 0;

   protected:
    ~Context() = default;
  };
};

// The host brain that a plug-in brain is attached to. The first seven
// operations lead to the owner and the controller; then SetPluginCall, which
// a plug-in brain calls with 1 just before it passes an operation on; then
// one operation for each brain operation that plug-in brains pass on, in the
// slot order of egBrainDll, and last the two state operations
// (brain_ops.inc).
class egBrain {
 public:
  virtual egPhysicalSceneObject* GetOwner() = 0;
  virtual egCharacter* GetOwnerChar() = 0;
  virtual egMovingSceneObject* GetOwnerMove() = 0;
  virtual mkSceneObject* GetOwnerObj() = 0;
  virtual int32_t GetFlags() = 0;
  virtual egGameController* GetController() = 0;
  virtual egBrainDll* GetBrainDll() = 0;
  virtual void SetPluginCall(int32_t value) = 0;
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args) virtual Ret Name Params = 0;
#define MK_BRAIN_STATE_OP(Slot, Ret, Name, Params, Args) virtual Ret Name Params = 0;
#include "kit/host/brain_ops.inc"

 protected:
  ~egBrain() = default;
};

// The host brain of a camera (the kind that a brain of type 303 is attached
// to): the host brain's operations, then the camera that it drives (null
// when it drives none) and the host's own preparation hook.
class egCameraBrain : public egBrain {
 public:
  virtual egCamera* GetBrainCamera() = 0;
  virtual void HostPrepareHook() = 0;

 protected:
  ~egCameraBrain() = default;
};

// The host's input state for the player: three operations, then four fields
// that scripts read and write directly.
class egGameController {
 public:
  virtual void ResetInputStates() = 0;
  // Non-zero while the key with this code is down.
  virtual int32_t isKeyDown(int32_t code) = 0;
  virtual void SetScalarInputState(int32_t code, float value, const char* text) = 0;

  mkRegistryKey* fCursorKey;
  int32_t fFlags;  // bit 0: Cairn controller, bit 1: Tessera controller
  mkVector3 fMovement;
  mkVector3 fAttitude;

 protected:
  ~egGameController() = default;
};

// The host brain of a ridable vehicle (the kind that a brain of type 302 is
// attached to): the host brain's operations, then five of the vehicle's own.
// The meaning of the flag bits is the host's; the vehicle brains of the
// system test the values 2, 4 and 8.
class egPlayerVehicleBrain : public egBrain {
 public:
  virtual int32_t GetVehicleFlags() = 0;
  virtual void SetVehicleFlags(int32_t flags) = 0;
  // The vehicle object, and the character that drives it (null when none).
  virtual mkSceneObject* GetVehicle() = 0;
  virtual egCharacter* GetDriver() = 0;
  // Puts the vehicle in its waiting state at `time` with the animation
  // `animation` (a behaviour name, held by the caller for the call only).
  virtual void SetWaitState(float time, const char* animation) = 0;

 protected:
  ~egPlayerVehicleBrain() = default;
};

// The scene interface: 434 operations, slot N being row N of scene_ops.inc.
// Lookups by name return null when nothing has that name; ApiMessage writes a
// log line and ApiMessageWarn a warning line, each formatted whole by the
// caller.
class egSceneApi {
 public:
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  virtual Ret Name Params = 0;
#include "kit/host/scene_ops.inc"

 protected:
  ~egSceneApi() = default;
};

// The number of operations of egSceneApi.
inline constexpr int kSceneApiOpCount = 0
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) +1
#include "kit/host/scene_ops.inc"
    ;

// The slot of each operation, as kSceneSlot_Name.
enum : int32_t {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) kSceneSlot_##Name,
#include "kit/host/scene_ops.inc"
};

#endif  // TESSERA_KIT_HOST_HOST_H_
