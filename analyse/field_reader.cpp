#include "analyse/field_reader.h"

#include <cmath>

#include "analyse/problem.h"
#include "format/shortest_text.h"

namespace kestral::analyse {
namespace {

// "a string", "an array", "null": what a value of the wrong kind is.
std::string kind_of(const nlohmann::json& value) {
  if (value.is_null()) return "null";
  if (value.is_boolean()) return "a boolean";
  if (value.is_number()) return "a number";
  if (value.is_string()) return "a string";
  if (value.is_array()) return "an array";
  return "an object";
}

}  // namespace

std::string place_of_key(const std::string& place, std::string_view key) {
  return place.empty() ? std::string(key) : place + "." + std::string(key);
}

std::string place_of_element(const std::string& place, std::size_t index) {
  return place + "[" + std::to_string(index) + "]";
}

void FieldReader::fail(const std::string& place, const std::string& what) const {
  throw ProblemError(source_ + ": " + (place.empty() ? "the problem" : place) + ": " + what);
}

void FieldReader::expect_object(const nlohmann::json& value, const std::string& place,
                                std::initializer_list<std::string_view> allowed) const {
  if (!value.is_object()) fail(place, "must be an object, not " + kind_of(value));
  for (const auto& [key, member_value] : value.items()) {
    if (key == "note") {
      if (!member_value.is_string()) fail(place_of_key(place, key), "must be a string, not " + kind_of(member_value));
      continue;
    }
    bool known = false;
    for (std::string_view name : allowed) known = known || key == name;
    if (!known) fail(place_of_key(place, key), "unknown key");
  }
}

void FieldReader::expect_array(const nlohmann::json& value, const std::string& place,
                               bool non_empty) const {
  if (!value.is_array()) fail(place, "must be an array, not " + kind_of(value));
  if (non_empty && value.empty()) fail(place, "must not be empty");
}

double FieldReader::number(const nlohmann::json& value, const std::string& place) const {
  if (!value.is_number()) fail(place, "must be a number, not " + kind_of(value));
  const double result = value.get<double>();
  if (!std::isfinite(result)) fail(place, "is beyond the range of a double");
  return result;
}

double FieldReader::checked(const nlohmann::json& value, const std::string& place, bool (*ok)(double), std::string_view limits) const {
  const double result = number(value, place);
  if (!ok(result)) fail(place, "is " + shortest_text(result) + ", must be " + std::string(limits));
  return result;
}

std::string FieldReader::text(const nlohmann::json& value, const std::string& place) const {
  if (!value.is_string()) fail(place, "must be a string, not " + kind_of(value));
  return value.get<std::string>();
}

const nlohmann::json* FieldReader::member(const nlohmann::json& object, std::string_view key) {
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

const nlohmann::json& FieldReader::required(const nlohmann::json& object, const std::string& place,
                                            std::string_view key) const {
  const nlohmann::json* value = member(object, key);
  if (value == nullptr) fail(place_of_key(place, key), "missing");
  return *value;
}

}  // namespace kestral::analyse
