#include "backcalc/drop_values.h"

#include <cmath>

#include "format/shortest_text.h"

namespace kestral::backcalc {
namespace {


nlohmann::ordered_json echo_of(const GivenValue& value) {
  if (value.is_number) return value.number;
  return nullptr;
}

std::string value_fault(const std::string& what, const GivenValue& value) {
  if (!value.is_number) return what + " is not a number (\"" + value.text + "\")";
  if (!(value.number > 0.0)) return what + " is " + shortest_text(value.number) + ", must be above 0";
  return {};
}

}  // namespace

Drop make_drop(std::string id, std::string where, const GivenValue& load,
               const std::vector<GivenValue>& deflections, const DropScales& scales) {
  Drop drop;
  drop.id = std::move(id);
  drop.where = std::move(where);
  drop.echo["id"] = drop.id;
  drop.echo["load"] = echo_of(load);
  nlohmann::ordered_json bowl = nlohmann::ordered_json::array();
  for (const GivenValue& value : deflections) bowl.push_back(echo_of(value));
  drop.echo["deflections"] = bowl;

  drop.fault = value_fault("load", load);
  if (drop.fault.empty() && deflections.size() != scales.sensors) {
    drop.fault = "has " + std::to_string(deflections.size()) + " deflections, the survey has " +
                 std::to_string(scales.sensors) + " sensors";
  }
  for (std::size_t i = 0; i < deflections.size() && drop.fault.empty(); ++i) {
    drop.fault = value_fault("deflection " + std::to_string(i + 1), deflections[i]);
  }
  if (!drop.fault.empty()) return drop;
  // Values converted to engine units must stay finite and above 0.
  drop.load = load.number * scales.force;
  for (const GivenValue& value : deflections) drop.deflections.push_back(value.number * scales.deflection);
  if (!std::isfinite(drop.load)) drop.fault = "load is " + shortest_text(load.number) + ", beyond the range of a double in N";
  for (std::size_t i = 0; i < drop.deflections.size() && drop.fault.empty(); ++i) {
    if (!(std::isfinite(drop.deflections[i]) && drop.deflections[i] > 0.0)) {
      drop.fault = "deflection " + std::to_string(i + 1) + " is " + shortest_text(deflections[i].number) + ", out of the range of a double in mm";
    }
  }
  return drop;
}

std::string fault_code(const std::string& fault) {
  if (fault.starts_with("load")) return "load";
  if (fault.starts_with("has ")) return "bowl_size";
  return "deflection";
}

}  // namespace kestral::backcalc
