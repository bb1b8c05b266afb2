// The free-format reader: statement boundaries, the forms of integers and
// reals, and every diagnostic word for word.
#include "driver/free_format_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace kestral {
namespace {

// Reads one statement of real items per entry of `statement_sizes` from
// `content` and returns the values, statement after statement.
std::vector<std::vector<float>> read_reals(const std::string& content,
                                           const std::vector<int>& statement_sizes) {
  FreeFormatReader file(content, 1, "KESTRAL.in");
  std::vector<std::vector<float>> values;
  for (const int size : statement_sizes) {
    std::vector<float> statement(static_cast<std::size_t>(size), -99.0f);
    std::vector<ReadItem> items;
    for (float& value : statement) items.push_back(ReadItem::real(value));
    file.read_statement(items);
    values.push_back(statement);
  }
  return values;
}

// The diagnostic of the first failing statement, or "" when all are read.
std::string diagnostic_of(const std::string& content, int unit, const std::string& name,
                          const std::vector<ReadItem::Kind>& kinds) {
  FreeFormatReader file(content, unit, name);
  std::array<int, 8> integers{};
  std::array<float, 8> reals{};
  std::vector<ReadItem> items;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    items.push_back(kinds[k] == ReadItem::Kind::kInteger ? ReadItem::integer(integers[k])
                                                         : ReadItem::real(reals[k]));
  }
  try {
    file.read_statement(items);
  } catch (const InputError& error) {
    return error.what();
  }
  return "";
}

using Statements = std::vector<std::vector<float>>;

TEST(FreeFormatReader, StatementsStartOnANewLineAndSkipRemarks) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<int> sizes;
    Statements expected;
  };
  const Case cases[] = {
      {"remarks after the last value",
       "2   layers\n4000 120 E values\n",
       {1, 2},
       {{2}, {4000, 120}}},
      {"E over two lines, comma at the line end",
       "4000,\n  120   E of the half-space\n0.30 0.45\n",
       {2, 2},
       {{4000, 120}, {0.30f, 0.45f}}},
      {"a list over three lines", "1\n\n 2,\n3 4 5\n6\n", {3, 1}, {{1, 2, 3}, {6}}},
      {"a third value on a point line",
       "0 0 7\n200 50 8 9\n1\n",
       {2, 2, 1},
       {{0, 0}, {200, 50}, {1}}},
      {"values beyond the item on its last line", "4000\n120 999\n5\n", {2, 1}, {{4000, 120}, {5}}},
      {"blank lines are separators", "\n\n  \n7\n\n8\n", {1, 1}, {{7}, {8}}},
      {"tabs and a single comma separate", "1\t2,3 ,4\n", {4}, {{1, 2, 3, 4}}},
      {"CRLF line ends",
       "2 layers\r\n4000,\r\n120\r\n0.3 0.45\r\n",
       {1, 2, 2},
       {{2}, {4000, 120}, {0.3f, 0.45f}}},
      {"last value at the end of the file, no line end", "1\n2", {1, 1}, {{1}, {2}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read_reals(c.content, c.sizes), c.expected) << c.what;
  }
}

TEST(FreeFormatReader, IntegerItemsReadAsIntegers) {
  FreeFormatReader file("5 layers\n+3\n-12, 0\n", 1, "KESTRAL.in");
  int a = 0, b = 0, c = 0, d = 1;
  file.read_statement(std::array{ReadItem::integer(a)});
  file.read_statement(std::array{ReadItem::integer(b)});
  file.read_statement(std::array{ReadItem::integer(c), ReadItem::integer(d)});
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(c, -12);
  EXPECT_EQ(d, 0);
}

// Every real form is compared with the float nearest to its value, so the
// conversion must be correctly rounded: no tolerance.
TEST(ParseReal, AllWrittenForms) {
  const struct {
    const char* text;
    float value;
  } cases[] = {
      {"300", 300.0f},
      {"300.", 300.0f},
      {"0.35", 0.35f},
      {".35", 0.35f},
      {"1.5e3", 1500.0f},
      {"1.5E+3", 1500.0f},
      {"1.5d3", 1500.0f},
      {"1.5D3", 1500.0f},
      {"15e2", 1500.0f},
      {"1.5e-3", 1.5e-3f},
      {"+2.5", 2.5f},
      {"-0.5", -0.5f},
      {"2e0", 2.0f},
      {"2.0", 2.0f},
      {"+1", 1.0f},
      {"0.066671344", 0.066671344f},
      {"-0.97390653", -0.97390653f},
      {"3.4e38", 3.4e38f},
  };
  for (const auto& c : cases) {
    float value = -99.0f;
    EXPECT_TRUE(parse_real(c.text, value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(ParseReal, WheelFlagsCompareExactly) {
  for (const char* text : {"2", "2.0", "2e0", "2.", "20e-1", "0.2e1"}) {
    float flag = 0.0f;
    ASSERT_TRUE(parse_real(text, flag)) << text;
    EXPECT_TRUE(flag == 2.0f) << text;
  }
  float flag = 0.0f;
  ASSERT_TRUE(parse_real("1.5", flag));
  EXPECT_FALSE(flag == 1.0f || flag == 2.0f);
}

// Each failure names its kind, the unit and the file, as one line.
TEST(FreeFormatReader, DiagnosticsWordForWord) {
  using K = ReadItem::Kind;
  const std::string eof = "end-of-file during read";
  const std::string syntax = "list-directed I/O syntax error";
  const std::string conversion = "input conversion error";
  const struct Case {
    const char* what;
    std::string content;
    std::vector<K> kinds;
    std::string kind_of_failure;
  } cases[] = {
      {"empty file", "", {K::kInteger}, eof},
      {"only blank lines", "\n  \n\n", {K::kReal}, eof},
      {"file ends inside a list", "4000 120\n", {K::kReal, K::kReal, K::kReal}, eof},
      {"two commas with nothing between", "4000,,120\n", {K::kReal, K::kReal}, syntax},
      {"two commas with a blank between", "4000, ,120\n", {K::kReal, K::kReal}, syntax},
      {"comma, line end, comma", "4000,\n,120\n", {K::kReal, K::kReal}, syntax},
      // A null first value: read as a separator, the values would shift.
      {"a comma before the first value", ", 4000 120\n", {K::kReal, K::kReal}, syntax},
      {"a slash between values", "4000 / 120\n", {K::kReal, K::kReal}, syntax},
      {"a slash right after a value", "4000/ 120\n", {K::kReal, K::kReal}, syntax},
      {"a repeat count", "3*0.35\n", {K::kReal, K::kReal, K::kReal}, syntax},
      {"letters for an integer", "three\n", {K::kInteger}, conversion},
      {"letters for a real", "4000 E120\n", {K::kReal, K::kReal}, conversion},
      {"a real for an integer item", "2.5\n", {K::kInteger}, conversion},
      {"an exponent for an integer item", "2e0\n", {K::kInteger}, conversion},
      {"nan", "nan\n", {K::kReal}, conversion},
      {"inf", "inf\n", {K::kReal}, conversion},
      {"Infinity", "-Infinity\n", {K::kReal}, conversion},
      {"hexadecimal real", "0x1p3\n", {K::kReal}, conversion},
      {"1e39 overflows a float", "1e39\n", {K::kReal}, conversion},
      {"-1e39 overflows a float", "-1e39\n", {K::kReal}, conversion},
      {"an integer beyond 32 bits", "4294967297\n", {K::kInteger}, conversion},
      {"an integer just beyond 32 bits", "2147483648\n", {K::kInteger}, conversion},
      {"exponent without digits", "1.5e\n", {K::kReal}, conversion},
      {"a lone point", ".\n", {K::kReal}, conversion},
      {"a lone sign", "-\n", {K::kInteger}, conversion},
      {"two signs on an integer", "+-3\n", {K::kInteger}, conversion},
      {"two signs on a real", "+-3\n", {K::kReal}, conversion},
      {"digits then letters", "2layers\n", {K::kInteger}, conversion},
  };
  for (const Case& c : cases) {
    for (const auto& [unit, name] : {std::pair{1, "KESTRAL.in"}, std::pair{27, "gauss.qua"}}) {
      EXPECT_EQ(diagnostic_of(c.content, unit, name, c.kinds),
                c.kind_of_failure + ", unit " + std::to_string(unit) + ", file " + name)
          << c.what;
    }
  }
}

// Limits that still convert: the largest 32-bit integers and the largest
// finite float.
TEST(FreeFormatReader, ValuesAtTheEdgeOfTheirTypeConvert) {
  using K = ReadItem::Kind;
  EXPECT_EQ(diagnostic_of("2147483647\n", 1, "KESTRAL.in", {K::kInteger}), "");
  EXPECT_EQ(diagnostic_of("-2147483648\n", 1, "KESTRAL.in", {K::kInteger}), "");
  EXPECT_EQ(diagnostic_of("3.4028234e38\n", 1, "KESTRAL.in", {K::kReal}), "");
}

// A slash or a repeat count in the remark after a statement's last value is
// part of the remark, not of the value list.
TEST(FreeFormatReader, RemarksMayHoldAnyCharacter) {
  EXPECT_EQ(read_reals("4000 120 E1/E2 = 3*11, ,\n5\n", {2, 1}), (Statements{{4000, 120}, {5}}));
}

}  // namespace
}  // namespace kestral
