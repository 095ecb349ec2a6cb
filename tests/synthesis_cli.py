#!/usr/bin/env python3
"""veskal-design --family: each family's rule misses a requirement that the
optimiser meets; the band table of a design equals what veskal-sweep --profile
--check prints of the profile it wrote, digit for digit; an infeasible
requirement is reported with its shortfall and exit 1; careless command lines
exit 2 with one line.

    synthesis_cli.py VESKAL_DESIGN VESKAL_SWEEP
"""
import csv
import io
import json
import os
import sys
import tempfile

from testkit import fail, finish, run


def design(tool, work, args):
    r = run(tool, args + ['--format', 'json'], work)
    try:
        return r, json.loads(r.stdout) if r.stdout else None
    except json.JSONDecodeError:
        fail('not JSON: %s' % r.stdout[:200])
        return r, None


def check_family(tool, work, name, args):
    """The rule misses, the optimiser meets, the exit status says so."""
    r, d = design(tool, work, ['--family', name] + args)
    if d is None:
        fail('%s: no design (%s)' % (name, r.stderr.decode().strip()))
        return None
    start_missed = [k for k, v in d['start']['meets'].items() if not v['met']]
    if not start_missed:
        fail('%s: the rule alone meets every requirement: no test of the optimiser' % name)
    if not d['all_met'] or r.returncode != 0:
        fail('%s: the optimiser misses %s (exit %d)' %
             (name, {k: v['margin'] for k, v in d['meets'].items()}, r.returncode))
    for key in ('family', 'profile', 'band', 'meets', 'evaluations', 'seconds'):
        if key not in d:
            fail('%s: no key %s' % (name, key))
    for row in d['band']:
        for key in ('frequency_ghz', 'return_loss_db', 'peak_cross_polar_db', 'e_beamwidth_10db_deg',
                    'h_beamwidth_10db_deg', 'directivity_db', 'phase_centre'):
            if key not in row:
                fail('%s: a band row without %s' % (name, key))
    return d


def check_against_sweep(design_tool, sweep_tool, work):
    """The written profile through veskal-sweep gives the band table's digits."""
    profile = os.path.join(work, 'potter.profile')
    args = ['--family', 'potter', '--frequencies', '9.9,10,10.1', '--beamwidth-10db', '40', '--cross-polar',
            '-28', '--unit', 'mm', '--evaluations', '40', '--profile-output', profile]
    r, d = design(design_tool, work, args)
    if d is None or not os.path.exists(profile):
        fail('potter: no profile written (%s)' % r.stderr.decode().strip())
        return
    text = open(profile).read()
    if not text.startswith('# A potter horn') or 'Requirements:' not in text or 'Potter' not in text:
        fail('the profile header names no family, requirements or rule: %s' % text[:300])
    s = run(sweep_tool, ['--profile', profile, '--unit', 'mm', '--frequencies', '9.9,10,10.1', '--check',
                         '--model', 'modal-huygens'], work)
    rows = list(csv.DictReader(io.StringIO(s.stdout.decode())))
    if s.returncode != 0 or len(rows) != 3:
        fail('veskal-sweep of the written profile: %s' % s.stderr.decode())
        return
    pairs = [('return_loss_db', 'engine_return_loss_db'), ('peak_cross_polar_db', 'engine_peak_cross_polar_db'),
             ('e_beamwidth_10db_deg', 'engine_e_beamwidth_10db_deg'),
             ('h_beamwidth_10db_deg', 'engine_h_beamwidth_10db_deg'), ('directivity_db', 'engine_directivity_db'),
             ('e_phase_centre', 'engine_e_phase_centre'), ('h_phase_centre', 'engine_h_phase_centre')]
    for row, swept in zip(d['band'], rows):
        if float(swept['frequency_ghz']) != row['frequency_ghz']:
            fail('frequencies differ: %s, %s' % (swept['frequency_ghz'], row['frequency_ghz']))
        for ours, theirs in pairs:
            if float(swept[theirs]) != row[ours]:
                fail('%s at %s GHz: design %r, sweep %s' % (ours, row['frequency_ghz'], row[ours], swept[theirs]))


def check_more_evaluations(tool, work):
    """The optimiser's best does not get worse with a larger budget."""
    base = ['--family', 'potter', '--frequency', '10', '--beamwidth-10db', '40', '--cross-polar', '-30',
            '--return-loss', '25', '--unit', 'mm']
    worst = None
    for n in (10, 20, 40):
        _, d = design(tool, work, base + ['--evaluations', str(n)])
        if d is None:
            return
        if d['evaluations'] > n:
            fail('%d evaluations asked, %d made' % (n, d['evaluations']))
        total = sum(min(0.0, v['margin']) for v in d['meets'].values())
        if worst is not None and total < worst - 1e-9:
            fail('%d evaluations: shortfall %.4f, worse than %.4f with fewer' % (n, total, worst))
        worst = total


def check_infeasible(tool, work):
    """A 20-degree beam from an aperture of at most 50 mm: exit 1, the shortfall said."""
    r, d = design(tool, work, ['--family', 'potter', '--frequency', '10', '--beamwidth-10db', '20', '--unit', 'mm',
                               '--max-aperture-diameter', '50', '--evaluations', '30'])
    if r.returncode != 1 or d is None or d['all_met'] or d['meets']['pattern']['met']:
        fail('an infeasible beamwidth: exit %d' % r.returncode)
    elif 'pattern short by' not in r.stderr.decode():
        fail('the shortfall is not said: %s' % r.stderr.decode())
    elif d['parameters']['aperture_radius'] > 25.0 + 1e-9:
        fail('the aperture limit is broken: radius %s mm' % d['parameters']['aperture_radius'])
    # A limit below the family's smallest horn: one line with the least it needs, exit 1.
    r = run(tool, ['--family', 'potter', '--frequency', '10', '--beamwidth-10db', '20', '--unit', 'mm',
                   '--max-aperture-diameter', '30'], work)
    err = r.stderr.decode()
    if r.returncode != 1 or err.count('\n') != 1 or '--max-aperture-diameter' not in err or 'at least' not in err:
        fail('an aperture limit no potter horn fits: exit %d, %r' % (r.returncode, err))


def check_tolerance(tool, work):
    """The same seed gives the same study; another seed another one."""
    base = ['--family', 'potter', '--frequency', '10', '--beamwidth-10db', '40', '--unit', 'mm',
            '--evaluations', '5', '--tolerance', '0.05', '--samples', '12']
    studies = []
    for seed in ('3', '3', '4'):
        _, d = design(tool, work, base + ['--seed', seed])
        if d is None or 'tolerance' not in d:
            fail('no tolerance study')
            return
        studies.append(d['tolerance'])
    if studies[0] != studies[1]:
        fail('the same seed gives two studies')
    if studies[0]['worst_return_loss_db'] == studies[2]['worst_return_loss_db']:
        fail('two seeds give one study')
    t = studies[0]
    if not t['worst_return_loss_db']['p99'] <= t['worst_return_loss_db']['p90'] <= t['worst_return_loss_db']['median']:
        fail('the return loss percentiles are not the low tail: %s' % t['worst_return_loss_db'])
    if not t['beamwidth_error_deg']['median'] <= t['beamwidth_error_deg']['p90'] <= t['beamwidth_error_deg']['p99']:
        fail('the beamwidth error percentiles are not the high tail: %s' % t['beamwidth_error_deg'])


def check_careless(tool, work):
    cases = [
        (['--family', 'potter', '--beamwidth-10db', '40'], '--frequency'),
        (['--family', 'potter', '--frequency', '10', '--beamwidth-3db', '20'], '--beamwidth-3db'),
        (['--frequency', '10', '--gain', '20', '--return-loss', '20'], '--return-loss'),
        (['--family', 'potter', '--frequency', '10', '--evaluations', '0'], '--evaluations'),
        (['--family', 'potter', '--frequency', '10', '--model', 'spherical'], '--model'),
        (['--family', 'potter', '--frequency', '10', '--min-ridge', '-1'], '--min-ridge'),
        (['--family', 'corrugated', '--frequency', '10', '--waveguide-diameter', '10', '--unit', 'mm'], 'TE-11'),
        (['--family', 'horn', '--frequency', '10'], '--family'),
        (['--family', 'choke', '--frequency', '11.7', '--model', 'modal-huygens'], '--model'),
        (['--family', 'potter', '--frequency', '10', '--output', 'x', '--profile-output', 'x'], 'x'),
    ]
    for args, named in cases:
        r = run(tool, args, work)
        err = r.stderr.decode()
        if r.returncode != 2 or err.count('\n') != 1 or named not in err:
            fail('%s: exit %d, %r' % (' '.join(args), r.returncode, err))


def main():
    design_tool, sweep_tool = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as work:
        check_family(design_tool, work, 'potter', ['--frequency', '10', '--beamwidth-10db', '40', '--cross-polar',
                                                   '-30', '--return-loss', '25', '--unit', 'mm'])
        check_family(design_tool, work, 'corrugated', ['--frequencies', '11,12.45,14', '--edge-taper', '15',
                                                       '--half-angle', '20', '--cross-polar', '-30', '--return-loss',
                                                       '20', '--unit', 'mm', '--evaluations', '80'])
        check_family(design_tool, work, 'profiled', ['--frequencies', '11.5,12,12.5', '--beamwidth-10db', '36',
                                                     '--cross-polar', '-25', '--return-loss', '25', '--unit', 'mm',
                                                     '--evaluations', '120'])
        check_family(design_tool, work, 'choke', ['--frequencies', '10.7,11.7,12.75', '--edge-taper', '12',
                                                  '--f-over-d', '0.4', '--waveguide-diameter', '20',
                                                  '--wall-thickness', '1', '--cross-polar', '-20', '--return-loss',
                                                  '18', '--unit', 'mm', '--evaluations', '80'])
        check_against_sweep(design_tool, sweep_tool, work)
        check_more_evaluations(design_tool, work)
        check_infeasible(design_tool, work)
        check_tolerance(design_tool, work)
        check_careless(design_tool, work)
    return finish()


if __name__ == '__main__':
    sys.exit(main())
