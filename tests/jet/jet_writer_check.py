#!/usr/bin/env python3
"""Checks that the Jet files the tests write are read back, by readers that
share no code with the writer, as exactly the values in their JSON.

    python3 jet_writer_check.py GROUP      GROUP: cases ledger values mdb_reader big

The readers are Debian's mdbtools (mdb-tables, mdb-schema, mdb-count,
mdb-export) and, where Node and the npm package mdb-reader are present, that
package (exit 77, a skip, when they are not).  libmdb's text output is exact
for whole numbers, Currency, text within the BMP and times in whole seconds
from 1900 on; it prints doubles to 16 significant digits, shows a character
outside the BMP as "??", an empty text as NULL, and returns rows flagged
deleted.  Those are compared as libmdb shows them; mdb-reader gives doubles
bit for bit, every character and dates to the millisecond, and is compared
exactly.
"""

import csv
import io
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from collections import Counter
from datetime import date, datetime, timedelta
from decimal import Decimal
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import jet4  # noqa: E402
import ledger_jet  # noqa: E402
import make_cases  # noqa: E402

NULL = "\x01NULL\x01"
SKIP = 77
SCHEMA_TYPES = {
    "byte": "Byte", "int": "Integer", "long": "Long Integer", "autonumber": "Long Integer",
    "single": "Single", "double": "Double", "currency": "Currency", "datetime": "DateTime",
    "memo": "Memo/Hyperlink (255)", "bool": "Boolean", "ole": "OLE (255)",
}


def schema_type(c):
    if c["type"] == "text":
        return "Text (%d)" % c.get("size", 255)
    if c["type"] == "decimal":
        return "Numeric (%d, %d)" % (c.get("precision", 18), c.get("scale", 0))
    return SCHEMA_TYPES[c["type"]]


def run(*args):
    return subprocess.run(args, capture_output=True, check=True).stdout.decode("utf-8")


def mdb_export(path, table):
    text = run("mdb-export", "-0", NULL, "-b", "hex", "-T", "%Y-%m-%d %H:%M:%S", str(path), table)
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return rows[0], rows[1:]


def mdb_schema(path):
    """{table: [(column, type text)]} in the order mdb-schema lists them."""
    out, cur = {}, None
    for line in run("mdb-schema", str(path)).splitlines():
        m = re.match(r"CREATE TABLE \[(.*)\]", line)
        if m:
            cur = out.setdefault(m.group(1), [])
            continue
        m = re.match(r"\s+\[(.*?)\]\s+(.*?)( NOT NULL)?,?\s*$", line)
        if m and cur is not None:
            cur.append((m.group(1), m.group(2)))
    return out


def non_bmp_as_libmdb(text):
    return "".join("??" if ord(ch) > 0xFFFF else ch for ch in text)


def day_time(value):
    """A stored date/time as a datetime (None outside datetime's years)."""
    days = jet4.datetime_days(value)
    whole = math_trunc(days)
    frac = abs(days - whole)
    try:
        return datetime(1899, 12, 30) + timedelta(days=whole, seconds=round(frac * 86400, 3))
    except OverflowError:
        return None


def math_trunc(x):
    return int(x) if x >= 0 else -int(-x)


def libmdb_exact_date(value):
    """Whether libmdb's text for this date/time is exact: from 1900 on, and
    with whole seconds (libmdb rounds fractions and can print 24:00:00)."""
    dt = day_time(value)
    if dt is None or not 1900 <= dt.year < 2200:
        return None
    if isinstance(value, str) and "." in value and not value.endswith((".0", ".00", ".000")):
        return None
    if not isinstance(value, str) and abs(jet4.datetime_days(value) * 86400 - round(jet4.datetime_days(value) * 86400)) > 1e-6:
        return None
    return dt.strftime("%Y-%m-%d %H:%M:%S")


class Check(unittest.TestCase):
    maxDiff = 4000

    def libmdb_value(self, ctype, want, got, where):
        if want is None or (ctype in ("text", "memo") and want == ""):
            self.assertEqual(got, NULL, where)
            return
        if ctype in ("byte", "int", "long", "autonumber"):
            self.assertEqual(int(got), want, where)
        elif ctype == "double":
            self.assertEqual(float(got), float("%.16g" % want), where)
        elif ctype == "single":
            f = struct.unpack("<f", struct.pack("<f", want))[0]
            self.assertLessEqual(abs(float(got) - f), 1e-7 * max(1.0, abs(f)), where)
        elif ctype == "currency":
            self.assertEqual(Decimal(got), Decimal(jet4.currency_units(want)) / 10000, where)
        elif ctype == "decimal":
            self.assertEqual(Decimal(got), Decimal(want), where)
        elif ctype == "datetime":
            exact = libmdb_exact_date(want)
            if exact is not None:
                self.assertEqual(got, exact, where)
        elif ctype in ("text", "memo"):
            self.assertEqual(got, non_bmp_as_libmdb(want), where)
        elif ctype == "bool":
            self.assertEqual(got, "1" if want else "0", where)
        elif ctype == "ole":
            self.assertEqual(got.lower(), want.lower(), where)

    def compare_with_mdbtools(self, path, doc):
        """Tables, columns, types, stored counts and every value of a file."""
        tables = doc["tables"]
        # A moved catalogue row is listed where it now lies.
        listed = run("mdb-tables", "-1", str(path)).split()
        self.assertEqual(sorted(listed), sorted(t["name"] for t in tables), path)
        schema = mdb_schema(path)
        for t in tables:
            name = t["name"]
            want_cols = [(c["name"], schema_type(c)) for c in t["columns"]]
            self.assertEqual(schema[name], want_cols, "%s: %s" % (path, name))
            self.assertEqual(int(run("mdb-count", str(path), name)), len(t["rows"]),
                             "%s: stored row count of %s" % (path, name))
            header, rows = mdb_export(path, name)
            self.assertEqual(header, [c["name"] for c in t["columns"]])
            # libmdb passes by the slots rows were deleted or moved from (0x4000)
            # and reads a moved row at its new place, in page order.
            want = [t["rows"][i] for i in t["scan_order"]] if "scan_order" in t else t["rows"]
            self.assertEqual(len(rows), len(want), "%s: rows of %s" % (path, name))
            for w, g in zip(want, rows):
                for c, wv, gv in zip(t["columns"], w, g):
                    if c.get("fixed") and wv is not None:
                        wv = wv.ljust(c["size"])     # as stored, padded with spaces
                    self.libmdb_value(c["type"], wv, gv, "%s %s row %s col %s" % (
                        path.name, name, json.dumps(w, ensure_ascii=False)[:80], c["name"]))


def load(path):
    with open(str(path) + ".json", encoding="utf-8") as fh:
        return json.load(fh)


class CasesReadBack(Check):
    """Every case file of the import, read back by mdbtools."""

    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="jetcases"))
        subprocess.run([sys.executable, str(HERE / "make_cases.py"), str(cls.dir)], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def test_every_readable_case_equals_its_json(self):
        readable = [n for n in make_cases.CASES if n not in ("jet3", "password")] + ["password"]
        for name in readable:
            with self.subTest(case=name):
                path = self.dir / (name + ".mdb")
                self.compare_with_mdbtools(path, load(path))

    def test_deleted_rows_stay_on_the_pages_but_out_of_the_count(self):
        path = self.dir / "deleted_rows.mdb"
        doc = load(path)
        dm = make_cases.table(doc, "data_main")
        self.assertEqual(int(run("mdb-count", str(path), "data_main")), len(dm["rows"]))
        _, rows = mdb_export(path, "data_main")
        self.assertFalse({int(r[6]) for r in rows} & {r[6] for r in dm["deleted_rows"]})
        # The rows are there, flagged 0xC000 as Access marks them (and the kind's).
        buf = path.read_bytes()
        flagged = 0
        for p in make_cases.pages_of(buf, 0x01):
            n = struct.unpack_from("<H", buf, p * 4096 + 12)[0]
            flagged += sum(1 for i in range(n)
                           if struct.unpack_from("<H", buf, p * 4096 + 14 + 2 * i)[0] & 0xC000 == 0xC000)
        self.assertEqual(flagged, len(dm["deleted_rows"]) + 1)

    def test_layouts_as_access_leaves_them(self):
        # 90 columns: a definition that goes on over a second page.
        buf = (self.dir / "wide.mdb").read_bytes()
        tdefs = make_cases.pages_of(buf, 0x02)
        nexts = [struct.unpack_from("<I", buf, p * 4096 + 4)[0] for p in tdefs]
        self.assertEqual(sum(1 for n in nexts if n), 1)
        self.assertIn(max(nexts), tdefs)
        # Deleted and added columns: the table has 8, numbered up to 10; the 25 old rows
        # count 10 (up to the deleted column 9, short of the added 10), the others 11.
        buf = (self.dir / "column_history.mdb").read_bytes()
        counts = Counter()
        for p in make_cases.pages_of(buf, 0x01):
            if struct.unpack_from("<I", buf, p * 4096 + 4)[0] == make_cases.tdef_of(buf, "a_kind_name"):
                n = struct.unpack_from("<H", buf, p * 4096 + 12)[0]
                for i in range(n):
                    off = struct.unpack_from("<H", buf, p * 4096 + 14 + 2 * i)[0] & 0x1FFF
                    counts[struct.unpack_from("<H", buf, p * 4096 + off)[0]] += 1
        self.assertEqual(counts, Counter({11: 35, 10: 25}))

    def test_versions_in_the_header(self):
        for name, want in [("jet3.mdb", "JET3"), ("nulls.mdb", "JET4"), ("ace.accdb", "ACE12"),
                           ("ace_as_mdb.mdb", "ACE12"), ("password.mdb", "JET4")]:
            self.assertEqual(run("mdb-ver", str(self.dir / name)).strip(), want, name)

    def test_damaged_files_do_not_read_whole(self):
        for name in ("damaged.mdb", "damaged_truncated.mdb"):
            path = self.dir / name
            res = subprocess.run(["mdb-export", str(path), "data_main"], capture_output=True)
            self.assertTrue(res.returncode != 0 or res.stdout.count(b"\n") < 41, name)

    def test_memo_overflow_uses_long_value_pages(self):
        buf = (self.dir / "memo_overflow.mdb").read_bytes()
        lval = make_cases.lval_pages(buf)
        self.assertGreaterEqual(len(lval), 4, "a chain over several pages and single rows")
        first_row = lambda p: p * 4096 + struct.unpack_from("<H", buf, p * 4096 + 14)[0]  # noqa: E731
        chained = [p for p in lval if struct.unpack_from("<I", buf, first_row(p))[0]]
        self.assertTrue(chained, "a long-value row that points at the next part")


class LedgerReadBack(Check):
    """The 1,000-entry ledger of three years, with Double and with Currency."""

    def test_ledgers_equal_their_json(self):
        with tempfile.TemporaryDirectory() as d:
            for amount, extra in (("double", []), ("currency", ["--memo-overflow"]),
                                  ("double", ["--moved", "5"]), ("single", ["--order", "byte"]),
                                  ("decimal", ["--order", "decimal"]), ("currency", ["--order", "int"])):
                with self.subTest(amount=amount, extra=extra):
                    path = Path(d) / ("ledger_%s_%s.mdb" % (amount, "".join(extra)))
                    subprocess.run([sys.executable, str(HERE / "ledger_jet.py"), str(path),
                                    "--entries", "1000", "--years", "2023,2024,2025",
                                    "--seed", "1", "--amount", amount] + extra, check=True)
                    doc = load(path)
                    self.compare_with_mdbtools(path, doc)
                    self.assertEqual(len(doc["tables"][0]["rows"]), 1000)

    def test_moved_rows_are_laid_out_as_access_leaves_them(self):
        with tempfile.TemporaryDirectory() as d:
            path = Path(d) / "moved.mdb"
            layout = ledger_jet.make_ledger(path, 1000, [2023, 2024, 2025], 1, moved=5)
            dm = layout["tables"][0]
            buf = path.read_bytes()
            flags = Counter()
            for p in make_cases.pages_of(buf, 0x01):
                n = struct.unpack_from("<H", buf, p * 4096 + 12)[0]
                for i in range(n):
                    off = struct.unpack_from("<H", buf, p * 4096 + 14 + 2 * i)[0]
                    flags[off & 0xC000] += 1
                    if off & 0xC000 == 0x4000:   # points at a row flagged 0x8000 alone
                        ptr = struct.unpack_from("<I", buf, p * 4096 + (off & 0x1FFF))[0]
                        target = struct.unpack_from("<H", buf, (ptr >> 8) * 4096 + 14 + 2 * (ptr & 0xFF))[0]
                        self.assertEqual(target & 0xC000, 0x8000)
            moved = len(dm["moved_rows"]) + len(dm["moved_twice"])
            self.assertEqual(moved, 50)
            # data_main, one kind, two day notes and one catalogue row moved; the freed
            # middle places of rows moved twice, and both slots of rows moved then deleted.
            self.assertEqual(flags[0x4000], moved + 1 + 2 + 1)
            self.assertEqual(flags[0x8000], flags[0x4000])
            self.assertEqual(flags[0xC000], len(dm["moved_twice"]) + 1 + 2 * len(dm["moved_deleted_rows"]))
            self.assertGreater(len(dm["moved_twice"]), 5)
            self.assertGreater(len(dm["moved_deleted_rows"]), 5)

    def test_the_ledger_holds_what_the_import_must_carry(self):
        layout = ledger_jet.ledger_layout(1000, [2023, 2024, 2025], 1)
        rows = layout["tables"][0]["rows"]
        texts = [r[3] for r in rows] + [r[5] for r in rows]
        self.assertEqual({r[0][:4] for r in rows}, {"2023", "2024", "2025"})
        self.assertTrue(any("'" in t for t in texts) and any('"' in t for t in texts))
        self.assertTrue(any("%" in t for t in texts))
        self.assertTrue(any(any(ord(ch) > 0xFFFF for ch in t) for t in texts))
        self.assertTrue(any(len(t) > 4000 for t in texts), "a memo longer than a page")
        self.assertTrue(len(layout["tables"][2]["rows"]) > 20, "day notes")
        self.assertEqual(len({r[6] for r in rows}), 1000, "keys unique")
        self.assertEqual(ledger_jet.ledger_layout(1000, [2023, 2024, 2025], 1), layout, "seeded")


class Values(Check):
    """Single values in their stored form."""

    def write(self, columns, rows, options=None):
        d = tempfile.mkdtemp(prefix="jetval")
        self.addCleanup(shutil.rmtree, d)
        path = Path(d) / "v.mdb"
        jet4.write_mdb(str(path), [{"name": "v", "columns": columns, "rows": rows}], options)
        return path

    def test_every_type_reads_back(self):
        cols = [{"name": n, "type": n} for n in
                ("byte", "int", "long", "single", "double", "currency", "datetime", "bool")]
        cols += [{"name": "text", "type": "text", "size": 20}, {"name": "memo", "type": "memo"}]
        rows = [
            [0, -32768, -2147483648, -1.5, -0.1, "-922337203685477.5808", "1900-01-01", True, "a", "b"],
            [255, 32767, 2147483647, 3.25, 1 / 3, "922337203685477.5807", "2024-02-29 23:59:58", False,
             "'%\"", "x" * 3000],
            [None, None, None, None, None, None, None, False, None, None],
        ]
        path = self.write(cols, rows)
        self.compare_with_mdbtools(path, {"tables": [{"name": "v", "columns": cols, "rows": rows}]})

    def test_compressed_text_where_shorter_and_possible(self):
        enc = jet4.encode_text
        self.assertEqual(enc("abc", True), b"\xff\xfeabc")
        self.assertEqual(enc("abc中defg", True), b"\xff\xfeabc\x00\x2d\x4e\x00defg")
        self.assertEqual(enc("ab", True), "ab".encode("utf-16-le"), "not shorter")
        self.assertEqual(enc("a中b", True), "a中b".encode("utf-16-le"), "not shorter")
        self.assertEqual(enc("一abcdef", True), "一abcdef".encode("utf-16-le"), "U+4E00 has a zero low byte")
        self.assertEqual(enc("abc", False), "abc".encode("utf-16-le"))
        for text in ("abc", "abc中defg", "一abcdef", "a😀bcdefgh"):
            for compress in (True, False):
                path = self.write([{"name": "t", "type": "text", "size": 10}], [[text]],
                                  {"compress_text": compress})
                self.assertEqual(mdb_export(path, "v")[1], [[non_bmp_as_libmdb(text)]], (text, compress))

    def test_dates_as_stored_days(self):
        self.assertEqual(jet4.datetime_days("1899-12-30"), 0.0)
        self.assertEqual(jet4.datetime_days("1900-01-01 06:00:00"), 2.25)
        self.assertEqual(jet4.datetime_days("1899-12-29 06:00:00"), -1.25)
        self.assertEqual(jet4.datetime_days(-3.5), -3.5)
        with self.assertRaises(ValueError):
            jet4.datetime_days("2024-13-01")

    def test_currency_is_a_count_of_ten_thousandths(self):
        self.assertEqual(jet4.currency_units("12.34"), 123400)
        self.assertEqual(jet4.currency_units("-0.0001"), -1)
        self.assertEqual(jet4.currency_units(7), 70000)
        for bad in ("1.23456", "1,5", "abc"):
            with self.assertRaises(ValueError):
                jet4.currency_units(bad)

    def test_long_memo_chain_reads_whole(self):
        text = "備註" * 9000 + "end"
        path = self.write([{"name": "m", "type": "memo"}], [[text]], {"memo_overflow": True})
        self.assertEqual(mdb_export(path, "v")[1], [[text]])

    def test_a_table_over_many_pages_uses_a_map_of_map_pages(self):
        rows = [[i, "第%d筆" % i + "x" * 150] for i in range(15000)]
        path = self.write([{"name": "k", "type": "long"}, {"name": "t", "type": "text", "size": 200}], rows)
        buf = path.read_bytes()
        self.assertTrue(make_cases.pages_of(buf, 0x05), "bitmap pages")
        got = mdb_export(path, "v")[1]
        self.assertEqual([int(r[0]) for r in got], list(range(15000)))


def find_mdb_reader():
    if not shutil.which("node"):
        return None, "Node is not installed"
    dirs = [os.environ.get("MDB_READER_DIR", "")]
    if shutil.which("npm"):
        try:
            dirs.append(str(Path(run("npm", "root", "-g").strip()) / "mdb-reader"))
        except subprocess.CalledProcessError:
            pass
    for d in dirs:
        if d and (Path(d) / "lib" / "node" / "index.js").exists():
            return d, None
    return None, "the npm package mdb-reader is not installed (npm install -g mdb-reader)"


class MdbReader(Check):
    """The same files through the npm package mdb-reader, value for value."""

    @classmethod
    def setUpClass(cls):
        cls.pkg, why = find_mdb_reader()
        if cls.pkg is None:
            raise unittest.SkipTest(why)
        cls.dir = Path(tempfile.mkdtemp(prefix="jetnode"))
        subprocess.run([sys.executable, str(HERE / "make_cases.py"), str(cls.dir)], check=True)
        ledger_jet.make_ledger(cls.dir / "ledger.mdb", 1000, [2023, 2024, 2025], 1)
        ledger_jet.make_ledger(cls.dir / "ledger_cur.mdb", 1000, [2023, 2024, 2025], 2,
                               amount="currency", memo_overflow=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def dump(self, path):
        return json.loads(run("node", str(HERE / "mdb_reader_dump.mjs"), str(path), self.pkg))

    def exact(self, ctype, want, got, where):
        if want is None:
            self.assertIsNone(got, where)
        elif ctype == "double":
            self.assertEqual(got["bits"], struct.pack("<d", want).hex(), where)
        elif ctype in ("byte", "int", "long", "autonumber"):
            self.assertEqual(got["num"], want, where)
        elif ctype == "currency":
            self.assertEqual(Decimal(got), Decimal(jet4.currency_units(want)) / 10000, where)
        elif ctype == "datetime":
            # mdb-reader counts a time before 1899-12-30 back from midnight,
            # where the stored fraction is the time of day: skip those.
            days = jet4.datetime_days(want)
            dt = day_time(want)
            if dt is not None and dt.year >= 100 and (days >= 0 or days == int(days)):
                want_iso = dt.strftime("%Y-%m-%dT%H:%M:%S.") + "%03dZ" % (dt.microsecond // 1000)
                self.assertEqual(got["date"], want_iso, where)
        else:
            self.assertEqual(got, want, where)

    def test_cases_and_ledgers_exactly(self):
        names = [n for n in make_cases.CASES if n != "jet3"] + ["ledger", "ledger_cur"]
        for name in names:
            with self.subTest(case=name):
                path = self.dir / (name + ".mdb")
                doc, got = load(path), self.dump(path)
                self.assertEqual(list(got["tables"]), [t["name"] for t in doc["tables"]])
                for t in doc["tables"]:
                    g = got["tables"][t["name"]]
                    self.assertEqual([c["name"] for c in g["columns"]], [c["name"] for c in t["columns"]])
                    self.assertEqual(g["rowCount"], len(t["rows"]))
                    # mdb-reader returns deleted rows too; they are checked
                    # through libmdb, so here only the live rows in order.
                    flags = jet4.row_order(t["rows"], t.get("deleted_rows", []))[1]
                    live = g["rows"]
                    if len(live) != len(t["rows"]):
                        self.assertEqual(len(g["rows"]), len(flags), t["name"])
                        live = [r for r, dead in zip(g["rows"], flags) if not dead]
                    self.assertEqual(len(live), len(t["rows"]), t["name"])
                    for w, r in zip(t["rows"], live):
                        for c, wv, gv in zip(t["columns"], w, r):
                            self.exact(c["type"], wv, gv, "%s %s %s" % (name, t["name"], c["name"]))

    def test_password_is_read_back(self):
        self.assertEqual(self.dump(self.dir / "password.mdb")["password"], "家計簿2002")
        self.assertIsNone(self.dump(self.dir / "nulls.mdb")["password"])


class Big(Check):
    """The benchmark file and the fuzzer corpus."""

    def test_hundred_thousand_entries_written_in_seconds(self):
        with tempfile.TemporaryDirectory() as d:
            t0 = time.monotonic()
            subprocess.run([sys.executable, str(HERE / "make_cases.py"), d, "--big", "100000"], check=True)
            took = time.monotonic() - t0
            self.assertLess(took, 30, "took %.1f s" % took)
            big = Path(d) / "big.mdb"
            self.assertEqual(int(run("mdb-count", str(big), "data_main")), 100000)
            _, rows = mdb_export(big, "data_main")
            doc = load(big)
            self.assertEqual([int(r[6]) for r in rows], [r[6] for r in doc["tables"][0]["rows"]])

    def test_corpus_of_damaged_variants(self):
        with tempfile.TemporaryDirectory() as d:
            corpus = Path(d) / "corpus"
            subprocess.run([sys.executable, str(HERE / "make_cases.py"), str(Path(d) / "cases"),
                            "--corpus", str(corpus)], check=True)
            files = {p.name: p.read_bytes() for p in corpus.iterdir()}
            self.assertGreater(len(files), 100)
            for base in ("ledger", "memo", "deleted"):
                ok = files[base + "_ok.mdb"]
                kinds = Counter(re.sub(r"\d.*", "", n[len(base) + 1:]) for n in files if n.startswith(base + "_"))
                for k in ("bitflip", "trunc", "tdef_map", "tdef_next", "rowoff", "rowcount", "map"):
                    self.assertIn(k, kinds, base)
                for n, b in files.items():
                    if n.startswith(base + "_") and n != base + "_ok.mdb":
                        self.assertTrue(b != ok, n)
                        self.assertLessEqual(len(b), len(ok), n)


GROUPS = {"cases": CasesReadBack, "ledger": LedgerReadBack, "values": Values,
          "mdb_reader": MdbReader, "big": Big}

if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in GROUPS:
        sys.exit("usage: jet_writer_check.py %s" % "|".join(GROUPS))
    if not shutil.which("mdb-export"):
        sys.exit("mdbtools is missing: run scripts/install-deps.sh")
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(GROUPS[sys.argv[1]])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if result.wasSuccessful() and result.testsRun == len(result.skipped):
        sys.exit(SKIP)
    sys.exit(0 if result.wasSuccessful() else 1)
