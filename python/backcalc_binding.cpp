// backcalculate, backcalculate_file and backcalculate_json: a survey through
// the reader, the fits and the table of kestral-backcalc, so that results and
// messages are the program's. The GIL is released from reading to the
// finished table.
#include <atomic>
#include <sstream>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analyse/json_document.h"
#include "analyse/problem.h"
#include "backcalc/backcalc_table.h"
#include "backcalc/backcalculate.h"
#include "backcalc/survey_file.h"
#include "python/bindings.h"
#include "python/cancel_token.h"
#include "python/column_arrays.h"
#include "python/json_value.h"

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;

namespace {

backcalc::BackcalcSettings settings_for(int threads) {
  if (threads < 0) throw py::value_error("threads is " + std::to_string(threads) + ", must be 0 (one per core) or more");
  backcalc::BackcalcSettings settings;
  settings.threads = threads;
  return settings;
}

struct Backcalculation {
  backcalc::Survey survey;
  std::vector<backcalc::DropFit> fits;
  analyse::ResultTable table;
};

void run(Backcalculation& done, backcalc::BackcalcSettings settings, const std::atomic<bool>& cancel) {
  settings.cancel = &cancel;
  done.fits = backcalc::backcalculate(done.survey, settings);
  done.table = backcalc::make_backcalc_table(done.survey, done.fits);
}

// {"columns": {name: array}, "units": {name: unit}, "headers": [...],
//  "problem": the survey as understood, "failures": [line, ...]}.
py::dict table_dict(Backcalculation&& done) {
  const std::vector<std::string> units_of = backcalc::backcalc_column_units(done.survey);
  py::dict columns, units;
  py::list headers, failures;
  for (std::size_t c = 0; c < done.table.columns.size(); ++c) {
    analyse::Column& column = done.table.columns[c];
    headers.append(column.heading());
    units[py::str(column.name)] = units_of[c];
    if (column.is_text) {
      columns[py::str(column.name)] = text_array(column.texts);
    } else if (column.name == "iterations") {
      columns[py::str(column.name)] = integer_array(std::vector<long long>(column.numbers.begin(), column.numbers.end()));
    } else {
      columns[py::str(column.name)] = array_taking(std::move(column.numbers));
    }
  }
  for (std::size_t i = 0; i < done.fits.size(); ++i) {
    if (!done.fits[i].fitted) failures.append(backcalc::failure_line(done.survey, done.survey.drops[i], done.fits[i]));
  }
  return py::dict("columns"_a = columns, "units"_a = units, "headers"_a = headers,
                  "problem"_a = python_from_json(done.survey.echo), "failures"_a = failures);
}

py::dict backcalculate_document(const py::object& survey, const std::string& source, const std::string& folder,
                                int threads) {
  const backcalc::BackcalcSettings settings = settings_for(threads);
  nlohmann::json document;
  try {
    document = json_from_python(survey);
  } catch (const py::value_error& error) {
    throw py::value_error(source + ": " + error.what());
  } catch (const py::type_error& error) {
    throw py::type_error(source + ": " + error.what());
  }
  Backcalculation done;
  without_gil([&](const std::atomic<bool>& cancel) {
    done.survey = backcalc::read_survey(document, source, {folder, std::nullopt});
    run(done, settings, cancel);
  });
  return table_dict(std::move(done));
}

py::dict backcalculate_file(const std::string& path, int threads) {
  const backcalc::BackcalcSettings settings = settings_for(threads);
  Backcalculation done;
  without_gil([&](const std::atomic<bool>& cancel) {
    done.survey = backcalc::read_survey_file(path);
    run(done, settings, cancel);
  });
  return table_dict(std::move(done));
}

// With a token, another thread follows the drops done and may cancel: the
// run then raises AnalysisCancelled (as analyse_json does).
std::string backcalculate_json(const std::string& text, const std::optional<std::string>& folder,
                               const std::optional<std::string>& csv_text, const std::string& source, int threads,
                               CancelToken* token) {
  backcalc::BackcalcSettings settings = settings_for(threads);
  std::ostringstream out;
  without_gil([&](const std::atomic<bool>& interrupted) {
    Backcalculation done;
    done.survey = backcalc::read_survey(analyse::parse_json_text(text, source), source,
                                        {folder.value_or("."), csv_text});
    if (token == nullptr) {
      run(done, settings, interrupted);
    } else {
      const std::size_t total = done.survey.drops.size();
      token->set_progress(0, total);
      settings.progress = [token, total, &interrupted](std::size_t drops_done) {
        token->set_progress(drops_done, total);
        if (interrupted.load()) token->cancel();
      };
      run(done, settings, *token->flag());
    }
    backcalc::write_backcalc(done.survey, done.table, true, out);
  });
  return out.str();
}

}  // namespace

void bind_backcalc(py::module_& module) {
  module.def("backcalculate", &backcalculate_document, "survey"_a, "source"_a, "folder"_a = ".", "threads"_a = 0,
             "A survey laid out as a survey file (dicts and lists), drops_csv read from folder; "
             "returns the table.");
  module.def("backcalculate_file", &backcalculate_file, "path"_a, "threads"_a = 0,
             "A survey file of kestral-backcalc; returns the table.");
  module.def("backcalculate_json", &backcalculate_json, "text"_a, "folder"_a = py::none(), "csv_text"_a = py::none(),
             "source"_a = "survey.json", "threads"_a = 1, "token"_a = nullptr,
             "The text `kestral-backcalc --format json` prints for the survey file `text` "
             "(drops_csv read from `folder`, or given as `csv_text`). A survey the program "
             "refuses raises ValueError with its message; a failed drop is in the table. With a "
             "CancelToken `token`, its done and total count drops and a cancel raises AnalysisCancelled.");
}

}  // namespace kestral::python
