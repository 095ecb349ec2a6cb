# A dual-mode (Potter) horn for 10 GHz, lengths in mm: z, then the wall's radius.
#
# Design rule (P. D. Potter, "A new horn antenna with suppressed sidelobes and
# equal beamwidths", Microwave Journal 6, 1963): a step from a guide that
# carries TE-11 alone into one where TM-11 also propagates converts part of
# the wave to TM-11 (here |TM-11/TE-11| = 0.39 at the aperture); a phasing
# section and the flare bring the two modes to the aperture in phase, where
# TM-11 cancels TE-11's E-plane edge field and its cross-polar field. Step
# ratio 1.18 (16.8 to 19.8 mm: TM-11 cut-off 9.2 GHz after the step, 10.9 GHz
# before it), 48 mm of phasing section, a 7.9-degree flare to a 48 mm aperture
# radius (ka = 10). At 10 GHz veskal-pattern --model modal gives E- and H-plane
# 10 dB beamwidths of 40.6 and 40.5 degrees and a cross-polar peak of -35 dB,
# where a plain cone of the same length gives 31.5 and 41 degrees and -18 dB.
0      16.8
24     16.8
24     19.8
72     19.8
268.8  48
