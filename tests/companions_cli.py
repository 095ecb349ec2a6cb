#!/usr/bin/env python3
"""What every companion promises on its command line: numbers read as veskal
reads them (the same bits, the same refusals), outputs that never harm a file
(devices written in place, read-only files refused, links followed, two
outputs both or neither), one-line messages that name the cause, memory flat
in the number of rows, and the help listing exactly the choices an option
takes.

    companions_cli.py VESKAL VESKAL_PATTERN VESKAL_SWEEP VESKAL_DESIGN [--memory]

(--memory: check the peak memory too; not for a sanitized build, whose freed
memory stays in quarantine.)
"""
import os
import resource
import stat
import subprocess
import sys
import tempfile
import time

from testkit import fail, finish, run

def peak_kib(tool, args, cwd):
    """The child's peak resident memory (KiB), run alone."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    code = ('import resource,subprocess,sys;subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL);'
            'print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)')
    out = subprocess.run([sys.executable, '-c', code, tool] + args, cwd=cwd, capture_output=True)
    return int(out.stdout)

HORN = ['--aperture-diameter', '7.5', '--slant-radius', '15']

def main():
    veskal, pattern, sweep, design = (os.path.abspath(a) for a in sys.argv[1:5])
    with tempfile.TemporaryDirectory() as work:
        # Rejected numbers: status 2, one line naming the option and the text.
        programs = {
            'veskal-pattern': (pattern, ['--frequency', '10'] + HORN, '--frequency'),
            'veskal-sweep': (sweep, HORN + ['--frequencies', '10'], '--aperture-diameter'),
            'veskal-design': (design, ['--frequency', '10', '--gain', '20'], '--gain'),
        }
        for name, (tool, good, option) in programs.items():
            if run(tool, good, work).returncode != 0:
                fail('%s %s: refused' % (name, good))
            for text in ['0x10', '', 'nan', 'inf', '1e', '12abc', '1.2.3', ' 7', '1e99999']:
                args = list(good)
                args[args.index(option) + 1] = text
                r = run(tool, args, work)
                err = r.stderr.decode()
                if r.returncode != 2 or err.count('\n') != 1 or option not in err:
                    fail('%s %s %r: status %d, %r' % (name, option, text, r.returncode, err))
            long_text = '7' * 131000
            args = list(good)
            args[args.index(option) + 1] = long_text
            err = run(tool, args, work).stderr.decode()
            if len(err) > 200:
                fail('%s: a long argument is echoed whole (%d characters)' % (name, len(err)))
            # --help lists the choices an option takes, and no others.
            help_text = run(tool, ['--help'], work).stdout.decode()
            if name == 'veskal-sweep' and ('quadratic,spherical' not in help_text or 'classic,' in help_text):
                fail('veskal-sweep --help: --model choices')
            if name != 'veskal-sweep' and 'classic,quadratic,spherical' not in help_text:
                fail('%s --help: --model choices' % name)

        # The same digits give the same bits as veskal: a value a hair above
        # the midpoint between two floats rounds up in both.
        answers = 'r.rep\n1\n7.5000002384185791015625000001\n1\n15\n10 10 1\n0 0 0\n'
        run(veskal, [], work, answers.encode())
        with open(os.path.join(work, 'r.rep'), 'rb') as f:
            expected = f.read()
        rep = run(sweep, ['--aperture-diameter', '7.5000002384185791015625000001', '--slant-radius', '15',
                          '--start', '10', '--stop', '10', '--step', '1', '--format', 'report'], work)
        if rep.stdout != expected:
            fail('--format report differs from veskal for a number at a rounding boundary')

        # Outputs: a device is written in place, never replaced; a full one
        # is reported; a read-only file refused and kept; a link followed.
        for node, minor in (('null', 3), ('full', 7)):
            try:
                os.mknod(os.path.join(work, node), stat.S_IFCHR | 0o666, os.makedev(1, minor))
            except PermissionError:
                pass
        if os.path.exists(os.path.join(work, 'null')):
            for name, (tool, good, option) in programs.items():
                r = run(tool, good + ['--output', 'null'], work)
                if r.returncode != 0 or not stat.S_ISCHR(os.lstat(os.path.join(work, 'null')).st_mode):
                    fail('%s --output to a null device: status %d, replaced?' % (name, r.returncode))
                r = run(tool, good + ['--output', 'full'], work)
                if r.returncode != 1 or b'No space left on device' not in r.stderr:
                    fail('%s --output to a full device: status %d, %r' % (name, r.returncode, r.stderr))
        with open(os.path.join(work, 'kept.csv'), 'w') as f:
            f.write('old')
        os.chmod(os.path.join(work, 'kept.csv'), 0o444)
        r = run(sweep, HORN + ['--frequencies', '10', '--output', 'kept.csv'], work)
        if r.returncode != 1 or b'Permission denied' not in r.stderr or open(os.path.join(work, 'kept.csv')).read() != 'old':
            fail('a read-only output: status %d, %r' % (r.returncode, r.stderr))
        with open(os.path.join(work, 'target.csv'), 'w') as f:
            f.write('old')
        os.symlink('target.csv', os.path.join(work, 'link.csv'))
        r = run(sweep, HORN + ['--frequencies', '10', '--output', 'link.csv'], work)
        if r.returncode != 0 or not os.path.islink(os.path.join(work, 'link.csv')) or \
                not open(os.path.join(work, 'target.csv')).read().startswith('frequency_ghz'):
            fail('an output through a symbolic link')
        # Killed outright in the middle of a long output (SIGKILL, which no
        # handler sees), over an existing file and to a new one: the old file is
        # kept and nothing else is left in the folder.
        for name in ('target.csv', 'new.csv'):
            long_run = subprocess.Popen([sweep] + HORN + ['--start', '8', '--stop', '12', '--step', '0.000004',
                                                          '--output', name], cwd=work, stderr=subprocess.DEVNULL)
            time.sleep(0.4)
            long_run.kill()
            long_run.wait()
        if os.path.exists(os.path.join(work, 'new.csv')) or \
                not open(os.path.join(work, 'target.csv')).read().startswith('frequency_ghz'):
            fail('a killed run harmed or left its output')
        leftovers = [n for n in os.listdir(work) if n.startswith('.vsk')]
        if leftovers:
            fail('temporary files left behind: %r' % leftovers)

        # Two outputs naming one file: status 2; a failing output leaves no answers.
        r = run(design, ['--frequency', '10', '--gain', '20', '--output', 'same.txt', '--answers', './same.txt'], work)
        if r.returncode != 2 or os.path.exists(os.path.join(work, 'same.txt')):
            fail('--output and --answers naming one file: status %d' % r.returncode)
        r = run(design, ['--frequency', '10', '--gain', '20', '--output', 'no/such/out.txt', '--answers', 'a.ans'], work)
        if r.returncode != 1 or os.path.exists(os.path.join(work, 'a.ans')):
            fail('a failing --output left the answers behind')

        # Messages that name the cause.
        r = run(design, ['--frequency', '10', '--gain', '-1', '--model', 'classic'], work)
        if r.returncode != 1 or b'cut-off' not in r.stderr:
            fail('a design below the TE-11 cut-off: status %d, %r' % (r.returncode, r.stderr))
        r = run(design, ['--frequency', '10', '--gain', '15', '--waveguide-diameter', '0.5'], work)
        if r.returncode != 1 or b'waveguide' not in r.stderr or b'cut-off' not in r.stderr:
            fail('a waveguide below the TE-11 cut-off: status %d, %r' % (r.returncode, r.stderr))
        r = run(pattern, ['--frequency', '22.7', '--aperture-diameter', '7.5', '--slant-radius', '5', '--model', 'classic', '--format', 'svg'], work)
        if r.returncode != 1 or b'phase error s = ' not in r.stderr or b'0.8' not in r.stderr:
            fail('a phase error beyond the classic model: %r' % r.stderr)
        r = run(sweep, HORN + ['--frequencies', '25'], work)
        if r.returncode != 0 or b'warning' not in r.stderr or b's <= 0.8' not in r.stderr:
            fail('classic figures beyond the tables need a warning: %r' % r.stderr)
        r = run(pattern, ['--frequency', '10'] + HORN + ['--to', '120'], work)
        if r.returncode != 2 or b'--to' not in r.stderr:
            fail('angles beyond 90 degrees: status %d' % r.returncode)

        # A row the engine refuses: its engine cells empty with the reason,
        # the other rows written, status 1.
        r = run(sweep, HORN + ['--frequencies', '10,2000', '--check'], work)
        lines = r.stdout.decode().split('\r\n')
        if r.returncode != 1 or len(lines) != 4 or 'ka <= 600' not in lines[2] or 'aperture engine' not in r.stderr.decode():
            fail('--check with a row beyond the engine: status %d, %r' % (r.returncode, r.stderr))

        # The engine's models in veskal-design, end to end.
        for model in ('quadratic', 'spherical'):
            r = run(design, ['--frequency', '10', '--gain', '22', '--model', model, '--format', 'json'], work)
            if r.returncode != 0 or ('engine, ' + model).encode() in r.stdout or model.encode() not in r.stdout:
                fail('veskal-design --model %s: status %d' % (model, r.returncode))

        # Memory flat in the number of rows, in every text format.
        for fmt in ('csv', 'json', 'report', 'svg') if '--memory' in sys.argv[5:] else ():
            small = peak_kib(sweep, HORN + ['--start', '8', '--stop', '12', '--step', '0.0004', '--format', fmt], work)
            large = peak_kib(sweep, HORN + ['--start', '8', '--stop', '12', '--step', '0.00004', '--format', fmt], work)
            if large - small > 2048:
                fail('--format %s: peak memory grows from %d to %d KiB with ten times the rows' % (fmt, small, large))
    return finish()

if __name__ == '__main__':
    sys.exit(main())
