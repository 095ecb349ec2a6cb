# the small cone: ka 5.0 at 10 GHz; the wall simulated by tools/fullwave/meep_horns.py
# (radii on its grid nodes), z and radius in mm from the feeding guide
0 12
20 12
80 24
