# A choke horn for 10.7 to 12.75 GHz (3 frequencies), lengths in mm: z, then the wall's radius.
# Designed by veskal-design --family choke in the modal model.
# Requirements: edge taper 12 dB at 64.010765 degrees within 0.5 dB at 11.680111 GHz (the band's centre), return loss at least 18 dB, cross-polar peak at most -20 dB.
# Started from the rule of Wohlleben, Mattes and Lochner, Electronics Letters 8, 1972; optimised by BOBYQA in 200 evaluations.
# Parameters: recess 0.00008 mm, groove_offset 3.52267 mm, groove_width 4.87027 mm, groove_depth 8.96486 mm.
0 10
34.137 10
outside
34.137 11
34.13692 11
34.13692 14.52267
25.17206 14.52267
25.17206 19.39294
34.13692 19.39294
34.13692 21.44629
23.11871 21.44629
23.11871 11
