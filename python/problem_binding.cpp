// analyse_document and analyse_file: a problem, from a file or from Python
// values laid out as a file, through the reader of kestral-analyse, its
// engine run and its table, so that results and messages are the program's.
// The GIL is released from reading to the finished table.
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analyse/json_document.h"
#include "analyse/problem_file.h"
#include "analyse/run_problem.h"
#include "python/bindings.h"
#include "python/column_arrays.h"
#include "python/json_value.h"
#include "python/understood_problem.h"

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;
using analyse::Problem;
using analyse::ResultTable;

namespace {

using Coordinates = py::array_t<double, py::array::c_style | py::array::forcecast>;

constexpr const char* kSideRule =
    "side must be one text, or one per point (\"above\", \"below\" or \"both\")";

std::string side_of(const py::object& side, std::size_t index) {
  const py::object text = py::isinstance<py::str>(side) ? side : side[py::int_(index)];
  if (!py::isinstance<py::str>(text)) throw py::value_error(kSideRule);
  return text.cast<std::string>();
}

void check_coordinates(const Coordinates& x, const Coordinates& y, const Coordinates& z,
                       const py::object& side) {
  if (x.ndim() != 1 || y.ndim() != 1 || z.ndim() != 1 || x.shape(0) != y.shape(0) ||
      x.shape(0) != z.shape(0))
    throw py::value_error("x, y and z must be one-dimensional and of one length");
  if (!side.is_none() && !py::isinstance<py::str>(side) &&
      (!py::isinstance<py::sequence>(side) || py::len(side) != static_cast<std::size_t>(x.shape(0))))
    throw py::value_error(kSideRule);
}

// The reader's limit, checked before a point is built: ten million points
// would take gigabytes as JSON before the reader could count them.
void check_point_count(const nlohmann::json& document, std::size_t added) {
  std::size_t count = added;
  if (document.is_object() && document.contains("points") && document["points"].is_array())
    count += document["points"].size();
  if (count > analyse::kMaxProblemPoints)
    throw py::value_error("points: the problem has " + std::to_string(count) +
                          " points (points and grid), more than the limit of " +
                          std::to_string(analyse::kMaxProblemPoints));
}

// Appends the points given as arrays to the document's "points", as
// {"x", "y", "z"[, "side"]} entries, so that the reader checks them like any
// other point and names them points[i].
void append_points(nlohmann::json& document, const Coordinates& x, const Coordinates& y,
                   const Coordinates& z, const py::object& side) {
  const auto count = static_cast<std::size_t>(x.shape(0));
  if (!document.is_object()) return;  // the reader says what is wrong
  nlohmann::json& points = document["points"];
  if (points.is_null()) points = nlohmann::json::array();
  if (!points.is_array()) return;
  const double* xs = x.data();
  const double* ys = y.data();
  const double* zs = z.data();
  points.get_ref<nlohmann::json::array_t&>().reserve(points.size() + count);
  for (std::size_t i = 0; i < count; ++i) {
    for (const auto& [axis, value] : {std::pair{"x", xs[i]}, {"y", ys[i]}, {"z", zs[i]}})
      if (!std::isfinite(value))
        throw py::value_error("points[" + std::to_string(points.size()) + "]." + axis + ": " +
                              py::str(py::float_(value)).cast<std::string>() +
                              " is not a number a problem file can hold");
    nlohmann::json point(nlohmann::json::value_t::object);
    auto& members = point.get_ref<nlohmann::json::object_t&>();
    members.emplace("x", xs[i]);
    members.emplace("y", ys[i]);
    members.emplace("z", zs[i]);
    if (!side.is_none()) members.emplace("side", side_of(side, i));
    points.push_back(std::move(point));
  }
}

py::object column_array(analyse::Column& column) {
  if (column.is_text) return text_array(column.texts);
  if (column.name == "point" || column.name == "layer") {
    std::vector<long long> integers(column.numbers.size());
    for (std::size_t i = 0; i < integers.size(); ++i)
      integers[i] = static_cast<long long>(column.numbers[i]);
    return integer_array(integers);
  }
  return array_taking(std::move(column.numbers));
}

// The table as {"columns": {name: array}, "units": {name: unit}, "headers":
// [heading, ...], "problem": UnderstoodProblem, "notes": [...]}.
py::dict table_dict(Problem&& problem, ResultTable&& table) {
  py::dict columns;
  py::dict units;
  py::list headers;
  for (analyse::Column& column : table.columns) {
    headers.append(column.heading());
    units[py::str(column.name)] = column.unit;
    columns[py::str(column.name)] = column_array(column);
  }
  py::list notes;
  for (const std::string& note : problem.notes) notes.append(note);
  return py::dict("columns"_a = columns, "units"_a = units, "headers"_a = headers,
                  "problem"_a = UnderstoodProblem(std::move(problem)), "notes"_a = notes);
}

void check_threads(int threads) {
  if (threads < 0) throw py::value_error("threads is " + std::to_string(threads) + ", must be 0 (one per core) or more");
}

analyse::RunSettings settings_for(int threads, const std::atomic<bool>& cancel) {
  analyse::RunSettings settings;
  settings.threads = threads;
  settings.cancel = &cancel;
  return settings;
}

// The problem's JSON value; a value no problem file can hold is refused
// like the reader's mistakes, after the source's name.
nlohmann::json document_of(const py::object& problem, const std::string& source,
                           const std::optional<Coordinates>& x = std::nullopt,
                           const std::optional<Coordinates>& y = std::nullopt,
                           const std::optional<Coordinates>& z = std::nullopt,
                           const py::object& side = py::none()) {
  if ((x || y || z) && !(x && y && z)) throw py::type_error("x, y and z are given together");
  if (x) check_coordinates(*x, *y, *z, side);
  try {
    nlohmann::json document = json_from_python(problem);
    if (x) check_point_count(document, static_cast<std::size_t>(x->shape(0)));
    if (x) append_points(document, *x, *y, *z, side);
    return document;
  } catch (const py::value_error& error) {
    throw py::value_error(source + ": " + error.what());
  } catch (const py::type_error& error) {
    throw py::type_error(source + ": " + error.what());
  }
}

py::dict analyse_document(const py::object& problem, const std::string& source, int threads,
                          const std::optional<Coordinates>& x, const std::optional<Coordinates>& y,
                          const std::optional<Coordinates>& z, const py::object& side) {
  check_threads(threads);
  const nlohmann::json document = document_of(problem, source, x, y, z, side);
  Problem read;
  ResultTable table;
  without_gil([&](const std::atomic<bool>& cancel) {
    read = analyse::read_problem(document, source);
    table = analyse::analyse_to_table(read, settings_for(threads, cancel));
  });
  return table_dict(std::move(read), std::move(table));
}

py::dict analyse_file(const std::string& path, int threads) {
  check_threads(threads);
  Problem read;
  ResultTable table;
  without_gil([&](const std::atomic<bool>& cancel) {
    read = analyse::read_problem_file(path);
    table = analyse::analyse_to_table(read, settings_for(threads, cancel));
  });
  return table_dict(std::move(read), std::move(table));
}

UnderstoodProblem understood(const py::object& problem, const std::string& source) {
  const nlohmann::json document = document_of(problem, source);
  Problem read;
  without_gil([&](const std::atomic<bool>&) { read = analyse::read_problem(document, source); });
  return UnderstoodProblem(std::move(read));
}

// A problem file parsed as kestral-analyse parses it (strictly: a key given
// twice is an error), as Python values, unread.
py::object problem_document(const std::string& path) {
  nlohmann::json document;
  without_gil([&](const std::atomic<bool>&) { document = analyse::read_json_file(path, path); });
  return python_from_json(nlohmann::ordered_json(document));
}

}  // namespace

void bind_problem(py::module_& module) {
  bind_understood_problem(module);
  module.def("analyse_document", &analyse_document, "problem"_a, "source"_a, "threads"_a = 0,
             "x"_a = py::none(), "y"_a = py::none(), "z"_a = py::none(), "side"_a = py::none(),
             "A problem laid out as a problem file (dicts and lists), with points appended "
             "from arrays x, y, z; returns the table.");
  module.def("analyse_file", &analyse_file, "path"_a, "threads"_a = 0,
             "A problem file of kestral-analyse; returns the table.");
  module.def("understood_problem", &understood, "problem"_a, "source"_a,
             "The problem as the reader understands it.");
  module.def("problem_document", &problem_document, "path"_a,
             "A problem file parsed as kestral-analyse parses it, not yet read.");
}

}  // namespace kestral::python
