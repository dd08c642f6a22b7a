#!/usr/bin/env python3
"""The checker's speed and memory: cliptrace check on the real clipper's trace of 200 000
random triangles, beside Python's json module alone reading the same trace line by line
(json.loads per line, nothing else), each run ROUNDS times in turns; CPU seconds (user + system)
and wall seconds as medians with the lowest and highest round, and the check's peak resident
memory.

    python3 bench/check_bench.py CLIPTRACE WORKDIR [COUNT]
"""
import os
import statistics
import subprocess
import sys
import time

READER = ('import json, sys\n'
          'for line in open(sys.argv[1], "rb"):\n'
          '    json.loads(line)\n')


def measure(command):
    """CPU seconds, wall seconds and peak resident KiB of one run, and its exit status."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    return usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss, os.waitstatus_to_exitcode(status)


def spread(values):
    return f'{statistics.median(values):.2f} [{min(values):.2f}-{max(values):.2f}]'


def main():
    cliptrace, work = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200000
    rounds = int(os.environ.get('ROUNDS', '5'))
    os.makedirs(work, exist_ok=True)
    triangles = os.path.join(work, 'triangles.jsonl')
    trace = os.path.join(work, 'reference.jsonl')
    with open(triangles, 'wb') as out:
        subprocess.run([cliptrace, 'triangles', '--count', str(count)], stdout=out, check=True)
    with open(trace, 'wb') as out:
        subprocess.run([cliptrace, 'reference', triangles], stdout=out, check=True)
    check = [cliptrace, 'check', triangles, trace]
    reader = [sys.executable, '-c', READER, trace]
    results = {'check': [], 'reader': []}
    for _ in range(rounds):
        for name, command in (('check', check), ('reader', reader)):
            cpu, wall, peak, status = measure(command)
            if name == 'check' and status != 0:
                sys.exit(f'cliptrace check exited with {status} on the reference trace')
            results[name].append((cpu, wall, peak))
    size = os.path.getsize(trace) / 1e6
    print(f'{count} triangles, reference trace {size:.0f} MB, {rounds} rounds')
    print('what                          | CPU s              | wall s             | peak MiB')
    print('------------------------------|--------------------|--------------------|---------')
    for name, label in (('check', 'cliptrace check'), ('reader', 'Python json.loads per line')):
        cpu = [r[0] for r in results[name]]
        wall = [r[1] for r in results[name]]
        peak = max(r[2] for r in results[name]) / 1024
        print(f'{label:<30}| {spread(cpu):<19}| {spread(wall):<19}| {peak:.1f}')
    ratio = [c[0] / r[0] for c, r in zip(results['check'], results['reader'])]
    print(f'check / reader, CPU: {spread(ratio)}')


if __name__ == '__main__':
    main()
