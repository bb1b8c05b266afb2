#include "python/column_arrays.h"

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
  py::list list;
  for (const auto& value : values) list.append(py::str(value));
  return py::module_::import("numpy").attr("array")(list, "dtype"_a = "object");
}

}  // namespace kestral::python
