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

// The slope of log D against log h assumed from a single check: strains
// fall about as h^-1 to h^-1.5 and the models raise them to powers of 3 to
// 4.5; the example's is about -4.
constexpr double kGuessedSlope = -4.0;

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

  // Between lo (fails) and hi (passes), lo + 1 < hi: the midpoint.
  static long long middle(long long lo, long long hi) { return lo + (hi - lo) / 2; }

  // The next step to try, strictly between lo (the thickest known to fail,
  // or first - 1) and hi (the thinnest known to pass, or last + 1): the
  // first step past where log D, linear in log h through the two checks
  // that best bracket the crossing (or the one check and a slope of
  // kGuessedSlope), reaches 0; the step before it when that one is known to
  // pass. Falls back to the midpoint, or to the range's end while nothing
  // brackets, where the line does not fall or a damage is 0 or infinite.
  long long secant_next(long long lo, long long hi, long long first, long long last) {
    const bool bracketed = lo >= first && hi <= last;
    long long a = lo, b = hi;
    if (!bracketed) {
      a = lo >= first ? lo : hi;
      b = nearest_other(a, lo >= first);
    }
    const double la = std::log(largest_damage(at(a)));
    double slope = kGuessedSlope;  // d log D / d log h
    if (b != a) slope = (std::log(largest_damage(at(b))) - la) / (std::log(thickness(b)) - std::log(thickness(a)));
    if (!std::isfinite(la) || !std::isfinite(slope) || !(slope < 0.0)) {
      if (bracketed) return middle(lo, hi);
      return lo >= first ? last : first;
    }
    const double crossing = std::log(thickness(a)) - la / slope;
    const double steps = std::exp(crossing) / range_.resolution;
    // Far outside the range: its end (llround must not overflow).
    long long trial = !(steps < static_cast<double>(last)) ? last : !(steps > static_cast<double>(first)) ? first
                                                                                                      : static_cast<long long>(std::ceil(steps));
    if (trial >= hi) trial = hi - 1;
    if (trial <= lo) trial = lo + 1;
    return trial;
  }

  // Of the checks done on the same side as `known`, the one nearest it
  // (known itself when it is the only one).
  long long nearest_other(long long known, bool failing) const {
    long long best = known;
    for (const auto& [step, check] : checks_) {
      if (step != known && check.pass != failing && (best == known || std::llabs(step - known) < std::llabs(best - known))) best = step;
    }
    return best;
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
  if (plain_bisection) {
    if (!search.passes(last)) {
      result.status = ThicknessStatus::max_fails;
    } else if (search.passes(first)) {
      result.status = ThicknessStatus::min_passes;
      value = first;
    } else {
      long long lo = first, hi = last;
      while (hi - lo > 1) {
        const long long trial = Search::middle(lo, hi);
        (search.passes(trial) ? hi : lo) = trial;
      }
      value = hi;
    }
  } else {
    // From the section's own thickness; lo and hi as secant_next has them.
    long long lo = first - 1, hi = last + 1;
    const auto given = static_cast<long long>(std::llround(problem.base.section.layers[range.layer].thickness / range.resolution));
    long long trial = std::clamp(given, first, last);
    int moved_lo = 0, moved_hi = 0;  // times each end moved in a row, once bracketed
    while (true) {
      const bool bracketed = lo >= first && hi <= last;
      if (search.passes(trial)) {
        hi = trial;
        moved_hi = bracketed ? moved_hi + 1 : 0;
        moved_lo = 0;
      } else {
        lo = trial;
        moved_lo = bracketed ? moved_lo + 1 : 0;
        moved_hi = 0;
      }
      if (hi - lo <= 1) break;
      // Regula falsi's stall (one end creeping): a midpoint.
      trial = moved_lo >= 2 || moved_hi >= 2 ? Search::middle(lo, hi) : search.secant_next(lo, hi, first, last);
    }
    if (hi == first) {
      result.status = ThicknessStatus::min_passes;
    } else if (lo == last) {
      result.status = ThicknessStatus::max_fails;
    }
    value = std::min(hi, last);
  }
  result.value = search.thickness(value);
  result.at = search.at(value);
  if (value > first) result.one_step_thinner = search.at(value - 1);
  result.trials = search.trials();
  result.notes = search.monotonicity_notes();
  return result;
}

}  // namespace kestral::design
