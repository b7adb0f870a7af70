#include "setup/platform.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Guid::Parse(const std::string& text, Guid* guid) {
  std::string body = text;
  if (body.size() == 38 && body.front() == '{' && body.back() == '}') {
    body = body.substr(1, 36);
  }
  // 8-4-4-4-12 hexadecimal digits.
  if (body.size() != 36 || body[8] != '-' || body[13] != '-' || body[18] != '-' ||
      body[23] != '-') {
    return false;
  }
  uint8_t bytes[16];
  int count = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) continue;
    int high = HexDigit(body[i]);
    int low = HexDigit(body[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[count++] = static_cast<uint8_t>(high << 4 | low);
    ++i;
  }
  guid->fData1 =
      uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
  guid->fData2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
  guid->fData3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) guid->fData4[i] = bytes[8 + i];
  return true;
}

bool Guid::operator==(const Guid& other) const {
  if (fData1 != other.fData1 || fData2 != other.fData2 || fData3 != other.fData3) return false;
  for (int i = 0; i < 8; ++i) {
    if (fData4[i] != other.fData4[i]) return false;
  }
  return true;
}
