#include "kit/plugin/command.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

void Say(egSceneApi* api, bool warning, const char* format, va_list args) {
  char line[kMessageLimit];
  std::vsnprintf(line, sizeof line, format, args);
  if (warning) {
    api->ApiMessageWarn(line);
  } else {
    api->ApiMessage(line);
  }
}

}  // namespace

void ktLog(egSceneApi* api, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Say(api, false, format, args);
  va_end(args);
}

void ktWarn(egSceneApi* api, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Say(api, true, format, args);
  va_end(args);
}

int32_t ktAtoi(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(value);
}

double ktAtof(const char* text) {
  if (text == nullptr) return 0.0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // from_chars would read "inf" and "nan", and a second sign is no number.
  if (!((*p >= '0' && *p <= '9') || *p == '.')) return 0.0;
  double value = 0.0;
  const char* end = p + std::strlen(p);
  const std::from_chars_result result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small or too large for a double: the sign of the exponent tells.
    const char* e = p;
    while (e < result.ptr && *e != 'e' && *e != 'E') ++e;
    value = (e < result.ptr && e[1] == '-') ? 0.0 : double(FLT_MAX);
  } else if (result.ec != std::errc() || !std::isfinite(value)) {
    value = 0.0;
  }
  if (value > double(FLT_MAX)) value = double(FLT_MAX);
  return negative ? -value : value;
}

bool ktArgumentsFit(egSceneApi* api, const ktCommandRow& row, int32_t argc, const char** argv) {
  const bool given = argv != nullptr || row.minArgs == 0;
  if (given && argc >= row.minArgs && argc <= row.maxArgs) return true;
  ktWarn(api, "%s", row.usage);
  return false;
}

mkSceneObject* ktFindObjectOrWarn(egSceneApi* api, const char* name, const char* notFoundFormat) {
  mkSceneObject* object = api->GetSceneObjectByID(name);
  if (object == nullptr) ktWarn(api, notFoundFormat, name);
  return object;
}

void ktRunActorByName(egSceneApi* api, const char* name, egTrigDetector* detector,
                      const ktActorTexts& texts) {
  if (texts.nothingToExecute != nullptr && std::strcmp(name, "nothing") == 0) {
    ktLog(api, "%s", texts.nothingToExecute);
    return;
  }
  egTrigActor* actor = api->GetTrigActorByID(name);
  if (actor != nullptr) {
    api->ExecActor(actor, detector, 1, -1);
  } else {
    ktWarn(api, texts.notFoundFormat, name);
  }
}

int32_t* ktIntRecord(egSceneApi* api, void* object, int32_t kind, int32_t* fallback) {
  *fallback = 0;
  int32_t* value = ktContextRecord<int32_t>(api, object, kind, 0, [](int32_t* v) { *v = 0; });
  return value != nullptr ? value : fallback;
}
