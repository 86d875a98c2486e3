#!/usr/bin/env python3
# Checks that the Jet files the tests write are files a reader sharing no code with the writer,
# Debian's mdbtools, takes as Jet: each file's version, and for every case it can read, its
# tables, their columns and every row, as the case's JSON lists them. (The values themselves
# are held to the JSON by jet_reader_test.)
#
#     python3 jet_writer_check.py

import csv
import io
import json
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from make_cases import CASES  # noqa: E402


def run(*args):
    return subprocess.run(args, capture_output=True, check=True).stdout.decode("utf-8")


def differences(out):
    wrong = []
    for name, want in [("jet3.mdb", "JET3"), ("nulls.mdb", "JET4"), ("ace.accdb", "ACE12"), ("password.mdb", "JET4")]:
        if run("mdb-ver", str(out / name)).strip() != want:
            wrong.append("%s is not %s" % (name, want))
    for name in [n for n in CASES if n != "jet3"]:
        path = out / (name + ".mdb")
        tables = json.loads(Path(str(path) + ".json").read_text(encoding="utf-8"))["tables"]
        if sorted(run("mdb-tables", "-1", str(path)).split()) != sorted(t["name"] for t in tables):
            wrong.append("%s: tables" % name)
        for t in tables:
            rows = list(csv.reader(io.StringIO(run("mdb-export", "-b", "hex", str(path), t["name"]), newline="")))
            if rows[0] != [c["name"] for c in t["columns"]] or len(rows) - 1 != len(t["rows"]):
                wrong.append("%s: table %s, %d rows" % (name, t["name"], len(rows) - 1))
    return wrong


if __name__ == "__main__":
    if not shutil.which("mdb-export"):
        sys.exit("mdbtools is missing: run scripts/install-deps.sh")
    with tempfile.TemporaryDirectory(prefix="jetcases") as folder:
        subprocess.run([sys.executable, str(HERE / "make_cases.py"), folder], check=True)
        found = differences(Path(folder))
    print("\n".join(found) or "every case file read as written")
    sys.exit(1 if found else 0)
