#include "python/column_arrays.h"

#include <map>
#include <memory>

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;

py::array_t<double> array_taking(std::vector<double>&& values) {
  auto owner = std::make_unique<std::vector<double>>(std::move(values));
  const auto size = static_cast<py::ssize_t>(owner->size());
  double* data = owner->data();
  py::capsule free_when_done(owner.get(), [](void* vector) {
    delete static_cast<std::vector<double>*>(vector);
  });
  owner.release();
  return py::array_t<double>({size}, {static_cast<py::ssize_t>(sizeof(double))}, data,
                             free_when_done);
}

py::array_t<long long> integer_array(const std::vector<long long>& values) {
  py::array_t<long long> array(static_cast<py::ssize_t>(values.size()));
  auto cells = array.mutable_unchecked<1>();
  for (py::ssize_t i = 0; i < cells.shape(0); ++i) cells(i) = values[static_cast<std::size_t>(i)];
  return array;
}

py::array text_array(const std::vector<std::string>& values) {
  // A column holds few distinct texts (sides, layer names): one str each,
  // shared by the rows.
  std::map<std::string, py::str> distinct;
  py::array array(py::dtype("O"), std::vector<py::ssize_t>{static_cast<py::ssize_t>(values.size())});
  auto** cells = static_cast<PyObject**>(array.mutable_data());
  for (std::size_t i = 0; i < values.size(); ++i) {
    auto [entry, added] = distinct.try_emplace(values[i]);
    if (added) entry->second = py::str(values[i]);
    Py_XDECREF(cells[i]);
    cells[i] = entry->second.inc_ref().ptr();
  }
  return array;
}

}  // namespace kestral::python
