// Result columns handed to Python as numpy arrays without copying: each array
// takes over the vector that holds the column and frees it with the array.
#pragma once

#include <string>
#include <vector>

#include <pybind11/numpy.h>

namespace kestral::python {

// A one-dimensional float64 array that owns `values` (left empty).
pybind11::array_t<double> array_taking(std::vector<double>&& values);

// A one-dimensional int64 array holding `values`.
pybind11::array_t<long long> integer_array(const std::vector<long long>& values);

// A one-dimensional numpy array of str (dtype object) holding `values`.
pybind11::array text_array(const std::vector<std::string>& values);

}  // namespace kestral::python
