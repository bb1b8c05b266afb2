// Typed access to the values of a parsed JSON document, each failure a
// ProblemError "<source>: <place>: <what is wrong>", where the place is the
// path of the value (`layers[1].nu`, `grid.z[3]`).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

namespace kestral::analyse {

// The place of `key` in the object at `place`, and of element `index` of
// the array at `place`.
std::string place_of_key(const std::string& place, std::string_view key);
std::string place_of_element(const std::string& place, std::size_t index);

class FieldReader {
 public:
  explicit FieldReader(std::string source) : source_(std::move(source)) {}

  [[noreturn]] void fail(const std::string& place, const std::string& what) const;

  // Requires an object holding only the `allowed` keys and "note" (a
  // string).
  void expect_object(const nlohmann::json& value, const std::string& place,
                     std::initializer_list<std::string_view> allowed) const;
  // Requires an array; `non_empty` refuses [].
  void expect_array(const nlohmann::json& value, const std::string& place, bool non_empty) const;

  // A finite number (a JSON integer or real); `place` names the value.
  double number(const nlohmann::json& value, const std::string& place) const;
  std::string text(const nlohmann::json& value, const std::string& place) const;
  // A number that must pass `ok`, else "is <value>, must be <limits>".
  double checked(const nlohmann::json& value, const std::string& place, bool (*ok)(double), std::string_view limits) const;

  // Member `key` of an object, or none when absent.
  static const nlohmann::json* member(const nlohmann::json& object, std::string_view key);
  // Member `key` that must be present.
  const nlohmann::json& required(const nlohmann::json& object, const std::string& place,
                                 std::string_view key) const;

  const std::string& source() const { return source_; }

 private:
  std::string source_;
};

}  // namespace kestral::analyse
