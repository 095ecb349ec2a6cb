# the smooth cone: ka 9.4 at 10 GHz, s 0.20; the wall simulated by tools/fullwave/meep_horns.py
# (radii on its grid nodes), z and radius in mm from the feeding guide
0 12
20 12
140 45
