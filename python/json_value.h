// Python values as the JSON values of a problem file, so that a problem given
// to the module as keywords, dicts and lists passes through the very reader
// and checks that read a problem file; and back, for the problem as
// understood.
#pragma once

#include <string>

#include <nlohmann/json.hpp>
#include <pybind11/pybind11.h>

namespace kestral::python {

// Converts a dict, list, tuple, numpy array, str, int, float, bool or None,
// or a numpy scalar of a boolean, integer, real or text kind (nested in any
// way) to the JSON value it stands for. Dict keys must be str. Throws
// pybind11::type_error for anything else (complex numbers, times, bytes)
// and pybind11::value_error for a number that is not finite as a double,
// text that is not Unicode or nesting deeper than any problem file, each
// naming the place (e.g. "layers[1].E: ...") under `place`.
nlohmann::json json_from_python(const pybind11::handle& value, const std::string& place = "");

// The Python value a JSON value stands for: dict (in the document's key
// order), list, str, int, float, bool or None.
pybind11::object python_from_json(const nlohmann::ordered_json& value);

}  // namespace kestral::python
