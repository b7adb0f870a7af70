// The oscillators at chosen times, against values worked out by hand (or,
// for the jitter, from the hash on paper); the envelope's phases, its log
// lines and its expiry; the vector form.
#include "kit/osc/osc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

// A scene interface that records its message lines and answers nothing else.
class LinesApi final : public egSceneApi {
 public:
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  Ret Name Params override {                                                  \
    [this](auto... values) { Note(#Name, values...); } Args;                  \
    return Answer<Ret>();                                                     \
  }
#include "kit/host/scene_ops.inc"
  virtual ~LinesApi() = default;

  std::vector<std::string> lines;

 private:
  // ApiMessage is the one operation the oscillators call.
  template <class... T>
  void Note(const char* name, T... values) {
    if constexpr (sizeof...(T) == 1) {
      if (std::string_view(name) == "ApiMessage") Keep(values...);
    }
  }
  void Keep(const char* text) {
    lines.push_back(text);
  }
  template <class T>
  void Keep(T) {}
  template <class Ret>
  static Ret Answer() {
    if constexpr (!std::is_void_v<Ret>) return Ret{};
  }
};

TEST(OscNoiseTest, HashValues) {
  // j = k ^ (k << 13); ((j * (j*j*15731 + 789221) - 771171059) & 0x7FFFFFFF) / 2^31
  EXPECT_DOUBLE_EQ(ktOscNoise(0), 1376312589.0 / 2147483648.0);
  EXPECT_NEAR(ktOscNoise(1), 0.6131865256465971, 1e-15);
  EXPECT_NEAR(ktOscNoise(17), 0.617939265910536, 1e-15);
  EXPECT_NEAR(ktOscNoise(97), 0.964939194265753, 1e-15);
  EXPECT_NEAR(ktOscNoise(-17), 0.9709653654135764, 1e-15);
  // Wraps instead of overflowing at the ends of the range.
  for (int32_t k : {INT32_MIN, INT32_MAX, -1}) {
    EXPECT_GE(ktOscNoise(k), 0.0);
    EXPECT_LT(ktOscNoise(k), 1.0);
  }
}

struct WaveCase {
  const char* name;
  int32_t type;
  float period;
  int32_t bipolar;
  double shape;
  float t;
  float expected;
};

class OscillatorWaveTest : public ::testing::TestWithParam<WaveCase> {};

TEST_P(OscillatorWaveTest, GivesTheWorkedOutValue) {
  const WaveCase& c = GetParam();
  ktOscillator osc;
  osc.SetWave(0.0f, c.type, c.period, c.shape);
  osc.SetBipolar(c.bipolar);
  EXPECT_NEAR(osc.Oscillate(c.t), c.expected, 1e-6f);
}

const WaveCase kWaveCases[] = {
    // The default: sine, period 1, bipolar; t = 0 is phase 1 (falling, F = 0).
    {"DefaultAtZero", 3, 1.0f, 1, 0.0, 0.0f, 1.0f},
    {"DefaultAtHalf", 3, 1.0f, 1, 0.0, 0.5f, 0.0f},
    {"DefaultAtOne", 3, 1.0f, 1, 0.0, 1.0f, -1.0f},
    // Sine at phase 0.25: 0.25^2 * (3 - 0.5) = 0.15625.
    {"SineQuarter", 3, 1.0f, 0, 0.0, 0.25f, 0.15625f},
    {"TrianglePeriod2Rising", 2, 2.0f, 0, 0.0, 1.0f, 0.5f},
    {"TrianglePeriod2Falling", 2, 2.0f, 0, 0.0, 3.0f, 0.5f},
    {"TriangleFallingQuarter", 2, 1.0f, 0, 0.0, 1.25f, 0.75f},
    {"RectLowQuarter", 1, 1.0f, 0, 0.0, 0.25f, 0.0f},
    {"RectHighThreeQuarters", 1, 1.0f, 0, 0.0, 0.75f, 1.0f},
    {"RectOddHalfWaveFalls", 1, 1.0f, 0, 0.0, 1.25f, 1.0f},
    {"RectOddHalfWaveLow", 1, 1.0f, 0, 0.0, 1.75f, 0.0f},
    // Shape 0.5: 0.5 / (1 - 0.5 + 0.25) = 2/3; shape -0.5: 0.25 / 0.75.
    {"ShapePositive", 2, 1.0f, 0, 0.5, 0.5f, 2.0f / 3.0f},
    {"ShapeNegative", 2, 1.0f, 0, -0.5, 0.5f, 1.0f / 3.0f},
    {"Line1Unipolar", 4, 1.0f, 0, 0.0, 0.3f, 1.0f},
    {"Line1Bipolar", 4, 1.0f, 1, 0.0, 7.7f, 1.0f},
    {"Line0Unipolar", 5, 1.0f, 0, 0.0, 0.3f, 0.0f},
    {"Line0Bipolar", 5, 1.0f, 1, 0.0, 0.3f, -1.0f},
    {"UnknownTypeIsLine0", 42, 1.0f, 1, 0.0, 0.3f, -1.0f},
    // Before phase 0: -0.5 lies in cycle -1 (odd, falling) with F = 0.5.
    {"NegativePhase", 2, 1.0f, 0, 0.0, -0.25f, 0.25f},
    // A period of zero or below freezes the wave at the begin time's phase.
    {"ZeroPeriodBipolar", 3, 0.0f, 1, 0.0, 5.0f, 1.0f},
    {"NegativePeriodUnipolar", 2, -2.0f, 0, 0.0, 5.0f, 0.0f},
    // The end of a half-wave with shape 1 reads 0/0: the value is unshaped.
    {"ShapeOneAtHalfWaveStart", 2, 1.0f, 0, 1.0, 0.0f, 0.0f},
    {"ShapeMinusOneAtHalfWaveEnd", 2, 1.0f, 0, -1.0, 1.0f, 1.0f},
};

INSTANTIATE_TEST_SUITE_P(Cases, OscillatorWaveTest, ::testing::ValuesIn(kWaveCases),
                         [](const ::testing::TestParamInfo<WaveCase>& c) {
                           return std::string(c.param.name);
                         });

TEST(OscillatorTest, BeginTimeAndStartPhaseShiftTheWave) {
  ktOscillator osc;
  osc.SetWave(10.0f, ktOSC_TRIANGLE_WAVE, 2.0f, 0.0, 0.5f);
  osc.SetBipolar(0);
  // (11 - 10) / 2 + 0.5 = phase 1: the top of the triangle.
  EXPECT_FLOAT_EQ(osc.Oscillate(11.0f), 1.0f);
  EXPECT_DOUBLE_EQ(osc.GetDeltaTime(11.0f), 1.0);
  EXPECT_FLOAT_EQ(osc.GetBeginTime(), 10.0f);
}

TEST(OscillatorTest, SetDefaultRestoresEveryField) {
  ktOscillator osc;
  osc.SetWave(3.0f, ktOSC_RECT_WAVE, 4.0f, 0.5, 0.25f);
  osc.SetWaveVariance(0.1, 0.2);
  osc.SetBipolar(0);
  osc.SetDefault();
  EXPECT_EQ(osc.fType, ktOSC_SINE_WAVE);
  EXPECT_EQ(osc.fBeginTime, 0.0f);
  EXPECT_EQ(osc.fPeriod, 1.0f);
  EXPECT_EQ(osc.fStartPhase, 0.0f);
  EXPECT_EQ(osc.fShape, 0.0);
  EXPECT_EQ(osc.fFreqVar, 0.0);
  EXPECT_EQ(osc.fAmpVar, 0.0);
  EXPECT_EQ(osc.fBipolar, 1);
}

// Phases with jitter, against the hash worked through step by step.
struct JitterCase {
  const char* name;
  int32_t type;
  double freqVar, ampVar;
  double phase;
  double expected;
};

class OscillatorJitterTest : public ::testing::TestWithParam<JitterCase> {};

TEST_P(OscillatorJitterTest, GivesTheWorkedOutValue) {
  const JitterCase& c = GetParam();
  ktOscillator osc;
  osc.SetType(c.type);
  osc.SetWaveVariance(c.freqVar, c.ampVar);
  EXPECT_NEAR(osc.Wave(c.phase), c.expected, 1e-12);
}

const JitterCase kJitterCases[] = {
    // Half-wave 0 of variance 0.5 runs from 0.0704 to 1.0590.
    {"InsideItsHalfWave", 2, 0.5, 0.0, 0.3, 0.24702098649945414},
    // 0.02 is before 0.0704: the point lies in the falling half-wave -1.
    {"BeforeTheStartMovesBack", 2, 0.5, 0.0, 0.02, 0.1291314745818778},
    {"BeforeTheStartOfAnOddHalfWave", 2, 0.5, 0.0, 1.02, 0.9510055304512095},
    // Half-wave 1 ends at 0.9173: 1.95 lies in half-wave 2.
    {"AfterTheEndMovesOn", 2, 0.5, 0.0, 1.95, -0.00300638656354376},
    {"SineBeforeZero", 3, 0.5, 0.0, -0.5, 0.7528081467453183},
    {"RectangleStaysInItsHalfWave", 1, 0.5, 0.0, 0.45, 0.02257482140310944},
    // r = 0.4 * N(0) * 0.5; v = r + 0.5 * (1 - r - r * N(97) * 0.5).
    {"AmplitudeEvenHalfWave", 2, 0.0, 0.4, 0.5, 0.5331682902135078},
    {"AmplitudeOddHalfWave", 2, 0.0, 0.4, 1.25, 0.7314919172127058},
    {"AmplitudeRectangle", 1, 0.0, 0.3, 0.75, 0.9536181115305236},
    // In cycle 126322567, 17c + 17 passes 2^31 - 1: the hash wraps around
    // like the rest of its 32-bit arithmetic.
    {"TriangleWhere17cPlus17Wraps", 2, 0.5, 0.0, 126322567.5, 0.5661171513904665},
    {"SineWhere17cPlus17Wraps", 3, 0.5, 0.0, 126322567.25, 0.8687402569507662},
    {"RectangleWhere17cPlus17Wraps", 1, 0.5, 0.0, 126322567.5, 1.003129626430487},
    {"TriangleAt2To27", 2, 0.5, 0.0, 134217728.5, 0.4086277957076507},
};

INSTANTIATE_TEST_SUITE_P(Cases, OscillatorJitterTest, ::testing::ValuesIn(kJitterCases),
                         [](const ::testing::TestParamInfo<JitterCase>& c) {
                           return std::string(c.param.name);
                         });

TEST(OscillatorTest, JitterIsReproducibleAndDiffersBetweenCycles) {
  ktOscillator a, b;
  for (ktOscillator* osc : {&a, &b}) {
    osc->SetWave(0.0f, ktOSC_TRIANGLE_WAVE, 1.0f);
    osc->SetWaveVariance(0.3, 0.2);
  }
  EXPECT_EQ(a.Oscillate(2.4f), a.Oscillate(2.4f));
  EXPECT_EQ(a.Oscillate(2.4f), b.Oscillate(2.4f));
  // The same point of two cycles of the same parity gets other jitter.
  EXPECT_NE(a.Oscillate(2.4f), a.Oscillate(4.4f));
  EXPECT_NE(a.Oscillate(2.4f), a.Oscillate(6.4f));
  // Without variance, cycles of the same parity are alike.
  a.SetWaveVariance(0.0, 0.0);
  EXPECT_FLOAT_EQ(a.Oscillate(2.4f), a.Oscillate(4.4f));
}

TEST(OscillatorTest, DegeneratePhasesGiveFiniteValues) {
  ktOscillator osc;
  osc.SetWaveVariance(3.0, 0.0);  // half-waves can shrink to nothing
  for (float t : {0.0f, 0.5f, 1e12f, -1e12f, INFINITY, NAN}) {
    EXPECT_TRUE(std::isfinite(osc.Oscillate(t))) << t;
  }
  osc.SetPeriodTime(NAN);
  EXPECT_TRUE(std::isfinite(osc.Oscillate(1.0f)));
}

// A damped constant wave is its envelope: ease in 1, middle 2, ease out 1.
class DampOscillatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    osc_.SetWave(0.0f, ktOSC_LINE1_WAVE);
    osc_.SetBipolar(0);
    osc_.SetEaseIn(1.0f);
    osc_.SetMiddle(2.0f);
    osc_.SetEaseOut(1.0f);
  }
  ktDampOscillator osc_;
};

TEST_F(DampOscillatorTest, EnvelopePhases) {
  EXPECT_FLOAT_EQ(osc_.Oscillate(0.5f), 0.5f);  // ease-in sine at phase 0.5
  EXPECT_FLOAT_EQ(osc_.Oscillate(0.25f), 0.15625f);
  EXPECT_FLOAT_EQ(osc_.Oscillate(1.0f), 1.0f);
  EXPECT_FLOAT_EQ(osc_.Oscillate(2.9f), 1.0f);
  EXPECT_FLOAT_EQ(osc_.Oscillate(3.5f), 0.5f);
  EXPECT_FLOAT_EQ(osc_.Oscillate(3.75f), 0.15625f);  // falling
  EXPECT_EQ(osc_.IsDampedExpired(), 0);
  EXPECT_EQ(osc_.Oscillate(4.0f), 0.0f);
  EXPECT_EQ(osc_.IsDampedExpired(), 1);
  EXPECT_EQ(osc_.Oscillate(9.0f), 0.0f);
  // The flag is as the last call left it.
  osc_.Oscillate(2.0f);
  EXPECT_EQ(osc_.IsDampedExpired(), 0);
}

TEST_F(DampOscillatorTest, EaseOscillatorsAreUnipolarWithTheirTimeAsPeriod) {
  osc_.SetEaseIn(2.0f, ktOSC_TRIANGLE_WAVE, 0.5);
  osc_.SetEaseOut(3.0f, ktOSC_RECT_WAVE);
  EXPECT_EQ(osc_.GetEaseIn(), 2.0f);
  EXPECT_EQ(osc_.GetMiddle(), 2.0f);
  EXPECT_EQ(osc_.GetEaseOut(), 3.0f);
  EXPECT_EQ(osc_.fEaseInOsc.fType, ktOSC_TRIANGLE_WAVE);
  EXPECT_EQ(osc_.fEaseInOsc.fPeriod, 2.0f);
  EXPECT_EQ(osc_.fEaseInOsc.fShape, 0.5);
  EXPECT_EQ(osc_.fEaseInOsc.fStartPhase, 0.0f);
  EXPECT_EQ(osc_.fEaseInOsc.fBipolar, 0);
  EXPECT_EQ(osc_.fEaseOutOsc.fType, ktOSC_RECT_WAVE);
  EXPECT_EQ(osc_.fEaseOutOsc.fPeriod, 3.0f);
  EXPECT_EQ(osc_.fEaseOutOsc.fStartPhase, 1.0f);
  EXPECT_EQ(osc_.fEaseOutOsc.fBipolar, 0);
  // Triangle with shape 0.5 at phase 0.5: 2/3.
  EXPECT_NEAR(osc_.Oscillate(1.0f), 2.0f / 3.0f, 1e-6f);
}

TEST_F(DampOscillatorTest, WithoutTimesTheWaveIsUnchangedAndNeverExpires) {
  osc_.ResetDampen();
  EXPECT_EQ(osc_.fType, ktOSC_LINE1_WAVE);  // the wave is kept
  EXPECT_EQ(osc_.Oscillate(100.0f), 1.0f);
  EXPECT_EQ(osc_.IsDampedExpired(), 0);
  // An ease-out time of 0 after a middle: the wave runs on unchanged.
  osc_.SetMiddle(1.0f);
  EXPECT_EQ(osc_.Oscillate(100.0f), 1.0f);
  EXPECT_EQ(osc_.IsDampedExpired(), 0);
  osc_.SetDefault();
  EXPECT_EQ(osc_.fType, ktOSC_SINE_WAVE);
  EXPECT_EQ(osc_.GetMiddle(), 0.0f);
}

TEST_F(DampOscillatorTest, LogsEachPhaseThroughItsLogger) {
  EXPECT_FLOAT_EQ(osc_.Oscillate(0.5f), 0.5f);  // no logger: no lines
  LinesApi api;
  osc_.SetLogger(&api);
  osc_.Oscillate(0.25f);
  osc_.Oscillate(2.0f);
  osc_.Oscillate(3.5f);
  osc_.Oscillate(4.5f);
  EXPECT_EQ(api.lines, (std::vector<std::string>{
                           "ktDampOscil: ease_in time_left=0.750000 delta=0.250000",
                           "ktDampOscil: middle time_left=1.000000",
                           "ktDampOscil: ease_out time left=0.500000",
                           "ktDampOscil: expired!",
                       }));
}

TEST_F(DampOscillatorTest, ZeroEaseTimesGiveFiniteValues) {
  osc_.SetEaseIn(0.0f);
  osc_.SetMiddle(1.0f);
  osc_.SetEaseOut(-1.0f);
  // Before the begin time the ease-in branch meets a period of 0.
  EXPECT_TRUE(std::isfinite(osc_.Oscillate(-0.5f)));
  EXPECT_EQ(osc_.IsDampedExpired(), 0);
  // A negative ease-out time is not 0: after the middle it has expired.
  EXPECT_EQ(osc_.Oscillate(1.5f), 0.0f);
  EXPECT_EQ(osc_.IsDampedExpired(), 1);
}

TEST(VecOscillatorTest, ScalesItsVectorByTheDampedValue) {
  ktVecOscillator osc;
  osc.SetWave(1.0f, ktOSC_LINE1_WAVE);  // bipolar: 2 * 1 - 1 = 1
  osc.SetEaseIn(2.0f);
  osc.SetVector({1.0f, 2.0f, -4.0f});
  const mkVector3 v = osc.Oscillate(2.0f);  // ease-in phase 0.5
  EXPECT_FLOAT_EQ(v.fX, 0.5f);
  EXPECT_FLOAT_EQ(v.fY, 1.0f);
  EXPECT_FLOAT_EQ(v.fZ, -2.0f);
  osc.SetDefault();
  const mkVector3 zero = osc.Oscillate(0.0f);
  EXPECT_EQ(zero.fX, 0.0f);
  EXPECT_EQ(zero.fY, 0.0f);
  EXPECT_EQ(zero.fZ, 0.0f);
}

}  // namespace
