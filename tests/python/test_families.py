"""design(family=...) and tolerance() against veskal-design --family: the same
design and study, and a two-worker dask.distributed cluster giving the same
numbers as the serial run."""
import json
import os
import subprocess
import warnings

import pytest

import veskal

DESIGN = os.environ.get('VESKAL_DESIGN', 'veskal-design')
POTTER = dict(frequency=10, beamwidth_10db=40, cross_polar=-30, unit='mm', evaluations=25)
OPTIONS = ['--family', 'potter', '--frequency', '10', '--beamwidth-10db', '40', '--cross-polar', '-30',
           '--unit', 'mm', '--evaluations', '25']


@pytest.fixture(scope='module')
def potter():
    return veskal.design(family='potter', **POTTER)


def program(*extra):
    r = subprocess.run([DESIGN] + OPTIONS + list(extra) + ['--format', 'json'], capture_output=True)
    return json.loads(r.stdout)


def test_design_equals_the_program(potter):
    d = program()
    for key in ('family', 'parameters', 'profile', 'band', 'centre', 'meets', 'all_met', 'evaluations'):
        assert potter[key] == d[key], key
    assert potter['profile_text'].startswith('# A potter horn')
    assert potter['request']['family'] == 'potter'


def test_tolerance_serial_cluster_and_program_agree(potter):
    from distributed import Client, LocalCluster
    serial = veskal.tolerance(potter, 0.05, samples=6, seed=5, serial=True)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        clustered = veskal.tolerance(potter, 0.05, samples=6, seed=5, client=client, chunk=2)
    assert clustered == serial
    cli = program('--tolerance', '0.05', '--samples', '6', '--seed', '5')['tolerance']
    for key in ('worst_return_loss_db', 'worst_cross_polar_db', 'beamwidth_error_deg'):
        assert {k: v for k, v in serial[key].items() if k != 'samples'} == cli[key], key
    assert len(serial['worst_return_loss_db']['samples']) == 6


def test_family_arguments_are_checked(potter):
    with pytest.raises(TypeError, match='plane'):
        veskal.design(family='potter', frequency=10, plane='e')
    with pytest.raises(ValueError, match='family'):
        veskal.design(family='horn', frequency=10)
    with pytest.raises(ValueError, match='samples'):
        veskal.tolerance(potter, 0.05, samples=0)
    with pytest.raises(ValueError, match='design'):
        veskal.tolerance({'family': 'potter'}, 0.05)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter('always')
        d = veskal.design(family='potter', frequency=10, beamwidth_10db=20, unit='mm', max_aperture_diameter=50,
                          evaluations=5)
    assert not d['all_met']
    assert any('short by' in str(w.message) for w in caught)
