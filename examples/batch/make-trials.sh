#!/bin/sh
# Ten trial sections for kestral-batch: the four-layer section of
# examples/dual-wheel with its asphalt 80, 100, ..., 260 mm thick, each in
# its own folder DIR/t080 ... DIR/t260 (DIR defaults to "trials").
#
#   examples/batch/make-trials.sh [DIR]
#
# Points, for the usual design checks under a dual wheel: the bottom of the
# asphalt under a wheel and midway between the wheels (tensile strain epR,
# epT) and the top of the subgrade under a wheel (compressive strain epZ).
# All three lie on interfaces, so each gives an upper and a lower row.
set -eu
dir=${1:-trials}
h=80
while [ "$h" -le 260 ]; do
  trial=$dir/t$(printf '%03d' "$h")
  mkdir -p "$trial"
  cat > "$trial/KESTRAL.in" <<TRIAL
4                   layers: asphalt, granular base, sub-base, subgrade
4000 400 200 60     E (MPa)
0.35 0.35 0.35 0.40 Poisson's ratios
$h 200 250          thicknesses (mm): asphalt, base, sub-base
20000 0.56          load of one wheel (N), tyre pressure (MPa)
3                   points
$h 0                bottom of the asphalt, under a wheel
$h 155              bottom of the asphalt, midway between the wheels
$((h + 450)) 0                top of the subgrade, under a wheel
2                   dual wheel
TRIAL
  h=$((h + 20))
done
