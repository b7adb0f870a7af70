#include "kit/host/scene_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class T>
T Nothing() {
  return T();
}

// Answers every operation with 0 or null.
class SilentScene : public egSceneApi {
 public:
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  Ret Name Params override {                                                  \
    return Nothing<Ret>();                                                    \
  }
#include "kit/host/scene_ops.inc"
};

// Answers the three readers' calls from fixed values and keeps what it was
// asked; with `fills` false it writes nothing, as a host without the object.
class GeometryScene final : public SilentScene {
 public:
  int32_t GetWorldPos(mkSceneObject* object, mkPoint3* p, int32_t mode) override {
    objects.push_back(object);
    modes.push_back(mode);
    if (fills) *p = mode == 1 ? mkPoint3{4.0f, 5.0f, 6.0f} : mkPoint3{1.0f, 2.0f, 3.0f};
    return fills ? 1 : 0;
  }
  int32_t GetWorldAxes(mkSceneObject* object, mkVector3* a, mkVector3* b, mkVector3* c) override {
    objects.push_back(object);
    if (fills) {
      *a = {0.0f, 2.0f, 0.0f};
      *b = {0.0f, 0.0f, 1.0f};
      *c = {1.0f, 0.0f, 0.0f};
    }
    return fills ? 1 : 0;
  }
  mkRegistryKey* GetObjKeyByID(const char* name) override {
    names.push_back(name);
    if (std::string(name) == "global..Dish") return &dish;
    if (std::string(name) == "global..Empty") return &empty;
    return nullptr;
  }

  bool fills = true;
  std::vector<mkSceneObject*> objects;
  std::vector<int32_t> modes;
  std::vector<std::string> names;
  mkRegistryKey dish{reinterpret_cast<void*>(0x40), "global..Dish"};
  mkRegistryKey empty{nullptr, "global..Empty"};
};

TEST(SceneGeometryTest, ReadsPositionsWithTheModeGiven) {
  GeometryScene scene;
  auto* object = reinterpret_cast<mkSceneObject*>(0x10);
  auto* character = reinterpret_cast<egCharacter*>(0x20);
  const mkPoint3 pivot = ktWorldPosition(&scene, object);
  const mkPoint3 centre = ktWorldPosition(&scene, character, 1);
  EXPECT_EQ(pivot.fX, 1.0f);
  EXPECT_EQ(pivot.fZ, 3.0f);
  EXPECT_EQ(centre.fY, 5.0f);
  EXPECT_EQ(scene.modes, (std::vector<int32_t>{0, 1}));
  // A character is asked about as the scene object at its address.
  EXPECT_EQ(scene.objects,
            (std::vector<mkSceneObject*>{object, reinterpret_cast<mkSceneObject*>(0x20)}));
}

TEST(SceneGeometryTest, ReadsAxesAsTheHostGivesThem) {
  GeometryScene scene;
  const ktWorldAxes axes = ktWorldAxesOf(&scene, reinterpret_cast<egCamera*>(0x30));
  EXPECT_EQ(axes.view.fY, 2.0f);  // not normalised
  EXPECT_EQ(axes.up.fZ, 1.0f);
  EXPECT_EQ(axes.right.fX, 1.0f);
}

TEST(SceneGeometryTest, AHostThatFillsNothingGivesZeros) {
  GeometryScene scene;
  scene.fills = false;
  const mkPoint3 p = ktWorldPosition(&scene, reinterpret_cast<mkSceneObject*>(0x10), 1);
  EXPECT_EQ(p.fX, 0.0f);
  EXPECT_EQ(p.fY, 0.0f);
  EXPECT_EQ(p.fZ, 0.0f);
  const ktWorldAxes axes = ktWorldAxesOf(&scene, reinterpret_cast<mkSceneObject*>(0x10));
  for (const mkVector3& v : {axes.view, axes.up, axes.right}) {
    EXPECT_EQ(v.fX, 0.0f);
    EXPECT_EQ(v.fY, 0.0f);
    EXPECT_EQ(v.fZ, 0.0f);
  }
}

TEST(SceneGeometryTest, VariableObjectIsTheObjectTheKeyNames) {
  GeometryScene scene;
  EXPECT_EQ(ktVariableObject(&scene, "global..Dish"), reinterpret_cast<mkSceneObject*>(0x40));
  EXPECT_EQ(ktVariableObject(&scene, "global..Empty"), nullptr);  // names nothing
  EXPECT_EQ(ktVariableObject(&scene, "global..None"), nullptr);   // no such variable
  EXPECT_EQ(scene.names,
            (std::vector<std::string>{"global..Dish", "global..Empty", "global..None"}));
}

}  // namespace
