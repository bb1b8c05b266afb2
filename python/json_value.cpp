#include "python/json_value.h"

#include <cmath>
#include <string>

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

[[noreturn]] void not_a_number(const std::string& place, const std::string& shown) {
  throw py::value_error(shown_place(place) + shown + " is not a number a problem file can hold");
}

[[noreturn]] void not_a_value(const std::string& place, const py::handle& type) {
  throw py::type_error(shown_place(place) + py::str(type.attr("__name__")).cast<std::string>() +
                       " is not a value a problem file can hold");
}

// Text as UTF-8; a str that has none (a lone surrogate such as "\udcff", as
// os.fsdecode makes of a byte that is not UTF-8) is refused, not raised as
// UnicodeEncodeError.
std::string utf8_text(const py::handle& text, const std::string& place) {
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (bytes == nullptr) {
    PyErr_Clear();
    throw py::value_error(shown_place(place) + py::repr(text).cast<std::string>() +
                          " is not text a problem file can hold (not valid Unicode)");
  }
  return std::string(bytes, static_cast<std::size_t>(size));
}

nlohmann::json integer(const py::handle& value, const std::string& place) {
  // Integers beyond 64 bits are kept as the nearest double, as a JSON
  // parser keeps them; beyond a double's range they are refused.
  int overflow = 0;
  const long long exact = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow == 0 && !(exact == -1 && PyErr_Occurred())) return exact;
  PyErr_Clear();
  const double nearest = PyLong_AsDouble(value.ptr());
  if (nearest == -1.0 && PyErr_Occurred()) {
    PyErr_Clear();
    const auto digits = py::len(py::str(py::module_::import("builtins").attr("abs")(value)));
    not_a_number(place, "an integer of " + std::to_string(digits) + " digits");
  }
  return nearest;
}

nlohmann::json finite(double number, const py::handle& value, const std::string& place) {
  if (!std::isfinite(number)) not_a_number(place, py::str(value).cast<std::string>());
  return number;
}

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
      const std::string name = utf8_text(key, place);
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

// A numpy scalar by its kind: booleans, integers and reals of any width are
// the values they hold (a long double as the nearest double); complex
// numbers, times, bytes and records are refused like any other value that
// is not a number.
nlohmann::json numpy_scalar(const py::handle& value, const std::string& place) {
  const auto kind = py::str(value.attr("dtype").attr("kind")).cast<std::string>();
  if (kind == "b") return value.cast<bool>();
  if (kind == "i" || kind == "u") return integer(py::int_(py::reinterpret_borrow<py::object>(value)), place);
  if (kind == "f") {
    const py::object number = py::float_(py::reinterpret_borrow<py::object>(value));
    return finite(number.cast<double>(), value, place);
  }
  if (kind == "U") return utf8_text(py::str(value), place);
  not_a_value(place, value.get_type());
}

// An array's elements as a list (numpy's own Python values, or numpy
// scalars where it keeps them, as for long double), refused as a whole when
// its kind holds no numbers or text.
nlohmann::json numpy_array(const py::handle& value, const std::string& place, int depth) {
  const auto kind = py::str(value.attr("dtype").attr("kind")).cast<std::string>();
  if (kind.size() != 1 || std::string("biufUO").find(kind) == std::string::npos)
    not_a_value(place, value.attr("dtype").attr("type"));
  return converted(value.attr("tolist")(), place, depth + 1);
}

nlohmann::json converted(const py::handle& value, const std::string& place, int depth) {
  static const py::object numpy_generic = py::module_::import("numpy").attr("generic");
  if (value.is_none()) return nullptr;
  // bool before int: Python's bool is an int.
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
  if (py::isinstance<py::int_>(value)) return integer(value, place);
  if (py::isinstance<py::float_>(value)) return finite(value.cast<double>(), value, place);
  if (py::isinstance<py::str>(value)) return utf8_text(value, place);
  if (py::isinstance<py::dict>(value)) return converted_container(value, place, depth);
  if (py::isinstance(value, numpy_generic)) return numpy_scalar(value, place);
  if (py::isinstance<py::array>(value)) return numpy_array(value, place, depth);
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value))
    return converted_container(value, place, depth);
  // Array-likes (a pandas Series) as the array they give.
  if (py::hasattr(value, "dtype") && py::hasattr(value, "__array__"))
    return numpy_array(py::module_::import("numpy").attr("asarray")(value), place, depth);
  not_a_value(place, value.get_type());
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
