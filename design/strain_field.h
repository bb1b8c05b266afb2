// The strain a criterion looks at, over one face of a layer under one axle
// group: exactly, through the engine, or interpolated from one tyre's radial
// profile for the coarse map of the critical-location search.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include <boost/math/interpolators/cardinal_cubic_b_spline.hpp>

#include "design/axle_layout.h"
#include "design/design_problem.h"
#include "multilayer/analysis.h"

namespace kestral::design {

// Relative accuracy asked of the engine: two orders below the 1e-6 to which
// the critical strain is converged, so that the engine's error does not move
// the located maximum.
inline constexpr double kEngineTolerance = 1e-9;
// Asked of the radial profile, which only guides the search to the
// location: its error, 1e-8 of q / E_min (about 1e-6 of the strain), stays
// below the interpolation's own (about 1e-5 of the strain).
inline constexpr double kProfileTolerance = 1e-8;

// The engine's options for every run here: strains only, to `tolerance`.
multilayer::Options strain_options(double tolerance = kEngineTolerance);

struct FaceDepth {
  double z = 0.0;  // mm
  multilayer::Side side = multilayer::Side::both;
};

// The depth of the top or bottom face of `layer`, on that face's side.
FaceDepth face_depth(const multilayer::Section& section, std::size_t layer, Face at);

// The criterion's strain (horizontal_strain_max, or -ezz) of one result row.
double strain_of(const multilayer::Result& row, StrainKind kind);

// The length over which a field varies near the tyres: the depth, but no
// less than a tenth of the tyre radius (the tyre edge at the surface).
double field_scale(const TyreLayout& layout, const FaceDepth& face);

// One tyre's radial profile on a face, out to `reach` (mm) from its centre:
// the engine's points at r = c sinh(k du), prepared once for every season
// (the same tyre, face and radii; only the moduli change).
struct ProfileGeometry {
  double c = 1.0, du = 1.0;
  multilayer::Load tyre;
  std::vector<multilayer::Point> points;
};
ProfileGeometry profile_geometry(const TyreLayout& layout, const FaceDepth& face, double reach);

class StrainField {
 public:
  StrainField(multilayer::Section section, const TyreLayout& layout, FaceDepth face, StrainKind kind);

  // Exact values at the points (x, y) of the face: one engine run.
  std::vector<double> exact(const std::vector<std::pair<double, double>>& points) const;
  double exact(double x, double y) const { return exact({{x, y}}).front(); }

  // Interpolated from the tyre's radial profile (prepare_profile first):
  // each tyre's radial and tangential strains, rotated and added.
  double interpolated(double x, double y) const;
  // Computes the radial profile at the points of `profile`.
  void prepare_profile(const ProfileGeometry& profile) { prepare_profiles({this}, {&profile}); }

  // What the two above do for several fields of one section and one axle
  // group (faces at any depths) in one engine run: the layer solves at the
  // Hankel nodes, the larger part of a small run, are shared.
  static void prepare_profiles(const std::vector<StrainField*>& fields, const std::vector<const ProfileGeometry*>& profiles);
  static std::vector<std::vector<double>> exact(const std::vector<const StrainField*>& fields,
                                                const std::vector<std::vector<std::pair<double, double>>>& points);

  const multilayer::Section& section() const { return section_; }
  const TyreLayout& layout() const { return layout_; }
  const FaceDepth& face() const { return face_; }
  double scale() const { return field_scale(layout_, face_); }
  std::size_t engine_points() const { return engine_points_; }

 private:
  void take_profile(const ProfileGeometry& profile, const std::vector<multilayer::Result>& rows, std::size_t first);

  multilayer::Section section_;
  TyreLayout layout_;
  FaceDepth face_;
  StrainKind kind_;
  mutable std::size_t engine_points_ = 0;
  // The profile in u, r = c sinh(u): fine steps near the tyre, steps
  // growing with r far from it.
  double c_ = 1.0;
  boost::math::interpolators::cardinal_cubic_b_spline<double> radial_, tangential_, vertical_;
};

}  // namespace kestral::design
