#!/usr/bin/env python3
"""Sweep a horn and design another with the veskal module.

Sweeps the README's 7.5 in x 15 in horn over the X band, draws its gain and
beamwidths (the classic model beside the aperture engine) with matplotlib,
then designs the shortest horn of 20 dB at 10 GHz fed by a 0.9 in waveguide
and prints it. Writes sweep.png into the folder given (default: here).

    PYTHONPATH=build/default/python python3 examples/python/sweep_and_design.py
"""
import sys
from pathlib import Path

import matplotlib.pyplot as plt
import numpy as np

import veskal

folder = Path(sys.argv[1] if len(sys.argv) > 1 else '.')

horn = veskal.Horn(aperture_diameter=7.5, slant_radius=15, unit='in')
band = veskal.frequencies(8.0, 12.0, 0.05)
c = veskal.characteristics(horn, band, check=True, model='spherical')

figure, (gain, widths) = plt.subplots(2, 1, sharex=True, figsize=(7, 6))
gain.plot(band, c['gain_db'], label='classic gain')
gain.plot(band, c['engine_directivity_db'], '--', label='engine directivity')
gain.set_ylabel('dB')
gain.legend()
for plane, colour in (('e', 'tab:blue'), ('h', 'tab:red')):
    for level, style in (('3db', '-'), ('10db', ':')):
        name = f'{plane}_beamwidth_{level}_deg'
        widths.plot(band, c[name], style, color=colour, label=f'{plane.upper()} {level[:-2]} dB')
widths.set_xlabel('frequency (GHz)')
widths.set_ylabel('full beamwidth (degrees)')
widths.legend(ncol=2)
figure.suptitle(horn.description)
figure.tight_layout()
figure.savefig(folder / 'sweep.png', dpi=100)

best = int(np.nanargmax(c['gain_db']))
print(f'{horn.description}: gain {c["gain_db"][best]:.2f} dB at {band[best]:.2f} GHz')

designed = veskal.design(frequency=10, gain=20, waveguide_diameter=0.9, unit='in')
at_10 = veskal.characteristics(designed, 10)
print(f'designed horn: aperture {designed.aperture_diameter:.4f} in, axial length '
      f'{designed.axial_length:.4f} in, cone angle {designed.cone_angle:.2f} deg; '
      f'gain at 10 GHz {at_10["gain_db"][0]:.2f} dB')
