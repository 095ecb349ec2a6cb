#!/usr/bin/python3
"""Full-wave reference for the mode-matching engine: horns of revolution fed
by TE-11, simulated by Meep (FDTD) in cylindrical coordinates with angular
order m = 1, outside the test suite (minutes per horn). Lengths in mm.

For each horn: the TE-11 reflection at the feeding guide (return loss) over a
band, from the field at four planes of the guide (between the source and the
throat, where TE-11 is the only wave left): E_r = A exp(i beta z) + B
exp(-i beta z) fitted by least squares, |B/A| the reflection; and the far
field at one frequency by Meep's near-to-far transformation over a plane
above the aperture and a cylinder around the horn (no surface behind the
horn: angles beyond ~100 degrees are not captured). A straight guide's run
first gives the radius its walls behave as (from its guide wavelength), which
fixes beta.

The m = 1 field at phi = 0 is half of an x-polarised horn's: C_E = 2 E_theta
and C_H = -2i E_phi, so the co- and cross-polar fields of the 45-degree plane
are E_theta -+ i E_phi (the sign for which the cross-polar field vanishes on
the axis).

Walls are perfect metal 2 mm thick, given cell by cell (no subpixel
averaging): a wall lies on grid nodes, and a straight guide's cut-off is
checked first (its guide wavelength gives the radius it behaves as).

With MEEP_CLOSED=1 and a horn given with its outer contour, the pattern
alone, of the body the modal model solves: the guide's outside ends one
wavelength behind the horn's first point in a closed metal face, the source
inside the guide in front of it, and the near-to-far surface closed around
the whole body (a plane above, a cylinder, a plane below), 0 to 180 degrees,
written as NAME-pattern-closed.csv.

    /usr/bin/python3 tools/fullwave/meep_horns.py OUT_DIR [horn ...]
"""
import math
import os
import sys

import meep as mp
import numpy as np

C_MM_GHZ = 299.792458  # c in mm * GHz: f (GHz) -> Meep frequency f / C_MM_GHZ in units of 1/mm
RES = float(os.environ.get('MEEP_RES', '2'))  # cells per mm (2: lambda/60 at 10 GHz)
WALL = 2.0             # wall thickness, mm
PML = 30.0
GAP = 24.0             # free space around the horn before the PML

# The walls (z, r) from the feeding guide, kept in doc/fullwave/NAME.profile,
# where the test that holds the engine to these results reads them too.
FULLWAVE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'doc', 'fullwave')


def read_profile(name):
    """The inner wall and, after a line `outside`, the outer contour."""
    points, outside, now = [], [], None
    now = points
    with open(os.path.join(FULLWAVE, name + '.profile')) as f:
        for line in f:
            line = line.split('#')[0].split()
            if line == ['outside']:
                now = outside
            elif line:
                now.append((float(line[0]), float(line[1])))
    return points, outside


def wall_of(name):
    return read_profile(name)[0]


HORNS = {
    # name: (profile [(z, r)] from the feeding guide, band GHz, pattern GHz)
    'conical': (wall_of('conical'), (8.5, 12.0), 10.0),
    'potter': (wall_of('potter'), (9.0, 11.0), 10.0),
    'small': (wall_of('small'), (8.5, 12.0), 10.0),
    # with their outer contours: metal between the inner wall and it
    'openguide': (read_profile('openguide'), (10.0, 13.5), 11.7),
    'choke': (read_profile('choke'), (10.0, 13.5), 11.7),
    # veskal-design --family's designs (doc/designs/), against their requirements
    'design-potter': (wall_of('design-potter'), (9.6, 10.4), 10.0),
    'design-choke': (read_profile('design-choke'), (10.5, 13.0), 11.7),
    'design-profiled': (wall_of('design-profiled'), (11.3, 12.7), 12.0),
}


def inside(polygon, z, r):
    """Whether (z, r) lies inside the closed polygon (ray casting along r)."""
    hit = False
    for (z0, r0), (z1, r1) in zip(polygon, polygon[1:] + polygon[:1]):
        if (z0 > z) != (z1 > z):
            rc = r0 + (r1 - r0) * (z - z0) / (z1 - z0)
            if r < rc:
                hit = not hit
    return hit


def wall_radius(profile, z):
    """The wall's inner radius at z (after the last point of a step)."""
    r = profile[0][1]
    for (z0, r0), (z1, r1) in zip(profile, profile[1:]):
        if z0 <= z <= z1:
            r = r1 if z1 == z0 else r0 + (r1 - r0) * (z - z0) / (z1 - z0)
    return r


class Layout:
    def __init__(self, profile, feed_length):
        self.outside = []
        if isinstance(profile, tuple):  # (inner wall, outer contour)
            profile, self.outside = profile
        self.profile = profile
        self.z_throat = 0.0
        self.length = profile[-1][0]
        self.a = profile[-1][1]
        self.b = profile[0][1]
        self.widest = max([r for _, r in self.outside] + [self.a + WALL])
        self.sr = self.widest + GAP + PML
        self.z0 = -feed_length - PML          # cell bottom
        self.z1 = self.length + GAP + PML      # cell top
        self.sz = self.z1 - self.z0

    def centre(self, z):  # cell coordinates are centred
        return z - (self.z0 + self.z1) / 2.0

    def inner(self, z):
        return self.b if z < self.profile[0][0] else wall_radius(self.profile, z)

    def material(self, straight):
        # The wall is metal from the inner radius out to WALL beyond the
        # widest inner radius within WALL along z, so that a step's face (and
        # a slot's) is closed: a wall of constant thickness alone would leave
        # an annular opening behind every step out.
        if self.outside and not straight:
            # The cross-section: the guide's inner radius from the cell's
            # bottom, the inner wall, the rim face, the outer contour, the
            # guide's outer surface back to the bottom.
            bottom = self.z0 - 1.0
            polygon = ([(bottom, self.b)] + list(self.profile) + list(self.outside)
                       + [(bottom, self.outside[-1][1])])
            def metal_in(p):
                z = p.z + (self.z0 + self.z1) / 2.0
                return mp.metal if inside(polygon, z, p.x) else mp.air
            return metal_in

        def metal_at(p):
            z = p.z + (self.z0 + self.z1) / 2.0
            r = p.x
            if straight:
                return mp.metal if self.b <= r <= self.b + WALL else mp.air
            if z > self.length:
                return mp.air
            inner = self.inner(z)
            if r < inner:
                return mp.air
            near = [self.inner(min(max(z + d, self.z0), self.length))
                    for d in np.linspace(-WALL, WALL, 17)]
            return mp.metal if r <= max(near) + WALL else mp.air
        return metal_at


def simulate(profile, band, pattern_ghz, straight=None):
    feed_length = 140.0
    lay = Layout(profile, feed_length)
    f0, f1 = band[0] / C_MM_GHZ, band[1] / C_MM_GHZ
    # A pulse that covers the band but leaves little near the guide's cut-off,
    # where the field rings for long.
    fcen, df = (f0 + f1) / 2, (f1 - f0) * 0.8
    z_src = -feed_length + 10.0
    planes = [-100.0, -90.0, -80.0, -70.0]  # 30 mm and more from the source and the throat
    sources = [mp.Source(mp.GaussianSource(fcen, fwidth=df), component=mp.Er,
                         center=mp.Vector3(lay.b / 2, 0, lay.centre(z_src)), size=mp.Vector3(lay.b, 0, 0))]
    sim = mp.Simulation(cell_size=mp.Vector3(lay.sr, 0, lay.sz), dimensions=mp.CYLINDRICAL, m=1,
                        resolution=RES, boundary_layers=[mp.PML(PML)], sources=sources,
                        material_function=lay.material(straight is None), eps_averaging=False,
                        force_complex_fields=True)
    nfreq = 41
    freqs = np.linspace(f0, f1, nfreq)
    probes = [sim.add_dft_fields([mp.Er], list(freqs),
                                 where=mp.Volume(center=mp.Vector3(lay.b / 2, 0, lay.centre(z)),
                                                 size=mp.Vector3()))
              for z in planes]
    n2f = None
    fp = pattern_ghz / C_MM_GHZ
    if straight is not None:
        top = lay.length + GAP / 2
        rn = lay.widest + GAP / 2
        n2f = sim.add_near2far(fp, 0, 1,
                               mp.Near2FarRegion(center=mp.Vector3(rn / 2, 0, lay.centre(top)),
                                                 size=mp.Vector3(rn, 0, 0), weight=+1),
                               mp.Near2FarRegion(center=mp.Vector3(rn, 0, lay.centre((top + lay.length / 2) / 2)),
                                                 size=mp.Vector3(0, 0, top - lay.length / 2), weight=+1))
    sim.run(until_after_sources=mp.stop_when_fields_decayed(
        50, mp.Er, mp.Vector3(lay.b / 2, 0, lay.centre(planes[-1])), 1e-6))
    fields = np.array([[complex(sim.get_dft_array(p, mp.Er, k)) for p in probes] for k in range(nfreq)])
    out = {'freqs': freqs * C_MM_GHZ, 'fields': fields}
    if straight is None:
        # The guide wavelength at the band's centre: no reflection in a straight guide.
        k = nfreq // 2
        k0 = 2 * math.pi * freqs[k]
        phase = np.unwrap(np.angle(fields[k]))
        beta = abs(np.polyfit(planes, phase, 1)[0])
        out['radius_seen'] = 1.841183781 / math.sqrt(k0 * k0 - beta * beta)
    else:
        b_seen = straight['radius_seen']
        reflection = []
        for k, f in enumerate(freqs):
            k0 = 2 * math.pi * f
            kc = 1.841183781 / b_seen
            if k0 <= kc:
                reflection.append(float('nan'))
                continue
            beta = math.sqrt(k0 * k0 - kc * kc)
            m = np.array([[np.exp(1j * beta * z), np.exp(-1j * beta * z)] for z in planes])
            (a, b), *_ = np.linalg.lstsq(m, fields[k], rcond=None)
            reflection.append(abs(b / a))
        out['reflection'] = np.array(reflection)
        angles = np.radians(np.arange(0.0, 100.5, 1.0))
        dist = 1e3 * (C_MM_GHZ / pattern_ghz) * 1000
        e_t, e_p = [], []
        for t in angles:
            ff = sim.get_farfield(n2f, mp.Vector3(dist * math.sin(t), 0, dist * math.cos(t)))
            er, ep, ez = ff[0], ff[1], ff[2]
            e_t.append(er * math.cos(t) - ez * math.sin(t))
            e_p.append(ep)
        out['angles'] = np.degrees(angles)
        out['e_theta'], out['e_phi'] = np.array(e_t), np.array(e_p)
    return out


def simulate_closed(profile, pattern_ghz):
    """The far field of the body closed one wavelength behind (MEEP_CLOSED)."""
    inner, outside = profile
    wavelength = C_MM_GHZ / pattern_ghz
    z_end = inner[0][0] - wavelength           # the closed face, as the modal model ends the guide
    b, outer = inner[0][1], outside[-1][1]
    length, widest = inner[-1][0], max(r for _, r in outside)
    sr = widest + GAP + PML
    z0, z1 = z_end - GAP - PML, length + GAP + PML
    centre = lambda z: z - (z0 + z1) / 2.0
    polygon = [(z_end + WALL, 0.0), (z_end + WALL, b)] + list(inner) + list(outside) + [(z_end, outer), (z_end, 0.0)]

    def metal_in(p):
        return mp.metal if inside(polygon, p.z + (z0 + z1) / 2.0, p.x) else mp.air
    fp = pattern_ghz / C_MM_GHZ
    z_src = z_end + WALL + 3.0
    sources = [mp.Source(mp.GaussianSource(fp, fwidth=0.3 * fp), component=mp.Er,
                         center=mp.Vector3(b / 2, 0, centre(z_src)), size=mp.Vector3(b, 0, 0))]
    sim = mp.Simulation(cell_size=mp.Vector3(sr, 0, z1 - z0), dimensions=mp.CYLINDRICAL, m=1,
                        resolution=RES, boundary_layers=[mp.PML(PML)], sources=sources,
                        material_function=metal_in, eps_averaging=False, force_complex_fields=True)
    top, bottom, rn = length + GAP / 2, z_end - GAP / 2, widest + GAP / 2
    n2f = sim.add_near2far(fp, 0, 1,
                           mp.Near2FarRegion(center=mp.Vector3(rn / 2, 0, centre(top)), size=mp.Vector3(rn, 0, 0),
                                             weight=+1),
                           mp.Near2FarRegion(center=mp.Vector3(rn, 0, centre((top + bottom) / 2)),
                                             size=mp.Vector3(0, 0, top - bottom), weight=+1),
                           mp.Near2FarRegion(center=mp.Vector3(rn / 2, 0, centre(bottom)), size=mp.Vector3(rn, 0, 0),
                                             weight=-1))
    sim.run(until_after_sources=mp.stop_when_fields_decayed(50, mp.Er, mp.Vector3(rn, 0, centre(top)), 1e-6))
    angles = np.radians(np.arange(0.0, 180.5, 1.0))
    dist = 1e3 * wavelength * 1000
    e_t, e_p = [], []
    for t in angles:
        ff = sim.get_farfield(n2f, mp.Vector3(dist * math.sin(t), 0, dist * math.cos(t)))
        e_t.append(ff[0] * math.cos(t) - ff[2] * math.sin(t))
        e_p.append(ff[1])
    return np.degrees(angles), np.array(e_t), np.array(e_p)


def main():
    out_dir = sys.argv[1]
    names = sys.argv[2:] or list(HORNS)
    os.makedirs(out_dir, exist_ok=True)
    for name in names:
        profile, band, pattern_ghz = HORNS[name]
        if os.environ.get('MEEP_CLOSED') and isinstance(profile, tuple):
            angles, et, ep = simulate_closed(profile, pattern_ghz)
            with open(os.path.join(out_dir, name + '-pattern-closed.csv'), 'w') as f:
                f.write('# resolution %g/mm, %g GHz, the guide closed one wavelength behind\n' % (RES, pattern_ghz))
                f.write('angle_deg,e_relative_db,h_relative_db\n')
                for t, e, h in zip(angles, et, ep):
                    f.write('%g,%.3f,%.3f\n' % (t, 20 * math.log10(abs(e) / abs(et[0]) + 1e-300),
                                                20 * math.log10(abs(h) / abs(et[0]) + 1e-300)))
            print(name, 'done (closed)', flush=True)
            continue
        inner = profile[0] if isinstance(profile, tuple) else profile
        straight = simulate(profile, band, pattern_ghz)
        horn = simulate(profile, band, pattern_ghz, straight)
        with open(os.path.join(out_dir, name + '-return-loss.csv'), 'w') as f:
            f.write('# resolution %g/mm; straight guide of radius %g mm behaves as radius %.3f mm\n'
                    % (RES, inner[0][1], straight['radius_seen']))
            f.write('frequency_ghz,return_loss_db\n')
            for fr, r in zip(horn['freqs'], horn['reflection']):
                f.write('%.4f,%.3f\n' % (fr, -20 * math.log10(max(r, 1e-12))))
        et, ep = horn['e_theta'], horn['e_phi']
        a, b = et - 1j * ep, et + 1j * ep
        co, cross = (a, b) if abs(a[0]) > abs(b[0]) else (b, a)
        with open(os.path.join(out_dir, name + '-pattern.csv'), 'w') as f:
            f.write('# resolution %g/mm, %g GHz\n' % (RES, pattern_ghz))
            f.write('angle_deg,e_relative_db,h_relative_db,cross_polar_45_relative_db\n')
            e0 = abs(et[0])
            for t, e, h, x in zip(horn['angles'], et, ep, cross):
                f.write('%g,%.3f,%.3f,%.3f\n' % (t, 20 * math.log10(abs(e) / e0 + 1e-300),
                                                 20 * math.log10(abs(h) / e0 + 1e-300),
                                                 20 * math.log10(abs(x) / abs(co[0]) + 1e-300)))
        print(name, 'done: guide radius seen %.3f mm' % straight['radius_seen'], flush=True)


if __name__ == '__main__':
    main()
