#include "kit/stream/stream.h"

#include <cstring>

void* mkStream::Destroy(uint32_t flags) {
  this->~mkStream();
  return this;
}
int32_t mkStream::AtEnd() { return 0; }
void mkStream::FastFwd() { throw "FastFwd unimplemented by subclass of stream"; }
uint32_t mkStream::GetPosition() { return fPosition; }
void mkStream::SetPosition(uint32_t position) {
  Rewind();
  Skip(position);
}
void mkStream::Truncate() { throw "Truncate unimplemented by subclass of stream"; }
uint8_t mkStream::ReadByte() {
  uint8_t byte = 0;
  Read(1, &byte);
  return byte;
}
int32_t mkStream::ReadFour(void* destination) { return Read(4, destination) == 4; }
int32_t mkStream::ReadTwelve(void* destination) { return Read(12, destination) == 12; }
uint32_t mkStream::GetEOF() { throw "GetEOF() unimplemented by subclass of stream"; }
void mkStream::CopyToMem(void* destination) {
  throw "CopyToMem unimplemented by subclass of stream";
}
int32_t mkStream::Reserved17() { return 0; }
void mkStream::Seek(uint32_t position, int32_t unused) { SetPosition(position); }
int32_t mkStream::Reserved19() { return 0; }

uint32_t mkStream::Read32() {
  uint8_t bytes[4] = {0, 0, 0, 0};
  ReadFour(bytes);
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}
void mkStream::Write32(uint32_t value) {
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                            uint8_t(value >> 24)};
  Write(4, bytes);
}
