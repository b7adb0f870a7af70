#include "kit/tunables/tunables.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

#include "kit/ascii.h"
#include "kit/plugin/command.h"
#include "kit/stream/stream.h"

namespace {

std::string LowerKey(const char* key) {
  return ktAsciiLowerCopy(key);
}

// The separators of the file: the C locale's white space, ',' and '='.
bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ',' ||
         c == '=';
}

// The decimal conversion of the C library without its locale: one optional
// sign, then the longest decimal number that can be read; the rest is
// ignored; nothing readable gives 0 (so does a second sign: "--5.0" and
// "+-2.5" read 0). The result is always finite: beyond the float range it
// stops at the range's ends.
float ParseFloat(const char* text) {
  const char* p = text;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p == '-' || *p == '+') return 0.0f;  // from_chars would take this sign
  double value = 0.0;
  const char* end = p + std::strlen(p);
  const auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the sign of the exponent tells.
    const char* e = p;
    while (e < result.ptr && *e != 'e' && *e != 'E') ++e;
    value = (e < result.ptr && e[1] == '-') ? 0.0 : double(FLT_MAX);
  } else if (result.ec != std::errc() || std::isnan(value)) {
    value = 0.0;
  }
  if (value > double(FLT_MAX)) value = double(FLT_MAX);
  if (value < -double(FLT_MAX)) value = -double(FLT_MAX);
  return float(negative ? -value : value);
}

// Splits a line into its key and values (see the header comment). Returns
// false for a line without any token.
bool SplitLine(const char* line, std::string* key, std::vector<ktTunableValue>* values) {
  bool haveKey = false;
  const char* p = line;
  for (;;) {
    while (*p != '\0' && IsSeparator(*p)) ++p;
    if (*p == '\0' || *p == '#') break;
    // The token is found first and then copied whole.
    const char* start = p;
    const char* end = p;
    bool quoted = false;
    if (*p == '\'') {
      quoted = true;
      start = ++p;
      while (*p != '\0' && *p != '\'') ++p;
      end = p;
      if (*p == '\'') ++p;
    } else {
      while (*p != '\0' && *p != '#' && !IsSeparator(*p)) ++p;
      end = p;
    }
    std::string token(start, end);
    if (!haveKey) {
      if (token.size() > 2 && token.compare(token.size() - 2, 2, "[]") == 0)
        token.resize(token.size() - 2);
      *key = std::move(token);
      haveKey = true;
    } else if (quoted) {
      values->push_back(ktTunableValue::String(token.c_str()));
    } else if (token.find('.') != std::string::npos) {
      values->push_back(ktTunableValue::Float(ParseFloat(token.c_str())));
    } else {
      values->push_back(ktTunableValue::Integer(ktAtoi(token.c_str())));
    }
  }
  return haveKey;
}

}  // namespace

ktTunableValue ktTunableValue::Integer(int32_t value) {
  ktTunableValue v;
  v.kind_ = kInteger;
  v.integer_ = value;
  return v;
}

ktTunableValue ktTunableValue::Float(float value) {
  ktTunableValue v;
  v.kind_ = kFloat;
  v.float_ = value;
  return v;
}

ktTunableValue ktTunableValue::String(const char* text) {
  ktTunableValue v;
  v.kind_ = kString;
  v.text_ = text != nullptr ? text : "";
  return v;
}

int32_t ktTunableValue::AsInt() const {
  switch (kind_) {
    case kInteger:
      return integer_;
    case kFloat:
      if (std::isnan(float_)) return 0;
      if (float_ >= 2147483648.0f) return INT32_MAX;
      if (float_ <= -2147483648.0f) return INT32_MIN;
      return int32_t(float_);
    case kString:
      break;
  }
  return 0;
}

float ktTunableValue::AsFloat() const {
  switch (kind_) {
    case kInteger:
      return float(integer_);
    case kFloat:
      return float_;
    case kString:
      break;
  }
  return 0.0f;
}

const ktTunables::Entry* ktTunables::FindEntry(const char* key) const {
  if (key == nullptr) return nullptr;
  const auto found = index_.find(LowerKey(key));
  return found != index_.end() ? &entries_[found->second] : nullptr;
}

ktTunables::Entry* ktTunables::MakeEntry(const char* key) {
  if (const Entry* entry = FindEntry(key)) return const_cast<Entry*>(entry);
  index_.emplace(LowerKey(key), entries_.size());
  entries_.push_back(Entry{key, {}});
  return &entries_.back();
}

const ktTunableValue* ktTunables::Find(const char* key) const {
  const Entry* entry = FindEntry(key);
  return entry != nullptr && !entry->values.empty() ? &entry->values.front() : nullptr;
}

ktTunableList ktTunables::List(const char* key) const {
  const Entry* entry = FindEntry(key);
  if (entry == nullptr || entry->values.empty()) return {};
  return {entry->values.data(), int32_t(entry->values.size())};
}

float ktTunables::Float(const char* key) const {
  const ktTunableValue* value = Find(key);
  return value != nullptr ? value->AsFloat() : 0.0f;
}

int32_t ktTunables::Int(const char* key) const {
  const ktTunableValue* value = Find(key);
  return value != nullptr ? value->AsInt() : 0;
}

void ktTunables::Add(const char* key, ktTunableValue value) {
  if (key == nullptr) return;
  MakeEntry(key)->values.push_back(std::move(value));
}

void ktTunables::Remove(const char* key) {
  if (const Entry* entry = FindEntry(key)) const_cast<Entry*>(entry)->values.clear();
}

void ktTunables::Clear() {
  entries_.clear();
  index_.clear();
}

void ktTunables::ApplyLine(const char* line) {
  std::string key;
  std::vector<ktTunableValue> values;
  if (!SplitLine(line, &key, &values)) return;
  // A key alone empties the key without making it; otherwise its values are
  // replaced, with one lookup for the whole line.
  if (values.empty())
    Remove(key.c_str());
  else
    MakeEntry(key.c_str())->values = std::move(values);
}

bool ktTunables::Load(const char* path) {
  mkBufferedFileStream file;
  if (path == nullptr || !file.Open(path, "rb")) return false;
  Load(file);
  file.Close();
  return true;
}

void ktTunables::Load(mkStream& stream) {
  char line[kLineLimit];
  while (stream.ReadLine(line, kLineLimit, '#', '\n')) ApplyLine(line);
}

void ktTunables::AddLine(const char* line) {
  if (line == nullptr) return;
  std::string key;
  std::vector<ktTunableValue> values;
  if (!SplitLine(line, &key, &values) || values.empty()) return;
  std::vector<ktTunableValue>& list = MakeEntry(key.c_str())->values;
  for (ktTunableValue& value : values) list.push_back(std::move(value));
}
