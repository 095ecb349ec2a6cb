# A potter horn at 10 GHz, lengths in mm: z, then the wall's radius.
# Designed by veskal-design --family potter in the modal-huygens model.
# Requirements: 10 dB beamwidth 40 degrees within 1 at 10 GHz (the band's centre), return loss at least 25 dB, cross-polar peak at most -30 dB.
# Started from the rule of Potter, Microwave Journal 6, 1963; optimised by BOBYQA in 190 evaluations.
# Parameters: step_radius 21.3155 mm, phasing_length 12.69494 mm, flare_length 145.89224 mm, aperture_radius 47.87081 mm.
0 17.36827
34.73654 17.36827
34.73654 21.3155
47.43149 21.3155
193.32373 47.87081
