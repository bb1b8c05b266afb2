#include "backcalc/backcalc_table.h"

#include <cmath>
#include <limits>

#include "analyse/csv_writer.h"
#include "analyse/json_writer.h"
#include "format/shortest_text.h"

namespace kestral::backcalc {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

analyse::Column numbers(std::string name, std::size_t rows) {
  analyse::Column column;
  column.name = std::move(name);
  column.numbers.reserve(rows);
  return column;
}

}  // namespace

analyse::ResultTable make_backcalc_table(const Survey& survey, const std::vector<DropFit>& fits) {
  const std::size_t rows = fits.size(), layers = survey.moduli.size(), sensors = survey.sensors.size();
  analyse::ResultTable table;
  table.rows = rows;
  analyse::Column id;
  id.name = "id";
  id.is_text = true;
  analyse::Column load = numbers("load", rows);
  std::vector<analyse::Column> moduli, ranges, bowl;
  for (const std::string& label : survey.layer_labels) {
    moduli.push_back(numbers("E_" + label, rows));
    ranges.push_back(numbers("E_" + label + "_range_percent", rows));
  }
  analyse::Column rms = numbers("rms_percent", rows);
  analyse::Column iterations = numbers("iterations", rows);
  analyse::Column status;
  status.name = "status";
  status.is_text = true;
  for (double offset : survey.sensor_offsets) bowl.push_back(numbers("fit_" + shortest_text(offset), rows));

  const double stress = survey.units.stress_factor();
  const double deflection = deflection_factor(survey.deflection_unit);
  for (std::size_t row = 0; row < rows; ++row) {
    const Drop& drop = survey.drops[row];
    const DropFit& fit = fits[row];
    id.texts.push_back(drop.id);
    const nlohmann::ordered_json& given_load = drop.echo["load"];
    load.numbers.push_back(given_load.is_number() ? given_load.get<double>() : kMissing);
    for (std::size_t k = 0; k < layers; ++k) {
      moduli[k].numbers.push_back(fit.fitted ? fit.moduli[k] / stress : kMissing);
      ranges[k].numbers.push_back(fit.fitted ? fit.range_percent[k] : kMissing);
    }
    rms.numbers.push_back(fit.fitted ? fit.rms_percent : kMissing);
    iterations.numbers.push_back(fit.iterations);
    status.texts.push_back(fit.status);
    for (std::size_t i = 0; i < sensors; ++i) bowl[i].numbers.push_back(fit.fitted ? fit.fit[i] / deflection : kMissing);
  }
  table.columns.push_back(std::move(id));
  table.columns.push_back(std::move(load));
  for (auto& column : moduli) table.columns.push_back(std::move(column));
  for (auto& column : ranges) table.columns.push_back(std::move(column));
  table.columns.push_back(std::move(rms));
  table.columns.push_back(std::move(iterations));
  table.columns.push_back(std::move(status));
  for (auto& column : bowl) table.columns.push_back(std::move(column));
  return table;
}

std::vector<std::string> backcalc_column_units(const Survey& survey) {
  std::vector<std::string> units{"", std::string(analyse::unit_name(survey.units.force))};
  for (std::size_t k = 0; k < survey.moduli.size(); ++k) units.emplace_back(analyse::unit_name(survey.units.stress));
  for (std::size_t k = 0; k < survey.moduli.size(); ++k) units.emplace_back("%");
  units.insert(units.end(), {"%", "", ""});
  for (std::size_t i = 0; i < survey.sensors.size(); ++i) units.emplace_back(unit_name(survey.deflection_unit));
  return units;
}

std::string failure_line(const Survey& survey, const Drop& drop, const DropFit& fit) {
  return survey.source + ": drop " + (drop.id.empty() ? "without id" : drop.id) + " (" + drop.where + "): " + fit.message;
}

void write_backcalc(const Survey& survey, const analyse::ResultTable& table, bool json, std::ostream& out) {
  if (json) {
    analyse::write_json(survey.echo, table, out);
  } else {
    analyse::write_csv(table, out);
  }
}

}  // namespace kestral::backcalc
