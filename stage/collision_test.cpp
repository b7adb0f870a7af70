// The stage's line-against-object test: spheres of the objects' radii,
// probes of a given thickness.
#include <gtest/gtest.h>

#include "stage/model.h"
#include "stage/scene_api.h"

namespace {

struct ProbeCase {
  const char* name;
  mkPoint3 from, to;
  float size;
  int32_t hit;
  mkVector3 vector;  // expected; (9, 9, 9) means left as it was
};

const mkVector3 kUntouched = {9.0f, 9.0f, 9.0f};

// The rock: radius 1 at (10, 0, 0).
const ProbeCase kProbeCases[] = {
    {"through the centre", {0, 0, 0}, {20, 0, 0}, 0.0f, 1, {-1, 0, 0}},
    {"passing by", {0, 2, 0}, {20, 2, 0}, 0.5f, 0, kUntouched},
    {"passing by with a thick probe", {0, 2, 0}, {20, 2, 0}, 1.5f, 1, {0, 1, 0}},
    {"only touching", {0, 2, 0}, {20, 2, 0}, 1.0f, 0, kUntouched},
    {"stopping short", {0, 0, 0}, {8, 0, 0}, 0.5f, 0, kUntouched},
    {"stopping short with a thick probe", {0, 0, 0}, {8, 0, 0}, 1.5f, 1, {-1, 0, 0}},
    {"starting beyond", {13, 0, 4}, {30, 0, 4}, 4.5f, 1, {0.6f, 0, 0.8f}},
    {"starting beyond, too thin", {13, 0, 4}, {30, 0, 4}, 3.5f, 0, kUntouched},
    {"starting at the centre", {10, 0, 0}, {10, 0, -5}, 0.0f, 1, {0, 0, 1}},
    {"a point at the centre", {10, 0, 0}, {10, 0, 0}, 0.0f, 1, {0, 0, 0}},
    {"a point inside", {10, 0.5f, 0}, {10, 0.5f, 0}, 0.0f, 1, {0, 1, 0}},
    {"negative size counts as none", {0, 1.5f, 0}, {20, 1.5f, 0}, -1.0f, 0, kUntouched},
};

TEST(LineCollisionTest, Table) {
  stage::Model model;
  stage::StageSceneApi api(model);
  stage::SceneObject* base = model.AddObject("Base", nullptr, {4.0f, 0.0f, 0.0f});
  stage::SceneObject* rock = model.AddObject("Rock", base, {6.0f, 0.0f, 0.0f});
  rock->radius = 1.0f;
  auto* handle = stage::Model::ToHandle<mkSceneObject>(rock);
  for (const ProbeCase& c : kProbeCases) {
    SCOPED_TRACE(c.name);
    mkPoint3 from = c.from, to = c.to;
    mkVector3 vector = kUntouched;
    EXPECT_EQ(api.DoesLineCollideWithObject(handle, &from, &to, c.size, &vector), c.hit);
    EXPECT_FLOAT_EQ(vector.fX, c.vector.fX);
    EXPECT_FLOAT_EQ(vector.fY, c.vector.fY);
    EXPECT_FLOAT_EQ(vector.fZ, c.vector.fZ);
  }
}

TEST(LineCollisionTest, UnknownObjectsAndMissingPointsNeverHit) {
  stage::Model model;
  stage::StageSceneApi api(model);
  stage::SceneObject* rock = model.AddObject("Rock", nullptr, {0.0f, 0.0f, 0.0f});
  auto* handle = stage::Model::ToHandle<mkSceneObject>(rock);
  mkPoint3 from = {-5, 0, 0}, to = {5, 0, 0};
  mkVector3 vector = kUntouched;
  int foreign = 0;
  EXPECT_EQ(api.DoesLineCollideWithObject(nullptr, &from, &to, 1.0f, &vector), 0);
  EXPECT_EQ(api.DoesLineCollideWithObject(reinterpret_cast<mkSceneObject*>(&foreign), &from, &to,
                                          1.0f, &vector),
            0);
  EXPECT_EQ(api.DoesLineCollideWithObject(handle, nullptr, &to, 1.0f, &vector), 0);
  EXPECT_EQ(vector.fX, 9.0f);
  // The vector argument is optional.
  EXPECT_EQ(api.DoesLineCollideWithObject(handle, &from, &to, 1.0f, nullptr), 1);
  EXPECT_EQ(model.trace().lines().back(),
            "@0 DoesLineCollideWithObject(Rock, &(-5 0 0), &(5 0 0), 1, null) -> 1");
}

}  // namespace
