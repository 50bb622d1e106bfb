#!/usr/bin/env python3
"""The unpacker's start on an archive: varnox ARCHIVE is started on the offscreen platform
with a home of its own, and its CPU time is watched until it stops growing; the moment it
last grew (from the start) bounds the time to the item list shown, and the peak resident
memory is read then. Make the archive with VARNOX_BENCH_KEEP=1 varnox-bench
--benchmark_filter=PhotoCatFolder (its fotos.res). Usage: unpacker_start.py VARNOX ARCHIVE [RUNS]"""
import os
import subprocess
import sys
import tempfile
import time

varnox, archive = sys.argv[1], sys.argv[2]
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
tick = os.sysconf('SC_CLK_TCK')
with tempfile.TemporaryDirectory() as home:
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen', HOME=home, TMPDIR=home, XDG_RUNTIME_DIR=home,
               XDG_CONFIG_HOME=home + '/config', XDG_CACHE_HOME=home + '/cache', XDG_DATA_HOME=home + '/data')
    for _ in range(runs):
        start = time.monotonic()
        process = subprocess.Popen([varnox, archive], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        cpu, changed = -1, start
        while time.monotonic() - start < 3:
            fields = open(f'/proc/{process.pid}/stat').read().rsplit(')', 1)[1].split()
            now = int(fields[11]) + int(fields[12])
            if now != cpu:
                cpu, changed = now, time.monotonic()
            time.sleep(0.005)
        peak = next(line for line in open(f'/proc/{process.pid}/status') if line.startswith('VmHWM'))
        process.kill()
        process.wait()
        print(f'busy until {changed - start:.3f} s, CPU {cpu / tick:.2f} s, '
              f'peak {int(peak.split()[1]) / 1024:.1f} MiB')
