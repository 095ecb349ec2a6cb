#!/usr/bin/env python3
"""veskal-sweep against veskal: for many horns, in all four units and all four
flare descriptions, --format report is veskal's report file byte for byte and
every classic CSV and JSON value prints as veskal's row; the CSV parses as
RFC 4180, the JSON with Python's json, the SVG with xmllint and rsvg-convert;
incomplete rows and bad command lines get their cells, messages and statuses.

    sweep_cli.py VESKAL VESKAL_SWEEP XMLLINT RSVG_CONVERT
"""
import csv
import io
import json
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reference_rows import field  # the report's fixed-point fields
from testkit import fail, finish, run

UNITS = {1: 'in', 2: 'cm', 3: 'mm', 4: 'm'}

# unit, aperture diameter, flare (type, values), start, stop, step: long and
# short horns, each flare description, every unit, a negative step, and a horn
# whose small apertures the beamwidth model cannot describe.
CASES = [
    (1, '7.5', (1, '15'), '8.2', '12.4', '0.6'),
    (1, '10', (4, '8'), '5', '40', '1.75'),
    (2, '15', (2, '2.2', '30'), '9', '10', '0.5'),
    (2, '30', (3, '4', '55'), '3', '12', '0.45'),
    (3, '120', (4, '12'), '10', '14', '1'),
    (3, '200', (2, '22.86', '480'), '14', '2', '-0.6'),
    (4, '0.3', (1, '1'), '5', '50', '1.5'),
    (4, '0.25', (3, '0.02', '0.6'), '6', '9', '0.25'),
    (1, '40', (1, '20.5'), '1', '1.37', '0.01'),
    (1, '4', (3, '1', '10'), '8', '12', '0.5'),
]

def f32(x):
    return struct.unpack('f', struct.pack('f', x))[0]

def answers(case):
    unit, diameter, flare, start, stop, step = case
    lines = ['r.rep', str(unit), diameter, str(flare[0])] + list(flare[1:])
    return '\n'.join(lines + ['%s %s %s' % (start, stop, step), '0 0 0', ''])

def options(case):
    unit, diameter, flare, start, stop, step = case
    o = ['--unit', UNITS[unit], '--aperture-diameter', diameter]
    kind = flare[0]
    if kind == 1: o += ['--slant-radius', flare[1]]
    if kind == 4: o += ['--cone-angle', flare[1]]
    if kind == 2: o += ['--waveguide-diameter', flare[1], '--axial-length', flare[2]]
    if kind == 3: o += ['--waveguide-diameter', flare[1], '--cone-length', flare[2]]
    return o + ['--start', start, '--stop', stop, '--step', step]

def classic_row(r):
    """The report row of a CSV row's classic values."""
    v = lambda k: f32(float(r[k]))
    return ('    ' + field(v('frequency_ghz'), 10, 4) + ' ' + field(v('gain_db'), 7, 2) + '   ' +
            field(v('e_beamwidth_3db_deg'), 6, 1) + '   ' + field(v('h_beamwidth_3db_deg'), 6, 1) + '   ' +
            field(v('e_beamwidth_10db_deg'), 6, 1) + '   ' + field(v('h_beamwidth_10db_deg'), 6, 1) +
            field(v('e_phase_centre'), 8, 3) + field(v('h_phase_centre'), 9, 3))


def main():
    veskal, sweep, xmllint, rsvg = (os.path.abspath(a) for a in sys.argv[1:5])
    with tempfile.TemporaryDirectory() as work:
        for case in CASES:
            v = run(veskal, [], work, answers(case).encode())
            with open(os.path.join(work, 'r.rep'), 'rb') as report:
                expected = report.read()
            rep = run(sweep, options(case) + ['--format', 'report'], work)
            if rep.stdout != expected:
                fail('%s: --format report differs from veskal\'s report' % (case,))
            if (rep.returncode == 0) != (v.returncode == 0):
                fail('%s: status %d, veskal %d' % (case, rep.returncode, v.returncode))

            out = run(sweep, options(case), work)
            text = out.stdout.decode()
            if '\r\n' not in text or text.count('\n') != text.count('\r\n'):
                fail('%s: CSV lines must end in CR LF' % (case,))
            rows = list(csv.DictReader(io.StringIO(text, newline='')))
            lines = expected.decode().split('\r\n')
            heads = next(i for i, line in enumerate(lines) if 'Freq(GHz)' in line)
            report_rows = [line for line in lines[heads + 2:] if line]
            complete = [r for r in rows if not r['classic_error']]
            if [classic_row(r) for r in complete] != report_rows[:len(complete)]:
                fail('%s: CSV values do not print as veskal\'s rows' % (case,))
            if len(complete) < len(rows) and out.returncode != 1:
                fail('%s: incomplete rows must give status 1' % (case,))
            for r in rows:
                if r['classic_error'] and any(r[k] for k in ('gain_db', 'e_phase_centre')):
                    fail('%s: an incomplete row has classic values' % (case,))

            js = run(sweep, options(case) + ['--format', 'json'], work)
            doc = json.loads(js.stdout)
            if list(doc)[:2] != ['program', 'horn'] or list(doc)[-1] != 'rows':
                fail('%s: JSON: horn and options first, rows last' % (case,))
            if doc['horn']['unit'] != UNITS[case[0]]:
                fail('%s: JSON: the unit' % (case,))
            for jr, cr in zip(doc['rows'], rows):
                if list(jr) != list(cr):
                    fail('%s: JSON keys differ from the CSV header' % (case,))
                    break
                for k, value in jr.items():
                    if isinstance(value, float) and f32(value) != f32(float(cr[k])):
                        fail('%s: JSON %s %r differs from CSV %r' % (case, k, value, cr[k]))
                    if value is None and cr[k] != '':
                        fail('%s: JSON null where the CSV has %r' % (case, cr[k]))

        # The engine beside the classic figures, and the picture.
        horn = ['--aperture-diameter', '7.5', '--slant-radius', '15']
        chk = run(sweep, horn + ['--start', '8', '--stop', '12', '--step', '2', '--check', '--model', 'spherical'], work)
        rows = list(csv.DictReader(io.StringIO(chk.stdout.decode(), newline='')))
        if chk.returncode != 0 or len(rows) != 3 or not rows[0]['engine_directivity_db']:
            fail('--check: engine columns missing')
        for r in rows:
            names = [n for n in r['outside_limits'].split(';') if n]
            if any(n not in ('gain', 'e_beamwidth_3db', 'h_beamwidth_3db', 'e_beamwidth_10db', 'h_beamwidth_10db',
                             'e_phase_centre', 'h_phase_centre') for n in names):
                fail('--check: outside_limits names %r' % names)
            if abs(float(r['gain_db']) - float(r['engine_directivity_db'])) > 0.2 and 'gain' not in names:
                fail('--check: a gain outside the limit is not listed')
        svg = run(sweep, horn + ['--start', '6', '--stop', '18', '--step', '0.5', '--check', '--format', 'svg',
                                 '--output', 'sweep.svg'], work)
        if svg.returncode != 0 or subprocess.run([xmllint, '--noout', 'sweep.svg'], cwd=work).returncode != 0:
            fail('SVG not well-formed')
        elif subprocess.run([rsvg, 'sweep.svg', '-o', 'sweep.png'], cwd=work).returncode != 0:
            fail('SVG does not render')

        # Incomplete rows in JSON: null classic values and the reason.
        small = ['--aperture-diameter', '2', '--slant-radius', '4', '--frequencies', '1,20']
        js = run(sweep, small + ['--format', 'json'], work)
        doc = json.loads(js.stdout)
        if js.returncode != 1 or doc['rows'][0]['gain_db'] is not None or not doc['rows'][0]['classic_error']:
            fail('JSON: an incomplete row needs nulls and its reason')
        if doc['rows'][1]['gain_db'] is None or js.stderr.decode().count('\n') != 1:
            fail('JSON: the complete row, and one line on standard error')

        # Every row carries its models' verdict, and each cause is said once on
        # standard error: a small cone (ka 3.7 and 4.8), the README's horn at 18 GHz
        # (its phase centres behind its apex, 14.52 in behind the aperture), and a
        # frequency whose figures are not finite (a failed row).
        tiny = ['--aperture-diameter', '1', '--slant-radius', '1.5', '--frequencies', '14,18,1e38', '--check']
        r = run(sweep, tiny, work)
        rows = list(csv.DictReader(io.StringIO(r.stdout.decode(), newline='')))
        err = r.stderr.decode()
        if r.returncode != 1 or list(rows[0].keys())[-1] != 'domain':
            fail('domain column: status %d, columns %s' % (r.returncode, list(rows[0].keys())[-2:]))
        elif ([x['domain'] for x in rows[:2]] != ['small_aperture'] * 2 or rows[2]['gain_db']
              or 'not finite' not in rows[2]['classic_error']):
            fail('domain column: %s' % [(x['domain'], x['classic_error']) for x in rows])
        if err.count('(small_aperture: 2 of 3 rows') != 1 or err.count('incomplete') != 1:
            fail('domain warnings: %r' % err)
        r = run(sweep, horn + ['--frequencies', '10,18', '--check', '--format', 'json'], work)
        rows = json.loads(r.stdout)['rows']
        if [x['domain'] for x in rows] != ['ok', 'phase_centre_behind_apex'] or r.returncode != 0:
            fail('JSON domain: %s, status %d' % ([x['domain'] for x in rows], r.returncode))
        if r.stderr.decode().count('\n') != 1 or 'phase_centre_behind_apex: 1 of 2 rows, at 18 GHz' not in r.stderr.decode():
            fail('phase centre warning: %r' % r.stderr.decode())

        # --frequencies @FILE: one a line, comments and blank lines passed over; the
        # same table as the list; a bad line named.
        with open(os.path.join(work, 'band.txt'), 'w') as f:
            f.write('# the band\n8.2\n\n 10.5 \n12.4  # top\n')
        listed = run(sweep, horn + ['--frequencies', '8.2,10.5,12.4'], work)
        filed = run(sweep, horn + ['--frequencies', '@band.txt'], work)
        if filed.returncode != 0 or filed.stdout != listed.stdout:
            fail('--frequencies @FILE: status %d, %r' % (filed.returncode, filed.stderr))
        with open(os.path.join(work, 'bad.txt'), 'w') as f:
            f.write('10\n1O\n')
        bad = run(sweep, horn + ['--frequencies', '@bad.txt'], work)
        if bad.returncode != 2 or b"bad.txt: line 2: '1O' is not a number" not in bad.stderr:
            fail('--frequencies @FILE with a bad line: status %d, %r' % (bad.returncode, bad.stderr))

        # Bad command lines: status 2, one line naming the option, nothing written.
        with open(os.path.join(work, 'kept.csv'), 'w') as kept:
            kept.write('old')
        bad = [
            (['--slant-radius', '15', '--start', '8', '--stop', '9', '--step', '1'], '--aperture-diameter'),
            (horn + ['--cone-angle', '10', '--frequencies', '10'], 'flare'),
            (['--aperture-diameter', '7.5', '--axial-length', '3', '--frequencies', '10'], '--waveguide-diameter'),
            (['--aperture-diameter', '7.5', '--waveguide-diameter', '9', '--axial-length', '3', '--frequencies', '10'],
             '--waveguide-diameter'),
            (['--aperture-diameter', '7.5', '--waveguide-diameter', '1', '--cone-length', '2', '--frequencies', '10'],
             '--cone-length'),
            (horn + ['--slant-radius', '3', '--frequencies', '10'], '--slant-radius'),
            (['--aperture-diameter', '7.5', '--slant-radius', '3', '--frequencies', '10'], '--slant-radius'),
            (horn + ['--start', '8', '--stop', '12'], '--step'),
            (horn + ['--start', '8', '--stop', '12', '--step', '0'], '--step'),
            (horn + ['--start', '8', '--stop', '12', '--step', '-1'], '--step'),
            (horn + ['--frequencies', '10,-2'], '--frequencies'),
            (horn + ['--frequencies', '10', '--start', '8'], '--start'),
            (horn + ['--frequencies', '10', '--unit', 'ft'], '--unit'),
            (horn + ['--frequencies', '10', '--format', 'pdf'], '--format'),
            (horn + ['--frequencies', '10', '--model', 'spherical'], '--model'),
            (horn + ['--frequencies', '10', '--check', '--format', 'report'], '--check'),
        ]
        for args, words in bad:
            b = run(sweep, args + ['--output', 'kept.csv'], work)
            err = b.stderr.decode()
            if b.returncode != 2 or err.count('\n') != 1 or words not in err:
                fail('%s: status %d, message %r' % (args, b.returncode, err))
        with open(os.path.join(work, 'kept.csv')) as kept:
            if kept.read() != 'old' or len([n for n in os.listdir(work) if n.startswith('kept.csv')]) != 1:
                fail('a failed run touched an existing output')
        if run(sweep, horn + ['--frequencies', '10', '--output', 'no/such/dir/out.csv'], work).returncode != 1:
            fail('an output that cannot be written gives status 1')
        version = run(sweep, ['--version'], work)
        if version.returncode != 0 or not version.stdout.startswith(b'veskal-sweep '):
            fail('--version')
    return finish()

if __name__ == '__main__':
    sys.exit(main())
