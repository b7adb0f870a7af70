// The plug-in frame: the object layers that every command, brain and brain
// class of a plug-in is built from, the kit's GrowableArray, and the macros
// that export a plug-in's name lists, version numbers and global objects.
//
// A plug-in lists its objects once, and its plugin.cpp exports the lists:
//
//   #define KILN_BRAINS(X) X(ZoomCam, ZoomCamBrain)
//   MK_EXPORT_XCMDS(KILN_XCMDS)   // command rows (kit/plugin/command.h)
//   MK_EXPORT_BRAINS(KILN_BRAINS)
//   MK_EXPORT_XCMD_VERSIONS()
//
// which defines the global objects of the lists (exported under their
// unmangled names, constructed in list order at load and destroyed in
// reverse order at unload) and XCmdIdentDLL and BrainIdentDLL, returning
// the names in list order and a null terminator.
//
// Binary interface: the layers have no C++ virtual destructor; slot 0 is the
// explicit destroying operation Destroy(flags). Every concrete class declares
// it with MK_DESTROYING_DESTRUCTOR. Fields are public because the host reads
// and writes them directly.
#ifndef TESSERA_KIT_PLUGIN_PLUGIN_H_
#define TESSERA_KIT_PLUGIN_PLUGIN_H_

#include <cstdint>
#include <new>

#include "kit/config.h"
#include "kit/host/host.h"

// The kit's array of pointers. Appending past the capacity grows it to n
// (for a new count n up to 7) or n + n/2 (above 7), copying the elements into
// a new block. The count is 16 bits wide: an array holds at most
// kMaxCount elements, and appending beyond that is refused.
struct GrowableArray {
  static constexpr uint16_t kMaxCount = 0xFFFF;

  GrowableArray() = default;
  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;
  ~GrowableArray() { Clear(); }

  // Appends `element`; false (and the array unchanged) when it is full or
  // memory runs out.
  bool Append(void* element);
  // Frees the block; count and capacity become 0.
  void Clear();
  void* operator[](uint16_t index) const { return fElements[index]; }

  uint16_t fCount = 0;
  uint16_t fCapacity = 0;
  void** fElements = nullptr;  // null while empty
};

// Layer 1: the table of operations and the reference count. Slots 0 to 11
// are the same in every plug-in object; the reserved ones do nothing and are
// kept so that the slot order stays the host's.
class mkRefCounted {
 public:
  mkRefCounted() = default;
  mkRefCounted(const mkRefCounted&) = delete;
  mkRefCounted& operator=(const mkRefCounted&) = delete;

  // Slot 0: runs the destructors of all layers; bit 0 of `flags` frees the
  // memory too. Returns this.
  virtual void* Destroy(uint32_t flags) = 0;
  // Destroys the object (through slot 0, bit 0 set) when the count is exactly
  // 1; otherwise subtracts 1.
  virtual void ReleaseReference();
  virtual void AddReference();
  virtual void Reserved3(int32_t);
  // The state record, if any, writes itself; then the keyed layer its value.
  virtual void WriteState(mkStream* stream);
  virtual void Reserved5(int32_t);
  virtual void Reserved6(int32_t);
  virtual void ReadState(mkStream* stream);
  virtual void Reserved8(int32_t);
  virtual void Reserved9(int32_t, int32_t);
  // Returns its argument.
  virtual void* Reserved10(void* value);
  virtual void Reserved11();

  int32_t fRefCount = 1;

 protected:
  ~mkRefCounted() = default;
};

// Layer 2: a save-state record, itself reference-counted. No object of the
// system makes one; a record set by a host is released at destruction.
class mkStatefulObject : public mkRefCounted {
 public:
  void WriteState(mkStream* stream) override;
  void ReadState(mkStream* stream) override;

  mkRefCounted* fStateRecord = nullptr;

 protected:
  ~mkStatefulObject();
};

// Layer 3: the object's registry keys. The current key belongs to the host
// and its first field points back at this object; at destruction the first
// field of the current key and of every earlier key is cleared, so that no
// host key names a dead object.
class mkKeyedObject : public mkStatefulObject {
 public:
  // After the state record: the 32-bit value through the stream's Write32
  // (Read32).
  void WriteState(mkStream* stream) override;
  void ReadState(mkStream* stream) override;

  int32_t fStateValue = 0;
  mkRegistryKey* fCurrentKey = nullptr;
  GrowableArray fEarlierKeys;  // of mkRegistryKey*

 protected:
  ~mkKeyedObject();
};

// A command: the host runs it with an argument vector.
class egXCmd : public mkKeyedObject {
 public:
  // Commands carry no state through streams.
  void WriteState(mkStream* stream) override;
  void ReadState(mkStream* stream) override;

  // Slot 12: called by the host before the first Run.
  virtual void SetSceneApi(egSceneApi* api);
  virtual void Reserved13(int32_t, int32_t, int32_t, int32_t, int32_t);
  virtual void Reserved14();
  virtual void Reserved15(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);
  virtual void Reserved16(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);
  // Slot 17: the command's work. `argv` holds `argc` texts. Returns 1 when
  // done, 0 to be run again on the next frame. Never throws; problems are
  // warning lines through the scene interface.
  virtual int32_t Run(int32_t argc, const char** argv, egActorInstance* instance,
                      egTrigActor* actor, egTrigDetector* detector) = 0;

  egSceneApi* fSceneApi = nullptr;

 protected:
  ~egXCmd() = default;
};

// A brain attached to a host brain. Every operation that a concrete brain
// does not implement passes on to the host brain: SetPluginCall(1), then the
// host brain's operation of the same name with the same arguments, whose
// result is returned unchanged. The host brain is attached before any
// operation is called and is not checked for null.
class egBrainDll : public mkKeyedObject {
 public:
  // Slots 12 to 31 (brain_ops.inc); GetType returns 300 (a plain brain),
  // GetName "DllBrain", every other operation passes on. Slot 32, SelfBrain,
  // is declared by each concrete brain class (MK_SELF_BRAIN).
#define MK_BRAIN_STATE_OP(Slot, Ret, Name, Params, Args) Ret Name Params override;
#define MK_BRAIN_OWN_OP(Slot, Ret, Name, Params, Args) virtual Ret Name Params;
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args) virtual Ret Name Params;
#include "kit/host/brain_ops.inc"

  egSceneApi* fSceneApi = nullptr;  // written by the host or by MakeBrain
  egBrain* fBrain = nullptr;        // the host brain, written by the host

 protected:
  ~egBrainDll() = default;
  // The host brain, told that the next call comes from the plug-in.
  egBrain* PassOn() {
    fBrain->SetPluginCall(1);
    return fBrain;
  }
};

// A brain class: makes one brain per pair of names on request and keeps the
// brains for its lifetime.
class egBrainClassDll : public mkKeyedObject {
 public:
  virtual void SetSceneApi(egSceneApi* api);
  virtual int32_t GetClassKind() = 0;
  // Called by the host before the first MakeBrain. The base does nothing.
  virtual void Prepare();
  // The brain for these two names: the one made earlier for the same pair,
  // or a new one; null when the class cannot make it.
  virtual egBrainDll* MakeBrain(const char* first, const char* second) = 0;
  // The base does nothing; classes hand the arguments to their brains.
  virtual void SendClassParams(const char* text, int32_t argc, const char** argv);

  egSceneApi* fSceneApi = nullptr;

 protected:
  ~egBrainClassDll() = default;
};

// Declares slot 0 of a concrete class.
#define MK_DESTROYING_DESTRUCTOR(Class)      \
  void* Destroy(uint32_t flags) override {   \
    this->~Class();                          \
    if (flags & 1u) ::operator delete(this); \
    return this;                             \
  }

// Declares slot 32 of a concrete brain class.
#define MK_SELF_BRAIN()             \
  virtual egBrainDll* SelfBrain() { \
    return this;                    \
  }

// --- Exports -----------------------------------------------------------

#define MK_EXPORTED_OBJECT_(Name, Class) MK_EXPORT Class Name;
#define MK_NAME_STRING_(Name, Class) #Name,
// The same for command rows, which carry their counts and usage line too.
#define MK_EXPORTED_XCMD_(Name, Class, MinArgs, MaxArgs, Usage) MK_EXPORT Class Name;
#define MK_XCMD_NAME_STRING_(Name, Class, MinArgs, MaxArgs, Usage) #Name,

#define MK_EXPORT_NAME_LIST_(Entry, Array, List, NameString) \
  namespace {                                                \
  const char* Array[] = {List(NameString) nullptr};          \
  }                                                          \
  extern "C" MK_EXPORT const char** MK_CDECL Entry() {       \
    return Array;                                            \
  }

// Defines the command objects of the command rows `List` and XCmdIdentDLL.
#define MK_EXPORT_XCMDS(List) \
  extern "C" {                \
  List(MK_EXPORTED_XCMD_)     \
  }                           \
  MK_EXPORT_NAME_LIST_(XCmdIdentDLL, kXCmdNames_, List, MK_XCMD_NAME_STRING_)

// XCmdIdentDLL of a plug-in without commands: the terminator alone.
#define MK_EXPORT_NO_XCMDS()                                  \
  namespace {                                                 \
  const char* kXCmdNames_[] = {nullptr};                      \
  }                                                           \
  extern "C" MK_EXPORT const char** MK_CDECL XCmdIdentDLL() { \
    return kXCmdNames_;                                       \
  }

#define MK_EXPORT_BRAINS(List) \
  extern "C" {                 \
  List(MK_EXPORTED_OBJECT_)    \
  }                            \
  MK_EXPORT_NAME_LIST_(BrainIdentDLL, kBrainNames_, List, MK_NAME_STRING_)

#define MK_EXPORT_BRAIN_CLASSES(List) \
  extern "C" {                        \
  List(MK_EXPORTED_OBJECT_)           \
  }                                   \
  MK_EXPORT_NAME_LIST_(BrainClassIdentDLL, kBrainClassNames_, List, MK_NAME_STRING_)

// An exported object that no name list names.
#define MK_EXPORT_UNLISTED(Name, Class) \
  extern "C" {                          \
  MK_EXPORT Class Name;                 \
  }

#define MK_EXPORT_XCMD_VERSIONS()                               \
  extern "C" MK_EXPORT int32_t MK_CDECL XCmdMajorVersionDll() { \
    return 2;                                                   \
  }                                                             \
  extern "C" MK_EXPORT int32_t MK_CDECL XCmdMinorVersionDll() { \
    return 27;                                                  \
  }

#define MK_EXPORT_BRAIN_VERSIONS()                               \
  extern "C" MK_EXPORT int32_t MK_CDECL BrainMajorVersionDll() { \
    return 2;                                                    \
  }                                                              \
  extern "C" MK_EXPORT int32_t MK_CDECL BrainMinorVersionDll() { \
    return 27;                                                   \
  }

#endif  // TESSERA_KIT_PLUGIN_PLUGIN_H_
