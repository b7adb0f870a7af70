#include "stage/trace.h"

#include <cstdio>

namespace stage {

std::string FormatMessage(const Message& message) {
  static const char* const kMarks[] = {"log", "warning", "stage"};
  return "@" + std::to_string(message.frame) + " " + kMarks[int(message.kind)] + ": " +
         ShowText(message.text);
}

namespace {

// The length of the well-formed UTF-8 sequence at text[i] (2 to 4), or 0.
size_t Utf8Length(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

}  // namespace

std::string ShowText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      shown += text[i++];
      continue;
    }
    if (const size_t length = c >= 0x80 ? Utf8Length(text, i) : 0) {
      shown.append(text, i, length);
      i += length;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", unsigned(c));
    shown += escaped;
    ++i;
  }
  return shown;
}

std::string FormatFloat(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", double(value));
  return text;
}

CallTrace::Line::Line(CallTrace& trace, const char* name) : trace_(trace), on_(trace.enabled()) {
  if (!on_) return;
  text_ = name;
  text_ += '(';
}

void CallTrace::Line::Separate() {
  if (!first_) text_ += ", ";
  first_ = false;
}

void CallTrace::Line::Arg(int32_t value) {
  if (!on_) return;
  Separate();
  text_ += std::to_string(value);
}
void CallTrace::Line::Arg(uint32_t value) {
  if (!on_) return;
  Separate();
  text_ += std::to_string(value);
}
void CallTrace::Line::Arg(float value) {
  if (!on_) return;
  Separate();
  text_ += FormatFloat(value);
}
void CallTrace::Line::Arg(const char* text) {
  if (!on_) return;
  Separate();
  if (text == nullptr) {
    text_ += "null";
    return;
  }
  text_ += '"';
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '"' || *p == '\\') text_ += '\\';
    if (static_cast<unsigned char>(*p) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", unsigned(static_cast<unsigned char>(*p)));
      text_ += escaped;
    } else {
      text_ += *p;
    }
  }
  text_ += '"';
}
void CallTrace::Line::Arg(const char** list) {
  if (!on_) return;
  Separate();
  text_ += list == nullptr ? "null" : "[list]";
}
void CallTrace::Line::Arg(const mkVector3& vector) {
  if (!on_) return;
  Separate();
  text_ += "(" + FormatFloat(vector.fX) + " " + FormatFloat(vector.fY) + " " +
           FormatFloat(vector.fZ) + ")";
}
void CallTrace::Line::Defer(const float* floats, int count) {
  if (!on_) return;
  Separate();
  if (floats == nullptr) {
    text_ += "null";
    return;
  }
  deferred_.push_back(Deferred{text_.size(), floats, count});
}
void CallTrace::Line::Arg(const mkPoint3* point) {
  Defer(point != nullptr ? &point->fX : nullptr, 3);
}
void CallTrace::Line::Arg(const mkVector3* vector) {
  Defer(vector != nullptr ? &vector->fX : nullptr, 3);
}
void CallTrace::Line::Arg(const float* scalar) {
  Defer(scalar, 1);
}
void CallTrace::Line::Arg(const int32_t* box) {
  if (!on_) return;
  Separate();
  if (box == nullptr) {
    text_ += "null";
    return;
  }
  deferred_.push_back(Deferred{text_.size(), box, 0});
}

std::string CallTrace::Line::Resolve() const {
  std::string text;
  size_t from = 0;
  for (const Deferred& d : deferred_) {
    text.append(text_, from, d.at - from);
    from = d.at;
    if (d.count == 0) {
      text += "&" + std::to_string(*static_cast<const int32_t*>(d.values));
      continue;
    }
    const float* f = static_cast<const float*>(d.values);
    text += "&(";
    for (int i = 0; i < d.count; ++i) text += (i ? " " : "") + FormatFloat(f[i]);
    text += ")";
  }
  text.append(text_, from, std::string::npos);
  return text;
}

void CallTrace::Line::Arg(const void* handle) {
  if (!on_) return;
  Separate();
  text_ += trace_.Label(handle);
}

void CallTrace::Line::Finish() {
  if (!on_) return;
  if (!deferred_.empty()) text_ = Resolve(), deferred_.clear();
  if (!closed_) text_ += ')';
  trace_.Append(text_);
}

void CallTrace::Line::Finish(const char* note) {
  if (!on_) return;
  if (!deferred_.empty()) text_ = Resolve(), deferred_.clear();
  if (!closed_) text_ += ')';
  text_ += ' ';
  text_ += note;
  trace_.Append(text_);
}

void CallTrace::Append(const std::string& text) {
  if (!enabled()) return;
  std::string line = "@" + std::to_string(frame_) + " " + text;
  if (onLine) onLine(line);
  if (keep) lines_.push_back(std::move(line));
}

std::string CallTrace::Label(const void* handle) const {
  if (handle == nullptr) return "null";
  // Values this small are numbers passed where the interface takes an
  // address (XCmdFindContext's record kinds), never real addresses.
  const auto value = reinterpret_cast<uintptr_t>(handle);
  if (value < 0x10000) return std::to_string(value);
  return labeler_ ? labeler_(handle) : "?";
}

}  // namespace stage
