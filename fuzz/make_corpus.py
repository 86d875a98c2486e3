#!/usr/bin/env python3
# The files the Jet reader's fuzzer starts from, and a wider corpus of damaged ledgers.
#
#     python3 fuzz/make_corpus.py --seeds fuzz/corpus/jet    the few small seed files kept here
#     python3 fuzz/make_corpus.py --corpus DIR               some 300 damaged files, 30 MB
#
# Written with the Jet writer of the tests (tests/jet), from the cases the import handles.

import argparse
import random
import struct
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "jet"))
import jet4  # noqa: E402
from ledger_jet import ledger_layout  # noqa: E402
from make_cases import (PAGE, case_column_history, case_deleted_rows, case_every_type,  # noqa: E402
                        case_memo_overflow, case_wide, col_index, lval_pages, memo_past_end, pages_of,
                        small, table)


def damage_variants(buf, rnd):
    # (name, damaged bytes) pairs for one well-formed file.
    out = []
    n = len(buf)
    for i in range(6):                                   # bit flips
        b = bytearray(buf)
        for _ in range(rnd.choice([1, 4, 32])):
            pos = rnd.randrange(n)
            b[pos] ^= 1 << rnd.randrange(8)
        out.append(("bitflip%d" % i, bytes(b)))
    for cut in sorted({100, PAGE, PAGE * 2 + 17, PAGE * 3, n // 2, n - PAGE, n - 1}):
        if 0 < cut < n:                                  # truncations
            out.append(("trunc%d" % cut, buf[:cut]))
    data = pages_of(buf, 0x01)
    tdefs = pages_of(buf, 0x02)
    bad_pages = [0, 1, 0xFFFFFF, n // PAGE, n // PAGE + 1000, 2]
    for i, p in enumerate(tdefs):                        # bad page numbers in definitions
        b = bytearray(buf)
        struct.pack_into("<I", b, p * PAGE + 55, (rnd.choice(bad_pages) << 8) | rnd.randrange(256))
        out.append(("tdef_map%d" % i, bytes(b)))
        b = bytearray(buf)
        struct.pack_into("<I", b, p * PAGE + 4, rnd.choice(bad_pages[1:]))  # next definition page
        out.append(("tdef_next%d" % i, bytes(b)))
        b = bytearray(buf)
        struct.pack_into("<H", b, p * PAGE + 45, 0xFFFF)                 # column count
        out.append(("tdef_cols%d" % i, bytes(b)))
    for i, p in enumerate(data[:8]):                     # bad row offsets
        base = p * PAGE
        nrows = struct.unpack_from("<H", buf, base + 12)[0]
        b = bytearray(buf)
        struct.pack_into("<H", b, base + 12, 0xFFFF)
        out.append(("rowcount%d" % i, bytes(b)))
        if nrows:
            for j, off in enumerate([0, 13, 0x0FFF, 0x1FFF, 0x4FF0, 0x8000 | 5]):
                b = bytearray(buf)
                struct.pack_into("<H", b, base + 14 + 2 * rnd.randrange(nrows), off)
                out.append(("rowoff%d_%d" % (i, j), bytes(b)))
    # Usage maps (the rows of page 1) whose first page or map pages lie.
    nmaps = struct.unpack_from("<H", buf, PAGE + 12)[0]
    for r in range(1, nmaps):
        start = struct.unpack_from("<H", buf, PAGE + 14 + 2 * r)[0] & 0x1FFF
        b = bytearray(buf)
        struct.pack_into("<I", b, PAGE + start + 1, rnd.choice(bad_pages[1:]))
        out.append(("map%d" % r, bytes(b)))
    # Memo heads whose long-value pointers point elsewhere.
    for i, p in enumerate(lval_pages(buf)[:4]):
        pos = buf.find(struct.pack("<I", p << 8), 2 * PAGE)
        if pos > 0:
            b = bytearray(buf)
            struct.pack_into("<I", b, pos, (rnd.choice(bad_pages) << 8) | 200)
            out.append(("lval%d" % i, bytes(b)))
    return [(name, b) for name, b in out if b != buf]


def write_corpus(corpus, workdir):
    corpus.mkdir(parents=True, exist_ok=True)
    rnd = random.Random(16)
    bases = {"ledger": small(20, entries=60), "memo": case_memo_overflow()[0],
             "deleted": case_deleted_rows()[0]}
    for name, layout in bases.items():
        path = workdir / ("corpus_base_%s.mdb" % name)
        jet4.write_mdb(str(path), layout["tables"], layout.get("options"))
        buf = path.read_bytes()
        (corpus / ("%s_ok.mdb" % name)).write_bytes(buf)
        for vname, vbuf in damage_variants(buf, rnd):
            (corpus / ("%s_%s.mdb" % (name, vname))).write_bytes(vbuf)
        path.unlink()


def write_seeds(seeds):
    # A few small files that reach every part of the reading: all four tables with Currency,
    # dates with times and compressed text; memos inline, on a long-value row and in a chain;
    # rows moved elsewhere on the pages; columns deleted and added; a definition over two
    # pages; every column type; rows deleted but still on the pages; and one whose memo
    # points past the file.
    seeds.mkdir(parents=True, exist_ok=True)
    s = small(30, entries=6, amount="currency", long_memos=False)
    dm = table(s, "data_main")
    dm["rows"][0][col_index(dm, "a_date")] = "2024-03-01 23:59:59.7"
    dm["rows"][1][col_index(dm, "a_note")] = "備註 '%' 😀 " * 20
    jet4.write_mdb(str(seeds / "ledger.mdb"), s["tables"], s.get("options"))

    m = memo_past_end(seeds)
    jet4.write_mdb(str(seeds / "memo.mdb"), [table(m, "data_main")], m.get("options"))

    # Rows moved by later edits (one twice, one then deleted). The copy kept in fuzz/corpus/jet
    # was written when the writer also moved a catalogue row: keep it rather than write it anew.
    v = ledger_layout(entries=12, years=[2024], seed=33, moved=25, long_memos=False)
    jet4.write_mdb(str(seeds / "moved.mdb"), v["tables"], v.get("options"))

    # Columns deleted and added after rows were written; 90 columns over two definition
    # pages; every column type.
    for name, make, wanted in (("history", case_column_history, "data_main"), ("wide", case_wide, "wide"),
                               ("types", case_every_type, "every_type")):
        jet4.write_mdb(str(seeds / (name + ".mdb")), [table(make()[0], wanted)])

    d = small(32, entries=4)
    k = table(d, "kind")
    k["deleted_rows"] = [list(r) for r in k["rows"][3:6]]
    k["rows"] = k["rows"][:3] + k["rows"][6:]
    jet4.write_mdb(str(seeds / "deleted.mdb"), [k], d.get("options"))


def main(argv):
    ap = argparse.ArgumentParser(description="Writes the Jet fuzzer's seeds or a damaged corpus.")
    ap.add_argument("--seeds", metavar="DIR")
    ap.add_argument("--corpus", metavar="DIR")
    a = ap.parse_args(argv)
    if a.seeds:
        write_seeds(Path(a.seeds))
    if a.corpus:
        with tempfile.TemporaryDirectory() as work:
            write_corpus(Path(a.corpus), Path(work))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
