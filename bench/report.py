#!/usr/bin/env python3
"""Turns the benchmark's JSON output into bench/RESULTS.md: every timing as a
ratio to memcpy of the same buffer and, where one exists, to OpenCV's
nearest equivalent; then the open/save table (bench/open_save.py's JSON).

  report.py RESULTS_JSON OUT_MD [OPEN_SAVE_JSON]
  report.py --open-save-only OPEN_SAVE_JSON OUT_MD   (replaces just that table)"""
import json
import platform
import re
import subprocess
import sys
from pathlib import Path

# Our benchmark name (without the width) -> OpenCV counterpart.
COUNTERPARTS = {
    "dllfastblur": "box3", "DllBlurSoftly": "box3", "DllBlurMore": "kernel5", "dllspecialblur": "box3",
    "dllgaussblur": "gauss3", "medianfiltering": "median3",
    "dllsharpen_laplacian1": "laplacian", "dllsharpen_laplacian2": "laplacian",
    "dllsharpenhor": "sharpen", "dllsharpenver": "sharpen", "dllsharpenroberts": "sharpen",
    "dllsharpenwallis": "sharpen", "dllsharpen": "sharpen", "DllSimpleSharpen": "sharpen",
    "DllSharpenMore": "sharpen", "DllSharpenLess": "sharpen", "DllUnSharpMask": "sharpen",
    "dllEnhanceEdge": "sharpen",
    "dllemboss": "emboss", "DllEmbossColor": "emboss", "DllEmbossHighLight": "emboss",
    "dllcontour": "emboss",
    "pno/1": "invert", "op_InvertAll": "invert", "dllbrightness": "addconstant", "op_Brightness": "addconstant",
    "pno/56": "grey", "op_StandardGreyscale": "grey",
    "dllfliphor": "fliphor", "op_FlipHor": "fliphor", "op_FlipVer": "flipver",
    "op_Rotate/90": "rotate90", "op_Rotate/270": "rotate90", "op_Rotate/180": "rotate180",
    "op_Zoom": "resizehalf",
    "op_FastBlur": "box3", "op_GaussBlur": "gauss3", "op_Noise_Reduction_Median": "median3",
    "op_Sharpen_Laplacian1": "laplacian", "op_SimpleSharpen": "sharpen",
}


def machine():
    cpu = platform.processor() or "unknown"
    try:
        for line in subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines():
            if line.startswith("Model name:"):
                cpu = line.split(":", 1)[1].strip()
    except OSError:
        pass
    return f"{cpu}; {platform.system()} {platform.release()}"


# The open/save table's targets, as ratios to the floor.
OPEN_SAVE_TARGETS = {"JPEG": 1.3, "BMP": 5.0}
OPEN_SAVE_HEADING = "## Open and save"


def open_save_lines(json_path):
    """The open/save benchmark's table (bench/open_save.py's output)."""
    data = json.loads(Path(json_path).read_text())
    mb = 2 ** 20
    lines = [
        OPEN_SAVE_HEADING,
        "",
        f"Run: {data['date']}. orvane-cli converting a {data['width']} × {data['height']} photo-like picture made by"
        f" the bench ({data['picture_bytes'] / mb:.0f} MB as a 24-bit BMP; the JPEG input is"
        f" {data['jpeg_bytes'] / mb:.1f} MB, written by cjpeg at quality 90), against the floor a user would compare"
        f" it with. Fastest of {data['repetitions']} interleaved runs of each command as a child process.",
        "",
        "Peak: the process's maximum resident set (of a pipeline, its largest process). Pictures: (peak − the program's start-up size,"
        f" {data['startup_bytes'] / mb:.0f} MB) ÷ the picture's 24-bit size."
        + (" The BMP written is byte-identical to the one read." if data.get("bmp_round_trip_identical") else ""),
        "",
        "| conversion | orvane-cli s | floor | floor s | ÷ floor | target | peak MB | pictures | floor peak MB |",
        "|---|---|---|---|---|---|---|---|---|",
    ]
    for row in data["cases"]:
        target = next((t for k, t in OPEN_SAVE_TARGETS.items() if row["name"].startswith(k)), None)
        lines.append(
            f"| {row['name']} | {row['seconds']:.3f} | {row['floor'].replace('|', chr(92) + '|')} | {row['floor_seconds']:.3f} | "
            f"{row['ratio']:.2f} | {'' if target is None else f'≤ {target:g}'} | {row['peak_bytes'] / mb:.0f} | "
            f"{row['pictures']:.2f} | {row['floor_peak_bytes'] / mb:.0f} |")
    return lines


def splice_open_save(open_save_path, out_path):
    """Replaces (or adds) the open/save table of an existing RESULTS.md."""
    text = Path(out_path).read_text() if Path(out_path).exists() else "# Benchmark results\n"
    text = text.split("\n" + OPEN_SAVE_HEADING)[0].rstrip("\n")
    Path(out_path).write_text(text + "\n\n" + "\n".join(open_save_lines(open_save_path)) + "\n")


def main(json_path, out_path, open_save_path=None):
    data = json.loads(Path(json_path).read_text())
    times = {}
    extra = {}  # the most heap memory one call held beyond what was there before, in pictures
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate":
            continue
        name = b["name"].removeprefix("BM_")
        name = re.sub(r"/real_time$", "", name)
        parts = name.split("/")
        base, width, rest = parts[0], parts[1], parts[2:]
        key = "/".join([base] + rest)
        # With repetitions, the fastest run: the one the shared machine disturbed least.
        ms = b["real_time"]
        times[(key, width)] = min(ms, times.get((key, width), ms))
        if "extra_memory" in b:
            extra[(key, width)] = max(b["extra_memory"], extra.get((key, width), 0.0))
    repetitions = max((b.get("repetitions", 1) for b in data["benchmarks"]), default=1)
    rows = []
    for (key, width), ms in sorted(times.items()):
        if key == "memcpy" or key.startswith("opencv_"):
            continue
        floor = times.get(("memcpy", width))
        counterpart = COUNTERPARTS.get(key) or COUNTERPARTS.get(key.split("/")[0])
        cv = times.get(("opencv_" + counterpart, width)) if counterpart else None
        rows.append((key, width, ms, ms / floor if floor else None, counterpart, ms / cv if cv else None,
                     extra.get((key, width))))
    lines = [
        "# Benchmark results",
        "",
        f"Machine: {machine()}; {data['context'].get('num_cpus', '?')} cores; one thread.",
        f"Run: {data['context'].get('date', '')}. Pictures 4000 × 3000 (no row padding) and 4001 × 3000"
        " (one padding byte per row)."
        f" Each time is the fastest of {repetitions} interleaved repetitions.",
        "",
        f"memcpy of the picture: {times.get(('memcpy', '4000'), 0):.2f} ms (4000), "
        f"{times.get(('memcpy', '4001'), 0):.2f} ms (4001).",
        "",
        "Extra memory: the most heap memory one call held at any moment beyond what was held before it,"
        " in pictures (an operation starts without a working copy, so its own counts).",
        "",
        "| function | width | ms | ÷ memcpy | OpenCV counterpart | ÷ OpenCV | extra memory |",
        "|---|---|---|---|---|---|---|",
    ]
    for key, width, ms, rm, cp, rc, mem in rows:
        lines.append(f"| {key} | {width} | {ms:.2f} | {'' if rm is None else f'{rm:.2f}'} | {cp or ''} | "
                     f"{'' if rc is None else f'{rc:.2f}'} | {'' if mem is None else f'{mem:.2f}'} |")
    lines.append("")
    lines.append("OpenCV timings (ms): " + ", ".join(
        f"{k.removeprefix('opencv_')} {w}: {v:.2f}" for (k, w), v in sorted(times.items()) if k.startswith("opencv_")))
    if open_save_path:
        lines += [""] + open_save_lines(open_save_path)
    Path(out_path).write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    if sys.argv[1] == "--open-save-only":
        splice_open_save(sys.argv[2], sys.argv[3])
    else:
        main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None)
