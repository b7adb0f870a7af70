// The numbers of scene files, read locale-independently: the scene file
// reader and the timeline verbs' word readers share them.
#ifndef TESSERA_STAGE_SCENE_NUMBERS_H_
#define TESSERA_STAGE_SCENE_NUMBERS_H_

#include <cstdint>
#include <string>

namespace stage {

enum class Number { kOk, kNotANumber, kOutOfRange };

// A whole decimal number, all of `text`: one that does not fit 64 bits is
// out of range.
Number ReadInt(const std::string& text, int64_t* value);

// A decimal float, all of `text`: optional sign, digits, optional fraction,
// optional exponent. Values beyond a float's range are out of range.
Number ReadFloat(const std::string& text, float* value);

}  // namespace stage

#endif  // TESSERA_STAGE_SCENE_NUMBERS_H_
