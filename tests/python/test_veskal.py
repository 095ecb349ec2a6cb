"""The Python module against the programs: the same horns, units, flare
descriptions and frequencies through both, compared bit for bit where the
programs print shortest digits; the programs' messages for bad arguments;
the GIL released and Ctrl-C honoured during a long call; the example script.

The programs come from the environment (VESKAL_SWEEP, VESKAL_PATTERN,
VESKAL_DESIGN, VESKAL_FEED), the module from PYTHONPATH, as CTest sets them."""
import csv
import io
import json
import os
import re
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import numpy as np
import pytest

import veskal

SOURCE = Path(__file__).resolve().parents[2]
PROGRAMS = {name: os.environ.get('VESKAL_' + name.upper(), 'veskal-' + name)
            for name in ('sweep', 'pattern', 'design', 'feed')}

# Every flare description in every unit, lengths as a designer types them.
HORNS = [
    dict(aperture_diameter=7.5, slant_radius=15, unit='in'),
    dict(aperture_diameter=19.05, cone_angle=14.5, unit='cm'),
    dict(aperture_diameter=190.5, waveguide_diameter=22.86, axial_length=300.1, unit='mm'),
    dict(aperture_diameter=0.1905, waveguide_diameter=0.02286, cone_length=0.31, unit='m'),
    dict(aperture_diameter=3.3, slant_radius=4.1, unit='in'),  # s beyond the classic tables at the top
]


def options(horn):
    """A horn's arguments as command-line options, each number by its repr."""
    out = []
    for key, value in horn.items():
        out += ['--' + key.replace('_', '-'), value if isinstance(value, str) else repr(value)]
    return out


def run(program, args, check=True):
    done = subprocess.run([PROGRAMS[program]] + args, capture_output=True, text=True)
    if check:
        assert done.returncode in (0, 1), done.stderr
    return done


def table(text):
    return list(csv.DictReader(io.StringIO(text)))


def same_float32(module_values, cells):
    """The module's float32 values hold the bits the program's cells spell."""
    expected = np.array([np.float32(c) if c else np.float32('nan') for c in cells], dtype=np.float32)
    got = np.asarray(module_values, dtype=np.float32)
    assert got.dtype == np.float32
    both_nan = np.isnan(expected) & np.isnan(got)
    assert np.array_equal(expected.view(np.uint32)[~both_nan], got.view(np.uint32)[~both_nan])
    assert np.array_equal(np.isnan(expected), np.isnan(got))


def same_column(name, module_values, cells):
    values = np.asarray(module_values)
    if values.dtype == np.float32:
        same_float32(values, cells)
    elif values.dtype.kind == 'O':
        assert all(type(v) is str for v in values) and list(values) == cells, name
    else:
        expected = np.array([float(c) if c else np.nan for c in cells])
        assert np.array_equal(expected, values, equal_nan=True), name


@pytest.mark.parametrize('horn', HORNS, ids=lambda h: '-'.join(k for k in h if k != 'aperture_diameter'))
@pytest.mark.parametrize('check', [None, 'quadratic', 'spherical'])
def test_characteristics_are_the_sweeps_bits(horn, check):
    # A range by the report's row rule and a list of awkward decimals.
    for module_frequencies, program_frequencies in [
            (veskal.frequencies(4.5, 12.0, 0.25), ['--start', '4.5', '--stop', '12', '--step', '0.25']),
            ([8.1, 9.37, 10.003, 11.9999], ['--frequencies', '8.1,9.37,10.003,11.9999'])]:
        args = options(horn) + program_frequencies + ['--format', 'csv']
        if check:
            args += ['--check', '--model', check]
        rows = table(run('sweep', args).stdout)
        got = veskal.characteristics(veskal.Horn(**horn), module_frequencies, check=bool(check),
                                     model=check)
        assert list(got) == list(rows[0])
        for name, values in got.items():
            assert len(values) == len(rows)
            same_column(name, values, [r[name] for r in rows])


def test_geometry_is_the_programs():
    for horn in HORNS:
        h = veskal.Horn(**horn)
        document = json.loads(run('sweep', options(horn) + ['--frequencies', '10', '--format', 'json']).stdout)
        for key, value in document['horn'].items():
            if key != 'unit':
                # JSON holds the float's shortest digits.
                assert np.float32(getattr(h, key.replace('_deg', ''))) == np.float32(value), key
        assert h.unit == horn['unit']


@pytest.mark.parametrize('model', ['classic', 'quadratic', 'spherical'])
@pytest.mark.parametrize('reference', ['aperture', 'phase-centre'])
def test_pattern_is_the_programs(model, reference):
    horn = HORNS[1]
    rows = table(run('pattern', options(horn) + ['--frequency', '9.3', '--from', '-30', '--to', '90',
                                                 '--step', '2.5', '--model', model,
                                                 '--phase-reference', reference]).stdout)
    got = veskal.pattern(veskal.Horn(**horn), 9.3, np.arange(-30, 90.01, 2.5, dtype=np.float32),
                         model=model, phase_reference=reference)
    columns = list(rows[0])
    assert list(got)[:len(columns)] == columns
    for name in columns:
        same_float32(got[name], [r[name] for r in rows])
    amplitude = 20 * np.log10(np.abs(got['e_field']))
    assert np.allclose(amplitude, got['e_amplitude_db'], atol=1e-4)
    assert np.allclose(np.degrees(np.angle(got['h_field'])), got['h_phase_deg_' + reference.replace('-', '_')],
                       atol=1e-3)


def test_modal_model_is_the_programs():
    horn = dict(aperture_diameter=2.8, waveguide_diameter=0.9, axial_length=5.0, unit='in')
    rows = table(run('sweep', options(horn) + ['--frequencies', '9.5,10.5', '--check', '--model', 'modal',
                                               '--format', 'csv']).stdout)
    got = veskal.characteristics(veskal.Horn(**horn), [9.5, 10.5], check=True, model='modal')
    assert list(got) == list(rows[0])
    assert 'engine_return_loss_db' in got
    for name, values in got.items():
        same_column(name, values, [r[name] for r in rows])
    profile = SOURCE / 'examples/horns/potter-x-band.profile'
    rows = table(run('pattern', ['--profile', str(profile), '--unit', 'mm', '--frequency', '10', '--to', '60',
                                 '--step', '5']).stdout)
    potter = veskal.Horn(profile=profile, unit='mm')
    assert potter.aperture_diameter is None and potter.profile == str(profile)
    got = veskal.pattern(potter, 10, np.arange(0, 61, 5.0))
    assert 'cross_polar_45_relative_db' in got
    for name in rows[0]:
        same_float32(got[name], [r[name] for r in rows])
    # A wall's sweep holds frequency, wavelength and the engine's columns.
    rows = table(run('sweep', ['--profile', str(profile), '--unit', 'mm', '--frequencies', '9.5,10.5',
                               '--format', 'csv']).stdout)
    got = veskal.characteristics(potter, [9.5, 10.5])
    assert list(got) == list(rows[0])
    for name, values in got.items():
        same_column(name, values, [r[name] for r in rows])
    rows = table(run('feed', ['--profile', str(profile), '--unit', 'mm', '--frequencies', '10',
                              '--half-angle', '50', '--format', 'csv']).stdout)
    got = veskal.feed(potter, 10, half_angle=50)
    same_tables(got, rows)


def test_design_is_the_programs():
    cases = [
        dict(frequency=10, gain=20),
        dict(frequency=12.5, beamwidth_10db=40, plane='e', unit='mm', waveguide_diameter=17.5),
        dict(frequency=10, f_over_d=0.45, model='spherical', unit='cm'),
        dict(frequency=8, edge_taper=-15, half_angle=60, aperture_diameter=4.0),
        dict(frequency=11.7, f_over_d=0.4, waveguide_diameter=0.75, model='modal', wall_thickness=0.08),
    ]
    for case in cases:
        args = ['--format', 'json']
        for key, value in case.items():
            args += ['--' + key.replace('_', '-'), value if isinstance(value, str) else repr(value)]
        document = json.loads(run('design', args).stdout)
        h = veskal.design(**case)
        for key, value in document['horn'].items():
            if key != 'unit':
                assert np.float32(getattr(h, key.replace('_deg', ''))) == np.float32(value), (case, key)
        # The designed horn's characteristics are those of the same horn typed in.
        again = veskal.Horn(aperture_diameter=h.aperture_diameter, slant_radius=h.slant_radius, unit=h.unit)
        assert again.cone_angle == h.cone_angle
    # No horn: the program's message, as a RuntimeError.
    done = run('design', ['--frequency', '8', '--edge-taper', '-12', '--half-angle', '60', '--aperture-diameter', '4',
                          '--model', 'classic'])
    assert done.returncode == 1
    with pytest.raises(RuntimeError) as raised:
        veskal.design(frequency=8, edge_taper=-12, half_angle=60, aperture_diameter=4, model='classic')
    assert 'veskal-design: ' + str(raised.value) == done.stderr.strip()


def test_feed_is_the_programs():
    horn = HORNS[0]
    for model in ('classic', 'spherical'):
        rows = table(run('feed', options(horn) + ['--frequencies', '8,10', '--f-over-d', '0.3:0.6:0.1',
                                                  '--phase-centre', '3', '--reflector-diameter', '120',
                                                  '--model', model, '--format', 'csv']).stdout)
        got = veskal.feed(veskal.Horn(**horn), [8, 10], f_over_d=[0.3, 0.4, 0.5, 0.6], phase_centre=3,
                          reflector_diameter=120, model=model)
        same_tables(got, rows)
    # A frequency the model cannot compute: NaN rows with the reason, the others
    # computed, and the programs' line as a RuntimeWarning.
    args = options(horn) + ['--frequencies', '0.5,10', '--f-over-d', '0.5', '--format', 'csv']
    done = run('feed', args)
    with pytest.warns(RuntimeWarning, match='1 of 2 frequencies without figures'):
        got = veskal.feed(veskal.Horn(**horn), [0.5, 10], f_over_d=0.5)
    same_tables(got, table(done.stdout))
    assert got['given']['error'][0].startswith('ka = ') and np.isnan(got['optimum']['eta_aperture'][0])
    assert got['given']['domain'][1] == 'ok' and got['optimum']['error'][1] == ''


def test_pattern_files_are_the_programs(tmp_path):
    # The files veskal-pattern writes, but for the title naming the writer;
    # read back as veskal-feed reads them.
    horn = HORNS[0]
    for fmt, model in [('cut', 'spherical'), ('ffs', 'classic'), ('ffd', 'quadratic'), ('cassbeam', 'spherical')]:
        frequencies = [10] if fmt == 'cassbeam' else [10, 12.5]
        ours, theirs = tmp_path / ('module.' + fmt), tmp_path / ('program.' + fmt)
        veskal.write_pattern_file(veskal.Horn(**horn), ours, frequencies, format=fmt, model=model)
        run('pattern', options(horn) + ['--frequency', ','.join(map(str, frequencies)), '--format', fmt,
                                        '--model', model, '--output', str(theirs)])
        writer = re.compile(r'^veskal(-pattern)? [0-9.]+( \(Python\))?, ', re.M)
        assert writer.sub('', ours.read_text()) == writer.sub('', theirs.read_text()), fmt
        if fmt != 'cassbeam':
            cuts = veskal.read_pattern_file(str(ours).encode())
            assert [c['frequency_ghz'] for c in cuts] == frequencies
            assert cuts[0]['angle_deg'][0] == 0 and cuts[0]['angle_deg'][-1] == 180
    # veskal-pattern's table, read back: the fields its cells spell.
    table_file = tmp_path / 'pattern.csv'
    run('pattern', options(horn) + ['--frequency', '10', '--output', str(table_file)])
    [cut] = veskal.read_pattern_file(table_file)
    direct = veskal.pattern(veskal.Horn(**horn), 10, cut['angle_deg'])
    assert cut['frequency_ghz'] is None
    np.testing.assert_allclose(cut['e_field'], direct['e_field'], rtol=1e-6)
    np.testing.assert_allclose(cut['h_field'], direct['h_field'], rtol=1e-6)
    # Careless calls: no format to tell, a step that does not divide 180, a
    # file of another kind, the horn's own profile as the output.
    h = veskal.Horn(**horn)
    for call, message in [
            (lambda: veskal.write_pattern_file(h, tmp_path / 'a.txt', 10), 'format: not known'),
            (lambda: veskal.write_pattern_file(h, tmp_path / 'a.cut', 10, step=0.7), 'step: must divide'),
            (lambda: veskal.write_pattern_file(h, tmp_path / 'a.cut', [1] * 101), 'at most 100'),
            (lambda: veskal.read_pattern_file(SOURCE / 'README.md'), 'not a pattern file')]:
        with pytest.raises(ValueError, match=message):
            call()
    assert not (tmp_path / 'a.cut').exists()
    wall = tmp_path / 'wall.profile'
    wall.write_text('0 10\n100 40\n')
    before = wall.read_text()
    with pytest.raises(ValueError, match='the output would replace the input'):
        veskal.write_pattern_file(veskal.Horn(profile=wall, unit='mm'), wall, 10, format='cut')
    assert wall.read_text() == before


def test_error_columns_are_compact():
    # A million rows that fail cost no more than a million that succeed:
    # the reasons are shared, not one fixed-width string a row.
    h = veskal.Horn(**HORNS[0])

    def size(table):
        shared = {id(v): sys.getsizeof(v) for a in table.values() if a.dtype == object for v in a}
        return sum(a.nbytes for a in table.values()) + sum(shared.values())
    n = 200_000
    succeeding = veskal.characteristics(h, np.linspace(9, 11, n, dtype=np.float32))
    failing = veskal.characteristics(h, np.linspace(0.3, 1.0, n, dtype=np.float32))
    assert all(failing['classic_error']) and not any(succeeding['classic_error'])
    assert size(failing) <= 2 * size(succeeding)
    assert all(failing['domain'] == '') and all(succeeding['domain'] == 'ok')


def same_tables(got, rows):
    """veskal.feed's two tables are veskal-feed's given and optimum rows."""
    assert list(got) == ['given', 'optimum']
    for kind in got:
        part = [r for r in rows if r['reflector'] == kind]
        assert list(got[kind]) == [name for name in rows[0] if name != 'reflector']
        for name, values in got[kind].items():
            assert len(values) == len(part)
            same_column(name, values, [r[name] for r in part])


def program_message(program, args):
    """The program's one-line message for a bad command line, its options
    named as the module's arguments (--slant-radius as slant_radius): the
    same error, each front end wording its own names."""
    done = run(program, args, check=False)
    assert done.returncode == 2, done.stderr
    # CLI11's own checks point at --help, which a Python call has not.
    message = done.stderr.strip().split(': ', 1)[1].removesuffix(' (see --help)')
    assert '--' in message, message
    return re.sub(r'--([a-z][a-z0-9-]*)', lambda m: m.group(1).replace('-', '_'), message)


@pytest.mark.parametrize('horn, args', [
    (dict(aperture_diameter=-1.0, slant_radius=15), ['--aperture-diameter', '-1', '--slant-radius', '15']),
    (dict(aperture_diameter=float('nan'), slant_radius=15), ['--aperture-diameter', 'nan', '--slant-radius', '15']),
    (dict(aperture_diameter=7.5, slant_radius=3), ['--aperture-diameter', '7.5', '--slant-radius', '3']),
    (dict(aperture_diameter=7.5, slant_radius=15, cone_angle=10),
     ['--aperture-diameter', '7.5', '--slant-radius', '15', '--cone-angle', '10']),
])
def test_bad_horns_say_what_the_programs_say(horn, args):
    with pytest.raises(ValueError) as raised:
        veskal.Horn(**horn)
    assert str(raised.value) == program_message('sweep', args + ['--frequencies', '10'])


def test_bad_frequencies_and_shapes():
    h = veskal.Horn(aperture_diameter=7.5, slant_radius=15)
    with pytest.raises(ValueError) as raised:
        veskal.characteristics(h, [10, -1])
    assert str(raised.value) == program_message(
        'sweep', ['--aperture-diameter', '7.5', '--slant-radius', '15', '--frequencies', '10,-1'])
    for bad in (np.ones((2, 3)), [10, float('nan')], [], 'ten'):
        with pytest.raises(ValueError, match='frequencies'):
            veskal.characteristics(h, bad)
    with pytest.raises(TypeError, match='^frequencies: must be a real number, not NoneType'):
        veskal.characteristics(h, [10, None])
    with pytest.raises(ValueError, match='^model: must be quadratic, spherical, modal or modal-huygens'):
        veskal.characteristics(h, 10, check=True, model='classic')
    with pytest.raises(ValueError, match='^waveguide_diameter: the modal model starts at the feeding waveguide'):
        veskal.characteristics(h, 10, check=True, model='modal')
    with pytest.raises(ValueError) as raised:
        veskal.characteristics(h, 10, model='spherical')
    assert str(raised.value) == program_message(
        'sweep', ['--aperture-diameter', '7.5', '--slant-radius', '15', '--frequencies', '10', '--model', 'spherical'])
    with pytest.raises(ValueError, match='^unit: must be in, cm, mm or m'):
        veskal.Horn(aperture_diameter=7.5, slant_radius=15, unit='ft')
    with pytest.raises(ValueError, match='angles: must lie within'):
        veskal.pattern(h, 10, [0, 95])
    with pytest.raises(ValueError, match='^f_over_d: must be at least'):
        veskal.feed(h, 10, f_over_d=[0.5, 0])
    with pytest.raises(ValueError, match='one requirement is needed'):
        veskal.design(frequency=10)
    # Lists, tuples, numpy scalars and arrays of any real dtype are all accepted.
    a = veskal.characteristics(h, (8, 10))['gain_db']
    b = veskal.characteristics(h, np.array([8, 10], dtype=np.int64))['gain_db']
    c = veskal.characteristics(h, [np.float64(8), np.float32(10)])['gain_db']
    assert np.array_equal(a, b) and np.array_equal(a, c)


def test_arguments_of_the_wrong_kind_are_refused(tmp_path):
    # Complex, boolean, object and masked arrays, and such scalars: a TypeError
    # naming the argument, never a value quietly made of them.
    h = veskal.Horn(aperture_diameter=7.5, slant_radius=15)
    for bad in [np.array([10 + 1j]), np.array([True]), True, np.True_, 10j,
                np.ma.array([10.0, 11.0], mask=[False, True]), np.array([10.0], dtype=object)]:
        with pytest.raises(TypeError, match='^frequencies: '):
            veskal.characteristics(h, bad)
    # Paths as str, bytes or os.PathLike, named in messages as given.
    wall = tmp_path / 'p.profile'
    wall.write_text('0 10\n20 10\n100 40\n')
    for path in (str(wall), os.fsencode(str(wall)), wall):
        assert veskal.Horn(profile=path, unit='mm').profile == str(wall)
    with pytest.raises(ValueError, match="^profile: cannot read nofile: "):
        veskal.Horn(profile=b'nofile', unit='mm')
    with pytest.raises(TypeError, match='^profile: must be a path'):
        veskal.Horn(profile=3, unit='mm')


def test_warnings_are_python_warnings(tmp_path):
    # A wall whose steps and modes cannot be refined within the engine's work
    # bounds: veskal-sweep says so on standard error, the module as a
    # RuntimeWarning with the same words.
    wall = tmp_path / 'long.profile'
    wall.write_text('0 5\n10 5\n400 150\n')
    done = run('sweep', ['--profile', str(wall), '--unit', 'mm', '--frequencies', '20'])
    message = done.stderr.strip().split(': ', 1)[1]
    assert 'could not be refined within its work bounds at 1 of 1 rows, 20 GHz' in message
    with pytest.warns(RuntimeWarning) as caught:
        veskal.characteristics(veskal.Horn(profile=wall, unit='mm'), 20)
    assert [str(w.message) for w in caught] == [message]


def test_profile_errors_name_file_and_line(tmp_path):
    bad = tmp_path / 'bad.profile'
    bad.write_text('0 5\n10 -2\n')
    with pytest.raises(ValueError, match=r'bad.profile: line 2'):
        veskal.Horn(profile=bad, unit='mm')
    with pytest.raises(ValueError, match='^profile excludes aperture_diameter'):
        veskal.Horn(profile=bad, aperture_diameter=3)


def test_long_call_releases_the_gil_and_stops_at_ctrl_c():
    h = veskal.Horn(aperture_diameter=7.5, slant_radius=15)
    frequencies = np.linspace(8, 12, 1000000).astype(np.float32)
    ticks = []
    ticker = threading.Thread(target=lambda: [ticks.append(time.sleep(0.01)) for _ in range(20)])
    interrupt = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    started = time.monotonic()
    ticker.start()
    interrupt.start()
    with pytest.raises(KeyboardInterrupt):
        veskal.characteristics(h, frequencies, check=True)
    elapsed = time.monotonic() - started
    ticker.join()
    assert len(ticks) == 20  # another thread ran while the call computed
    assert elapsed < 2.0  # stopped within a batch, long before the million rows' end


def test_example_script_runs(tmp_path):
    env = dict(os.environ, MPLBACKEND='Agg')
    done = subprocess.run([sys.executable, str(SOURCE / 'examples/python/sweep_and_design.py'), str(tmp_path)],
                          capture_output=True, text=True, env=env, timeout=120)
    assert done.returncode == 0, done.stderr
    picture = tmp_path / 'sweep.png'
    assert picture.stat().st_size > 10000
    assert 'designed horn' in done.stdout


def test_outside_is_the_programs():
    """The horn's outside from Python: wall_thickness as --wall-thickness,
    angles over the whole sphere, the front-to-back column, the faults."""
    profile = SOURCE / 'examples/horns/open-guide-ku.profile'
    args = ['--profile', str(SOURCE / 'examples/horns/potter-x-band.profile'), '--unit', 'mm',
            '--wall-thickness', '2', '--frequencies', '10', '--format', 'csv']
    rows = table(run('sweep', args).stdout)
    got = veskal.characteristics(veskal.Horn(profile=SOURCE / 'examples/horns/potter-x-band.profile', unit='mm',
                                             wall_thickness=2), [10.0])
    for name in ('engine_return_loss_db', 'engine_front_to_back_db', 'engine_directivity_db'):
        same_column(name, got[name], [r[name] for r in rows])
    back = veskal.pattern(veskal.Horn(profile=profile, unit='mm'), 11.7, np.array([0.0, 180.0]))
    assert back['e_relative_db'][0] == 0 and back['e_relative_db'][1] < -5
    with pytest.raises(ValueError, match='^wall_thickness: must be a positive length'):
        veskal.Horn(aperture_diameter=2, slant_radius=5, wall_thickness=-1)
    with pytest.raises(ValueError, match='^angles: must lie within -90 ... 90 degrees'):
        veskal.pattern(veskal.Horn(profile=profile, unit='mm'), 11.7, np.array([120.0]), model='modal-huygens')
