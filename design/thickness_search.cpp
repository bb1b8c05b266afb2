#include "design/thickness_search.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "format/shortest_text.h"

namespace kestral::design {
namespace {

double largest_damage(const CheckResult& check) {
  double largest = 0.0;
  for (const CriterionResult& criterion : check.criteria) largest = std::max(largest, criterion.damage);
  return largest;
}

class Search {
 public:
  Search(const DesignProblem& problem) : problem_(problem), range_(*problem.thickness) {}

  double thickness(long long step) const { return static_cast<double>(step) * range_.resolution; }

  const CheckResult& at(long long step) {
    auto found = checks_.find(step);
    if (found == checks_.end()) {
      found = checks_.emplace(step, check_design(problem_, with_thickness(problem_.base.section, range_.layer, thickness(step)))).first;
    }
    return found->second;
  }

  bool passes(long long step) { return at(step).pass; }

  // Between lo (fails) and hi (passes), lo + 1 < hi.
  long long next(long long lo, long long hi, bool bisect) {
    const long long middle = lo + (hi - lo) / 2;
    if (bisect) return middle;
    const double low = std::log(largest_damage(at(lo))), high = std::log(largest_damage(at(hi)));
    if (!std::isfinite(low) || !std::isfinite(high) || !(low > high)) return middle;
    const double guess = static_cast<double>(lo) + static_cast<double>(hi - lo) * low / (low - high);
    return std::clamp(static_cast<long long>(std::llround(guess)), lo + 1, hi - 1);
  }

  std::vector<std::string> monotonicity_notes() const {
    std::vector<std::string> notes;
    for (std::size_t c = 0; c < problem_.criteria.size(); ++c) {
      const std::pair<const long long, CheckResult>* previous = nullptr;
      for (const auto& entry : checks_) {
        if (previous != nullptr && entry.second.criteria[c].damage > previous->second.criteria[c].damage) {
          const double length = problem_.base.units.length_factor();
          notes.push_back(problem_.base.source + ": thickness: the damage of \"" + problem_.criteria[c].name + "\" rises from " +
                          shortest_text(previous->second.criteria[c].damage) + " at " + shortest_text(thickness(previous->first) / length) +
                          " to " + shortest_text(entry.second.criteria[c].damage) + " at " + shortest_text(thickness(entry.first) / length) +
                          ": the search assumes it falls as the layer thickens, so the thickness found may not be the least");
        }
        previous = &entry;
      }
    }
    return notes;
  }

  std::vector<std::pair<double, std::vector<double>>> trials() const {
    std::vector<std::pair<double, std::vector<double>>> result;
    for (const auto& [step, check] : checks_) {
      std::vector<double> damages;
      for (const CriterionResult& criterion : check.criteria) damages.push_back(criterion.damage);
      result.emplace_back(thickness(step), damages);
    }
    return result;
  }

 private:
  const DesignProblem& problem_;
  ThicknessRange range_;
  std::map<long long, CheckResult> checks_;
};

}  // namespace

multilayer::Section with_thickness(const multilayer::Section& section, std::size_t layer, double thickness) {
  multilayer::Section result = section;
  result.layers[layer].thickness = thickness;
  return result;
}

const char* status_name(ThicknessStatus status) {
  switch (status) {
    case ThicknessStatus::max_fails: return "max_fails";
    case ThicknessStatus::min_passes: return "min_passes";
    case ThicknessStatus::found: break;
  }
  return "found";
}

ThicknessResult search_thickness(const DesignProblem& problem, bool plain_bisection) {
  const ThicknessRange& range = *problem.thickness;
  const auto first = static_cast<long long>(std::ceil(range.min / range.resolution));
  const auto last = static_cast<long long>(std::floor(range.max / range.resolution));
  Search search(problem);
  ThicknessResult result;
  long long value = last;
  if (!search.passes(last)) {
    result.status = ThicknessStatus::max_fails;
  } else if (search.passes(first)) {
    result.status = ThicknessStatus::min_passes;
    value = first;
  } else {
    long long lo = first, hi = last;
    int moved_lo = 0, moved_hi = 0;  // times each end moved in a row
    while (hi - lo > 1) {
      const bool bisect = plain_bisection || moved_lo >= 2 || moved_hi >= 2;
      const long long trial = search.next(lo, hi, bisect);
      if (search.passes(trial)) {
        hi = trial;
        ++moved_hi;
        moved_lo = 0;
      } else {
        lo = trial;
        ++moved_lo;
        moved_hi = 0;
      }
    }
    value = hi;
  }
  result.value = search.thickness(value);
  result.at = search.at(value);
  if (value > first) result.one_step_thinner = search.at(value - 1);
  result.trials = search.trials();
  result.notes = search.monotonicity_notes();
  return result;
}

}  // namespace kestral::design
