# the Potter horn: a 17 -> 20 mm step, a 48 mm phasing section, a flare to 48 mm (ka 10 at 10 GHz); the wall simulated by tools/fullwave/meep_horns.py
# (radii on its grid nodes), z and radius in mm from the feeding guide
0 17
24 17
24 20
72 20
268.8 48
