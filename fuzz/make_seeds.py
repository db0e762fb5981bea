#!/usr/bin/env python3
"""Builds the seed corpus fuzz/corpus/<target>/ from the example project and
the end-to-end cases: one seed per project file, holding it (renamed to the
name the harness reads) and the data files beside it, in the harness's
multi-file layout (see fuzz_files.h)."""

import hashlib
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
SEPARATOR = b"\n=====\n"
MAX_FILE = 16 * 1024


def save(target, data):
    folder = ROOT / "fuzz" / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()[:16]).write_bytes(data)


def bundle(main_name, main_path, others):
    parts = [main_name.encode() + b"\n" + main_path.read_bytes()]
    for other in others:
        if other.stat().st_size <= MAX_FILE:
            parts.append(other.name.encode() + b"\n" + other.read_bytes())
    return SEPARATOR.join(parts)


def project_seeds(target, folders):
    for folder in folders:
        files = sorted(p for p in folder.iterdir() if p.is_file())
        for project in (p for p in files if p.suffix == ".in"):
            others = [p for p in files if p.suffix != ".in"]
            save(target, bundle("p.in", project, others))


cases = ROOT / "tests" / "e2e" / "cases"
project_seeds("project_input",
              [p / "in" for p in (cases / "kivo_sim").iterdir() if (p / "in").is_dir()] +
              [ROOT / "examples" / "sim_digraph"])
project_seeds("enumeration_input",
              [p / "in" for p in (cases / "kivo_enum").iterdir() if (p / "in").is_dir()])
for case in (cases / "tamsel").iterdir():
    folder = case / "in"
    if (folder / "tamsel.in").is_file():
        others = sorted(p for p in folder.iterdir() if p.is_file() and p.name != "tamsel.in")
        save("data_description", bundle("tamsel.in", folder / "tamsel.in", others))
for pqr in cases.glob("kivo_sim/*/expected/*.pqr"):
    data = pqr.read_bytes()
    save("intermediate_results", data[:MAX_FILE])
    # A short head, so that the fuzzer also starts from a small input.
    save("intermediate_results", b"\n".join(data.split(b"\n")[:40]) + b"\n")
