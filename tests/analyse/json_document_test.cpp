#include "analyse/json_document.h"

#include <gtest/gtest.h>

#include "analyse/problem.h"

namespace kestral::analyse {
namespace {

std::string message_of(const std::string& text) {
  try {
    parse_json_text(text, "f.json");
  } catch (const ProblemError& error) {
    return error.what();
  }
  return "accepted";
}

TEST(JsonDocument, KeysGivenTwiceAreNamedByTheirPlace) {
  EXPECT_EQ(message_of(R"({"a": 1, "a": 2})"), "f.json: a: given twice");
  EXPECT_EQ(message_of(R"({"a": [1, {"b": 2}, {"c": [0, 0, {"d": 1, "d": 1}]}]})"), "f.json: a[2].c[2].d: given twice");
  EXPECT_EQ(message_of(R"({"l": [{"E": 1}, {"E": 2, "x": {}, "E": 3}]})"), "f.json: l[1].E: given twice");
  // The same key in different objects is no repetition.
  EXPECT_EQ(message_of(R"({"a": {"k": 1}, "b": {"k": 1}, "c": [{"k": 1}, {"k": 2}]})"), "accepted");
}

TEST(JsonDocument, SyntaxErrorsGiveLineAndColumn) {
  EXPECT_EQ(message_of("{\n  \"a\": 1,\n  \"b\": tru\n}"),
            "f.json: line 3, column 11: not valid JSON: syntax error while parsing value - invalid literal; last read: '\"b\": tru<U+000A>'");
  EXPECT_EQ(message_of("{\"a\": 1,}"),
            "f.json: line 1, column 9: not valid JSON: syntax error while parsing object key - unexpected '}'; expected string literal");
  // Comments are not JSON: the problem file has "note" instead.
  EXPECT_EQ(message_of("{\"a\": 1} // remark"),
            "f.json: line 1, column 10: not valid JSON: syntax error while parsing value - invalid literal; last read: '1} /'; expected end of input");
  EXPECT_EQ(message_of("{\"a\": \"\xff\"}"),
            "f.json: line 1, column 8: not valid JSON: syntax error while parsing value - invalid string: ill-formed UTF-8 byte; last read: '\"\\xFF'");
  EXPECT_EQ(message_of("{\"a\": 1e999}"), "f.json: not valid JSON: number overflow parsing '1e999'");
  EXPECT_EQ(message_of("{\"a\": 1} {"),
            "f.json: line 1, column 10: not valid JSON: syntax error while parsing value - unexpected '{'; expected end of input");
}

TEST(JsonDocument, ParsesValidDocuments) {
  const nlohmann::json value = parse_json_text(R"({"x": [1, 2.5, "t", null, true, {}]})", "f.json");
  EXPECT_EQ(value["x"].size(), 6u);
  EXPECT_EQ(value["x"][1], 2.5);
}

}  // namespace
}  // namespace kestral::analyse
