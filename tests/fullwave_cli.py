#!/usr/bin/env python3
"""The mode-matching engine against the full-wave (Meep) results kept in
doc/fullwave/, as the programs run it, to the tolerances doc/modal.md
states: the walls are doc/fullwave/NAME.profile, Meep's finer grid (0.33 mm,
res3) is the reference, and where a third grid (0.25 mm, res4) was run, the
return loss extrapolated to a vanishing cell from the two finest.

    fullwave_cli.py VESKAL_PATTERN VESKAL_SWEEP DOC_FULLWAVE
"""
import csv
import io
import math
import os
import sys
import tempfile

from testkit import fail, finish, run

# Return loss (dB): frequencies and the largest difference, per horn. Where
# the engine reads more than `bound_above` dB it is an upper bound (the rim
# reflects more than the wave-impedance estimate): Meep may then read less,
# but the engine never reads less than Meep by more than the tolerance.
RETURN_LOSS = {
    # Both put a null near 8.8 GHz (Meep 34.6 dB at 8.76 GHz, the engine 41 dB
    # at 8.78 GHz), where a shift of 1 % moves the figure by 10 dB: 8.85 GHz
    # is left out. The Potter horn's Meep grids differ by up to 3.5 dB here.
    'small': ([9.2, 9.55, 9.9, 10.25, 10.6, 10.95, 11.3, 11.65], 4.5, None),
    'potter': ([9.4, 9.6, 9.8, 10.0, 10.2, 10.4, 10.6], 4.0, None),
    # The cone's null: Meep's at 9.99 GHz (51.6 dB), the engine's at 10.07 GHz;
    # 9.9 GHz on its flank is left out as 8.85 GHz is for the small cone.
    'conical': ([8.85, 9.2, 9.55, 10.25, 10.6, 10.95, 11.3, 11.65], 4.5, 32.0),
    # With their outer contours in the profile (examples/horns' open guide and
    # choke-ring feed); Meep's grids still move by up to 3 dB beyond 11.5 GHz.
    'openguide': ([10.44, 10.88, 11.31, 11.75, 12.19, 12.62, 13.06, 13.5], 3.0, None),
    'choke': ([10.0, 10.44, 10.88, 11.31, 11.75], 3.0, None),
}
# Meep's walls are staircased cell by cell, so its figures converge as the
# cell h (the return loss moved 0.62 then 0.33 dB at 11.75 GHz from 0.5 to
# 0.33 to 0.25 mm: first order); extrapolated, RL = RL4 + (RL4 - RL3) h4 /
# (h3 - h4) = RL4 + 3 (RL4 - RL3). Frequencies and tolerance (dB); the band's
# ends are left out: 10 GHz lies 2.5 % above the guide's cut-off, where the
# grids do not settle, and beyond 13.2 GHz the source's spectrum ends.
EXTRAPOLATED = {
    'openguide': ([10.44, 10.88, 11.31, 11.75, 12.19, 12.62, 13.06], 0.5),
}
# Meep's run of the engine's own body (the guide closed one wavelength
# behind, the near-to-far surface closed around it; 0.25 mm, NAME-pattern-
# closed-res4.csv; 0 to 180 degrees, so no directivity over 0 to 90): full
# widths (degrees). A width's degree is some 0.08 dB of the pattern at its
# level. The choke's groove makes its figures follow the groove's depth on
# Meep's grid by up to 0.4 dB (doc/modal.md).
CLOSED = {
    'openguide': dict(e_3db=1.5, h_3db=1.75, e_10db=1.0, h_10db=2.0),
    'choke': dict(e_3db=1.5, h_3db=1.5, e_10db=4.0, h_10db=2.0),
}
# The frequency of each horn's pattern.
PATTERN_GHZ = {'conical': 10, 'potter': 10, 'small': 10, 'openguide': 11.7, 'choke': 11.7}
# The walls whose outside the profile gives (no --wall-thickness then).
WITH_OUTSIDE = {'openguide', 'choke'}
# Patterns at 10 GHz: directivity from the pattern over 0-90 degrees (dB),
# 3 dB and 10 dB full widths (degrees), each plane; None where doc/modal.md
# states no agreement.
PATTERN = {
    'conical': dict(directivity=0.2, e_3db=1.0, h_3db=1.0, e_10db=1.5, h_10db=1.5),
    'potter': dict(directivity=0.3, e_3db=None, h_3db=0.75, e_10db=None, h_10db=None),
    'small': dict(directivity=0.2, e_3db=1.0, h_3db=1.0, e_10db=1.5, h_10db=1.5),
    # Meep's near-to-far surface is open behind the horn: for the open guide,
    # which sends a quarter of its power backward (front-to-back 12 dB), its
    # pattern is not a reference (CLOSED below is).
    'openguide': dict(directivity=None, e_3db=None, h_3db=None, e_10db=None, h_10db=None),
    'choke': dict(directivity=0.3, e_3db=1.5, h_3db=1.5, e_10db=6.0, h_10db=2.0),
}


def table(text):
    lines = [l for l in text.splitlines() if l and not l.startswith('#')]
    return list(csv.DictReader(io.StringIO('\n'.join(lines))))


def closest(rows, key, value):
    return min(rows, key=lambda r: abs(float(r[key]) - value))


def width(angles, levels, level):
    """Full width (degrees) where the relative level first falls to `level`
    dB, linear in dB between samples."""
    for (a0, l0), (a1, l1) in zip(zip(angles, levels), zip(angles[1:], levels[1:])):
        if l1 <= level < l0 or l1 <= level <= l0 and l1 < l0:
            return 2.0 * (a0 + (a1 - a0) * (l0 - level) / (l0 - l1))
    return None


def directivity_db(angles, e_db, h_db):
    """4 |C(0)|^2 / int_0^90 (|C_E|^2 + |C_H|^2) sin, trapezoids over the
    samples (the same rule on both sides)."""
    total = 0.0
    for i in range(len(angles) - 1):
        f = [(10 ** (e_db[k] / 10) + 10 ** (h_db[k] / 10)) * math.sin(math.radians(angles[k])) for k in (i, i + 1)]
        total += (f[0] + f[1]) / 2 * math.radians(angles[i + 1] - angles[i])
    return 10 * math.log10(4.0 / total)


def figures(rows):
    angles = [float(r['angle_deg']) for r in rows]
    e = [float(r['e_relative_db']) for r in rows]
    h = [float(r['h_relative_db']) for r in rows]
    return dict(directivity=directivity_db(angles, e, h), e_3db=width(angles, e, -3), h_3db=width(angles, h, -3),
                e_10db=width(angles, e, -10), h_10db=width(angles, h, -10))


def main():
    pattern, sweep, doc = (os.path.abspath(a) for a in sys.argv[1:4])
    with tempfile.TemporaryDirectory() as work:
        for horn, (frequencies, tolerance, bound_above) in RETURN_LOSS.items():
            profile = os.path.join(doc, horn + '.profile')
            wall = [] if horn in WITH_OUTSIDE else ['--wall-thickness', '2']
            done = run(sweep, ['--profile', profile, '--unit', 'mm'] + wall + ['--format', 'csv',
                               '--frequencies',
                               ','.join(map(str, frequencies))], work)
            # Below ka 8 the rows have the return loss alone (exit 1: no radiation figures).
            if done.returncode not in (0, 1) or not done.stdout:
                fail('%s: veskal-sweep status %d: %r' % (horn, done.returncode, done.stderr))
                continue
            meep = table(open(os.path.join(doc, horn + '-return-loss-res3.csv')).read())
            for row in table(done.stdout.decode()):
                f = float(row['frequency_ghz'])
                ours = float(row['engine_return_loss_db'])
                theirs = float(closest(meep, 'frequency_ghz', f)['return_loss_db'])
                if bound_above is not None and ours > bound_above:
                    ok = ours >= theirs - tolerance
                else:
                    ok = abs(ours - theirs) <= tolerance
                print('%s at %g GHz: return loss %.2f dB, Meep %.2f dB' % (horn, f, ours, theirs))
                if not ok:
                    fail('%s at %g GHz: return loss %.2f dB, Meep %.2f dB (tolerance %g dB)' %
                         (horn, f, ours, theirs, tolerance))
        for horn, (frequencies, tolerance) in EXTRAPOLATED.items():
            profile = os.path.join(doc, horn + '.profile')
            wall = [] if horn in WITH_OUTSIDE else ['--wall-thickness', '2']
            done = run(sweep, ['--profile', profile, '--unit', 'mm'] + wall +
                       ['--frequencies', ','.join(map(str, frequencies))], work)
            grids = [table(open(os.path.join(doc, '%s-return-loss-res%d.csv' % (horn, n))).read()) for n in (3, 4)]
            for row in table(done.stdout.decode()):
                f = float(row['frequency_ghz'])
                ours = float(row['engine_return_loss_db'])
                rl3, rl4 = (float(closest(g, 'frequency_ghz', f)['return_loss_db']) for g in grids)
                limit = rl4 + 3.0 * (rl4 - rl3)
                print('%s at %g GHz: return loss %.2f dB, Meep extrapolated %.2f dB' % (horn, f, ours, limit))
                if not abs(ours - limit) <= tolerance:
                    fail('%s at %g GHz: return loss %.2f dB, Meep extrapolated %.2f dB (tolerance %g dB)' %
                         (horn, f, ours, limit, tolerance))
        for horn, tolerances in PATTERN.items():
            profile = os.path.join(doc, horn + '.profile')
            wall = [] if horn in WITH_OUTSIDE else ['--wall-thickness', '2']
            done = run(pattern, ['--profile', profile, '--unit', 'mm'] + wall + ['--frequency', str(PATTERN_GHZ[horn]),
                                 '--from', '0', '--to', '90',
                                 '--step', '1', '--format', 'csv'], work)
            if done.returncode != 0:
                fail('%s: veskal-pattern status %d: %r' % (horn, done.returncode, done.stderr))
                continue
            ours = figures(table(done.stdout.decode()))
            theirs = figures(table(open(os.path.join(doc, horn + '-pattern-res3.csv')).read()))
            for name, tolerance in tolerances.items():
                if tolerance is None:
                    continue
                if ours[name] is None or theirs[name] is None or abs(ours[name] - theirs[name]) > tolerance:
                    fail('%s at %g GHz: %s %s, Meep %s (tolerance %g)' % (horn, PATTERN_GHZ[horn], name, ours[name],
                                                                           theirs[name], tolerance))
            print('%s at %g GHz: engine %s; Meep %s' % (horn, PATTERN_GHZ[horn], {k: round(v, 2) for k, v in ours.items() if v},
                                                        {k: round(v, 2) for k, v in theirs.items() if v}))
            if horn in CLOSED:
                closed = figures(table(open(os.path.join(doc, horn + '-pattern-closed-res4.csv')).read()))
                for name, tolerance in CLOSED[horn].items():
                    if ours[name] is None or closed[name] is None or abs(ours[name] - closed[name]) > tolerance:
                        fail('%s at %g GHz: %s %s, Meep on its body %s (tolerance %g)' %
                             (horn, PATTERN_GHZ[horn], name, ours[name], closed[name], tolerance))
    return finish()


if __name__ == '__main__':
    sys.exit(main())
