#include "analyse/result_table.h"

#include <cmath>
#include <functional>

namespace kestral::analyse {
namespace {

using multilayer::Result;

struct NumberColumn {
  const char* name;
  enum Kind { plain, length, stress } kind;
  std::function<double(const Result&)> value;
};

const std::vector<NumberColumn>& result_columns() {
  using K = NumberColumn;
  static const std::vector<NumberColumn> columns{
      {"sxx", K::stress, [](const Result& r) { return r.stress.xx; }},
      {"syy", K::stress, [](const Result& r) { return r.stress.yy; }},
      {"szz", K::stress, [](const Result& r) { return r.stress.zz; }},
      {"sxy", K::stress, [](const Result& r) { return r.stress.xy; }},
      {"syz", K::stress, [](const Result& r) { return r.stress.yz; }},
      {"sxz", K::stress, [](const Result& r) { return r.stress.xz; }},
      {"ux", K::length, [](const Result& r) { return r.displacement.x; }},
      {"uy", K::length, [](const Result& r) { return r.displacement.y; }},
      {"uz", K::length, [](const Result& r) { return r.displacement.z; }},
      {"exx", K::plain, [](const Result& r) { return r.strain.xx; }},
      {"eyy", K::plain, [](const Result& r) { return r.strain.yy; }},
      {"ezz", K::plain, [](const Result& r) { return r.strain.zz; }},
      {"exy", K::plain, [](const Result& r) { return r.strain.xy; }},
      {"eyz", K::plain, [](const Result& r) { return r.strain.yz; }},
      {"exz", K::plain, [](const Result& r) { return r.strain.xz; }},
      {"s1", K::stress, [](const Result& r) { return r.principal_stress.x; }},
      {"s2", K::stress, [](const Result& r) { return r.principal_stress.y; }},
      {"s3", K::stress, [](const Result& r) { return r.principal_stress.z; }},
      {"e1", K::plain, [](const Result& r) { return r.principal_strain.x; }},
      {"e2", K::plain, [](const Result& r) { return r.principal_strain.y; }},
      {"e3", K::plain, [](const Result& r) { return r.principal_strain.z; }},
      {"e_h_max", K::plain, [](const Result& r) { return r.horizontal_strain_max; }},
      {"stress_error", K::stress, [](const Result& r) { return r.stress_error; }},
      {"displacement_error", K::length, [](const Result& r) { return r.displacement_error; }},
      {"strain_error", K::plain, [](const Result& r) { return r.strain_error; }},
  };
  return columns;
}

const char* face_name(multilayer::Face face) {
  switch (face) {
    case multilayer::Face::above: return "above";
    case multilayer::Face::below: return "below";
    case multilayer::Face::inside: break;
  }
  return "inside";
}

Column number_column(const char* name, std::string unit, std::size_t rows) {
  Column column{name, std::move(unit), false, {}, {}};
  column.numbers.reserve(rows);
  return column;
}

}  // namespace

const Column* ResultTable::find(const std::string& name) const {
  for (const Column& column : columns) {
    if (column.name == name) return &column;
  }
  return nullptr;
}

ResultTable make_result_table(const Problem& problem, const std::vector<multilayer::Result>& rows) {
  const std::string length(unit_name(problem.units.length));
  const std::string stress(unit_name(problem.units.stress));
  const double length_factor = problem.units.length_factor();
  const double stress_factor = problem.units.stress_factor();
  const std::size_t count = rows.size();

  ResultTable table;
  table.rows = count;
  Column point = number_column("point", "", count);
  Column x = number_column("x", length, count);
  Column y = number_column("y", length, count);
  Column z = number_column("z", length, count);
  Column side{"side", "", true, {}, {}};
  Column layer = number_column("layer", "", count);
  Column layer_name{"layer_name", "", true, {}, {}};
  for (const Result& row : rows) {
    const auto& where = problem.coordinates.at(row.point);
    point.numbers.push_back(static_cast<double>(row.point + 1));
    x.numbers.push_back(where[0]);
    y.numbers.push_back(where[1]);
    z.numbers.push_back(where[2]);
    side.texts.emplace_back(face_name(row.face));
    layer.numbers.push_back(row.layer + 1);
    layer_name.texts.push_back(problem.layer_names.at(static_cast<std::size_t>(row.layer)));
  }
  table.columns = {std::move(point), std::move(x), std::move(y), std::move(z), std::move(side), std::move(layer)};
  if (problem.has_layer_names()) table.columns.push_back(std::move(layer_name));

  for (const NumberColumn& quantity : result_columns()) {
    const double factor = quantity.kind == NumberColumn::stress   ? stress_factor
                          : quantity.kind == NumberColumn::length ? length_factor
                                                              : 1.0;
    Column column = number_column(quantity.name,
                                  quantity.kind == NumberColumn::stress   ? stress
                                  : quantity.kind == NumberColumn::length ? length
                                                                      : std::string(),
                                  count);
    for (const Result& row : rows) {
      const double value = quantity.value(row) / factor;
      if (!std::isfinite(value)) {
        throw ProblemError(problem.source + ": point " + std::to_string(row.point + 1) + ": " + quantity.name +
                           " did not come out as a finite number");
      }
      column.numbers.push_back(value);
    }
    table.columns.push_back(std::move(column));
  }
  return table;
}

}  // namespace kestral::analyse
