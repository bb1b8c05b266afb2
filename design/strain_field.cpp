#include "design/strain_field.h"

#include <algorithm>
#include <cmath>

namespace kestral::design {

using multilayer::Side;

FaceDepth face_depth(const multilayer::Section& section, std::size_t layer, Face at) {
  // The sum in the engine's order, so that the depth lies on its interface.
  double z = 0.0;
  const std::size_t above = at == Face::top ? layer : layer + 1;
  for (std::size_t k = 0; k < above; ++k) z += section.layers[k].thickness;
  if (above == 0) return {0.0, Side::both};
  return {z, at == Face::top ? Side::below : Side::above};
}

double strain_of(const multilayer::Result& row, StrainKind kind) {
  return kind == StrainKind::horizontal_tensile ? row.horizontal_strain_max : -row.strain.zz;
}

StrainField::StrainField(multilayer::Section section, const TyreLayout& layout, FaceDepth face, StrainKind kind)
    : section_(std::move(section)), layout_(layout), face_(face), kind_(kind) {}


std::vector<double> StrainField::exact(const std::vector<std::pair<double, double>>& points) const {
  return exact({this}, {points}).front();
}

std::vector<std::vector<double>> StrainField::exact(const std::vector<const StrainField*>& fields,
                                                    const std::vector<std::vector<std::pair<double, double>>>& points) {
  std::vector<multilayer::Point> at;
  std::vector<std::size_t> field_of;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    for (const auto& [x, y] : points[f]) {
      at.push_back(multilayer::Point{x, y, fields[f]->face_.z, fields[f]->face_.side});
      field_of.push_back(f);
    }
    fields[f]->engine_points_ += points[f].size();
  }
  std::vector<std::vector<double>> values(fields.size());
  if (at.empty()) return values;
  const StrainField& first = *fields.front();
  const std::vector<multilayer::Result> rows = multilayer::analyse(first.section_, first.layout_.tyres, at, strain_options());
  std::vector<std::size_t> start(fields.size() + 1, 0);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    start[f + 1] = start[f] + points[f].size();
    values[f].resize(points[f].size());
  }
  for (const multilayer::Result& row : rows) {
    const std::size_t f = field_of[row.point];
    values[f][row.point - start[f]] = strain_of(row, fields[f]->kind_);
  }
  return values;
}

multilayer::Options strain_options(double tolerance) {
  multilayer::Options options;
  options.tolerance = tolerance;
  options.quantities = {.stress = false, .displacement = false, .strain = true};
  return options;
}

double field_scale(const TyreLayout& layout, const FaceDepth& face) { return std::max(face.z, layout.radius / 10.0); }

ProfileGeometry profile_geometry(const TyreLayout& layout, const FaceDepth& face, double reach) {
  const double a = layout.radius;
  const double fine_step = field_scale(layout, face) / 8.0;
  const double c = 2.0 * a + 2.0 * face.z;
  const double du = fine_step / c;
  const auto count = static_cast<std::size_t>(std::ceil(std::asinh(reach / c) / du)) + 4;
  std::vector<multilayer::Point> at;
  for (std::size_t k = 0; k < count; ++k) {
    at.push_back(multilayer::Point{c * std::sinh(static_cast<double>(k) * du), 0.0, face.z, face.side});
  }
  return ProfileGeometry{c, du, multilayer::Load{0.0, 0.0, a, layout.tyres.front().pressure}, std::move(at)};
}

void StrainField::prepare_profiles(const std::vector<StrainField*>& fields,
                                   const std::vector<const ProfileGeometry*>& profiles) {
  std::vector<multilayer::Point> at;
  for (const ProfileGeometry* profile : profiles) at.insert(at.end(), profile->points.begin(), profile->points.end());
  const StrainField& first = *fields.front();
  const std::vector<multilayer::Result> rows =
      multilayer::analyse(first.section_, {profiles.front()->tyre}, at, strain_options(kProfileTolerance));
  std::size_t start = 0;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    fields[f]->take_profile(*profiles[f], rows, start);
    start += profiles[f]->points.size();
  }
}

void StrainField::take_profile(const ProfileGeometry& profile, const std::vector<multilayer::Result>& rows,
                               std::size_t first) {
  c_ = profile.c;
  const double du = profile.du;
  const std::size_t count = profile.points.size();
  engine_points_ += count;
  std::vector<double> rr(count), tt(count), zz(count);
  // One row per point: every profile point lies on one face.
  for (const multilayer::Result& row : rows) {
    if (row.point < first || row.point >= first + count) continue;
    rr[row.point - first] = row.strain.xx;
    tt[row.point - first] = row.strain.yy;
    zz[row.point - first] = row.strain.zz;
  }
  // Each strain is an even function of r, so of u: slope 0 at u = 0.
  radial_ = {rr.data(), count, 0.0, du, 0.0};
  tangential_ = {tt.data(), count, 0.0, du, 0.0};
  vertical_ = {zz.data(), count, 0.0, du, 0.0};
}

double StrainField::interpolated(double x, double y) const {
  double xx = 0.0, yy = 0.0, xy = 0.0, zz = 0.0;
  for (const multilayer::Load& tyre : layout_.tyres) {
    const double dx = x - tyre.x, dy = y - tyre.y;
    const double r = std::hypot(dx, dy);
    const double u = std::asinh(r / c_);
    const double err = radial_(u), ett = tangential_(u);
    zz += vertical_(u);
    if (r == 0.0) {
      xx += err;
      yy += err;
      continue;
    }
    const double nx = dx / r, ny = dy / r;
    xx += err * nx * nx + ett * ny * ny;
    yy += err * ny * ny + ett * nx * nx;
    xy += (err - ett) * nx * ny;
  }
  if (kind_ == StrainKind::vertical_compressive) return -zz;
  return 0.5 * (xx + yy) + std::hypot(0.5 * (xx - yy), xy);
}

}  // namespace kestral::design
