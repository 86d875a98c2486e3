#!/usr/bin/env python3
# The old ledgers that the import must handle, one file per case.
#
#     python3 make_cases.py OUTDIR               every case, each with its .json
#
# Each OUTDIR/NAME.mdb has beside it NAME.mdb.json: the tables and options it
# was written from, and "case", a line saying what is special about it.  A file
# that is refused before its tables are read (Jet 3, ACE, password, damaged)
# still lists the tables it holds, where it holds any.

import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import jet4  # noqa: E402
from ledger_jet import ledger_layout, write_case  # noqa: E402

PAGE = jet4.PAGE


def small(seed=5, entries=40, **kw):
    return ledger_layout(entries=entries, years=[2024], seed=seed, **kw)


def table(layout, name):
    return next(t for t in layout["tables"] if t["name"] == name)


def col_index(t, name):
    return [c["name"] for c in t["columns"]].index(name)


def set_cells(layout, name, column, values):
    # Puts values ({row index: value}) into one column of the named table.
    t = table(layout, name)
    for i, v in values.items():
        t["rows"][i][col_index(t, column)] = v


def case_nulls():
    s = small(1)
    dm = table(s, "data_main")
    # One entry with each column NULL in turn, one with every column NULL
    # but its key, and NULLs in the other tables.
    for i in sorted(set(range(8)) - {col_index(dm, "a_key")}):
        dm["rows"][i][i] = None
    dm["rows"].append([None, None, None, None, None, None, 9001, None])
    kinds = table(s, "kind")["rows"]
    kinds.append([len(kinds) + 1, None, None])
    table(s, "data_note")["rows"].append(["2024-12-31", None])
    return s, "NULLs in every column of data_main, in kind.name, kind.key_order and data_note.a_note"


def edited(seed, column, values, what, kinds_gone=()):
    # The small ledger with cells of one data_main column set, and kinds taken out.
    s = small(seed)
    k = table(s, "kind")
    k["rows"] = [r for r in k["rows"] if r[0] not in kinds_gone]
    set_cells(s, "data_main", column, values)
    return s, what


def case_duplicate_key():
    key = table(small(2), "data_main")["rows"][3][6]
    return edited(2, "a_key", {5: key, 20: key}, "three entries share a_key %d (rows 4, 6 and 21)" % key)


def case_dates_out_of_range():
    odd = ["1899-12-29", "1899-12-30", "1800-01-01", "1753-01-01", "9999-12-31", "2100-02-28",
           "2024-02-29 23:59:59.700", "2024-03-01 12:30:00", -700000.0, 3000000.0]
    s, what = edited(5, "a_date", dict(enumerate(odd)), "dates before 1899-12-30, before 1900, far future, "
                     "with times of day, and day counts outside any calendar (-700000, 3000000)")
    table(s, "data_note")["rows"].append(["1899-12-29 06:00:00", "一百多年前的備註"])
    return s, what


def case_kind_order():
    s = small(6)
    k = table(s, "kind")
    for r, o in zip(k["rows"], [1, 2, 5, 5.5, 6, 10, 10.25, 11, 30, 31.75, 40, 41, 42, 100, 101, 102.5, 103, 200]):
        r[2] = float(o)
    k["rows"].reverse()
    return s, "kind.key_order with gaps and values that are not whole, rows not in order"


def case_deleted_rows():
    s = small(7, entries=300)
    dm = table(s, "data_main")
    dm["deleted_rows"] = [list(r) for r in dm["rows"][100:130]]
    dm["rows"] = dm["rows"][:100] + dm["rows"][130:]
    table(s, "kind")["deleted_rows"] = [[99, "已刪除的分類", 99.0]]
    return s, ("30 entries and one kind deleted but still on the pages (offset flag 0x8000); "
               "the stored row counts leave them out")


def case_memo_overflow():
    s = small(8, memo_overflow=True)
    set_cells(s, "data_main", "a_note", {
        0: "短備註 but over 64 bytes so on its own page........................",
        1: "長" * 1900 + "😀",                  # one long-value row (flag 0x40)
        2: "跨頁備註 " * 3000 + "終",           # a chain over several pages
        3: "x" * 5000 + "end"})                  # compressed-looking but too long
    table(s, "data_note")["rows"].append(["2024-12-30", "每日心得 📖 " * 1000])
    return s, "memos on long-value pages: single rows and chains over several pages"


def case_column_order():
    s = small(9)
    for name, order in [("data_main", "a_key a_note a_date a_kind_name a_count a_content a_inout a_kind"),
                        ("kind", "key_order a_kind name")]:
        t = table(s, name)
        idx = [col_index(t, n) for n in order.split()]
        t["columns"] = [t["columns"][i] for i in idx]
        t["rows"] = [[r[i] for i in idx] for r in t["rows"]]
    return s, "data_main and kind with their columns in another order"


def case_every_type():
    s = small(16)
    cols = [{"name": "b", "type": "byte"}, {"name": "i", "type": "int"}, {"name": "yes", "type": "bool"},
            {"name": "s", "type": "single"}, {"name": "c", "type": "currency"},
            {"name": "wide", "type": "decimal", "precision": 28, "scale": 10},
            {"name": "whole", "type": "decimal", "precision": 5, "scale": 0},
            {"name": "code", "type": "text", "size": 8, "fixed": True}, {"name": "pic", "type": "ole"}]
    rows = [[0, -32768, True, 0.1, "-922337203685477.5808", "-123456789012345678.0123456789", "99999",
             "中文 ab", "00ff10" * 3],
            [255, 32767, False, 3.4028234663852886e38, "0.0001", "0.0000000001", "-1", "", "ff" * 3000],
            [None, None, True, None, None, None, None, None, None],
            [7, 1, False, -1.5, "12.34", "0", "0", "12345678", ""]]
    s["tables"].append({"name": "every_type", "columns": cols, "rows": rows})
    return s, "a table of every column type beside the ledger: Decimal, fixed-length text, OLE, Bool"


def case_column_history():
    s = small(17, entries=60)
    dm = table(s, "data_main")
    # a_kind_name was added after the first 25 entries were written; a Double a_tax
    # (column 5) and a text a_shop (column 9) were deleted since.  The columns keep
    # their numbers: 0-4, 6-8, then a_kind_name as 10.
    for n, c in enumerate(dm["columns"]):
        c["num"] = n if n < 5 else n + 1
    dm["columns"][7]["num"] = 10
    for r in dm["rows"][:25]:
        r[7] = None
    dm["history"] = {
        "old_rows": 25, "added": ["a_kind_name"],
        "dropped": [{"name": "a_tax", "type": "double", "num": 5, "values": [i * 1.5 for i in range(25)]},
                    {"name": "a_shop", "type": "text", "size": 40, "num": 9,
                     "values": [None if i % 4 else "店家 %d" % i for i in range(25)]}]}
    return s, ("data_main after columns were deleted and added: numbers with gaps, 25 rows with a "
               "deleted Double and text still in them and without the added a_kind_name")


def case_wide():
    s = small(18, entries=20)
    types = ["long", "text", "double", "datetime", "memo", "currency", "int", "bool", "byte", "single"]
    cols = [dict(name="欄位第%02d號_%s" % (i, t), type=t, **({"size": 20} if t == "text" else {}))
            for i, t in enumerate(types * 9)]
    values = {"long": 123456, "text": "文字", "double": 0.5, "datetime": "2024-05-01", "memo": "備註",
              "currency": "1.2345", "int": -7, "bool": True, "byte": 200, "single": 2.5}
    rows = [[values[c["type"]] if (r + i) % 7 else (False if c["type"] == "bool" else None)
             for i, c in enumerate(cols)] for r in range(12)]
    s["tables"].append({"name": "wide", "columns": cols, "rows": rows})
    return s, "a table of 90 columns, its definition over two pages"


def without(seed, name):
    s = small(seed)
    return dict(s, tables=[t for t in s["tables"] if t["name"] != name]), "no %s table" % name


def with_options(seed, options, what):
    return dict(small(seed) if seed else {"tables": []}, options=options), what


def key_zero_with(change, what):
    # The key_zero ledger with one thing more that no import can bring over as it is.
    s, _ = CASES["key_zero"]()
    change({t["name"]: t for t in s["tables"]})
    return s, what


def as_currency(t):
    dm = t["data_main"]
    dm["columns"][4] = {"name": "a_count", "type": "currency"}
    for r in dm["rows"]:
        r[4] = "%.2f" % (r[4] or 0)
    dm["rows"][2][4] = "922337203685477.5807"


def ledger(what, **kw):
    return lambda: (ledger_layout(**kw), what)


BOOK = {"name": "contacts", "columns": [{"name": "name", "type": "text"}], "rows": [["王小明"]]}

CASES = {
    "nulls": case_nulls, "duplicate_key": case_duplicate_key,
    "key_zero": lambda: edited(3, "a_key", {10: 0}, "one entry (row 11) has a_key 0, left over from a move"),
    "vanished_kind": lambda: edited(4, "a_kind", {0: 2, 1: 15, 2: 999},
                                    "entries of kinds 2, 15 and 999, which are not in kind", (2, 15)),
    "dates_out_of_range": case_dates_out_of_range,
    "kind_order": case_kind_order, "deleted_rows": case_deleted_rows,
    "memo_overflow": case_memo_overflow, "column_order": case_column_order,
    "every_type": case_every_type, "column_history": case_column_history, "wide": case_wide,
    "no_data_note": lambda: without(10, "data_note"), "no_inout": lambda: without(11, "inout"),
    "jet3": lambda: with_options(0, {"jet": 3}, "an Access 97 (Jet 3) file"),
    "password": lambda: with_options(12, {"password": "家計簿2002"}, "a password-protected file (password 家計簿2002)"),
    "bad_inout": lambda: key_zero_with(lambda t: t["data_main"]["rows"][6].__setitem__(2, 7), "a direction of 7"),
    "huge_amount": lambda: key_zero_with(as_currency, "a Currency amount of more than 15 significant digits"),
    "fixed_kind_name": lambda: key_zero_with(lambda t: t["data_main"]["columns"].__setitem__(
        7, {"name": "a_kind_name", "type": "text", "size": 12, "fixed": True}), "a_kind_name of fixed length"),
    "two_notes_a_day": lambda: key_zero_with(lambda t: t["data_note"]["rows"][1].__setitem__(
        0, t["data_note"]["rows"][0][0]), "two day notes on one day"),
    "contacts": lambda: ({"tables": [BOOK]}, "an address book, no ledger"),
    "kinds_only": lambda: ({"tables": [t for t in ledger_layout(10)["tables"] if t["name"] != "data_main"] + [BOOK]},
                           "a ledger's tables without data_main"),
    # a_count and key_order as each type a Number column of Access may be; rows moved by edits.
    "small": ledger("twelve entries of 2024", entries=12, years=[2024], seed=5),
    "ledger": ledger("a family's ledger of three years"),
    "ledger_moved": ledger("5 % of the entries moved by later edits", moved=5),
    "ledger_currency": ledger("Currency amounts, long memos on their own pages, Integer order",
                              amount="currency", memo_overflow=True, seed=7, order="int"),
    "ledger_single": ledger("Single amounts, Byte order", amount="single", order="byte"),
    "ledger_decimal": ledger("Decimal amounts and order", amount="decimal", order="decimal", seed=4),
}


# ---- damage -------------------------------------------------------------

def memo_past_end(outdir):
    # A memo on a long-value row whose head points past the end of the file: the head's
    # length has the flag 0x40 in its top byte, then comes where the row is.
    m = small(31, entries=3, memo_overflow=True, long_memos=False)
    set_cells(m, "data_main", "a_note", {0: "長" * 300 + "😀", 1: "跨頁 " * 900 + "終"})
    path = outdir / "memo_past_end.mdb"
    jet4.write_mdb(str(path), [table(m, "data_main")], m.get("options"))
    buf = bytearray(path.read_bytes())
    lval = next(p for p in range(1, len(buf) // PAGE) if buf[p * PAGE + 4:p * PAGE + 8] == b"LVAL")
    pos = buf.find(b"\x40" + struct.pack("<I", lval << 8), 2 * PAGE)
    struct.pack_into("<I", buf, pos + 1, (len(buf) // PAGE + 3) << 8)
    path.write_bytes(bytes(buf))


def damaged_case(outdir):
    # The 'damaged' case: a ledger whose data_main definition page (the one naming a_kind_name)
    # is lost; and the same ledger cut short in the middle of the entries.
    s = small(14)
    path, cut = outdir / "damaged.mdb", outdir / "damaged_truncated.mdb"
    write_case(path, s, case="a damaged file: the definition page of data_main is overwritten "
                             "with zeros, so the catalogue points at an empty page")
    write_case(cut, s, case="a damaged file: cut short in the middle of the data pages")
    buf = bytearray(path.read_bytes())
    name = "a_kind_name".encode("utf-16-le")
    p = next(p for p in range(1, len(buf) // PAGE) if buf[p * PAGE] == 2 and name in buf[p * PAGE:(p + 1) * PAGE])
    buf[p * PAGE:(p + 1) * PAGE] = bytes(PAGE)
    path.write_bytes(bytes(buf))
    whole = cut.read_bytes()
    cut.write_bytes(whole[:len(whole) // 2 + 123])


def shared_chain_case(outdir):
    # A hostile file: every entry's memo is the same long chain of empty parts
    # that ends in one character, so each value walks the whole chain again.
    s = small(15, entries=2000, long_memos=False)
    set_cells(s, "data_main", "a_note", {i: "x" * 10 for i in range(2000)})  # inline: FF FE and ten bytes
    path = outdir / "memo_shared_chain.mdb"
    write_case(path, s, case="a hostile file: 2000 memos share one chain of 765 empty parts")
    buf = bytearray(path.read_bytes())
    first = len(buf) // PAGE
    per_page = jet4.MAX_ROWS_PER_PAGE
    # Each part points at the next (page << 8 | row); the last one holds the character.
    parts = [struct.pack("<I", (first + i // per_page) << 8 | i % per_page) for i in range(1, 3 * per_page)]
    parts.append(bytes(4) + b"x\x00")
    for k in range(3):
        buf += jet4.data_page(parts[k * per_page:(k + 1) * per_page], 0, lval=True)
    inline = struct.pack("<I", 12 | 0x80000000) + bytes(8) + b"\xff\xfe" + b"x" * 10
    chained = struct.pack("<II", 2, first << 8) + bytes(4)
    assert buf.count(inline) == 2000
    buf = buf.replace(inline, chained + inline[12:])
    path.write_bytes(bytes(buf))


def main(argv):
    out = Path(argv[0])
    out.mkdir(parents=True, exist_ok=True)
    for name, make in CASES.items():
        layout, what = make()
        write_case(out / (name + ".mdb"), layout, case=what)
    layout, what = with_options(13, {"ace": True}, "an Access 2007 (ACE) file")
    write_case(out / "ace.accdb", layout, case=what)
    write_case(out / "ace_as_mdb.mdb", layout, case=what + ", under an .mdb name")
    damaged_case(out)
    shared_chain_case(out)
    memo_past_end(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
