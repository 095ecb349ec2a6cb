# An open-ended circular waveguide for 11.7 GHz, lengths in mm: z, then the
# wall's radius; after the line `outside`, the outer contour.
#
# Design rule: the open end of the feeding guide itself, the simplest feed
# of a deep dish (A. W. Love, "Electromagnetic Horn Antennas", 1976, and L.
# A. Weinstein, "The Theory of Diffraction and the Factorization Method",
# 1969, for the unflanged guide's exact reflection and pattern): an 18 mm
# guide (TE-11 cut-off 9.76 GHz, ka 2.2 at 11.7 GHz) 40 mm long, its wall
# 1 mm thick; behind the first point the guide's outside continues one
# wavelength to a closed end (the modal model's rule).
# veskal-sweep --profile examples/horns/open-guide-ku.profile --unit mm gives
# (10.7 / 11.7 / 12.75 GHz): return loss 11.8 / 17.2 / 21.3 dB, directivity
# 7.6 / 8.1 / 8.5 dBi, 10 dB beamwidths E 163 / 156 / 141 and H 147 / 138 /
# 134 degrees (an f/D near 0.3), cross-polar peak -24 / -27 / -27 dB,
# front-to-back ratio 11 / 13 / 14 dB.
0   9
40  9
outside
40  10
0   10
