"""A first analysis: three layers, a dual wheel, the strains a design checks."""

import kestral

section = kestral.Section(layers=[kestral.Layer(E=3000, nu=0.35, thickness=150),
                                  kestral.Layer(E=300, nu=0.35, thickness=250,
                                                interface_below="frictionless"),
                                  kestral.Layer(E=60, nu=0.40)])
loads = [kestral.Load(x=0, y=0, load=20000, pressure=0.56),
         kestral.Load(x=310, y=0, load=20000, pressure=0.56)]
r = kestral.analyse(section, loads, points=[(0, 0, 150), (155, 0, 400)])

for i in range(r.rows):
    print(f"point {r['point'][i]} at z = {r['z'][i]:g} mm ({r['side'][i]}, layer {r['layer'][i]}): "
          f"exx = {r['exx'][i] * 1e6:8.1f} µε, ezz = {r['ezz'][i] * 1e6:8.1f} µε, "
          f"largest horizontal = {r['e_h_max'][i] * 1e6:8.1f} µε, szz = {r['szz'][i]:.4f} MPa")
