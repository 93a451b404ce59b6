#!/usr/bin/env python3
"""The open/save benchmark: orvane-cli converting a 20-megapixel photo-like
picture, against the floors a user could compare it with (libjpeg-turbo's own
djpeg | cjpeg at the same quality for JPEG, a plain file copy for BMP).

Each command runs as a child process, repetitions interleaved; the fastest
run counts. Peak memory is the child's maximum resident set (wait4), also
given in pictures (width x height x 3 bytes) after the program's own start-up
size (the same conversion of a 1 x 1 picture) is taken off.

  open_save.py BIN_DIR WORK_DIR OUT_JSON [--repetitions N] [--size WxH]
"""
import argparse
import json
import os
import subprocess
import time
from pathlib import Path


def run(command):
    """Seconds and peak resident bytes of one run of command (a list, or a shell string)."""
    start = time.perf_counter()
    shell = isinstance(command, str)
    child = subprocess.Popen(["bash", "-c", command] if shell else command,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise SystemExit(f"{command} failed ({child.returncode}): {child.stderr.read().decode()}")
    child.stderr.close()
    return seconds, usage.ru_maxrss * 1024  # Linux gives kilobytes


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin_dir")
    parser.add_argument("work_dir")
    parser.add_argument("out_json")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--size", default="6000x3400")
    args = parser.parse_args()
    width, height = (int(v) for v in args.size.split("x"))
    bin_dir, work = Path(args.bin_dir), Path(args.work_dir)
    work.mkdir(parents=True, exist_ok=True)
    cli = str(bin_dir / "orvane-cli")

    photo_bmp, photo_jpg = work / "photo.bmp", work / "photo.jpg"
    subprocess.run([str(bin_dir / "orvane_bench_photo"), str(width), str(height), str(photo_bmp)], check=True)
    subprocess.run(["cjpeg", "-quality", "90", "-outfile", str(photo_jpg), str(photo_bmp)], check=True)
    tiny = work / "tiny.bmp"
    subprocess.run([str(bin_dir / "orvane_bench_photo"), "1", "1", str(tiny)], check=True)

    cases = [
        ("JPEG → JPEG (quality 75)", [cli, "-o", str(work / "out.jpg"), str(photo_jpg)],
         "djpeg | cjpeg -quality 75", f"djpeg '{photo_jpg}' | cjpeg -quality 75 > '{work / 'floor.jpg'}'"),
        ("BMP → BMP", [cli, "-o", str(work / "out.bmp"), str(photo_bmp)],
         "cp", ["cp", str(photo_bmp), str(work / "copy.bmp")]),
    ]
    best = {}
    for _ in range(args.repetitions):
        for name, ours, _, floor in cases:
            for key, command in ((name, ours), (name + "/floor", floor)):
                seconds, peak = run(command)
                old = best.get(key, (float("inf"), 0))
                best[key] = (min(old[0], seconds), max(old[1], peak))
    _, startup = run([cli, "-o", str(work / "tiny-out.bmp"), str(tiny)])

    picture = width * height * 3
    rows = []
    for name, _, floor_name, _ in cases:
        ours_s, ours_peak = best[name]
        floor_s, floor_peak = best[name + "/floor"]
        rows.append({"name": name, "seconds": ours_s, "floor": floor_name, "floor_seconds": floor_s,
                     "ratio": ours_s / floor_s, "peak_bytes": ours_peak, "floor_peak_bytes": floor_peak,
                     "pictures": (ours_peak - startup) / picture})
    same_bmp = (work / "out.bmp").read_bytes() == photo_bmp.read_bytes()
    Path(args.out_json).write_text(json.dumps({
        "width": width, "height": height, "picture_bytes": picture, "repetitions": args.repetitions,
        "jpeg_bytes": photo_jpg.stat().st_size, "startup_bytes": startup, "bmp_round_trip_identical": same_bmp,
        "date": time.strftime("%Y-%m-%dT%H:%M:%S%z"), "cases": rows}, indent=1))
    for row in rows:
        print(f"{row['name']}: {row['seconds']:.3f} s, {row['floor']} {row['floor_seconds']:.3f} s, "
              f"ratio {row['ratio']:.2f}, peak {row['peak_bytes'] / 2**20:.0f} MB ({row['pictures']:.2f} pictures)")


if __name__ == "__main__":
    main()
