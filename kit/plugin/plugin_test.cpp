#include "kit/plugin/plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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
  int32_t Update(float) override { return Note("Update"); }
  int32_t PreUpdate(float) override { return Note("PreUpdate"); }
  int32_t Reset() override { return Note("Reset"); }
  int32_t SendParams(int32_t, const char**) override { return Note("SendParams"); }
  int32_t PrepareToDetach() override { return Note("PrepareToDetach"); }
  int32_t PrepareToAttach(int32_t) override { return Note("PrepareToAttach"); }
  int32_t CanCollideWith(mkSceneObject*) override { return Note("CanCollideWith"); }
  int32_t ReportCollision(mkSceneObject*, mkSceneObject*) override {
    return Note("ReportCollision");
  }
  int32_t WantGravity() override { return Note("WantGravity"); }
  int32_t StartBehavior(float, mkGBehavior*) override { return Note("StartBehavior"); }
  void PersonaChanged() override { Note("PersonaChanged"); }
  void SetFalling() override { Note("SetFalling"); }
  void UpdateGoals() override { Note("UpdateGoals"); }
  mkVector3 AdjustVectorA(const mkVector3& v) override { return Note("AdjustVectorA"), Twice(v); }
  mkVector3 AdjustVectorB(const mkVector3& v) override { return Note("AdjustVectorB"), Twice(v); }
  mkVector3 AdjustVectorC(const mkVector3& v) override { return Note("AdjustVectorC"), Twice(v); }
  int32_t ApplyValue(int32_t) override { return Note("ApplyValue"); }
  void GetIn() override { Note("GetIn"); }
  void WriteState(mkStream*) override { Note("WriteState"); }
  void ReadState(mkStream*) override { Note("ReadState"); }

  int32_t Note(const char* name) {
    last = plugin_call ? name : std::string("(without SetPluginCall) ") + name;
    plugin_call = 0;
    return 40 + int32_t(last.size());
  }
  static mkVector3 Twice(const mkVector3& v) { return {2 * v.fX, 2 * v.fY, 2 * v.fZ}; }

  std::string last;
  int32_t plugin_call = 0;
};

TEST(GrowableArrayTest, CapacityGrowsByTheAppendRule) {
  GrowableArray array;
  const uint16_t expected[] = {1, 2, 3, 4, 5, 6, 7, 12, 12, 12, 12, 12, 19, 19, 19, 19, 19, 19, 19, 30};
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
  mkRegistryKey key{command};
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
  mkRegistryKey current{nullptr}, earlier1{nullptr}, earlier2{nullptr};
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

// Every default that passes on reaches the host brain's operation of the same
// name, after SetPluginCall(1), and returns its result unchanged.
TEST(BrainSlotsTest, DefaultsPassOnToTheHostBrain) {
  TestBrain brain;
  RecordingHostBrain host;
  brain.fBrain = &host;
  const mkVector3 v{1, 2, 3};
  mktest::ByteStream stream;
  struct Case {
    int slot;
    const char* op;
    std::function<int32_t()> call;
  };
  void* b = &brain;
  const char* argv[] = {"p"};
  auto* object = reinterpret_cast<mkSceneObject*>(&host);
  const Case cases[] = {
      {4, "WriteState", [&] { return CallSlot<void>(b, 4, static_cast<mkStream*>(&stream)), -1; }},
      {7, "ReadState", [&] { return CallSlot<void>(b, 7, static_cast<mkStream*>(&stream)), -1; }},
      {13, "Update", [&] { return CallSlot<int32_t>(b, 13, 0.5f); }},
      {14, "PreUpdate", [&] { return CallSlot<int32_t>(b, 14, 0.5f); }},
      {15, "Reset", [&] { return CallSlot<int32_t>(b, 15); }},
      {16, "SendParams", [&] { return CallSlot<int32_t>(b, 16, int32_t(1), argv); }},
      {17, "PrepareToDetach", [&] { return CallSlot<int32_t>(b, 17); }},
      {18, "PrepareToAttach", [&] { return CallSlot<int32_t>(b, 18, int32_t(4)); }},
      {19, "CanCollideWith", [&] { return CallSlot<int32_t>(b, 19, object); }},
      {20, "ReportCollision", [&] { return CallSlot<int32_t>(b, 20, object, object); }},
      {21, "WantGravity", [&] { return CallSlot<int32_t>(b, 21); }},
      {23, "StartBehavior",
       [&] { return CallSlot<int32_t>(b, 23, 1.0f, static_cast<mkGBehavior*>(nullptr)); }},
      {24, "PersonaChanged", [&] { return CallSlot<void>(b, 24), -1; }},
      {25, "SetFalling", [&] { return CallSlot<void>(b, 25), -1; }},
      {26, "UpdateGoals", [&] { return CallSlot<void>(b, 26), -1; }},
      {27, "AdjustVectorA", [&] { return int32_t(CallSlot<mkVector3>(b, 27, &v).fZ); }},
      {28, "AdjustVectorB", [&] { return int32_t(CallSlot<mkVector3>(b, 28, &v).fZ); }},
      {29, "AdjustVectorC", [&] { return int32_t(CallSlot<mkVector3>(b, 29, &v).fZ); }},
      {30, "ApplyValue", [&] { return CallSlot<int32_t>(b, 30, int32_t(9)); }},
      {31, "GetIn", [&] { return CallSlot<void>(b, 31), -1; }},
  };
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

}  // namespace
