// A long run plays in constant memory: with the trace streamed (not kept)
// and the message lines printed as they come, nothing that the stage holds
// grows with the number of frames. This program replaces the global
// allocation functions with ones that count the bytes in use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "stage/picture.h"
#include "stage/stage.h"

namespace {
// Bytes allocated through operator new and not yet freed.
long gLiveBytes = 0;
// Each block starts with its size; the block handed out follows it.
constexpr std::size_t kHeader = alignof(std::max_align_t);
}  // namespace

void* operator new(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  gLiveBytes += long(size);
  return block + kHeader;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  gLiveBytes -= long(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}
void operator delete(void* p, std::size_t) noexcept {
  operator delete(p);
}

namespace {

TEST(StageMemoryTest, ALongRunKeepsNothingPerFrame) {
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::LoadScene(TESSERA_SOURCE_DIR "/scenes/hopkin.scene", &scene, &errors));
  scene.plugins = {HOPKIN_PLUGIN_PATH};
  scene.frames = 3000;
  stage::Stage stage;
  stage::Model& model = stage.model();
  // What the stage program does: lines go out as they are written.
  model.keepMessages = false;
  model.trace().keep = false;
  long traced = 0, said = 0;
  model.trace().onLine = [&](const std::string&) { ++traced; };
  model.onMessage = [&](const stage::Message&) { ++said; };
  stage::RunPicture picture;
  long atFrame500 = 0, most = 0;
  stage.onFrameEnd = [&](int32_t frame) {
    picture.Record(model);
    if (frame == 500) atFrame500 = gLiveBytes;
    if (frame > 500) most = std::max(most, gLiveBytes);
  };
  ASSERT_TRUE(stage.Play(scene, &errors)) << (errors.empty() ? "" : errors[0]);
  EXPECT_GT(traced, 3000 * 6);  // every creature's update at least
  EXPECT_GT(said, 5);
  EXPECT_TRUE(model.trace().lines().empty());
  EXPECT_TRUE(model.messages().empty());
  // The picture's paths may fill up to their bound; beyond that, nothing
  // grows: 2500 more frames of some 200 trace lines each.
  // (a point and its time each).
  const long pictureBound = long(model.objects().size() * stage::RunPicture::kMaxPoints *
                                 (sizeof(mkPoint3) + sizeof(float)));
  EXPECT_GT(atFrame500, 0);
  EXPECT_LE(most - atFrame500, pictureBound);
}

TEST(StageMemoryTest, APictureKeepsABoundedNumberOfPoints) {
  stage::Model model;
  stage::SceneObject* hero = model.AddObject("Hero", nullptr, {0, 0, 0});
  stage::RunPicture picture;
  const long frames = 5 * long(stage::RunPicture::kMaxPoints);
  for (long i = 0; i < frames; ++i) {
    hero->local.m[0][3] = float(i);
    picture.Record(model);
  }
  const std::string svg = picture.Svg(model);
  const size_t start = svg.find("points=\"");
  ASSERT_NE(start, std::string::npos);
  const std::string points = svg.substr(start, svg.find('"', start + 8) - start);
  const long count = long(std::count(points.begin(), points.end(), ','));
  EXPECT_LE(count, long(stage::RunPicture::kMaxPoints) + 1);
  EXPECT_GE(count, long(stage::RunPicture::kMaxPoints) / 2);
}

}  // namespace
