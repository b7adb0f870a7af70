# Moves an object up and down along an oscillator's wave, one step per frame:
#   Python wave.py OBJECT SECONDS_PER_FRAME
# The script sets JustOneFrame to 0, so the host runs it again every frame;
# what it keeps between runs (the oscillator, the clock) lives in __main__.
import sys

import SceneAPIc
import mkTypesc as T
import mkUtilc as U

name, step = sys.argv[1], float(sys.argv[2])
obj = SceneAPIc.GetSceneObjectByID(name)
if 'wave_clock' not in globals():
    wave_clock = 0.0
    wave = U.new_ktOscillator()
    # A sine of 2-second half-waves from time 0, in -1..1.
    U.ktOscillator_SetWave(wave, 0.0, U.ktOSC_SINE_WAVE, 2.0)
    wave_home = T.new_mkPoint3(0, 0, 0)
    SceneAPIc.GetWorldPos(obj, wave_home, 0)
    wave_at = T.new_mkVector3(0, 0, 0)
    wave_matrix = T.new_mkMatrix44()
wave_clock += step
# The point drifts along x and rides the wave in y, 4 units either way.
height = 4.0 * U.ktOscillator_Oscillate(wave, wave_clock)
T.mkVector3_fX_set(wave_at, T.mkPoint3_fX_get(wave_home) + 2.0 * wave_clock)
T.mkVector3_fY_set(wave_at, T.mkPoint3_fY_get(wave_home) + height)
T.mkVector3_fZ_set(wave_at, T.mkPoint3_fZ_get(wave_home))
T.mkMatrix44_MakeTranslateMat(wave_matrix, wave_at)
SceneAPIc.SetLocalMatrix(obj, wave_matrix)
if round(wave_clock / step) % 10 == 0:
    print('wave: %s at %.2f %.2f' % (name, T.mkVector3_fX_get(wave_at), height))
SceneAPIc.cvar.JustOneFrame = 0
