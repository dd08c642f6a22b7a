"""Prints the performance table from scripts/bench's results folder.

Each ratio is taken within one run: per round (frame benchmark) or per repetition (CPU
benchmark), then reported as its median with the lowest and highest round in brackets.
"""
import json
import statistics
import sys
from pathlib import Path


def spread(values):
    return f"{statistics.median(values):.2f} [{min(values):.2f}-{max(values):.2f}]"


def cpu_results(path):
    """Per repetition: the counters of each benchmark (nanoseconds per triangle, ratio)."""
    runs = {}
    for b in json.loads(path.read_text())["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        runs.setdefault(b["run_name"], []).append(b)
    return runs


def frame_results(path):
    values, rounds = {}, {}
    for line in path.read_text().splitlines():
        words = line.split()
        if words and words[0] == "round":
            view = words[1]
            fields = dict(zip(words[3::2], map(float, words[4::2])))
            rounds.setdefault(view, []).append(fields)
        elif len(words) == 2:  # "key value"; other lines are the program's or the driver's
            try:
                values[words[0]] = float(words[1])
            except ValueError:
                pass
    return values, rounds


def main(folder):
    out = Path(folder)
    baseline, _ = frame_results(out / "empty" / "frame.txt")
    rows = []
    for size in ("1k", "4k", "16k", "250k"):
        cpu = cpu_results(out / size / "cpu.json")
        values, rounds = frame_results(out / size / "frame.txt")
        world = cpu["passAgainstFloor/mapBack:1/manual_time"]
        clip = cpu["passAgainstFloor/mapBack:0/manual_time"]
        anim = [b["per_triangle"] for b in cpu["animationStep"]]
        load = [b["real_time"] for b in cpu["loading"]]  # milliseconds
        mesh_mib = values["mesh_arrays_bytes"] / 2**20
        peak_mib = values["peak_rss_kib"] / 1024
        base_mib = baseline["peak_rss_kib"] / 1024
        rows.append({
            "size": f"{int(values['triangles'])}",
            "pass/floor world": spread([b["ratio"] for b in world]),
            "pass/floor clip": spread([b["ratio"] for b in clip]),
            "ns/tri pass world": f"{statistics.median(b['pass_ns'] for b in world):.1f}",
            "ns/tri floor": f"{statistics.median(b['floor_ns'] for b in world):.1f}",
            "ns/tri anim": f"{statistics.median(anim) * 1e9:.1f}",
            "frame/planes world": spread([r["program"] / r["planes"] for r in rounds["world"]]),
            "frame/planes clip": spread([r["program"] / r["planes"] for r in rounds["clip"]]),
            "frame/arrays world": spread([r["program"] / r["arrays"] for r in rounds["world"]]),
            "us/tri frame world": f"{statistics.median(r['program'] for r in rounds['world']) / values['triangles'] * 1e6:.3f}",
            "load ms": f"{statistics.median(load):.1f} [{min(load):.1f}-{max(load):.1f}]",
            "set-up s": f"{values['setup_seconds']:.3f}",
            "first frame s": f"{values['startup_seconds']:.3f}",
            "peak MiB (limit)": f"{peak_mib:.1f} ({base_mib + 2 * mesh_mib:.1f})",
        })
    columns = list(rows[0])
    widths = [max(len(c), *(len(r[c]) for r in rows)) for c in columns]
    print(" | ".join(c.ljust(w) for c, w in zip(columns, widths)))
    print("-|-".join("-" * w for w in widths))
    for r in rows:
        print(" | ".join(r[c].ljust(w) for c, w in zip(columns, widths)))
    print(f"\nbaseline (empty mesh): set-up {baseline['setup_seconds']:.3f} s, first frame {baseline['startup_seconds']:.3f} s, "
          f"peak {baseline['peak_rss_kib'] / 1024:.1f} MiB")


if __name__ == "__main__":
    main(sys.argv[1])
