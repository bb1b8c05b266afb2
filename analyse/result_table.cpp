#include "analyse/result_table.h"

#include <cmath>
#include <functional>

namespace kestral::analyse {
namespace {

using multilayer::Result;

struct NumberColumn {
  const char* name;
  enum Kind { plain, length, stress } kind;  // also the index of its factor
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

Column number_column(const char* name, std::string unit) { return Column{name, std::move(unit), false, {}, {}}; }
Column text_column(const char* name) { return Column{name, "", true, {}, {}}; }

}  // namespace

const Column* ResultTable::find(const std::string& name) const {
  for (const Column& column : columns) {
    if (column.name == name) return &column;
  }
  return nullptr;
}

ResultTable empty_result_table(const Problem& problem) {
  const std::string length(unit_name(problem.units.length));
  const std::string stress(unit_name(problem.units.stress));
  ResultTable table;
  table.columns = {number_column("point", ""), number_column("x", length), number_column("y", length),
                   number_column("z", length), text_column("side"), number_column("layer", "")};
  if (problem.has_layer_names()) table.columns.push_back(text_column("layer_name"));
  for (const NumberColumn& quantity : result_columns()) {
    table.columns.push_back(number_column(quantity.name, quantity.kind == NumberColumn::stress   ? stress
                                                         : quantity.kind == NumberColumn::length ? length
                                                                                                 : std::string()));
  }
  return table;
}

void append_result_rows(ResultTable& table, const Problem& problem, const std::vector<multilayer::Result>& rows) {
  // Check every value first, so that a refused block leaves the table as it was.
  const double factors[] = {1.0, problem.units.length_factor(), problem.units.stress_factor()};
  for (const Result& row : rows) {
    for (const NumberColumn& quantity : result_columns()) {
      if (!std::isfinite(quantity.value(row) / factors[quantity.kind])) {
        throw ProblemError(problem.source + ": point " + std::to_string(row.point + 1) + ": " + quantity.name +
                           " did not come out as a finite number");
      }
    }
  }
  const bool named = problem.has_layer_names();
  const std::size_t first_result = named ? 7 : 6;
  for (const Result& row : rows) {
    const auto& where = problem.coordinates.at(row.point);
    table.columns[0].numbers.push_back(static_cast<double>(row.point + 1));
    table.columns[1].numbers.push_back(where[0]);
    table.columns[2].numbers.push_back(where[1]);
    table.columns[3].numbers.push_back(where[2]);
    table.columns[4].texts.emplace_back(face_name(row.face));
    table.columns[5].numbers.push_back(row.layer + 1);
    if (named) table.columns[6].texts.push_back(problem.layer_names.at(static_cast<std::size_t>(row.layer)));
    std::size_t c = first_result;
    for (const NumberColumn& quantity : result_columns()) {
      table.columns[c++].numbers.push_back(quantity.value(row) / factors[quantity.kind]);
    }
  }
  table.rows += rows.size();
}

ResultTable make_result_table(const Problem& problem, const std::vector<multilayer::Result>& rows) {
  ResultTable table = empty_result_table(problem);
  append_result_rows(table, problem, rows);
  return table;
}

}  // namespace kestral::analyse
