# An open-ended circular waveguide in a flat flange for 11.7 GHz, lengths in
# mm: z, then the wall's radius; after the line `outside`, the outer contour.
#
# Design rule: the guide of open-guide-ku.profile in a flange 80 mm across
# (3.1 wavelengths at 11.7 GHz) and 3 mm thick, in the aperture plane. A
# flange narrows the H-plane beam toward the ground-plane pattern of the
# aperture (C. A. Balanis, "Antenna Theory", sec. 12.8); its edge
# diffraction ripples the E-plane pattern and the return loss.
# veskal-sweep --profile examples/horns/open-guide-flange-ku.profile --unit mm
# gives (10.7 / 11.7 / 12.75 GHz): return loss 12.9 / 19.5 / 24.2 dB,
# directivity 8.5 / 8.9 / 8.8 dBi, 10 dB beamwidths E 162 / 152 / 153 and H
# 122 / 119 / 119 degrees, cross-polar peak -17 / -19 / -19 dB,
# front-to-back ratio 17 / 17 / 18 dB.
0   9
40  9
outside
40  10
40  40
37  40
37  10
