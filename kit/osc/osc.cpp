#include "kit/osc/osc.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

// Phases are held within this many half-waves of 0, so that the cycle number
// fits a 32-bit integer.
constexpr double kPhaseLimit = 1e9;

// factor * c + add (17c, 17c + 17 and 97c), with 32-bit wrap-around: the
// sum is taken unsigned, since 17c + 17 passes 2^31 - 1 in cycle 126322567.
int32_t Times(int32_t factor, int32_t c, int32_t add = 0) {
  return int32_t(uint32_t(factor) * uint32_t(c) + uint32_t(add));
}

// a / b, or `otherwise` when b is 0 (or the quotient is not finite).
double Divide(double a, double b, double otherwise) {
  if (b == 0.0) return otherwise;
  const double q = a / b;
  return std::isfinite(q) ? q : otherwise;
}

}  // namespace

double ktOscNoise(int32_t k) {
  const uint32_t u = uint32_t(k);
  const uint32_t j = u ^ (u << 13);
  const uint32_t n = (j * (j * j * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
  return double(n) * (1.0 / 2147483648.0);
}

void ktOscillator::SetDefault() {
  fType = ktOSC_SINE_WAVE;
  fBeginTime = 0.0f;
  fPeriod = 1.0f;
  fStartPhase = 0.0f;
  fShape = 0.0;
  fFreqVar = 0.0;
  fAmpVar = 0.0;
  fBipolar = 1;
}

void ktOscillator::SetWave(float beginTime, int32_t type, float period, double shape,
                           float startPhase) {
  fBeginTime = beginTime;
  fType = type;
  fPeriod = period;
  fShape = shape;
  fStartPhase = startPhase;
}

void ktOscillator::SetWaveVariance(double freqVar, double ampVar) {
  fFreqVar = freqVar;
  fAmpVar = ampVar;
}

double ktOscillator::Wave(double x) const {
  if (fType == ktOSC_LINE1_WAVE) return 1.0;
  if (fType != ktOSC_RECT_WAVE && fType != ktOSC_TRIANGLE_WAVE && fType != ktOSC_SINE_WAVE)
    return 0.0;
  if (!std::isfinite(x)) x = 0.0;
  if (x > kPhaseLimit) x = kPhaseLimit;
  if (x < -kPhaseLimit) x = -kPhaseLimit;

  // The cycle: below 0 the phase is lowered by one before truncation, so
  // that -0.5 lies in cycle -1 with the fraction 0.5.
  int32_t c = int32_t(x >= 0.0 ? std::trunc(x) : std::trunc(x - 1.0));
  double f = x - double(c);
  double amplitude = fAmpVar;

  const double fv = fFreqVar;
  if (fv != 0.0) {
    auto start = [fv](int32_t cycle) { return fv * (ktOscNoise(Times(17, cycle)) - 0.5); };
    auto end = [fv](int32_t cycle) { return fv * (ktOscNoise(Times(17, cycle, 17)) - 0.5) + 1.0; };
    if (fType == ktOSC_RECT_WAVE) {
      // The rectangle stays in its own half-wave.
      const double low = start(c);
      f = Divide(f - low, end(c) - low, 0.0);
      amplitude = low;
    } else {
      const double o = start(c), u = end(c);
      double first = o, last = u;
      if (f < o) {
        // The point lies in the half-wave before, which ends where this one
        // begins.
        --c;
        last = o + 1.0;
        first = start(c);
        f += 1.0;
      } else if (f > u) {
        ++c;
        first = u - 1.0;
        last = end(c);
        f -= 1.0;
      }
      f = Divide(f - first, last - first, 0.0);
      // The amplitude jitter takes the start of the half-wave used.
      amplitude = first;
    }
  }

  double v = (c & 1) != 0 ? 1.0 - f : f;

  const double s = fShape;
  if (s > 0.0) {
    v = Divide(v, 1.0 - s + s * v, v);
  } else if (s < 0.0) {
    v = Divide(v * (s + 1.0), s * v + 1.0, v);
  }

  if (fType == ktOSC_RECT_WAVE) {
    v = v >= 0.5 ? 1.0 : 0.0;
  } else if (fType == ktOSC_SINE_WAVE) {
    v = v * v * (3.0 - 2.0 * v);
  }

  if (amplitude != 0.0) {
    const int32_t next = int32_t(uint32_t(c) + 1u);
    const int32_t even = (c & 1) == 0 ? c : next;
    const int32_t odd = (c & 1) == 0 ? next : c;
    const double r = amplitude * ktOscNoise(Times(97, even)) * 0.5;
    v = r + v * (1.0 - r - r * ktOscNoise(Times(97, odd)) * 0.5);
  }
  return v;
}

float ktOscillator::Oscillate(float t) const {
  // A period of zero or below has no wave: the phase stays where it is at
  // the begin time.
  double x = fPeriod > 0.0f ? GetDeltaTime(t) / double(fPeriod) : 0.0;
  if (fBipolar != 0) x += 1.0;
  x += double(fStartPhase);
  const double v = Wave(x);
  const double result = fBipolar != 0 ? 2.0 * v - 1.0 : v;
  return std::isfinite(result) ? float(result) : 0.0f;
}

void ktDampOscillator::SetDefault() {
  ktOscillator::SetDefault();
  ResetDampen();
}

void ktDampOscillator::ResetDampen() {
  fEaseIn = 0.0f;
  fMiddle = 0.0f;
  fEaseOut = 0.0f;
  fExpired = 0;
  fEaseInOsc.SetDefault();
  fEaseOutOsc.SetDefault();
}

void ktDampOscillator::SetEaseIn(float time, int32_t type, double shape) {
  fEaseIn = time;
  fEaseInOsc.SetType(type);
  fEaseInOsc.SetPeriodTime(time);
  fEaseInOsc.SetBeginTime(0.0f);
  fEaseInOsc.SetShape(shape);
  fEaseInOsc.SetStartPhase(0.0f);
  fEaseInOsc.SetBipolar(0);
}

void ktDampOscillator::SetEaseOut(float time, int32_t type, double shape) {
  fEaseOut = time;
  fEaseOutOsc.SetType(type);
  fEaseOutOsc.SetPeriodTime(time);
  fEaseOutOsc.SetBeginTime(0.0f);
  fEaseOutOsc.SetShape(shape);
  // Phase 1 is an odd half-wave: the factor falls from 1 to 0.
  fEaseOutOsc.SetStartPhase(1.0f);
  fEaseOutOsc.SetBipolar(0);
}

void ktDampOscillator::Log(const char* format, ...) {
  if (fLogger.fApi == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(fLogger.fLine, sizeof fLogger.fLine, format, args);
  va_end(args);
  fLogger.fApi->ApiMessage(fLogger.fLine);
}

float ktDampOscillator::Oscillate(float t) {
  float v = ktOscillator::Oscillate(t);
  fExpired = 0;
  if (fEaseIn <= 0.0f && fMiddle <= 0.0f && fEaseOut <= 0.0f) return v;
  const float e = t - fBeginTime;
  if (fEaseIn > e) {
    v *= fEaseInOsc.Oscillate(e);
    Log("ktDampOscil: ease_in time_left=%f delta=%f", double(fEaseIn - e), double(e));
  } else if (e - fEaseIn < fMiddle) {
    Log("ktDampOscil: middle time_left=%f", double(fMiddle - (e - fEaseIn)));
  } else {
    const float m = e - fEaseIn - fMiddle;
    if (fEaseOut > m) {
      v *= fEaseOutOsc.Oscillate(m);
      Log("ktDampOscil: ease_out time left=%f", double(fEaseOut - m));
    } else if (fEaseOut != 0.0f) {
      fExpired = 1;
      Log("ktDampOscil: expired!");
      return 0.0f;
    }
  }
  return v;
}

void ktVecOscillator::SetDefault() {
  ktDampOscillator::SetDefault();
  fVector = {0.0f, 0.0f, 0.0f};
}

mkVector3 ktVecOscillator::Oscillate(float t) {
  const float v = ktDampOscillator::Oscillate(t);
  return {fVector.fX * v, fVector.fY * v, fVector.fZ * v};
}
