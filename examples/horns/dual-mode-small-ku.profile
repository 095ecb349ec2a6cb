# A small dual-mode horn for 11.7 GHz (ka 5.9), lengths in mm: z, then the
# wall's radius (a thin wall; add --wall-thickness for a thick one).
#
# Design rule (R. H. Turrin, "Dual mode small-aperture antennas", IEEE Trans.
# Antennas Propagat. 15, 1967, after P. D. Potter's step): a step from a
# guide that carries TE-11 alone (13 mm radius, TM-11 cut off up to 14.1
# GHz) to one where TM-11 propagates (16.5 mm, its cut-off 11.1 GHz: ratio
# 1.27), a phasing section of 13 mm that brings TM-11 to the aperture in the
# phase that cancels TE-11's E-plane edge field, and a short 14-degree flare
# to a 24 mm aperture radius. Found by scanning the phasing length with the
# modal model for the least cross-polar level at 11.7 GHz.
# veskal-sweep --profile examples/horns/dual-mode-small-ku.profile --unit mm
# gives (10.7 / 11.7 / 12.75 GHz): return loss 18.7 / 16.4 / 22.2 dB (the
# step reflects), directivity 13.8 / 14.3 / 15.0 dBi, 10 dB beamwidths E 66 /
# 66 / 44 and H 75 / 69 / 63 degrees, cross-polar peak -25 / -28 / -14 dB:
# the phasing holds over a narrow band, as Turrin's does.
0   13
20  13
20  16.5
33  16.5
63  24
