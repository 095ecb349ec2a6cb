# A smooth conical horn for 10 GHz, lengths in mm: z, then the wall's radius.
#
# Design rule: the classic optimum-gain cone (A. P. King, "The radiation
# characteristics of conical horn antennas", Proc. IRE 38, 1950): for an
# aperture radius a the slant radius R with a phase error s = a^2 / (2 lambda
# R) near 3/8 gives the most gain for its length. Here a 11.9 mm input guide
# (TE-11 cut-off 7.4 GHz), 20 mm of it, then a cone to a 45 mm aperture radius
# 120 mm further on (s = 0.20 at 10 GHz, ka = 9.4): a shorter, wider-beam
# cousin of the optimum, inside the radiation model's domain.
0     11.9
20    11.9
140   45
