#!/usr/bin/env python3
"""veskal-profile: the DXF read back with ezdxf holds the section's every edge
in the unit asked; the SVG is well-formed and renders; a STEP of a thin wall,
a missing horn and a bad format are refused with one line and exit 2.

    profile_cli.py VESKAL_PROFILE EXAMPLES XMLLINT RSVG_CONVERT
"""
import os
import subprocess
import sys
import tempfile

import ezdxf

from testkit import fail, finish, run


def check_dxf(tool, examples, work):
    choke = os.path.join(examples, 'choke-ring-ku.profile')
    for unit, scale, code in (('mm', 1.0, 4), ('cm', 0.1, 5)):
        path = os.path.join(work, 'choke-%s.dxf' % unit)
        # The same horn in two units: the profile's millimetres as --unit mm, and
        # as centimetres by scaling the numbers.
        text = open(choke).read()
        if unit == 'cm':
            lines = []
            for line in text.splitlines():
                fields = line.split()
                if len(fields) == 2 and not line.startswith('#'):
                    line = '%r %r' % (float(fields[0]) * scale, float(fields[1]) * scale)
                lines.append(line)
            source = os.path.join(work, 'choke-cm.profile')
            open(source, 'w').write('\n'.join(lines) + '\n')
        else:
            source = choke
        r = run(tool, ['--profile', source, '--unit', unit, '--format', 'dxf', '--output', path], work)
        if r.returncode != 0:
            fail('dxf in %s: %s' % (unit, r.stderr.decode()))
            continue
        doc = ezdxf.readfile(path)
        if doc.header.get('$INSUNITS') != code:
            fail('dxf in %s: $INSUNITS %s' % (unit, doc.header.get('$INSUNITS')))
        wall = [e for e in doc.modelspace() if e.dxftype() == 'LINE' and e.dxf.layer == 'WALL']
        # The choke feed: 2 bore points, 9 outside points, the guide's end: 12 closed edges.
        if len(wall) != 12:
            fail('dxf in %s: %d wall edges' % (unit, len(wall)))
        ends = {(round(e.dxf.start.x, 9), round(e.dxf.start.y, 9)) for e in wall}
        for point in ((0, 10), (40, 10), (28.5, 24), (0, 11)):
            if (round(point[0] * scale, 9), round(point[1] * scale, 9)) not in ends:
                fail('dxf in %s: no edge from %s' % (unit, point))
        xs = [x for e in wall for x in (e.dxf.start.x, e.dxf.end.x)]
        ys = [y for e in wall for y in (e.dxf.start.y, e.dxf.end.y)]
        if abs(min(xs)) > 1e-9 or abs(max(xs) - 40 * scale) > 1e-9 or abs(max(ys) - 24 * scale) > 1e-9:
            fail('dxf in %s: extent %s..%s, %s' % (unit, min(xs), max(xs), max(ys)))


def check_svg(tool, examples, work, xmllint, rsvg):
    path = os.path.join(work, 'potter.svg')
    r = run(tool, ['--profile', os.path.join(examples, 'potter-x-band.profile'), '--unit', 'mm',
                   '--wall-thickness', '2', '--output', path], work)
    if r.returncode != 0:
        fail('svg: %s' % r.stderr.decode())
        return
    if subprocess.run([xmllint, '--noout', path]).returncode != 0:
        fail('svg: not well-formed')
    if subprocess.run([rsvg, path, '-o', os.path.join(work, 'potter.png')]).returncode != 0:
        fail('svg: does not render')
    text = open(path).read()
    for label in ('length 268.800 mm', '\u2300 96.000 mm aperture', '\u2300 33.600 mm'):
        if label not in text:
            fail('svg: no dimension %r' % label)


def check_careless(tool, examples, work):
    guide = os.path.join(work, 'thin.profile')  # a thin wall: no outside
    open(guide, 'w').write('0 10\n40 10\n')
    for args, named in ((['--profile', guide, '--unit', 'mm', '--format', 'step'], 'thickness'),
                        (['--format', 'svg'], '--aperture-diameter'),
                        (['--profile', guide, '--format', 'png'], '--format'),
                        (['--profile', guide, '--unit', 'mm', '--wall-thickness', '-1'], '--wall-thickness')):
        r = run(tool, args, work)
        err = r.stderr.decode()
        if r.returncode != 2 or err.count('\n') != 1 or named not in err:
            fail('%s: exit %d, %r' % (' '.join(args), r.returncode, err))
    for flag in ('--help', '--version'):
        if run(tool, [flag], work).returncode != 0:
            fail(flag)


def main():
    tool, examples, xmllint, rsvg = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as work:
        check_dxf(tool, examples, work)
        check_svg(tool, examples, work, xmllint, rsvg)
        check_careless(tool, examples, work)
    return finish()


if __name__ == '__main__':
    sys.exit(main())
