#!/bin/sh
# Writes COUNT varied pavement sections into DIR/s001, DIR/s002, ..., each a
# KESTRAL.in and a gauss.qua, for timing kestral-batch. The same arguments
# always give the same sections (a fixed seed).
#
#   bench/make-sections.sh DIR [COUNT]      (COUNT defaults to 200)
#
# Sections: 2 to 5 layers, asphalt 1500-7400 MPa and 60-300 mm thick, lower
# layers 100-300 mm, loads of 20-50 kN at 0.5-0.9 MPa, single or dual wheel;
# points at the surface, on the bottom of the asphalt (under the wheel and at
# an offset), on top of the subgrade and in it. Every point inside a layer
# above the half-space lies less than 15 contact radii deep (the layers add
# up to at most 1200 mm; the smallest contact radius is 84 mm).
set -eu
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 DIR [COUNT]" >&2
  exit 2
fi
root=$1
count=${2:-200}
case $count in
  ''|*[!0-9]*) echo "$0: COUNT must be a whole number" >&2; exit 2 ;;
esac

i=1
while [ "$i" -le "$count" ]; do
  mkdir -p "$root/$(printf 's%03d' "$i")"
  i=$((i + 1))
done

awk -v root="$root" -v count="$count" '
function pick(low, high, step) { return low + step * int(rand() * ((high - low) / step + 1)) }
BEGIN {
  srand(20240611)
  for (s = 1; s <= count; s++) {
    dir = sprintf("%s/s%03d", root, s)
    problem = dir "/KESTRAL.in"
    n = pick(2, 5, 1)
    E[1] = pick(1500, 7400, 100); Mu[1] = 0.35; H[1] = pick(60, 300, 10)
    for (k = 2; k <= n; k++) {
      E[k] = (k == n) ? pick(30, 150, 10) : pick(100, 600, 50)
      Mu[k] = (k == n) ? 0.4 + 0.05 * int(rand() * 2) : 0.35
      H[k] = pick(100, 300, 10)
    }
    total = 0
    for (k = 1; k < n; k++) total += H[k]
    P = pick(20000, 50000, 2500); q = pick(0.5, 0.9, 0.05)
    dual = rand() < 0.5

    printf "%d                       layers\n", n > problem
    line = ""; for (k = 1; k <= n; k++) line = line E[k] " "; print line "  E (MPa)" > problem
    line = ""; for (k = 1; k <= n; k++) line = line Mu[k] " "; print line "  Poisson ratios" > problem
    line = ""; for (k = 1; k < n; k++) line = line H[k] " "; print line "  thicknesses (mm)" > problem
    printf "%d %.2f                   load (N), tyre pressure (MPa)\n", P, q > problem
    print "5                       points" > problem
    print "0 0" > problem
    print H[1] " 0" > problem
    print H[1] " " pick(100, 400, 5) > problem
    print total " " pick(0, 300, 5) > problem
    print total + pick(50, 500, 50) " 0" > problem
    print (dual ? "2                       dual wheel" : "1                       single wheel") > problem
    close(problem)

    gauss = dir "/gauss.qua"
    for (rule = 1; rule <= 3; rule++) {
      print "10" > gauss
      print "-0.9739065285 0.0666713443" > gauss
      print "-0.8650633667 0.1494513492" > gauss
      print "-0.6794095683 0.2190863625" > gauss
      print "-0.4333953941 0.2692667193" > gauss
      print "-0.1488743390 0.2955242247" > gauss
    }
    close(gauss)
  }
}'
