#include "python/bindings.h"

namespace kestral::python {
void bind_problem(pybind11::module_&) {}
}  // namespace kestral::python
