// Evaluating an oscillator allocates nothing, with jitter, an envelope and
// its log lines. This program replaces the global allocation functions with
// counting ones.
#include <gtest/gtest.h>

#include <string_view>
#include <type_traits>

#include "kit/osc/osc.h"
#include "kit/testing/count_allocations.h"

namespace {

// A scene interface that counts its log lines and answers nothing else.
class CountingApi final : public egSceneApi {
 public:
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  Ret Name Params override {                                                  \
    if (std::string_view(#Name) == "ApiMessage") ++lines;                     \
    return Answer<Ret>();                                                     \
  }
#include "kit/host/scene_ops.inc"
  virtual ~CountingApi() = default;

  int lines = 0;

 private:
  template <class Ret>
  static Ret Answer() {
    if constexpr (!std::is_void_v<Ret>) return Ret{};
  }
};

TEST(OscillatorAllocationTest, EvaluationAllocatesNothing) {
  CountingApi api;
  ktVecOscillator osc;
  osc.SetWaveVariance(0.2, 0.2);
  osc.SetEaseIn(1.0f);
  osc.SetEaseOut(1.0f);
  osc.SetVector({1.0f, 2.0f, 3.0f});
  osc.SetLogger(&api);
  const long before = mktest::gAllocations;
  float sum = 0.0f;
  for (int i = 0; i < 50; ++i) sum += osc.Oscillate(0.05f * float(i)).fX;
  EXPECT_EQ(mktest::gAllocations - before, 0);
  EXPECT_EQ(api.lines, 50);
  EXPECT_NE(sum, 0.0f);
}

}  // namespace
