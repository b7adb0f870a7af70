// Handles are checked by address, without hashing: only the address of an
// object, key or behaviour that the model made is taken as one, and any other
// pointer (inside one, past the last, of another kind, removed, forged) is
// answered like "not found" and written "?" in the trace, never read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "stage/handle_pool.h"
#include "stage/model.h"
#include "stage/scene_api.h"

namespace {

TEST(HandlePoolTest, OnlyTheStartOfAUsedEntryIsAHandle) {
  struct Entry {
    int a = 0, b = 0;
  };
  stage::HandlePool<Entry> pool;
  std::vector<Entry*> made;
  // Past the first block, so that several blocks are searched.
  for (size_t i = 0; i < 3 * stage::HandlePool<Entry>::kFirstBlock + 5; ++i)
    made.push_back(pool.Add());
  for (size_t i = 0; i < made.size(); ++i) {
    ASSERT_EQ(pool.IndexOf(made[i]), std::ptrdiff_t(i));
    ASSERT_EQ(pool.Find(made[i]), made[i]);
  }
  Entry outside;
  const struct {
    const char* what;
    const void* pointer;
  } cases[] = {
      {"null", nullptr},
      {"inside an entry", &made[3]->b},
      {"one past the last entry", made.back() + 1},
      {"another object", &outside},
      {"a small number", reinterpret_cast<const void*>(uintptr_t(0x1234))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(pool.IndexOf(c.pointer), -1);
    EXPECT_EQ(pool.Find(c.pointer), nullptr);
  }
}

TEST(HandlePoolTest, TheSceneInterfaceAnswersNonHandlesAsNotFound) {
  stage::Model model;
  stage::StageSceneApi api(model);
  stage::SceneObject* door = model.AddObject("Door", nullptr, {1, 2, 3});
  stage::SceneObject* gone = model.AddObject("Gone", nullptr, {4, 5, 6});
  stage::Behavior* open = model.AddBehavior(door, "open");
  ASSERT_TRUE(model.RemoveObject(gone));
  auto* doorHandle = stage::Model::ToHandle<mkSceneObject>(door);
  mkPoint3 at = {9, 9, 9};
  ASSERT_EQ(api.GetWorldPos(doorHandle, &at, 0), 1);
  EXPECT_EQ(at.fX, 1.0f);
  EXPECT_STREQ(api.KeyGetName(door->key), "Door");
  EXPECT_EQ(api.ObjectGetKey(doorHandle), door->key);
  EXPECT_EQ(api.BehGetKey(stage::Model::ToHandle<mkGBehavior>(open)), open->key);

  int forged = 0;
  const struct {
    const char* what;
    void* handle;
  } notObjects[] = {
      {"a removed object", gone},          {"a key", door->key},          {"a behaviour", open},
      {"inside an object", &door->radius}, {"a forged pointer", &forged},
  };
  for (const auto& c : notObjects) {
    SCOPED_TRACE(c.what);
    auto* handle = static_cast<mkSceneObject*>(c.handle);
    at = {9, 9, 9};
    EXPECT_EQ(api.GetWorldPos(handle, &at, 0), 0);
    EXPECT_EQ(at.fX, 9.0f);
    EXPECT_EQ(api.GetEnable(handle), 0);
    EXPECT_EQ(api.ObjectGetKey(handle), nullptr);
  }
  EXPECT_STREQ(api.KeyGetName(reinterpret_cast<mkRegistryKey*>(door)), "(none)");
  EXPECT_STREQ(api.KeyGetName(reinterpret_cast<mkRegistryKey*>(&forged)), "(none)");
  EXPECT_EQ(api.BehGetKey(reinterpret_cast<mkGBehavior*>(door)), nullptr);
  // The trace names the forged and removed handles "?".
  const std::vector<std::string>& lines = model.trace().lines();
  const std::string gonePos = "@0 GetWorldPos(?, &(9 9 9), 0) -> 0";
  EXPECT_NE(std::find(lines.begin(), lines.end(), gonePos), lines.end());
}

}  // namespace
