// The table of kestral-backcalc, one row per drop in input order:
//   id, load, E_<layer> for every layer (fitted or fixed, stress unit),
//   E_<layer>_range_percent for every layer (the range of the fit's header;
//   0 for a fixed modulus), rms_percent, iterations, status (converged,
//   at_bound:<layer>[+<layer>], failed:<reason>), fit_<offset> for every
//   sensor (the computed deflection, deflection unit).
// <layer> is the layer's name, or its number from 1 at the top when it has
// none; <offset> the sensor offset as given. A failed drop has no moduli,
// ranges, misfit or bowl: NaN here, an empty field in CSV, null in JSON.
// The CSV and JSON writers of kestral-analyse write it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "analyse/result_table.h"
#include "backcalc/drop_fit.h"
#include "backcalc/survey.h"

namespace kestral::backcalc {

analyse::ResultTable make_backcalc_table(const Survey& survey, const std::vector<DropFit>& fits);

// The unit of each column of the table, in its order ("" for none): the
// headings do not carry them.
std::vector<std::string> backcalc_column_units(const Survey& survey);

// The line standard error gets for a failed drop:
//   "survey.json: drop 0+013 (drops[13]): deflection 3 is 0, must be above 0"
std::string failure_line(const Survey& survey, const Drop& drop, const DropFit& fit);

// The table as CSV, or as JSON with the survey as understood.
void write_backcalc(const Survey& survey, const analyse::ResultTable& table, bool json, std::ostream& out);

}  // namespace kestral::backcalc
