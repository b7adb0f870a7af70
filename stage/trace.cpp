#include "stage/trace.h"

#include <cstdio>

namespace stage {

std::string FormatMessage(const Message& message) {
  static const char* const kMarks[] = {"log", "warning", "stage"};
  return "@" + std::to_string(message.frame) + " " + kMarks[int(message.kind)] + ": " +
         message.text;
}

std::string FormatFloat(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", double(value));
  return text;
}

CallTrace::Line::Line(CallTrace& trace, const char* name) : trace_(trace) {
  text_ = name;
  text_ += '(';
}

void CallTrace::Line::Separate() {
  if (!first_) text_ += ", ";
  first_ = false;
}

void CallTrace::Line::Arg(int32_t value) {
  Separate();
  text_ += std::to_string(value);
}
void CallTrace::Line::Arg(uint32_t value) {
  Separate();
  text_ += std::to_string(value);
}
void CallTrace::Line::Arg(float value) {
  Separate();
  text_ += FormatFloat(value);
}
void CallTrace::Line::Arg(const char* text) {
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
  Separate();
  text_ += list == nullptr ? "null" : "[list]";
}
void CallTrace::Line::Arg(const mkVector3& vector) {
  Separate();
  text_ += "(" + FormatFloat(vector.fX) + " " + FormatFloat(vector.fY) + " " +
           FormatFloat(vector.fZ) + ")";
}
void CallTrace::Line::Arg(const void* handle) {
  Separate();
  text_ += trace_.Label(handle);
}

void CallTrace::Line::Finish() {
  if (!closed_) text_ += ')';
  trace_.Append(text_);
}

void CallTrace::Line::Finish(const char* note) {
  if (!closed_) text_ += ')';
  text_ += ' ';
  text_ += note;
  trace_.Append(text_);
}

void CallTrace::Append(const std::string& text) {
  lines_.push_back("@" + std::to_string(frame_) + " " + text);
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
