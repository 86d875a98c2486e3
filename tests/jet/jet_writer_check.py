#!/usr/bin/env python3
# Checks the Jet files the tests write against a reader that shares no code with the writer,
# Debian's mdbtools: the tables, columns, types, stored row counts and every value must be those
# of the file's JSON, and the pages laid out as Access leaves them.
#
#     python3 jet_writer_check.py cases|ledger|values
#
# libmdb's text is exact for whole numbers, Currency, text within the BMP and times in whole
# seconds from 1900 on; it prints doubles to 16 significant digits, a character outside the BMP
# as "??" and an empty text as NULL, and returns rows flagged deleted. Values are compared as
# libmdb shows them.

import csv
import io
import json
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from datetime import datetime, timedelta
from decimal import Decimal
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import jet4  # noqa: E402
import make_cases  # noqa: E402

NULL = "\x01NULL\x01"
SCHEMA = {"byte": "Byte", "int": "Integer", "long": "Long Integer", "autonumber": "Long Integer",
          "single": "Single", "double": "Double", "currency": "Currency", "datetime": "DateTime",
          "memo": "Memo/Hyperlink (255)", "bool": "Boolean", "ole": "OLE (255)"}


def schema_type(c):
    if c["type"] == "text":
        return "Text (%d)" % c.get("size", 255)
    if c["type"] == "decimal":
        return "Numeric (%d, %d)" % (c.get("precision", 18), c.get("scale", 0))
    return SCHEMA[c["type"]]


def run(*args):
    return subprocess.run(args, capture_output=True, check=True).stdout.decode("utf-8")


def export(path, table):
    text = run("mdb-export", "-0", NULL, "-b", "hex", "-T", "%Y-%m-%d %H:%M:%S", str(path), table)
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return rows[0], rows[1:]


def schema(path):
    out, cur = {}, None
    for line in run("mdb-schema", str(path)).splitlines():
        m = re.match(r"CREATE TABLE \[(.*)\]", line)
        if m:
            cur = out.setdefault(m.group(1), [])
        elif cur is not None and (m := re.match(r"\s+\[(.*?)\]\s+(.*?)( NOT NULL)?,?\s*$", line)):
            cur.append((m.group(1), m.group(2)))
    return out


def as_libmdb(ctype, want):
    # What libmdb prints for a value written, or None where its text is not exact.
    if want is None or (ctype in ("text", "memo") and want == ""):
        return NULL
    if ctype in ("byte", "int", "long", "autonumber"):
        return int
    if ctype == "double":
        return "%.16g" % want
    if ctype in ("text", "memo"):
        return "".join("??" if ord(ch) > 0xFFFF else ch for ch in want)
    if ctype == "bool":
        return "1" if want else "0"
    if ctype == "datetime":
        secs = jet4.datetime_days(want) * 86400
        fraction = re.search(r"\.(\d+)$", want) if isinstance(want, str) else None
        if not 2 * 86400 <= secs < 109574 * 86400 or (fraction and int(fraction.group(1))) or \
                (not isinstance(want, str) and abs(secs - round(secs)) > 1e-6):
            return None
        return (datetime(1899, 12, 30) + timedelta(seconds=round(secs))).strftime("%Y-%m-%d %H:%M:%S")
    return None


class CaseFiles(unittest.TestCase):
    maxDiff = 4000

    def same_as_json(self, path):
        doc = json.loads(Path(str(path) + ".json").read_text(encoding="utf-8"))
        self.assertEqual(sorted(run("mdb-tables", "-1", str(path)).split()), sorted(t["name"] for t in doc["tables"]))
        types = schema(path)
        for t in doc["tables"]:
            cols = t["columns"]
            self.assertEqual(types[t["name"]], [(c["name"], schema_type(c)) for c in cols], path)
            self.assertEqual(int(run("mdb-count", str(path), t["name"])), len(t["rows"]), path)
            header, rows = export(path, t["name"])
            self.assertEqual(header, [c["name"] for c in cols])
            # libmdb passes by the slots rows moved from and meets moved rows in page order.
            want = [t["rows"][i] for i in t["scan_order"]] if "scan_order" in t else t["rows"]
            self.assertEqual(len(rows), len(want), "%s: rows of %s" % (path, t["name"]))
            for w, g in zip(want, rows):
                for c, wv, gv in zip(cols, w, g):
                    where = "%s %s %s %r" % (path.name, t["name"], c["name"], wv)
                    if c.get("fixed") and wv is not None:
                        wv = wv.ljust(c["size"])
                    shown = as_libmdb(c["type"], wv)
                    if shown is int:
                        self.assertEqual(int(gv), wv, where)
                    elif shown is not None:
                        self.assertEqual(gv, shown, where)
                    elif c["type"] in ("currency", "decimal"):
                        self.assertEqual(Decimal(gv), Decimal(wv), where)
                    elif c["type"] == "single":
                        f = struct.unpack("<f", struct.pack("<f", wv))[0]
                        self.assertLessEqual(abs(float(gv) - f), 1e-7 * max(1.0, abs(f)), where)
                    elif c["type"] == "ole":
                        self.assertEqual(gv.lower(), wv.lower(), where)

    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="jetcases"))
        subprocess.run([sys.executable, str(HERE / "make_cases.py"), str(cls.dir)], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def readable_cases_equal_their_json(self, ledgers):
        for name in [n for n in make_cases.CASES if n != "jet3" and n.startswith("ledger") == ledgers]:
            with self.subTest(case=name):
                self.same_as_json(self.dir / (name + ".mdb"))


class Cases(CaseFiles):
    def test_every_readable_case_equals_its_json(self):
        self.readable_cases_equal_their_json(False)

    def test_versions_in_the_header(self):
        for name, want in [("jet3.mdb", "JET3"), ("nulls.mdb", "JET4"), ("ace.accdb", "ACE12"),
                           ("ace_as_mdb.mdb", "ACE12"), ("password.mdb", "JET4")]:
            self.assertEqual(run("mdb-ver", str(self.dir / name)).strip(), want, name)


class Ledger(CaseFiles):
    def test_ledgers_equal_their_json(self):
        self.readable_cases_equal_their_json(True)


class Values(unittest.TestCase):
    def test_a_table_over_many_pages_uses_a_map_of_map_pages(self):
        d = tempfile.mkdtemp(prefix="jetval")
        self.addCleanup(shutil.rmtree, d)
        path = Path(d) / "v.mdb"
        columns = [{"name": "k", "type": "long"}, {"name": "t", "type": "text", "size": 200}]
        jet4.write_mdb(str(path), [{"name": "v", "columns": columns,
                                    "rows": [[i, "第%d筆" % i + "x" * 150] for i in range(15000)]}])
        self.assertTrue(make_cases.pages_of(path.read_bytes(), 0x05), "bitmap pages")
        self.assertEqual([int(r[0]) for r in export(path, "v")[1]], list(range(15000)))


if __name__ == "__main__":
    groups = {"cases": Cases, "ledger": Ledger, "values": Values}
    if len(sys.argv) != 2 or sys.argv[1] not in groups:
        sys.exit("usage: jet_writer_check.py %s" % "|".join(groups))
    if not shutil.which("mdb-export"):
        sys.exit("mdbtools is missing: run scripts/install-deps.sh")
    result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromTestCase(groups[sys.argv[1]]))
    sys.exit(0 if result.wasSuccessful() else 1)
