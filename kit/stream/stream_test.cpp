#include "kit/stream/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kit/testing/raw_slots.h"
#include "kit/testing/temp_dir.h"

namespace {

using mktest::CallSlot;
using mktest::OffsetOf;

// A stream over bytes in memory that overrides only the abstract operations
// and writes down each call, so that the base behaviour of every other slot
// shows.
class MemoryStream : public mkStream {
 public:
  explicit MemoryStream(std::string data = "", bool knowsEnd = true)
      : bytes(std::move(data)), knows_end_(knowsEnd) {}
  ~MemoryStream() {
    if (destroyed != nullptr) *destroyed = true;
  }

  void* Destroy(uint32_t flags) override {
    this->~MemoryStream();
    if (flags & 1u) ::operator delete(this);
    return this;
  }
  int32_t Open(const char* path, const char* mode) override {
    Note(std::string("Open ") + path + " " + mode);
    return 11;
  }
  int32_t Close() override {
    Note("Close");
    return 12;
  }
  int32_t AtEnd() override { return knows_end_ ? at >= bytes.size() : mkStream::AtEnd(); }
  uint32_t Read(uint32_t count, void* destination) override {
    Note("Read " + std::to_string(count));
    fReadCount += count;
    fPosition += count;
    uint32_t n = 0;
    auto* out = static_cast<char*>(destination);
    while (n < count && at < bytes.size()) out[n++] = bytes[at++];
    return n;
  }
  uint32_t Write(uint32_t count, const void* source) override {
    Note("Write " + std::to_string(count));
    fPosition += count;
    written.append(static_cast<const char*>(source), count);
    return 1;
  }
  void Skip(uint32_t count) override {
    Note("Skip " + std::to_string(count));
    fReadCount += count;
    fPosition += count;
    at += count;
  }
  void Rewind() override {
    Note("Rewind");
    fReadCount = 0;
    fPosition = 0;
    at = 0;
  }

  void Note(const std::string& call) {
    if (logging) log += (log.empty() ? "" : "; ") + call;
  }

  std::string bytes;
  size_t at = 0;
  std::string written;
  std::string log;
  bool* destroyed = nullptr;
  bool logging = true;

 private:
  bool knows_end_;
};

// The text a throwing default operation carries, or "(no throw)".
template <class Call>
std::string ThrownText(Call call) {
  try {
    call();
  } catch (const char* text) {
    return text;
  }
  return "(no throw)";
}

std::string Bytes(std::initializer_list<int> values) {
  std::string text;
  for (int value : values) text += char(value);
  return text;
}

// A file in the test's own temporary directory, removed afterwards.
class StreamFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = mktest::MakeTempDir(std::string("stream_test_") + info->test_suite_name() + "_" +
                               info->name());
  }
  void TearDown() override {
    if (stream_.fFile != nullptr) stream_.Close();
    std::filesystem::remove_all(dir_);
  }

  std::string MakeFile(const std::string& contents, const char* name = "data") {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }
  std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The stream opened for reading over `contents`.
  mkBufferedFileStream& Over(const std::string& contents) {
    EXPECT_TRUE(stream_.Open(MakeFile(contents).c_str(), "rb"));
    return stream_;
  }

  std::filesystem::path dir_;
  mkBufferedFileStream stream_;
};

// --- Binary interface --------------------------------------------------------

TEST(StreamLayoutTest, CountersFollowTheOperationTable) {
  MemoryStream stream;
  const std::ptrdiff_t table = sizeof(void*);
  EXPECT_EQ(OffsetOf(stream, stream.fReadCount), table);
  EXPECT_EQ(OffsetOf(stream, stream.fPosition), table + 4);
  EXPECT_EQ(stream.fReadCount, 0u);
  EXPECT_EQ(stream.fPosition, 0u);
  mkBufferedFileStream file;
  EXPECT_EQ(OffsetOf(file, file.fFile), table + 8);
  EXPECT_EQ(file.fFile, nullptr);
}

TEST(StreamSlotsTest, AbstractSlotsReachTheSubclass) {
  MemoryStream stream("abcdefghijklmnop");
  EXPECT_EQ((CallSlot<int32_t, const char*, const char*>(&stream, 1, "p", "rb")), 11);
  EXPECT_EQ(CallSlot<int32_t>(&stream, 2), 12);
  char buffer[4] = {};
  EXPECT_EQ((CallSlot<uint32_t, uint32_t, void*>(&stream, 4, 3u, buffer)), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ((CallSlot<uint32_t, uint32_t, const void*>(&stream, 5, 2u, "xy")), 1u);
  CallSlot<void, uint32_t>(&stream, 6, 5u);
  CallSlot<void>(&stream, 7);
  EXPECT_EQ(stream.log, "Open p rb; Close; Read 3; Write 2; Skip 5; Rewind");
  EXPECT_EQ(stream.written, "xy");
}

TEST(StreamSlotsTest, BaseBehaviourOfTheOtherSlots) {
  MemoryStream stream("0123456789abcdef");
  MemoryStream ended("");
  EXPECT_EQ(CallSlot<int32_t>(&ended, 3), 1);  // AtEnd of the subclass
  MemoryStream endless("", false);
  EXPECT_EQ(CallSlot<int32_t>(&endless, 3), 0);  // the base says "not at the end"

  stream.Skip(4);
  EXPECT_EQ(CallSlot<uint32_t>(&stream, 9), 4u);  // GetPosition
  stream.log.clear();
  CallSlot<void, uint32_t>(&stream, 10, 2u);  // SetPosition
  EXPECT_EQ(stream.log, "Rewind; Skip 2");
  EXPECT_EQ(CallSlot<uint8_t>(&stream, 12), '2');  // ReadByte
  char four[4];
  EXPECT_EQ((CallSlot<int32_t, void*>(&stream, 13, four)), 1);  // ReadFour
  EXPECT_EQ(std::string(four, 4), "3456");
  char twelve[12];
  EXPECT_EQ((CallSlot<int32_t, void*>(&stream, 14, twelve)), 0);  // ReadTwelve, 9 left
  EXPECT_EQ(std::string(twelve, 9), "789abcdef");
  EXPECT_EQ(CallSlot<int32_t>(&stream, 17), 0);
  stream.log.clear();
  CallSlot<void, uint32_t, int32_t>(&stream, 18, 7u, 99);  // Seek
  EXPECT_EQ(stream.log, "Rewind; Skip 7");
  EXPECT_EQ(stream.fPosition, 7u);
  EXPECT_EQ(CallSlot<int32_t>(&stream, 19), 0);
}

TEST(StreamSlotsTest, UnsupportedOperationsThrowTheirTexts) {
  MemoryStream stream;
  char memory[4];
  EXPECT_EQ(ThrownText([&] { CallSlot<void>(&stream, 8); }),
            "FastFwd unimplemented by subclass of stream");
  EXPECT_EQ(ThrownText([&] { CallSlot<void>(&stream, 11); }),
            "Truncate unimplemented by subclass of stream");
  EXPECT_EQ(ThrownText([&] { CallSlot<uint32_t>(&stream, 15); }),
            "GetEOF() unimplemented by subclass of stream");
  EXPECT_EQ(ThrownText([&] { CallSlot<void, void*>(&stream, 16, memory); }),
            "CopyToMem unimplemented by subclass of stream");
  // The file stream keeps the throwing defaults for these two.
  mkBufferedFileStream file;
  EXPECT_EQ(ThrownText([&] { CallSlot<uint32_t>(&file, 15); }),
            "GetEOF() unimplemented by subclass of stream");
  EXPECT_EQ(ThrownText([&] { CallSlot<void, void*>(&file, 16, memory); }),
            "CopyToMem unimplemented by subclass of stream");
}

TEST(StreamSlotsTest, SlotZeroDestroysAndFreesOnBitZero) {
  bool destroyed = false;
  auto* stream = new MemoryStream;
  stream->destroyed = &destroyed;
  EXPECT_EQ((CallSlot<void*, uint32_t>(stream, 0, 1u)), stream);
  EXPECT_TRUE(destroyed);  // and freed: the leak checker of the sanitizer build says so
}

TEST_F(StreamFileTest, FileStreamSlotsReachItsOwnOperations) {
  const std::string path = MakeFile("0123456789");
  auto* stream = new mkBufferedFileStream;
  ASSERT_EQ((CallSlot<int32_t, const char*, const char*>(stream, 1, path.c_str(), "r+b")), 1);
  EXPECT_EQ(CallSlot<int32_t>(stream, 3), 0);  // AtEnd
  char buffer[4] = {};
  EXPECT_EQ((CallSlot<uint32_t, uint32_t, void*>(stream, 4, 3u, buffer)), 3u);
  EXPECT_STREQ(buffer, "012");
  CallSlot<void, uint32_t>(stream, 6, 2u);  // Skip to 5
  EXPECT_EQ(stream->ReadByte(), '5');
  CallSlot<void>(stream, 7);  // Rewind
  EXPECT_EQ(stream->fPosition, 0u);
  EXPECT_EQ(stream->ReadByte(), '0');
  CallSlot<void>(stream, 8);  // FastFwd
  EXPECT_EQ(stream->fPosition, 10u);
  EXPECT_EQ(stream->fReadCount, 10u);
  EXPECT_EQ(CallSlot<int32_t>(stream, 3), 1);
  stream->SetPosition(4);
  EXPECT_EQ((CallSlot<uint32_t, uint32_t, const void*>(stream, 5, 2u, "xy")), 1u);
  CallSlot<void>(stream, 11);  // Truncate after "0123xy"
  EXPECT_EQ(CallSlot<int32_t>(stream, 2), 1);
  EXPECT_EQ(stream->fFile, nullptr);
  EXPECT_EQ(Contents(path), "0123xy");
  CallSlot<void*, uint32_t>(stream, 0, 1u);
}

TEST_F(StreamFileTest, DestroyLeavesTheFileToItsOwner) {
  const std::string path = MakeFile("");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  auto* stream = new mkBufferedFileStream;
  stream->fFile = file;
  CallSlot<void*, uint32_t>(stream, 0, 1u);
  // Still open: the owner can write and close it.
  EXPECT_GE(std::fputs("kept", file), 0);
  EXPECT_EQ(std::fclose(file), 0);
  EXPECT_EQ(Contents(path), "kept");
}

// --- Typed values -------------------------------------------------------------

TEST(StreamValuesTest, WritesAreLittleEndian) {
  MemoryStream stream;
  stream.WriteByte(0x1A5);
  stream.WriteBool(-7);
  stream.WriteBool(0);
  stream.Write16(0xABCD1234u);
  stream.Write32(0x12345678u);
  stream.WriteFloat(1.0f);
  stream.WriteFloat(-2.5f);
  const uint16_t shorts[] = {0x0102, 0x0304};
  stream.Write16(2, shorts);
  const uint32_t words[] = {0xA1B2C3D4u};
  stream.Write32(1, words);
  const float floats[] = {0.5f};
  stream.WriteFloat(1, floats);
  EXPECT_EQ(stream.written, Bytes({0xA5, 0x01, 0x00, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00,
                                   0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0, 0x02, 0x01, 0x04,
                                   0x03, 0xD4, 0xC3, 0xB2, 0xA1, 0x00, 0x00, 0x00, 0x3F}));
  EXPECT_EQ(stream.fPosition, 29u);
  EXPECT_EQ(stream.fReadCount, 0u);
  // The array forms write value by value.
  EXPECT_NE(stream.log.find("Write 2; Write 2; Write 4; Write 4"), std::string::npos);
}

TEST(StreamValuesTest, ReadsAreLittleEndian) {
  MemoryStream stream(Bytes({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x20, 0xC0,
                             0x02, 0x01, 0x04, 0x03, 0xD4, 0xC3, 0xB2, 0xA1, 0x01, 0x00,
                             0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x3F}));
  EXPECT_EQ(stream.Read16(), 0x1234u);
  EXPECT_EQ(stream.Read32(), 0x12345678u);
  EXPECT_EQ(stream.ReadFloat(), -2.5f);
  uint16_t shorts[2];
  stream.Read16(2, shorts);
  EXPECT_EQ(shorts[0], 0x0102u);
  EXPECT_EQ(shorts[1], 0x0304u);
  uint32_t words[2];
  stream.Read32(2, words);
  EXPECT_EQ(words[0], 0xA1B2C3D4u);
  EXPECT_EQ(words[1], 1u);
  float floats[2];
  stream.log.clear();
  stream.ReadFloat(2, floats);
  EXPECT_EQ(stream.log, "Read 8");  // one Read for the whole array
  EXPECT_EQ(floats[0], 1.0f);
  EXPECT_EQ(floats[1], 0.5f);
}

TEST(StreamValuesTest, ShortReadsKeepWhatTheDestinationHeld) {
  MemoryStream stream(Bytes({0xAB, 0xCD}));
  EXPECT_EQ(stream.Read32(), 0xCDABu);  // two bytes read, the rest zero
  EXPECT_EQ(stream.Read16(), 0u);
  EXPECT_EQ(stream.fPosition, 6u);  // requested, not transferred
  MemoryStream partial(Bytes({0x01, 0x00, 0x00, 0x00, 0x02}));
  uint32_t words[2] = {0xEEEEEEEEu, 0xEEEEEEEEu};
  partial.Read32(2, words);
  EXPECT_EQ(words[0], 1u);
  EXPECT_EQ(words[1] & 0xFFFFFF00u, 0xEEEEEE00u);  // the unfinished value is not reassembled
}

// --- Text readers --------------------------------------------------------------

enum class Reader { kLine, kToken };

struct TextCase {
  const char* name;
  Reader reader;
  std::string input;
  std::vector<std::string> expected;
};

void PrintTo(const TextCase& c, std::ostream* out) {
  *out << c.name;
}

std::vector<std::string> ReadAll(mkStream& stream, Reader reader, int32_t capacity = 256) {
  std::vector<std::string> items;
  std::vector<char> buffer(size_t(capacity) + 1, '\x7F');
  for (int guard = 0; guard < 10000; ++guard) {
    const int32_t got = reader == Reader::kLine
                            ? stream.ReadLine(buffer.data(), capacity, '#', '\n')
                            : stream.ReadToken(buffer.data(), capacity, '#', '\n');
    EXPECT_EQ(buffer[size_t(capacity)], '\x7F') << "written past the capacity";
    if (!got) {
      EXPECT_EQ(buffer[0], '\0');
      break;
    }
    items.emplace_back(buffer.data());
  }
  return items;
}

class TextReaderTest : public StreamFileTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextReaderTest, ReadsTheExpectedItems) {
  const TextCase& c = GetParam();
  EXPECT_EQ(ReadAll(Over(c.input), c.reader), c.expected);
}

const TextCase kTextCases[] = {
    {"EmptyLineWithCrLf", Reader::kLine, "a\r\n\r\nb\r\n", {"a", "b"}},
    {"EmptyLinesWithLf", Reader::kLine, "\n\na\n\n\nb\n\n", {"a", "b"}},
    {"CarriageReturnsAlone", Reader::kLine, "a\rb\r", {"a", "b"}},
    {"EmptyStream", Reader::kLine, "", {}},
    {"OnlyLineBreaks", Reader::kLine, "\r\n\n\r", {}},
    {"CommentLinesSkipped", Reader::kLine, "# one\n#two\r\nx\n#\n", {"x"}},
    {"LaterHashKept", Reader::kLine, "speed 3 # fast\n", {"speed 3 # fast"}},
    {"BlanksKeptInLine", Reader::kLine, "  a b \t\n", {"  a b \t"}},
    {"LastLineWithoutBreak", Reader::kLine, "ab\ncd", {"ab", "cd"}},
    {"OneCharacterLastLineWithoutBreakIsDropped", Reader::kLine, "ab\nc", {"ab"}},
    {"OneCharacterLastLineWithBreak", Reader::kLine, "ab\nc\n", {"ab", "c"}},
    {"SkipBlockIgnored", Reader::kLine, "a\nskip\nb\npiks\nc\n", {"a", "c"}},
    {"NestedSkipAnyCase", Reader::kLine, "a\nSkip\nb\nSKIP\nc\nPiks\nd\npIKS\ne\n", {"a", "e"}},
    {"CommentInsideSkip", Reader::kLine, "skip\n# piks\nb\npiks\nx\n", {"x"}},
    {"PiksWithoutSkipIsALine", Reader::kLine, "piks\na\n", {"piks", "a"}},
    {"SkipWithBlanksIsALine", Reader::kLine, "skip \n piks\n", {"skip ", " piks"}},
    {"EndInsideSkipBlock", Reader::kLine, "a\nskip\nb\n", {"a"}},
    {"EndInsideNestedSkipBlock", Reader::kLine, "skip\nskip\npiks\nb\n", {}},
    {"TokensWithEqualsAndComma", Reader::kToken, "key = 1.5, -2\n", {"key", "1.5", "-2"}},
    {"TokensWithoutBlanks", Reader::kToken, "a=b,c\n", {"a", "b", "c"}},
    {"SeparatorsRunTogether", Reader::kToken, "x,,==  y\t\v\fz\r\n", {"x", "y", "z"}},
    {"TokenCommentSkipsRestOfLine", Reader::kToken, "k=v #note this\nq\n", {"k", "v", "q"}},
    {"HashInsideTokenKept", Reader::kToken, "v1#x\n", {"v1#x"}},
    {"TokenSkipBlock", Reader::kToken, "a skip b SKIP c piks d piks e\n", {"a", "e"}},
    {"TokenPiksWithoutSkip", Reader::kToken, "piks x\n", {"piks", "x"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, TextReaderTest, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TextCase>& param) {
                           return std::string(param.param.name);
                         });

// The memory stream reads the same items as the file stream.
class MemoryTextReaderTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(MemoryTextReaderTest, ReadsTheExpectedItems) {
  const TextCase& c = GetParam();
  mkMemoryStream stream(c.input.data(), uint32_t(c.input.size()));
  EXPECT_EQ(ReadAll(stream, c.reader), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MemoryTextReaderTest, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TextCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(StreamFileTest, LongLineIsCutToCapacityAndTheNextReadStartsOnTheNextLine) {
  const std::string text = std::string(255, 'a') + std::string(45, 'b') + "\nnext\n";
  EXPECT_EQ(ReadAll(Over(text), Reader::kLine, 256),
            (std::vector<std::string>{std::string(255, 'a'), "next"}));
}

TEST_F(StreamFileTest, SmallCapacities) {
  // Capacity 1 holds only the terminating zero: the line is read and dropped.
  EXPECT_EQ(ReadAll(Over("abc\nd\n"), Reader::kLine, 1), (std::vector<std::string>{"", ""}));
  stream_.Close();
  EXPECT_EQ(ReadAll(Over("abc\nd\n"), Reader::kToken, 2), (std::vector<std::string>{"a", "d"}));
}

TEST(TextReaderLimitsTest, CapacityBelowOneWritesNothing) {
  for (int32_t capacity : {0, -1, INT32_MIN}) {
    MemoryStream stream("line\n");
    char buffer[4] = {'z', 'z', 'z', 'z'};
    EXPECT_EQ(stream.ReadLine(buffer, capacity, '#', '\n'), 0);
    EXPECT_EQ(stream.ReadToken(buffer, capacity, '#', '\n'), 0);
    EXPECT_EQ(std::string(buffer, 4), "zzzz") << capacity;
    EXPECT_EQ(stream.fPosition, 0u) << capacity;
  }
  MemoryStream stream("line\n");
  EXPECT_EQ(stream.ReadLine(nullptr, 10, '#', '\n'), 0);
}

TEST(TextReaderLimitsTest, StreamThatDoesNotKnowItsEndStillStops) {
  MemoryStream stream("a\nskip\nb\n", /*knowsEnd=*/false);
  EXPECT_EQ(ReadAll(stream, Reader::kLine), (std::vector<std::string>{"a"}));
  MemoryStream tail("ab\nc", /*knowsEnd=*/false);
  EXPECT_EQ(ReadAll(tail, Reader::kLine), (std::vector<std::string>{"ab", "c"}));
}

TEST(TextReaderLimitsTest, DeepSkipNestingNeedsNoStack) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "skip\n";
  for (int i = 0; i < 200000; ++i) text += "piks\n";
  text += "after\n";
  MemoryStream stream(text);
  stream.logging = false;
  EXPECT_EQ(ReadAll(stream, Reader::kLine), (std::vector<std::string>{"after"}));
}

TEST_F(StreamFileTest, LinesLongerThanAnyBufferAndBinaryBytes) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += std::string(70000, char('a' + i % 26)) + "\n";
  EXPECT_EQ(ReadAll(Over(text), Reader::kLine, 256).size(), 40u);
  stream_.Close();

  const std::string binary = Bytes({'a', 'b', 0, 'c', '\n', 0xFF, 0x80, 0, 0, '\n', 0, 0x1A, 'z'});
  mkBufferedFileStream& stream = Over(binary);
  char buffer[16];
  ASSERT_EQ(stream.ReadLine(buffer, sizeof buffer, '#', '\n'), 1);
  EXPECT_EQ(std::string(buffer, 5), Bytes({'a', 'b', 0, 'c', 0}));
  ASSERT_EQ(stream.ReadLine(buffer, sizeof buffer, '#', '\n'), 1);
  EXPECT_EQ(std::string(buffer, 5), Bytes({0xFF, 0x80, 0, 0, 0}));
  ASSERT_EQ(stream.ReadLine(buffer, sizeof buffer, '#', '\n'), 1);
  EXPECT_EQ(std::string(buffer, 4), Bytes({0, 0x1A, 'z', 0}));
  EXPECT_EQ(stream.ReadLine(buffer, sizeof buffer, '#', '\n'), 0);

  // Every byte value, in a pseudo-random order, through both readers.
  std::string noise;
  uint32_t seed = 12345;
  for (int i = 0; i < 65536; ++i) {
    seed = seed * 1103515245u + 12345u;
    noise += char(seed >> 16);
  }
  for (Reader reader : {Reader::kLine, Reader::kToken}) {
    stream.Close();
    ReadAll(Over(noise), reader, 8);
    EXPECT_TRUE(stream.AtEnd());
  }
}

// --- Buffered file stream --------------------------------------------------------

TEST_F(StreamFileTest, ReadPastTheEndCountsTheRequest) {
  mkBufferedFileStream& stream = Over("0123456789");
  stream.Skip(6);
  char buffer[10];
  EXPECT_EQ(stream.Read(10, buffer), 4u);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(stream.fPosition, 16u);
  EXPECT_EQ(stream.fReadCount, 16u);
  EXPECT_TRUE(stream.AtEnd());
}

TEST_F(StreamFileTest, SetPositionRewindsAndSkips) {
  mkBufferedFileStream& stream = Over("0123456789");
  char buffer[5];
  stream.Read(5, buffer);
  stream.SetPosition(8);
  EXPECT_EQ(stream.fPosition, 8u);
  EXPECT_EQ(stream.fReadCount, 8u);
  EXPECT_EQ(stream.ReadByte(), '8');
  stream.Seek(2, 77);
  EXPECT_EQ(stream.ReadByte(), '2');
  EXPECT_EQ(stream.GetPosition(), 3u);
}

TEST_F(StreamFileTest, WritesCountOnlyThePosition) {
  const std::string path = (dir_ / "out").string();
  ASSERT_TRUE(stream_.Open(path.c_str(), "wb"));
  EXPECT_EQ(stream_.Write(3, "abc"), 1u);
  EXPECT_EQ(stream_.Write(0, "zzz"), 1u);
  stream_.Write32(0x01020304u);
  EXPECT_EQ(stream_.fPosition, 7u);
  EXPECT_EQ(stream_.fReadCount, 0u);
  EXPECT_EQ(stream_.Close(), 1);
  EXPECT_EQ(Contents(path), Bytes({'a', 'b', 'c', 4, 3, 2, 1}));
}

TEST_F(StreamFileTest, OpenAndCloseResults) {
  EXPECT_EQ(stream_.Open((dir_ / "missing").string().c_str(), "rb"), 0);
  EXPECT_EQ(stream_.fFile, nullptr);
  EXPECT_EQ(stream_.Close(), 0);
  EXPECT_EQ(stream_.Open(nullptr, "rb"), 0);
  // Without a file every operation does nothing and reports failure.
  char buffer[2];
  EXPECT_EQ(stream_.Read(2, buffer), 0u);
  EXPECT_EQ(stream_.Write(2, "ab"), 0u);
  EXPECT_EQ(stream_.AtEnd(), 1);
  EXPECT_EQ(stream_.ReadLine(buffer, 2, '#', '\n'), 0);
  stream_.Skip(1);
  stream_.FastFwd();
  stream_.Truncate();
  stream_.Rewind();
  EXPECT_EQ(stream_.fPosition, 0u);
}

TEST_F(StreamFileTest, ReopeningClosesTheEarlierFile) {
  const std::string first = MakeFile("first", "a");
  const std::string second = MakeFile("second", "b");
  ASSERT_TRUE(stream_.Open(first.c_str(), "rb"));
  stream_.Skip(3);
  ASSERT_TRUE(stream_.Open(second.c_str(), "rb"));  // the leak checker sees the first closed
  EXPECT_EQ(stream_.fPosition, 3u);                 // counters untouched
  EXPECT_EQ(stream_.ReadByte(), 's');
}

// --- Memory stream -------------------------------------------------------------

TEST(MemoryStreamTest, CountsRequestsAndStopsAtTheEnd) {
  const std::string bytes = "0123456789";
  mkMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  EXPECT_EQ(stream.Open("ignored", "rb"), 1);
  stream.Skip(6);
  char buffer[10];
  EXPECT_EQ(stream.Read(10, buffer), 4u);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(stream.fPosition, 16u);
  EXPECT_EQ(stream.fReadCount, 16u);
  EXPECT_TRUE(stream.AtEnd());
  stream.Skip(UINT32_MAX);  // past the end: stays at the end
  EXPECT_EQ(stream.Read(1, buffer), 0u);
  stream.SetPosition(8);
  EXPECT_EQ(stream.ReadByte(), '8');
  EXPECT_EQ(stream.Write(2, "ab"), 0u);
  EXPECT_EQ(stream.fPosition, 11u);
  EXPECT_EQ(stream.GetEOF(), 10u);
  stream.FastFwd();
  EXPECT_EQ(stream.fPosition, 10u);
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_EQ(stream.Close(), 1);

  mkMemoryStream none(nullptr, 5);  // no bytes: an empty stream
  EXPECT_TRUE(none.AtEnd());
  EXPECT_EQ(none.Read(5, buffer), 0u);
  EXPECT_EQ(none.Open("x", "rb"), 0);
}

TEST(MemoryStreamTest, SlotsReachItsOwnOperations) {
  const std::string bytes = "abcdef";
  auto* stream = new mkMemoryStream(bytes.data(), uint32_t(bytes.size()));
  char buffer[4] = {};
  EXPECT_EQ((CallSlot<uint32_t, uint32_t, void*>(stream, 4, 3u, buffer)), 3u);
  EXPECT_STREQ(buffer, "abc");
  CallSlot<void, uint32_t>(stream, 6, 2u);  // Skip
  EXPECT_EQ(CallSlot<uint8_t>(stream, 12), 'f');
  EXPECT_EQ(CallSlot<int32_t>(stream, 3), 1);                     // AtEnd
  CallSlot<void>(stream, 7);                                      // Rewind
  EXPECT_EQ(CallSlot<uint32_t>(stream, 15), 6u);                  // GetEOF
  EXPECT_EQ((CallSlot<void*, uint32_t>(stream, 0, 1u)), stream);  // freed: the leak checker says so
}

// --- String sink ---------------------------------------------------------------

TEST(StringSinkTest, CollectsWritesAndCountsThePosition) {
  auto* sink = new mkStringSink;
  EXPECT_EQ(sink->Open("ignored", "wb"), 1);
  sink->Write32(0x64636261u);  // "abcd", little-endian
  EXPECT_EQ((CallSlot<uint32_t, uint32_t, const void*>(sink, 5, 2u, "ef")), 1u);  // Write
  EXPECT_EQ(sink->fBytes, "abcdef");
  EXPECT_EQ(sink->fPosition, 6u);
  char buffer[2] = {};
  EXPECT_EQ(sink->Read(2, buffer), 0u);  // reads nothing
  EXPECT_EQ(sink->Close(), 1);
  EXPECT_EQ((CallSlot<void*, uint32_t>(sink, 0, 1u)), sink);  // freed: the leak checker says so
}

}  // namespace
