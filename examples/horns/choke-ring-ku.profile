# A choke-ring ("scalar") feed for a prime-focus dish of f/D 0.4 at 11.7 GHz,
# lengths in mm: z, then the wall's radius; after the line `outside`, the
# outer contour from the rim's outer edge back to the guide's outer surface.
#
# Design rule (A. J. Wohlleben, H. Mattes and O. Lochner, "Simple small
# primary feed for large opening angles and high aperture efficiency",
# Electronics Letters 8, 1972; P.-S. Kildal, "Foundations of Antennas", on
# choke feeds): a quarter-wave groove around an open guide presents a high
# impedance to the wall currents at the mouth, which makes the E-plane
# pattern as broad as the H-plane and cuts the back lobe. A 20 mm guide
# (cut-off 8.79 GHz, ka 2.45 at 11.7 GHz), wall 1 mm; the guide stands 3 mm
# proud of a flange whose groove runs from 14 to 22 mm radius (0.34
# wavelengths wide), 6.5 mm deep (about a quarter wave), the flange 24 mm in
# radius and 8.5 mm thick.
#   z
#   40 |  guide   ___
#   37 |     rim |   |____        ____
#      |         |        |      |    |
#      |         |        |groove|    |
#   30.5         |        |______|    |
#   28.5         |____________________|
#                11  14          22   24   radius
# veskal-sweep --profile examples/horns/choke-ring-ku.profile --unit mm gives
# (10.7 / 11.7 / 12.75 GHz): return loss 19.9 / 29.0 / 29.5 dB, directivity
# 9.6 / 9.5 / 8.8 dBi, 10 dB beamwidths E 113 / 118 / 133 and H 127 / 126 /
# 127 degrees (the edge of an f/D 0.4 dish at 64 degrees from the axis),
# cross-polar peak -25 / -22 / -20 dB, front-to-back ratio 24 / 24 / 23 dB.
0     10
40    10
outside
40    11
37    11
37    14
30.5  14
30.5  22
37    22
37    24
28.5  24
28.5  11
