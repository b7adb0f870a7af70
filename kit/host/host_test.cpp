#include "kit/host/host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

struct Row {
  const char* name;
  const char* format;
  const char* types;
  const char* defaults;
  const char* result;
};

const Row kRows[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  {#Name, Format, Types, Defaults, Result},
#include "kit/host/scene_ops.inc"
};

TEST(SceneOpsTableTest, HoldsEveryOperationOnceInSlotOrder) {
  EXPECT_EQ(kSceneApiOpCount, 434);
  EXPECT_EQ(sizeof(kRows) / sizeof(kRows[0]), 434u);
  std::set<std::string> names;
  for (const Row& row : kRows) EXPECT_TRUE(names.insert(row.name).second) << row.name;
  EXPECT_EQ(kSceneSlot_SetInputEnable, 0);
  EXPECT_EQ(kSceneSlot_ApiMessage, 5);
  EXPECT_EQ(kSceneSlot_GetSceneObjectByID, 38);
  EXPECT_EQ(kSceneSlot_BoundsGetCenter, 433);
  EXPECT_STREQ(kRows[kSceneSlot_XCmdFindContext].name, "XCmdFindContext");
}

// The script format's codes, its pointer types and its defaults agree.
TEST(SceneOpsTableTest, FormatsTypesAndDefaultsAgree) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string format = row.format;
    std::string codes;
    for (char c : format)
      if (c != '|') codes += c;
    EXPECT_EQ(codes.find_first_not_of("slifO"), std::string::npos);
    // Every typed position is an "s".
    const char* p = row.types;
    while (*p != '\0') {
      const int position = std::atoi(p);
      ASSERT_GE(position, 1);
      ASSERT_LE(position, int(codes.size()));
      EXPECT_EQ(codes[position - 1], 's');
      p = std::strchr(p, ',');
      if (p == nullptr) break;
      p += 2;
    }
    EXPECT_EQ(*row.defaults != '\0', format.find('|') != std::string::npos);
  }
  EXPECT_STREQ(kRows[kSceneSlot_AnimPlay].format, "ssllll|fllfl");
  EXPECT_STREQ(kRows[kSceneSlot_AnimPlay].defaults, "7: -1.0, 8: 0, 9: 0, 10: 1.0, 11: 0");
  EXPECT_STREQ(kRows[kSceneSlot_GetPlayer].result, "egCharacter");
}

}  // namespace
