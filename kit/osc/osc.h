// Oscillators: a time turned into a wave value, for camera jiggle, animation
// speed ramps and scripted motion.
//
//   ktDampOscillator ramp;              // sine, period 1, bipolar
//   ramp.SetWave(now, ktOSC_LINE1_WAVE);
//   ramp.SetEaseIn(2.0f);               // rises from 0 to 1 over 2 seconds
//   float scale = ramp.Oscillate(now + 1.0f);   // 0.5
//
// ktOscillator is a periodic wave of one of five shapes with optional jitter
// of its half-wave boundaries (frequency variance) and of its low and high
// values (amplitude variance). The jitter comes from an integer hash of the
// cycle number, so the same time always gives the same value and an
// oscillator is a plain record: it can live in a host context block or in a
// script object, and copying it copies the wave. ktDampOscillator multiplies
// the wave by an envelope of three phases (ease in, middle, ease out) and
// says when the envelope has expired; ktVecOscillator scales a vector by the
// damped value.
//
// Degenerate input never reaches the result as an infinity or a NaN: a
// period of zero or below (or one that is not a number) freezes the wave at
// its phase at the begin time; a phase beyond +-1e9 half-waves is held at
// that bound; a half-wave that the frequency jitter shrinks to zero length
// (a variance of 1 or more) gives the fraction 0; a shape of +-1 at the end
// of a half-wave where its formula reads 0/0 leaves the value unshaped.
//
// Evaluation allocates nothing; logging formats into the oscillator's own
// buffer.
#ifndef TESSERA_KIT_OSC_OSC_H_
#define TESSERA_KIT_OSC_OSC_H_

#include <cstdint>

#include "kit/host/host.h"
#include "kit/math/math.h"

// Wave types. Any value not listed is the constant 0.
enum : int32_t {
  ktOSC_RECT_WAVE = 1,
  ktOSC_TRIANGLE_WAVE = 2,
  ktOSC_SINE_WAVE = 3,  // a smoothed triangle; the default
  ktOSC_LINE1_WAVE = 4,
  ktOSC_LINE0_WAVE = 5,
};

// The hash noise of the jitter: a value in [0, 1) for any 32-bit k.
double ktOscNoise(int32_t k);

// Where an oscillator writes its log lines: the scene interface (null: no
// logging) and a line buffer.
struct ktOscLogger {
  static constexpr int kLineLimit = 256;  // a longer line is cut

  egSceneApi* fApi = nullptr;
  char fLine[kLineLimit] = {};
};

class ktOscillator {
 public:
  void SetDefault();
  void SetType(int32_t type) { fType = type; }
  void SetBeginTime(float t) { fBeginTime = t; }
  // Time of one half-wave (one unit of phase), seconds.
  void SetPeriodTime(float p) { fPeriod = p; }
  void SetStartPhase(float f) { fStartPhase = f; }
  // Bias of each half-wave, -1 to 1; 0 leaves the wave as it is.
  void SetShape(double s) { fShape = s; }
  void SetFreqVar(double v) { fFreqVar = v; }
  void SetAmpVar(double v) { fAmpVar = v; }
  // Non-zero: output in -1..1 and the phase shifted by one unit; zero:
  // output in 0..1.
  void SetBipolar(int32_t b) { fBipolar = b; }
  void SetWave(float beginTime, int32_t type = ktOSC_SINE_WAVE, float period = 1.0f,
               double shape = 0.0, float startPhase = 0.0f);
  void SetWaveVariance(double freqVar = 0.0, double ampVar = 0.0);
  // Log lines go to `api` through ApiMessage; null stops them.
  void SetLogger(egSceneApi* api) { fLogger.fApi = api; }

  float GetBeginTime() const { return fBeginTime; }
  double GetDeltaTime(float t) const { return double(t) - double(fBeginTime); }

  // The wave value at time `t`.
  float Oscillate(float t) const;
  // The wave value (0 to 1, before the bipolar mapping) at phase `x`.
  double Wave(double x) const;

  int32_t fType = ktOSC_SINE_WAVE;
  float fBeginTime = 0.0f;
  float fPeriod = 1.0f;
  float fStartPhase = 0.0f;
  double fShape = 0.0;
  double fFreqVar = 0.0;
  double fAmpVar = 0.0;
  int32_t fBipolar = 1;
  ktOscLogger fLogger;
};

class ktDampOscillator : public ktOscillator {
 public:
  // The wave, the three times, the expired flag and both ease oscillators
  // to their defaults.
  void SetDefault();
  // The same without the wave.
  void ResetDampen();
  // The envelope rises from 0 to 1 over `time` seconds from the begin time.
  void SetEaseIn(float time, int32_t type = ktOSC_SINE_WAVE, double shape = 0.0);
  void SetMiddle(float time) { fMiddle = time; }
  // After the middle, the envelope falls from 1 to 0 over `time` seconds;
  // then the oscillator has expired (unless `time` is 0: it never expires).
  void SetEaseOut(float time, int32_t type = ktOSC_SINE_WAVE, double shape = 0.0);
  float GetEaseIn() const { return fEaseIn; }
  float GetMiddle() const { return fMiddle; }
  float GetEaseOut() const { return fEaseOut; }
  // The expired flag as the last Oscillate left it.
  int32_t IsDampedExpired() const { return fExpired; }

  // The damped value at time `t`; 0 once expired. Writes one log line per
  // call through the logger, when it is set.
  float Oscillate(float t);

  float fEaseIn = 0.0f;
  float fMiddle = 0.0f;
  float fEaseOut = 0.0f;
  int32_t fExpired = 0;
  ktOscillator fEaseInOsc;
  ktOscillator fEaseOutOsc;

 private:
  void Log(const char* format, ...);
};

class ktVecOscillator : public ktDampOscillator {
 public:
  void SetDefault();
  void SetVector(const mkVector3& vector) { fVector = vector; }
  // The vector times the damped value at time `t`.
  mkVector3 Oscillate(float t);

  mkVector3 fVector{0.0f, 0.0f, 0.0f};
};

#endif  // TESSERA_KIT_OSC_OSC_H_
