// kestral._kestral.write_file: the package writes its files (the plot's
// picture) through the one whole-or-nothing writer of the programs.
#include <string>

#include <pybind11/pybind11.h>

#include "files/file_replacement.h"
#include "files/temporary_files.h"
#include "python/bindings.h"

namespace kestral::python {

namespace py = pybind11;

void bind_file_writer(py::module_& module) {
  module.def(
      "write_file",
      [](const std::string& path, const py::bytes& data) {
        // Only over signals whose action is still the default: the
        // interpreter's own handlers (SIGINT's KeyboardInterrupt) stay.
        files::remove_temporary_files_on_signals();
        const std::string content = data;
        std::string failure;
        {
          const py::gil_scoped_release released;
          try {
            files::write_whole_file(path, content);
          } catch (const files::FileWriteError& error) {
            failure = error.what();
          }
        }
        if (!failure.empty()) {
          PyErr_SetString(PyExc_OSError, failure.c_str());
          throw py::error_already_set();
        }
      },
      py::arg("path"), py::arg("data"),
      "Replaces the file at path by data, whole or not at all: a temporary file\n"
      "beside it renamed over it (symbolic links followed, permissions kept,\n"
      "devices and FIFOs written directly). Raises OSError 'PATH: cannot write:\n"
      "REASON'.");
}

}  // namespace kestral::python
