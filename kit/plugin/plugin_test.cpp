#include "kit/plugin/plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "kit/plugin/brain_class.h"
#include "kit/stream/stream.h"
#include "kit/testing/byte_stream.h"
#include "kit/testing/raw_slots.h"

namespace {

using mktest::CallSlot;
using mktest::OffsetOf;

class TestCommand : public egXCmd {
 public:
  MK_DESTROYING_DESTRUCTOR(TestCommand)
  int32_t Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
              egTrigDetector*) override {
    ran_with = argc;
    return 7;
  }
  int32_t ran_with = -1;
};

class TestBrainClass : public egBrainClassDll {
 public:
  MK_DESTROYING_DESTRUCTOR(TestBrainClass)
  int32_t GetClassKind() override { return 2; }
  void Prepare() override { prepared = true; }
  egBrainDll* MakeBrain(const char*, const char*) override { return nullptr; }
  void SendClassParams(const char*, int32_t argc, const char**) override { params = argc; }
  bool prepared = false;
  int32_t params = 0;
};

class TestBrain : public egBrainDll {
 public:
  MK_DESTROYING_DESTRUCTOR(TestBrain)
  MK_SELF_BRAIN()
};

// A host brain that records which operation the plug-in brain passed on and
// whether SetPluginCall(1) came first.
class RecordingHostBrain : public egBrain {
 public:
  egPhysicalSceneObject* GetOwner() override { return Note("GetOwner"), nullptr; }
  egCharacter* GetOwnerChar() override { return Note("GetOwnerChar"), nullptr; }
  egMovingSceneObject* GetOwnerMove() override { return Note("GetOwnerMove"), nullptr; }
  mkSceneObject* GetOwnerObj() override { return Note("GetOwnerObj"), nullptr; }
  int32_t GetFlags() override { return Note("GetFlags"); }
  egGameController* GetController() override { return Note("GetController"), nullptr; }
  egBrainDll* GetBrainDll() override { return Note("GetBrainDll"), nullptr; }
  void SetPluginCall(int32_t value) override { plugin_call = value; }
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args)                          \
  Ret Name Params override {                                                \
    return Answer(static_cast<Ret*>(nullptr), #Name, std::make_tuple Args); \
  }
#define MK_BRAIN_STATE_OP(Slot, Ret, Name, Params, Args)                    \
  Ret Name Params override {                                                \
    return Answer(static_cast<Ret*>(nullptr), #Name, std::make_tuple Args); \
  }
#include "kit/host/brain_ops.inc"

  // The answer of an operation, by its result type: a number made from the
  // name, the given vector doubled, or nothing.
  template <class... A>
  int32_t Answer(int32_t*, const char* name, const std::tuple<A...>&) {
    return Note(name);
  }
  // A vector operation writes the doubled vector through the result pointer
  // (remembered in `given`) and returns `answer_at`, or the given pointer.
  mkVector3* Answer(mkVector3**, const char* name, const std::tuple<mkVector3*, mkVector3>& args) {
    Note(name);
    given = std::get<0>(args);
    *given = Twice(std::get<1>(args));
    return answer_at != nullptr ? answer_at : given;
  }
  template <class... A>
  void Answer(void*, const char* name, const std::tuple<A...>&) {
    Note(name);
  }

  int32_t Note(const char* name) {
    last = plugin_call ? name : std::string("(without SetPluginCall) ") + name;
    plugin_call = 0;
    return 40 + int32_t(last.size());
  }
  static mkVector3 Twice(const mkVector3& v) {
    return {2 * v.fX, 2 * v.fY, 2 * v.fZ};
  }

  std::string last;
  int32_t plugin_call = 0;
  mkVector3* given = nullptr;
  mkVector3* answer_at = nullptr;
};

TEST(GrowableArrayTest, CapacityGrowsByTheAppendRule) {
  GrowableArray array;
  const uint16_t expected[] = {1,  2,  3,  4,  5,  6,  7,  12, 12, 12,
                               12, 12, 19, 19, 19, 19, 19, 19, 19, 30};
  int marker[20];
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(array.Append(&marker[i]));
    EXPECT_EQ(array.fCapacity, expected[i]) << "after append " << i + 1;
    EXPECT_EQ(array.fCount, i + 1);
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(array[uint16_t(i)], &marker[i]);
  array.Clear();
  EXPECT_EQ(array.fCount, 0);
  EXPECT_EQ(array.fElements, nullptr);
}

TEST(GrowableArrayTest, RefusesToGrowPastItsCountWidth) {
  GrowableArray array;
  for (uint32_t i = 0; i < GrowableArray::kMaxCount; ++i) ASSERT_TRUE(array.Append(nullptr));
  EXPECT_EQ(array.fCapacity, GrowableArray::kMaxCount);
  EXPECT_FALSE(array.Append(nullptr));
  EXPECT_EQ(array.fCount, GrowableArray::kMaxCount);
}

TEST(GrowableArrayTest, FieldLayout) {
  GrowableArray array;
  EXPECT_EQ(OffsetOf(array, array.fCount), 0);
  EXPECT_EQ(OffsetOf(array, array.fCapacity), 2);
  EXPECT_EQ(OffsetOf(array, array.fElements), sizeof(void*) == 4 ? 4 : 8);
}

// Field offsets of the layers, for 32-bit and 64-bit pointers.
TEST(ObjectLayersTest, FieldsFollowInLayerOrder) {
  const bool wide = sizeof(void*) == 8;
  TestCommand command;
  EXPECT_EQ(OffsetOf(command, command.fRefCount), wide ? 8 : 4);
  EXPECT_EQ(OffsetOf(command, command.fStateRecord), wide ? 16 : 8);
  EXPECT_EQ(OffsetOf(command, command.fStateValue), wide ? 24 : 12);
  EXPECT_EQ(OffsetOf(command, command.fCurrentKey), wide ? 32 : 16);
  EXPECT_EQ(OffsetOf(command, command.fEarlierKeys), wide ? 40 : 20);
  EXPECT_EQ(OffsetOf(command, command.fSceneApi), wide ? 56 : 28);
  TestBrain brain;
  EXPECT_EQ(OffsetOf(brain, brain.fSceneApi), wide ? 56 : 28);
  EXPECT_EQ(OffsetOf(brain, brain.fBrain), wide ? 64 : 32);
  TestBrainClass brain_class;
  EXPECT_EQ(OffsetOf(brain_class, brain_class.fSceneApi), wide ? 56 : 28);
}

TEST(ObjectLayersTest, ConstructionDefaults) {
  TestCommand command;
  EXPECT_EQ(command.fRefCount, 1);
  EXPECT_EQ(command.fStateRecord, nullptr);
  EXPECT_EQ(command.fStateValue, 0);
  EXPECT_EQ(command.fCurrentKey, nullptr);
  EXPECT_EQ(command.fEarlierKeys.fCount, 0);
  EXPECT_EQ(command.fSceneApi, nullptr);
}

TEST(BaseSlotsTest, ReferenceCountingThroughSlotsOneAndTwo) {
  auto* command = new TestCommand;
  mkRegistryKey key{command, nullptr};
  command->fCurrentKey = &key;
  CallSlot<void>(command, 2);  // AddReference
  EXPECT_EQ(command->fRefCount, 2);
  CallSlot<void>(command, 1);  // ReleaseReference: still alive
  EXPECT_EQ(command->fRefCount, 1);
  EXPECT_EQ(key.fObject, command);
  CallSlot<void>(command, 1);  // destroys and frees
  EXPECT_EQ(key.fObject, nullptr);
}

TEST(BaseSlotsTest, ReservedSlotsDoNothingAndSlotTenEchoes) {
  TestCommand command;
  int value = 0;
  CallSlot<void>(&command, 3, int32_t(5));
  CallSlot<void>(&command, 5, int32_t(5));
  CallSlot<void>(&command, 6, int32_t(5));
  CallSlot<void>(&command, 8, int32_t(5));
  CallSlot<void>(&command, 9, int32_t(5), int32_t(6));
  EXPECT_EQ(CallSlot<void*>(&command, 10, static_cast<void*>(&value)), &value);
  CallSlot<void>(&command, 11);
  EXPECT_EQ(command.fRefCount, 1);
}

TEST(BaseSlotsTest, KeyedLayerWritesAndReadsItsValueThroughSlotsFourAndSeven) {
  TestBrainClass brain_class;
  brain_class.fStateValue = 0x01020304;
  mktest::ByteStream stream;
  CallSlot<void>(&brain_class, 4, static_cast<mkStream*>(&stream));
  EXPECT_EQ(stream.bytes, (std::vector<uint8_t>{4, 3, 2, 1}));
  brain_class.fStateValue = 0;
  CallSlot<void>(&brain_class, 7, static_cast<mkStream*>(&stream));
  EXPECT_EQ(brain_class.fStateValue, 0x01020304);

  TestCommand command;  // commands carry nothing
  mktest::ByteStream empty;
  CallSlot<void>(&command, 4, static_cast<mkStream*>(&empty));
  EXPECT_TRUE(empty.bytes.empty());
}

TEST(BaseSlotsTest, DestroyingClearsEveryHostKeyAndReleasesTheStateRecord) {
  mkRegistryKey current{nullptr, nullptr}, earlier1{nullptr, nullptr}, earlier2{nullptr, nullptr};
  auto* record = new TestCommand;
  record->fRefCount = 2;
  auto* command = new TestCommand;
  current.fObject = earlier1.fObject = earlier2.fObject = command;
  command->fCurrentKey = &current;
  command->fEarlierKeys.Append(&earlier1);
  command->fEarlierKeys.Append(&earlier2);
  command->fStateRecord = record;
  CallSlot<void*>(command, 0, uint32_t(1));
  EXPECT_EQ(current.fObject, nullptr);
  EXPECT_EQ(earlier1.fObject, nullptr);
  EXPECT_EQ(earlier2.fObject, nullptr);
  EXPECT_EQ(record->fRefCount, 1);
  record->ReleaseReference();
}

TEST(CommandSlotsTest, SetSceneApiAndRun) {
  TestCommand command;
  auto* api = reinterpret_cast<egSceneApi*>(&command);  // any address will do
  CallSlot<void>(&command, 12, api);
  EXPECT_EQ(command.fSceneApi, api);
  CallSlot<void>(&command, 13, 1, 2, 3, 4, 5);
  CallSlot<void>(&command, 14);
  CallSlot<void>(&command, 15, 1, 2, 3, 4, 5, 6);
  CallSlot<void>(&command, 16, 1, 2, 3, 4, 5, 6);
  const char* argv[] = {"a", "b"};
  EXPECT_EQ((CallSlot<int32_t>(&command, 17, int32_t(2), argv, nullptr, nullptr, nullptr)), 7);
  EXPECT_EQ(command.ran_with, 2);
}

TEST(BrainClassSlotsTest, SlotsTwelveToSixteen) {
  TestBrainClass brain_class;
  auto* api = reinterpret_cast<egSceneApi*>(&brain_class);
  CallSlot<void>(&brain_class, 12, api);
  EXPECT_EQ(brain_class.fSceneApi, api);
  EXPECT_EQ(CallSlot<int32_t>(&brain_class, 13), 2);
  CallSlot<void>(&brain_class, 14);
  EXPECT_TRUE(brain_class.prepared);
  EXPECT_EQ((CallSlot<egBrainDll*>(&brain_class, 15, "a", "b")), nullptr);
  const char* argv[] = {"x", "y", "z"};
  CallSlot<void>(&brain_class, 16, "text", int32_t(3), argv);
  EXPECT_EQ(brain_class.params, 3);
}

TEST(BrainSlotsTest, OwnOperationsOfTheBase) {
  TestBrain brain;
  EXPECT_EQ(CallSlot<int32_t>(&brain, 12), 300);
  EXPECT_STREQ(CallSlot<const char*>(&brain, 22), "DllBrain");
  EXPECT_EQ(CallSlot<egBrainDll*>(&brain, 32), &brain);
}

// Sample arguments of the slot calls below, by parameter type.
template <class T>
T Sample();
template <>
float Sample<float>() {
  return 0.5f;
}
template <>
int32_t Sample<int32_t>() {
  return 4;
}
template <>
const char** Sample<const char**>() {
  static const char* argv[] = {"p"};
  return argv;
}
template <>
mkSceneObject* Sample<mkSceneObject*>() {
  static int anything;
  return reinterpret_cast<mkSceneObject*>(&anything);
}
template <>
mkGBehavior* Sample<mkGBehavior*>() {
  return nullptr;
}
template <>
mkVector3* Sample<mkVector3*>() {
  static mkVector3 result;
  return &result;
}
template <>
const mkVector3& Sample<const mkVector3&>() {
  static const mkVector3 v{1, 2, 3};
  return v;
}
template <>
mkStream* Sample<mkStream*>() {
  static mktest::ByteStream stream;
  return &stream;
}

// Calls slot `slot` of `object` as an operation of the type `Function`,
// with sample arguments. Returns an integer result as is, the z of a vector
// result (-2 when the caller's buffer does not come back), and -1 for none.
template <class Result, class... Args>
int32_t CallWithSamples(void* object, int slot, Result (*)(Args...)) {
  if constexpr (std::is_void_v<Result>) {
    CallSlot<void, Args...>(object, slot, Sample<Args>()...);
    return -1;
  } else if constexpr (std::is_same_v<Result, mkVector3*>) {
    // The caller's buffer comes back, holding the answer.
    mkVector3* result = CallSlot<Result, Args...>(object, slot, Sample<Args>()...);
    return result == Sample<mkVector3*>() ? int32_t(result->fZ) : -2;
  } else {
    return CallSlot<Result, Args...>(object, slot, Sample<Args>()...);
  }
}

// The rows of brain_ops.inc run through slots 12 to 31 in order, with the
// names of the interface at each slot.
TEST(BrainSlotsTest, TheOperationListFollowsTheSlots) {
  const std::vector<std::string> bySlot = {
      "GetType",         "Update",          "PreUpdate",      "Reset",           "SendParams",
      "PrepareToDetach", "PrepareToAttach", "CanCollideWith", "ReportCollision", "WantGravity",
      "GetName",         "StartBehavior",   "PersonaChanged", "SetFalling",      "UpdateGoals",
      "AdjustVectorA",   "AdjustVectorB",   "AdjustVectorC",  "ApplyValue",      "GetIn"};
  std::vector<std::string> names;
  std::vector<int> slots;
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args) names.push_back(#Name), slots.push_back(Slot);
#define MK_BRAIN_OWN_OP(Slot, Ret, Name, Params, Args) \
  names.push_back(#Name), slots.push_back(Slot);
#include "kit/host/brain_ops.inc"
  EXPECT_EQ(names, bySlot);
  for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], 12 + int(i)) << names[i];
}

// Every default that passes on reaches the host brain's operation of the same
// name, after SetPluginCall(1), and returns its result unchanged.
TEST(BrainSlotsTest, DefaultsPassOnToTheHostBrain) {
  TestBrain brain;
  RecordingHostBrain host;
  brain.fBrain = &host;
  struct Case {
    int slot;
    const char* op;
    std::function<int32_t()> call;
  };
  void* b = &brain;
  const Case cases[] = {
#define MK_BRAIN_STATE_OP(Slot, Ret, Name, Params, Args) \
  {Slot, #Name, [b] { return CallWithSamples(b, Slot, static_cast<Ret(*) Params>(nullptr)); }},
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args) \
  {Slot, #Name, [b] { return CallWithSamples(b, Slot, static_cast<Ret(*) Params>(nullptr)); }},
#include "kit/host/brain_ops.inc"
  };
  EXPECT_EQ(sizeof cases / sizeof cases[0], 20u);  // 18 brain operations, 2 state operations
  for (const Case& c : cases) {
    SCOPED_TRACE(c.op);
    host.last.clear();
    const int32_t result = c.call();
    EXPECT_EQ(host.last, c.op) << "slot " << c.slot;
    if (std::strncmp(c.op, "Adjust", 6) == 0) {
      EXPECT_EQ(result, 6);  // the host's vector comes back
    } else if (result != -1) {
      EXPECT_EQ(result, 40 + int32_t(std::strlen(c.op)));
    }
  }
}

// The vector operations take the caller's result buffer after the object
// and return it. Passing on, the plug-in gives the host brain a buffer of its
// own and copies the three floats at the pointer that the host returns, so
// the caller's buffer may also be the argument.
TEST(BrainSlotsTest, VectorResultsPassThroughTheCallersBuffer) {
  TestBrain brain;
  RecordingHostBrain host;
  brain.fBrain = &host;
  for (int slot : {27, 28, 29}) {
    SCOPED_TRACE(slot);
    mkVector3 result{-1, -1, -1};
    const mkVector3 vector{1, 2, 3};
    host.answer_at = nullptr;
    mkVector3* returned =
        CallSlot<mkVector3*, mkVector3*, const mkVector3&>(&brain, slot, &result, vector);
    EXPECT_EQ(returned, &result);
    EXPECT_NE(host.given, &result);
    EXPECT_EQ(result.fX, 2);
    EXPECT_EQ(result.fY, 4);
    EXPECT_EQ(result.fZ, 6);

    mkVector3 inPlace{1, 2, 3};  // result and argument are the same buffer
    returned = CallSlot<mkVector3*, mkVector3*, const mkVector3&>(&brain, slot, &inPlace, inPlace);
    EXPECT_EQ(returned, &inPlace);
    EXPECT_EQ(inPlace.fZ, 6);

    mkVector3 elsewhere{7, 8, 9};  // the host answers through another pointer
    host.answer_at = &elsewhere;
    CallSlot<mkVector3*, mkVector3*, const mkVector3&>(&brain, slot, &result, vector);
    EXPECT_EQ(result.fX, 7);
    EXPECT_EQ(result.fZ, 9);
  }
}

// --- Brain class scaffolding -------------------------------------------------

// What the brains of the scaffolding test did, in order.
std::vector<std::string> gBrainLog;

class NamedBrain final : public egBrainDll {
 public:
  explicit NamedBrain(std::string name) : name_(std::move(name)) {}
  ~NamedBrain() { gBrainLog.push_back("destroyed " + name_); }
  MK_DESTROYING_DESTRUCTOR(NamedBrain)
  int32_t SendParams(int32_t argc, const char** argv) override {
    gBrainLog.push_back(name_ + " got " + std::to_string(argc) + " " + argv[0]);
    return 1;
  }
  MK_SELF_BRAIN()
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

class NamedBrainClass final : public ktBrainClassDll<NamedBrain> {
 public:
  MK_DESTROYING_DESTRUCTOR(NamedBrainClass)
  int32_t GetClassKind() override { return 2; }
  // Brains are made for the first name; "refused" makes none and "throws"
  // throws.
  egBrainDll* MakeBrain(const char* first, const char*) override {
    return FindOrMake([first](const NamedBrain& b) { return b.name() == first; },
                      [first]() -> NamedBrain* {
                        if (std::string(first) == "refused") return nullptr;
                        if (std::string(first) == "throws") throw std::bad_alloc();
                        return new NamedBrain(first);
                      });
  }
};

TEST(BrainClassScaffoldingTest, FindsOrMakesFansOutAndDestroysInOrder) {
  gBrainLog.clear();
  auto* brainClass = new NamedBrainClass;
  auto* api = reinterpret_cast<egSceneApi*>(brainClass);  // any address will do
  CallSlot<void>(brainClass, 12, api);
  auto* a = CallSlot<egBrainDll*>(brainClass, 15, "a", "x");
  auto* b = CallSlot<egBrainDll*>(brainClass, 15, "b", "x");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(CallSlot<egBrainDll*>(brainClass, 15, "a", "y"), a);  // the class's own rule
  EXPECT_EQ(CallSlot<egBrainDll*>(brainClass, 15, "refused", "x"), nullptr);
  EXPECT_EQ(CallSlot<egBrainDll*>(brainClass, 15, "throws", "x"), nullptr);
  EXPECT_EQ(brainClass->fBrains.fCount, 2);
  EXPECT_EQ(brainClass->fBrains[0], a);
  EXPECT_EQ(brainClass->fBrains[1], b);
  EXPECT_EQ(a->fSceneApi, api);
  // The list is the class's first own field.
  EXPECT_EQ(OffsetOf(*brainClass, brainClass->fBrains),
            OffsetOf(*brainClass, brainClass->fSceneApi) + std::ptrdiff_t(sizeof(void*)));

  const char* argv[] = {"freedom", "now"};
  CallSlot<void>(brainClass, 16, "ignored", int32_t(2), argv);
  EXPECT_EQ(gBrainLog, (std::vector<std::string>{"a got 2 freedom", "b got 2 freedom"}));
  gBrainLog.clear();
  CallSlot<void*>(brainClass, 0, uint32_t(1));
  EXPECT_EQ(gBrainLog, (std::vector<std::string>{"destroyed a", "destroyed b"}));
}

}  // namespace
