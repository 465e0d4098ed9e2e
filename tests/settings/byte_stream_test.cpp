// Field encoding of the settings archive: integers, floats, counted strings.
#include "settings/byte_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

std::string Encode(const std::string& text) {
  std::string out;
  ByteWriter(out).WriteString(text);
  return out;
}

TEST(ByteStream, IntegersAreLittleEndianAndFloatsBitExact) {
  std::vector<uint8_t> bytes;
  ByteWriter w(bytes);
  w.WriteInt32(16777472);
  w.WriteInt32(-2);
  w.WriteUInt32(0xDEADBEEF);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  uint32_t nanBits;
  std::memcpy(&nanBits, &nan, 4);
  nanBits |= 0x1234;  // payload survives
  float payloadNan;
  std::memcpy(&payloadNan, &nanBits, 4);
  w.WriteFloat32(payloadNan);
  w.WriteFloat32(-0.0f);
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[1], 0x01);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0x01);
  EXPECT_EQ(bytes[4], 0xFE);
  EXPECT_EQ(bytes[7], 0xFF);

  ByteReader r(bytes);
  int32_t a, b;
  uint32_t c;
  float f, z;
  ASSERT_TRUE(r.ReadInt32(a) && r.ReadInt32(b) && r.ReadUInt32(c) && r.ReadFloat32(f) &&
              r.ReadFloat32(z));
  EXPECT_EQ(a, 16777472);
  EXPECT_EQ(b, -2);
  EXPECT_EQ(c, 0xDEADBEEFu);
  uint32_t back;
  std::memcpy(&back, &f, 4);
  EXPECT_EQ(back, nanBits);
  EXPECT_TRUE(std::signbit(z));
  EXPECT_TRUE(r.AtEnd());
}

TEST(ByteStream, StringPrefixFormsAtTheirBoundaries) {
  struct Case {
    size_t length;
    size_t prefix;
  } cases[] = {{0, 1}, {254, 1}, {255, 3}, {65533, 3}, {65534, 7}, {70000, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string text(c.length, 'a');
    for (size_t i = 0; i < c.length; ++i) text[i] = static_cast<char>('a' + i % 26);
    const std::string enc = Encode(text);
    ASSERT_EQ(enc.size(), c.length + c.prefix);
    if (c.prefix == 1) {
      EXPECT_EQ(static_cast<uint8_t>(enc[0]), c.length);
    }
    if (c.prefix == 3) {
      EXPECT_EQ(static_cast<uint8_t>(enc[0]), 0xFF);
      EXPECT_EQ(static_cast<uint8_t>(enc[1]) | static_cast<uint8_t>(enc[2]) << 8, int(c.length));
    }
    if (c.prefix == 7) {
      EXPECT_EQ(enc.substr(0, 3), std::string("\xFF\xFF\xFF"));
    }
    ByteReader r(enc);
    std::string back;
    ASSERT_TRUE(r.ReadString(back));
    EXPECT_EQ(back, text);
    EXPECT_TRUE(r.AtEnd());
  }
}

TEST(ByteStream, TextBeyondAsciiTravelsAsSixteenBitCharacters) {
  // 0xFF 0xFFFE, then 4 characters: 'H', U+00E9, U+263A, '!'.
  const uint8_t shortForm[] = {0xFF, 0xFE, 0xFF, 4, 'H', 0, 0xE9, 0, 0x3A, 0x26, '!', 0};
  std::string text;
  ByteReader r(shortForm, sizeof shortForm);
  ASSERT_TRUE(r.ReadString(text));
  EXPECT_EQ(text, "H\xC3\xA9\xE2\x98\xBA!");
  EXPECT_TRUE(r.AtEnd());

  // Written back: the same 16-bit form; a character beyond the 16-bit range
  // takes two units.
  std::string written;
  ByteWriter(written).WriteString(text);
  EXPECT_EQ(written, std::string(reinterpret_cast<const char*>(shortForm), sizeof shortForm));
  written.clear();
  ByteWriter(written).WriteString("\xF0\x9F\x8E\xB5");  // U+1F3B5
  EXPECT_EQ(written, std::string("\xFF\xFE\xFF\x02\x3C\xD8\xB5\xDF", 8));

  // Byte strings are what older programs wrote in the Western code page;
  // bytes that are no UTF-8 stay a byte string when written.
  const std::string legacy("\x04" "\x80t\xE9!", 5);
  ByteReader r3(legacy);
  ASSERT_TRUE(r3.ReadString(text));
  EXPECT_EQ(text, "\xE2\x82\xACt\xC3\xA9!");
  written.clear();
  ByteWriter(written).WriteString("\xE9t\xE9");
  EXPECT_EQ(written, "\x03\xE9t\xE9");

  // The second prefix may itself be the three-byte form.
  std::vector<uint8_t> longForm = {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01};  // 300 characters
  for (int i = 0; i < 300; ++i) {
    longForm.push_back('x');
    longForm.push_back(0);
  }
  ByteReader r2(longForm);
  ASSERT_TRUE(r2.ReadString(text));
  EXPECT_EQ(text, std::string(300, 'x'));
  EXPECT_TRUE(r2.AtEnd());
}

TEST(ByteStream, ShortOrDamagedInputFailsAndStaysFailed) {
  // A length beyond the data (also in 16-bit characters and 32-bit form).
  const std::string tooLong[] = {
      std::string("\x05" "abcd"),
      std::string("\xFF\x00\x01", 3) + "abc",
      std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7) + "abc",
      std::string("\xFF\xFE\xFF\x03" "a\0b\0", 8),
      std::string("\xFF\xFE\xFF\xFF\xFE\xFF\x01", 7),  // mark twice
      std::string("\xFF\x01", 2),
  };
  for (const std::string& bytes : tooLong) {
    ByteReader r(bytes);
    std::string text = "kept";
    EXPECT_FALSE(r.ReadString(text));
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(r.Failed());
    uint8_t b;
    EXPECT_FALSE(r.ReadUInt8(b));
  }

  const uint8_t three[] = {1, 2, 3};
  ByteReader r(three, 3);
  int32_t v = 42;
  EXPECT_FALSE(r.ReadInt32(v));
  EXPECT_EQ(v, 42);
  uint8_t b;
  EXPECT_FALSE(r.ReadUInt8(b));  // sticky, although one byte is there
  EXPECT_FALSE(r.AtEnd());
}

TEST(ByteStream, CountsAreCheckedAgainstTheRemainingBytes) {
  std::string bytes;
  ByteWriter w(bytes);
  w.WriteInt32(3);
  w.WriteBytes("012345678901", 12);
  int32_t count = -1;
  ByteReader ok(bytes);
  EXPECT_TRUE(ok.ReadCount(count, 4));
  EXPECT_EQ(count, 3);
  ByteReader tooMany(bytes);
  EXPECT_FALSE(tooMany.ReadCount(count, 5));

  std::string negative;
  ByteWriter(negative).WriteInt32(-1);
  ByteReader neg(negative);
  EXPECT_FALSE(neg.ReadCount(count, 0));
  EXPECT_TRUE(neg.Failed());
}

}  // namespace
