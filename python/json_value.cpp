#include "python/json_value.h"

#include <cmath>

#include <pybind11/numpy.h>

namespace kestral::python {
namespace py = pybind11;

namespace {

std::string member_place(const std::string& place, const std::string& key) {
  return place.empty() ? key : place + "." + key;
}

std::string element_place(const std::string& place, std::size_t index) {
  return place + "[" + std::to_string(index) + "]";
}

// "<place>: ", or nothing for the document itself.
std::string shown_place(const std::string& place) {
  return place.empty() ? "" : place + ": ";
}

// Deeper than any problem file goes; a list that holds itself stops here
// instead of exhausting the stack.
constexpr int kMaxNesting = 64;

nlohmann::json converted(const py::handle& value, const std::string& place, int depth);

nlohmann::json converted_container(const py::handle& value, const std::string& place, int depth) {
  if (depth > kMaxNesting)
    throw py::value_error(shown_place(place) + "nested more than " + std::to_string(kMaxNesting) +
                          " deep");
  if (py::isinstance<py::dict>(value)) {
    nlohmann::json object = nlohmann::json::object();
    for (const auto& [key, member] : value.cast<py::dict>()) {
      if (!py::isinstance<py::str>(key))
        throw py::type_error(shown_place(place) + "a key must be text, not " +
                             py::repr(key).cast<std::string>());
      const auto name = key.cast<std::string>();
      object[name] = converted(member, member_place(place, name), depth + 1);
    }
    return object;
  }
  nlohmann::json array = nlohmann::json::array();
  std::size_t index = 0;
  for (const auto& element : value) {
    array.push_back(converted(element, element_place(place, index), depth + 1));
    ++index;
  }
  return array;
}

nlohmann::json converted(const py::handle& value, const std::string& place, int depth) {
  if (value.is_none()) return nullptr;
  // bool before int: Python's bool is an int.
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
  if (py::isinstance<py::int_>(value)) {
    // Integers beyond 64 bits are kept as the nearest double, as a JSON
    // parser keeps them.
    try {
      return value.cast<long long>();
    } catch (const py::cast_error&) {
      return PyLong_AsDouble(value.ptr());
    }
  }
  if (py::isinstance<py::float_>(value)) {
    const double number = value.cast<double>();
    if (!std::isfinite(number))
      throw py::value_error(shown_place(place) + py::str(value).cast<std::string>() +
                            " is not a number a problem file can hold");
    return number;
  }
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::dict>(value)) return converted_container(value, place, depth);
  // numpy arrays and numpy scalars become the Python values they hold.
  if (py::isinstance<py::array>(value) || py::hasattr(value, "dtype"))
    return converted(value.attr("tolist")(), place, depth);
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value))
    return converted_container(value, place, depth);
  throw py::type_error(shown_place(place) +
                       py::str(value.get_type().attr("__name__")).cast<std::string>() +
                       " is not a value a problem file can hold");
}

}  // namespace

nlohmann::json json_from_python(const py::handle& value, const std::string& place) {
  return converted(value, place, 0);
}

py::object python_from_json(const nlohmann::ordered_json& value) {
  switch (value.type()) {
    case nlohmann::ordered_json::value_t::object: {
      py::dict object;
      for (const auto& [key, member] : value.items()) object[py::str(key)] = python_from_json(member);
      return object;
    }
    case nlohmann::ordered_json::value_t::array: {
      py::list array;
      for (const auto& element : value) array.append(python_from_json(element));
      return array;
    }
    case nlohmann::ordered_json::value_t::string:
      return py::str(value.get_ref<const std::string&>());
    case nlohmann::ordered_json::value_t::boolean:
      return py::bool_(value.get<bool>());
    case nlohmann::ordered_json::value_t::number_integer:
      return py::int_(value.get<long long>());
    case nlohmann::ordered_json::value_t::number_unsigned:
      return py::int_(value.get<unsigned long long>());
    case nlohmann::ordered_json::value_t::number_float:
      return py::float_(value.get<double>());
    default:
      return py::none();
  }
}

}  // namespace kestral::python
