#!/usr/bin/env python3
# A small writer of Jet 4 (Access 2000) database files, for tests only.
#
# Quillory's tests need old ledgers in the format the household kept before, and
# cannot run Access to make them.  This module writes such files from plain
# Python values: enough of the format for the usual readers to list the tables,
# their columns and every row, and nothing more (no indexes, no relationships,
# no queries, no properties).
#
#     write_mdb(path, tables, options=None)
#
# A table is a dict:
#     {"name": "data_main",
#      "columns": [{"name": "a_date", "type": "datetime"},
#                  {"name": "a_content", "type": "text", "size": 255}, ...],
#      "rows": [[value, ...], ...],
#      "deleted_rows": [[value, ...], ...],      # optional, and the next three
#      "moved_rows": [row index, ...],           # rows an update moved elsewhere
#      "moved_twice": [row index, ...],          # moved, then moved again
#      "moved_deleted_rows": [[value, ...], ...]}  # moved, then deleted
# Column types: byte, int, long, autonumber, single, double, currency,
# decimal ("precision", "scale"), datetime, text ("fixed": True for fixed
# length), memo, ole, bool.  Values: None is NULL; int; float (a double is
# written bit for bit); str for text and memo; a datetime as "YYYY-MM-DD",
# "YYYY-MM-DD HH:MM:SS[.fff]" or a float of days since 1899-12-30; a currency
# as a decimal str (or int) with at most four places; a decimal as a str with
# at most "scale" places; ole as bytes (a str of hex digits in JSON).
#
# Options (all optional):
#     "jet": 4 | 3        3 writes an Access 97 header only (to be refused)
#     "ace": True         an Access 2007 (ACE) header over the same pages
#     "password": "..."   the header marks the file as password-protected
#     "memo_overflow": True   long memos go to long-value pages of their own
#
# write_mdb returns, for each table, the indices of its live rows in the order
# a scan of its pages that passes by every flagged slot meets them.
#
# The file layout written here (all numbers little-endian, 4096-byte pages):
#
#   page 0   the database header: page type 0, the text "Standard Jet DB" (or
#            "Standard ACE DB"), the version byte at 0x14, and from 0x18 a block
#            of 128 bytes that is scrambled with a fixed RC4 key.  Inside that
#            block (before scrambling) lie the code page (0x3C), the page
#            scrambling key (0x3E, left 0 so pages are plain), the password
#            (0x42, 40 bytes) and the creation date (0x72).
#   page 1   a data page holding one row per usage map (see below).
#   page 2   the table definition of the catalogue, MSysObjects; its rows on
#            the pages after it name every table and the page of its definition.
#   then     for each table: its definition page, its data pages, its long-value
#            pages, in that order (or interleaved with "page_order").
#
# A data page:  0x01 0x01, free space (2), definition page (4), 0 (4), row count
# (2), then one 2-byte start offset per row.  Rows are packed from the end of
# the page downwards; row i ends where row i-1 starts.  The top bits of an offset
# are flags: 0xC000 a deleted row, whose bytes stay on the page; 0x4000 a row
# that moved elsewhere, its first 4 bytes giving where; 0x8000 the row at that
# new place, which a scan of the pages passes by (see lay_out).
#
# A row:  column count (2), the fixed-size columns at their fixed offsets, the
# variable-size columns one after another, then (read backwards from the end of
# the row) the null mask, the count of variable columns (2), their start offsets
# in reverse order (2 each) and the end of the variable data (2).  A bit 1 in the
# null mask means "has a value"; a boolean is its null-mask bit alone.
#
# A memo value is a 12-byte head in the variable part: length (3 bytes) and a
# flag byte (0x80: the text follows the head; 0x40: it is the whole of one row on
# a long-value page; 0x00: a chain of rows, each starting with the page and row
# of the next), the page and row of the long value (4), and 4 zero bytes.
#
# A usage map row: type 0 is 0x00, a first page (4) and one bit per page from
# there; type 1 is 0x01 and pointers (4 each) to bitmap pages (type 0x05), the
# k-th covering pages k*32736 onwards, 8 per byte after a 4-byte page head.

import re
import struct
from datetime import date

PAGE = 4096
PAGE_JET3 = 2048
DATA_HEAD = 14            # bytes before the row offsets on a data page
MAX_ROWS_PER_PAGE = 255   # a data pointer keeps the row number in one byte
MAP_PAGE_BITS = (PAGE - 4) * 8

# Flags in the top bits of a row's offset word on a data page.
MOVED_AWAY = 0x4000     # the row moved; its first 4 bytes say where (row number, page << 8)
MOVED_HERE = 0x8000     # reached only through a MOVED_AWAY slot; a scan passes it by
DELETED = 0xC000        # both: a deleted row, or the place a row was moved from and freed

# type name -> (type code, fixed size or None for variable size)
TYPES = {
    "bool": (0x01, 0), "byte": (0x02, 1), "int": (0x03, 2), "long": (0x04, 4),
    "autonumber": (0x04, 4), "currency": (0x05, 8), "single": (0x06, 4),
    "double": (0x07, 8), "datetime": (0x08, 8), "text": (0x0A, None),
    "memo": (0x0C, None), "ole": (0x0B, None), "decimal": (0x10, 17),
}

NO_PAGES = bytes(9)      # a usage map row of type 0 that marks no page
COL_FIXED, COL_NULLABLE, COL_AUTO_LONG = 0x01, 0x02, 0x04
SORT_GENERAL = 0x409

# The key that scrambles the header block from 0x18; fixed for every file.
HEADER_RC4_KEY = bytes([0xC7, 0xDA, 0x39, 0x6B])
HEADER_BLOCK = (0x18, 128)
EPOCH = date(1899, 12, 30)

CATALOGUE_PAGE = 2
CREATED = 37257.4375   # 2002-01-01 10:30, when the file says it was made
TABLES_CONTAINER_ID = 0x0F000001


def rc4(key, data):
    s, i, j = list(range(256)), 0, 0
    for n in range(256):
        j = (j + s[n] + key[n % len(key)]) & 0xFF
        s[n], s[j] = s[j], s[n]
    out, j = bytearray(), 0
    for b in data:
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out.append(b ^ s[(s[i] + s[j]) & 0xFF])
    return bytes(out)


# ---- values -------------------------------------------------------------

def encode_text(text, compress=True):
    # Two-byte text, in the compressed form when it applies and is shorter.
    #
    # The compressed form starts with FF FE; one byte stands for a character
    # whose high byte is 0, and a 0 byte switches between one-byte and
    # two-byte characters.  A text holding a unit whose low byte is 0 cannot be
    # compressed, as that byte would read as a switch.
    plain = text.encode("utf-16-le")
    units = struct.unpack("<%dH" % (len(plain) // 2), plain)
    if not compress or not text or any((u & 0xFF) == 0 for u in units):
        return plain
    out, narrow = bytearray(b"\xff\xfe"), True
    for u in units:
        if (u < 0x100) != narrow:
            out.append(0)
            narrow = not narrow
        out += bytes([u]) if narrow else struct.pack("<H", u)
    return bytes(out) if len(out) < len(plain) else plain


_DATE_RE = re.compile(r"^(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{2}):(\d{2}):(\d{2})(?:\.(\d{1,6}))?)?$")


def datetime_days(value):
    # Days since 1899-12-30 as stored: before that day the whole part counts
    # back and the fraction (the time of day) is added away from zero.
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        return float(value)
    m = _DATE_RE.match(value)
    days = (date(*map(int, m.group(1, 2, 3))) - EPOCH).days
    hours, minutes, seconds = (int(g or 0) for g in m.group(4, 5, 6))
    frac = m.group(7) or "0"
    t = (hours * 3600 + minutes * 60 + seconds + int(frac) / 10 ** len(frac)) / 86400.0
    return days - t if days < 0 else days + t


def currency_units(value):
    # A currency value as a count of 1/10000, exactly.
    m = re.match(r"^\s*([+-]?)(\d+)(?:\.(\d{0,4}))?\s*$", str(value))
    units = int(m.group(2)) * 10000 + int((m.group(3) or "").ljust(4, "0"))
    return -units if m.group(1) == "-" else units


def decimal_bytes(value, scale):
    # A Decimal (Numeric) field, 17 bytes:
    #      0  1  sign: 0x80 negative, 0x00 not
    #      1 16  the magnitude (value * 10^scale, a whole number) as four 32-bit
    #            words, each little-endian, the most significant word first.
    m = re.match(r"^\s*([+-]?)(\d+)(?:\.(\d*))?\s*$", str(value))
    magnitude = int(m.group(2) + (m.group(3) or "").ljust(scale, "0"))
    words = [(magnitude >> (32 * k)) & 0xFFFFFFFF for k in (3, 2, 1, 0)]
    return bytes([0x80 if m.group(1) == "-" else 0]) + struct.pack("<4I", *words)


FORMATS = {"byte": "<B", "int": "<h", "long": "<i", "autonumber": "<i", "single": "<f", "double": "<d",
           "datetime": "<d", "currency": "<q"}


def fixed_bytes(ctype, value, col):
    if ctype == "decimal":
        return decimal_bytes(value, col["scale"])
    if ctype == "text":  # fills the column: two-byte characters padded with spaces, never compressed
        return value.ljust(col["len"] // 2).encode("utf-16-le")
    value = datetime_days(value) if ctype == "datetime" else currency_units(value) if ctype == "currency" else value
    return struct.pack(FORMATS[ctype], value)


# ---- pages --------------------------------------------------------------

def new_page(f):
    # Adds an empty page to f, the pages of the file being written; its number.
    f.append(bytearray(PAGE))
    return len(f) - 1


def data_page(rows, owner, flags=(), lval=False):
    # One data page with the given row byte strings; flags[i], where given,
    # is or-ed into row i's offset word (DELETED, MOVED_HERE, MOVED_AWAY).
    pg = bytearray(PAGE)
    pg[0:2] = b"\x01\x01"
    pg[4:8] = b"LVAL" if lval else struct.pack("<I", owner)
    struct.pack_into("<H", pg, 12, len(rows))
    end = PAGE
    for i, r in enumerate(rows):
        start = end - len(r)
        pg[start:end] = r
        struct.pack_into("<H", pg, DATA_HEAD + 2 * i, start | (flags[i] if i < len(flags) else 0))
        end = start
    struct.pack_into("<H", pg, 2, end - DATA_HEAD - 2 * len(rows))
    return pg


def pack_rows(rows):
    # Splits rows (byte strings, or slots whose first item is the bytes) into
    # groups that fit one page each.
    groups, used = [], PAGE
    for r in rows:
        need = len(r[0] if isinstance(r, list) else r) + 2
        if used + need > PAGE or len(groups[-1]) >= MAX_ROWS_PER_PAGE:
            groups.append([])
            used = DATA_HEAD
        groups[-1].append(r)
        used += need
    return groups


class Table:
    def __init__(self, layout):
        self.name = layout["name"]
        # A table whose columns changed after rows were written: "history" names the
        # columns added since ("added") and those deleted since ("dropped", each with its
        # "num" and the "values" the first rows held), and how many rows ("old_rows", the
        # first ones) were written before.  Access renumbers nothing: the columns left keep
        # their numbers, null-mask bits, fixed offsets and variable-column slots, so the
        # numbers have gaps; it rewrites no row, so an old row still holds a deleted
        # column and lacks an added one (its column count is smaller than their number).
        history = layout.get("history", {})
        self.added = set(history.get("added", []))
        self.old_rows = history.get("old_rows", 0)
        every = [dict(c, num=c.get("num", n)) for n, c in enumerate(layout["columns"])]
        every += [dict(c, gone=True) for c in history.get("dropped", [])]
        fixed_off = var_idx = 0
        for c in sorted(every, key=lambda c: c["num"]):
            ctype = c["type"]
            c["code"], size = TYPES[ctype]
            if ctype == "decimal":
                c["precision"], c["scale"] = c.get("precision", 18), c.get("scale", 0)
            if ctype == "text" and c.get("fixed"):
                size = 2 * int(c.get("size", 255))
            if size is None:
                c["var"], c["len"] = var_idx, 2 * int(c.get("size", 255)) if ctype == "text" else 0
                var_idx += 1
            else:
                c["fixed"], c["len"] = fixed_off, size
                fixed_off += size
        self.columns = [c for c in every if not c.get("gone")]
        self.every = every
        self.next_num = max([c["num"] for c in every] + [-1]) + 1
        self.num_var = sum(1 for c in self.columns if "var" in c)
        self.rows = layout.get("rows", [])
        self.deleted = layout.get("deleted_rows", [])
        self.moved_deleted = layout.get("moved_deleted_rows", [])
        # row index -> how many times it moved
        self.moved = dict([(i, 1) for i in layout.get("moved_rows", [])]
                          + [(i, 2) for i in layout.get("moved_twice", [])])
        self.autonumber = max([r[i] for i, c in enumerate(self.columns) if c["type"] == "autonumber"
                               for r in self.rows if r[i] is not None] + [0])

    def row_bytes(self, values, memo_out, index=None):
        # The bytes of one row; memo_out(col, encoded) stores a long memo
        # elsewhere and returns its 12-byte head.  index is the row's place in
        # "rows", which tells whether it was written before the columns changed.
        #
        # A row (offsets from its start; the end part is read backwards):
        #   0       2  column count: 1 + the highest column number it was written with
        #   2       .  the fixed-size columns, each at its fixed offset
        #   .       .  the variable-size columns, one after another
        #   end-2-m-2v-4  the end of the variable data (2)
        #           2v  the start of each variable column, the last one first
        #   end-2-m 2  v, how many variable slots the row has
        #   end-m   m  the null mask, one bit per column number, 1 = has a value
        # (without variable columns only the fixed part and the mask).
        old = index is not None and index < self.old_rows
        cells = [(c, v) for c, v in zip(self.columns, values) if not (old and c["name"] in self.added)]
        if old:
            cells += [(c, c["values"][index]) for c in self.every if c.get("gone")]
        ncols = max(c["num"] for c, _ in cells) + 1
        fixed = bytearray(max([c["fixed"] + c["len"] for c, _ in cells if "fixed" in c] + [0]))
        mask = bytearray((ncols + 7) // 8)
        num_var = max([c["var"] + 1 for c, _ in cells if "var" in c] + [0])
        var_parts = [b""] * num_var
        for col, v in cells:
            ctype = col["type"]
            present = v is not None
            if ctype == "bool":
                present = bool(v)
            elif present and "fixed" in col:
                b = fixed_bytes(ctype, v, col)
                fixed[col["fixed"]:col["fixed"] + len(b)] = b
            elif present and ctype == "text":
                var_parts[col["var"]] = encode_text(v)
            elif present and ctype == "ole":
                var_parts[col["var"]] = memo_out(col, v if isinstance(v, bytes) else bytes.fromhex(v))
            elif present and ctype == "memo":
                var_parts[col["var"]] = memo_out(col, encode_text(v, len(v) <= 1024))
            if present:
                mask[col["num"] // 8] |= 1 << (col["num"] % 8)
        out = bytearray(struct.pack("<H", ncols)) + fixed
        if num_var or self.num_var:
            starts = [len(out) + sum(map(len, var_parts[:k])) for k in range(num_var)]
            out += b"".join(var_parts)
            out += struct.pack("<%dH" % (len(starts) + 2), len(out), *reversed(starts), num_var)
        out += mask
        return bytes(out)

    def tdef(self, num_rows, used_map, free_map, system=False):
        # The table definition page.
        auto = any(c["type"] == "autonumber" for c in self.columns)
        body = bytearray(struct.pack("<IIII", 0, 0, num_rows, self.autonumber + 1 if self.autonumber or auto else 0))
        # (length, filled below; unknown; rows; next autonumber), a flag, the autonumber of
        # complex columns (4) and 8 unknown bytes, the table type
        body += bytes([1 if auto else 0, 0, 0, 0]) + bytes(12) + bytes([0x53 if system else 0x4E])
        # next column number, variable columns, columns, no indexes (2 counts), the usage maps
        body += struct.pack("<HHHIIII", self.next_num, self.num_var, len(self.columns), 0, 0, used_map, free_map)
        for c in self.columns:
            flags = COL_FIXED | COL_AUTO_LONG if c["type"] == "autonumber" else \
                COL_NULLABLE | (COL_FIXED if "fixed" in c else 0)
            misc = SORT_GENERAL if c["type"] in ("text", "memo") else 0
            if c["type"] == "decimal":      # precision, then scale
                misc = c["precision"] | (c["scale"] << 8)
            body += struct.pack("<BIHHHHHBBIHH", c["code"], 0, c["num"], c.get("var", 0),
                                c["num"], misc, 0, flags,
                                0x01 if c["type"] in ("text", "memo") and "fixed" not in c else 0,
                                0, c.get("fixed", 0), c["len"])
        for name in (c["name"].encode("utf-16-le") for c in self.columns):
            body += struct.pack("<H", len(name)) + name
        struct.pack_into("<I", body, 0, len(body))
        return body

    def tdef_pages(self, f, first, num_rows, used_map, free_map, system=False):
        # Writes the definition on page `first` and, when it is longer than a
        # page (70 columns and more), on further pages added to f.  Each page:
        #   0  1  0x02   1  1  0x01   2  2  free bytes
        #   4  4  the next page of the definition, 0 on the last
        #   8  .  the definition's bytes, continued from the page before
        # so the definition reads as one run of bytes from offset 8 of the first
        # page on, each later page's head (8 bytes) left out.
        body = self.tdef(num_rows, used_map, free_map, system)
        room = PAGE - 8
        chunks = [body[i:i + room] for i in range(0, len(body), room)]
        numbers = [first] + [new_page(f) for _ in chunks[1:]]
        for k, chunk in enumerate(chunks):
            head = b"\x02\x01" + struct.pack("<HI", room - len(chunk), numbers[k + 1] if k + 1 < len(numbers) else 0)
            f[numbers[k]] = bytearray((head + chunk).ljust(PAGE, b"\0"))


def usage_map(pages, f):
    # A usage map row for the given page numbers; a type 0 map when they fit
    # in a short bitmap, else a type 1 map over bitmap pages added to f.
    if not pages:
        return NO_PAGES
    first, last = min(pages), max(pages)
    if last - first < (64 - 5) * 8:        # a 64-byte map row
        bits = bytearray((last - first + 8) // 8)
        for p in pages:
            bits[(p - first) // 8] |= 1 << ((p - first) % 8)
        return b"\x00" + struct.pack("<I", first) + bytes(bits)
    ptrs = [0] * (last // MAP_PAGE_BITS + 1)
    for p in sorted(pages):
        k = p // MAP_PAGE_BITS
        if not ptrs[k]:
            ptrs[k] = new_page(f)
            f[ptrs[k]][0:2] = b"\x05\x01"
        bit = p - k * MAP_PAGE_BITS
        f[ptrs[k]][4 + bit // 8] |= 1 << (bit % 8)
    return b"\x01" + b"".join(struct.pack("<I", x) for x in ptrs)


CATALOGUE_COLUMNS = [dict(zip(("name", "type", "size"), word.split(":"))) for word in (
    "Id:long ParentId:long Name:text:128 Type:int DateCreate:datetime DateUpdate:datetime Flags:long "
    "ForeignName:text:128 Database:memo Connect:memo LvProp:ole").split()]


def header_page(options, page_size):
    pg = bytearray(page_size)
    pg[0:20] = b"\x00\x01\x00\x00Standard %s DB\x00" % (b"ACE" if options.get("ace") else b"Jet")
    pg[0x14] = 2 if options.get("ace") else (0 if options.get("jet", 4) == 3 else 1)
    if pg[0x14] == 0:
        return pg   # an Access 97 file is told by its version alone
    block = bytearray(HEADER_BLOCK[1])
    struct.pack_into("<H", block, 0x3C - 0x18, 1252)
    struct.pack_into("<d", block, 0x72 - 0x18, CREATED)
    # The password field: the password (two-byte text, zero-padded) masked with the whole
    # days of the creation date; no password leaves the mask alone.
    pw, mask = (options.get("password") or "").encode("utf-16-le"), struct.pack("<i", int(CREATED))
    for i, b in enumerate(pw[:40].ljust(40, b"\0")):
        block[0x42 - 0x18 + i] = b ^ mask[i % 4]
    pg[0x18:0x18 + len(block)] = rc4(HEADER_RC4_KEY, bytes(block))
    return pg


def write_mdb(path, tables, options=None):
    options = dict(options or {})
    if options.get("jet", 4) == 3:
        # An Access 97 file: its header, and empty 2 KB pages behind it.
        with open(path, "wb") as out:
            out.write(header_page(options, PAGE_JET3) + bytes(PAGE_JET3 * 3))
        return {}
    overflow = options.get("memo_overflow", False)
    f = [bytearray(PAGE) for _ in range(3)]    # the header, the usage maps, the catalogue's definition
    map_rows = [NO_PAGES]   # global map, unused

    # Reserve the pages of every table first; the catalogue rows need them.
    laid = [lay_out(Table(dict(t)), f, overflow) for t in tables]
    cat = Table({"name": "MSysObjects", "columns": CATALOGUE_COLUMNS})
    cat.rows = [[page, parent, name, kind, CREATED, CREATED, flags, None, None, None, None]
                for page, parent, name, kind, flags in
                [(TABLES_CONTAINER_ID, 0x0F000000, "Tables", 3, 0),
                 (CATALOGUE_PAGE, TABLES_CONTAINER_ID, "MSysObjects", 1, 0x80000002 - (1 << 32))]
                + [(tdef_page, TABLES_CONTAINER_ID, t.name, 1, 0) for t, tdef_page, _ in laid]]
    cat_laid = lay_out(cat, f, False, tdef_page=CATALOGUE_PAGE)

    for t, tdef_page, pages in laid + [cat_laid]:
        map_rows += [usage_map(pages, f), NO_PAGES]
        t.tdef_pages(f, tdef_page, len(t.rows), (1 << 8) | (len(map_rows) - 2), (1 << 8) | (len(map_rows) - 1),
                     system=t.name.startswith("MSys"))
    f[1] = data_page(map_rows, 0)
    f[0] = header_page(options, PAGE)
    with open(path, "wb") as out:
        out.write(b"".join(f))
    return {t.name: t.scan_order for t, _, _ in laid}


def lay_out(t, f, overflow, tdef_page=None):
    # Writes the data and long-value pages of a table; returns the table, its
    # definition page (written later, once the usage maps are known) and the
    # list of its data pages.
    tdef_page = new_page(f) if tdef_page is None else tdef_page
    lval = LongValues(f)

    def memo_out(col, enc):
        # Short memos live in the row; long ones (or all but the shortest,
        # with memo_overflow) on long-value pages.
        if len(enc) <= (64 if overflow else 1000):
            return struct.pack("<I", len(enc) | 0x80000000) + bytes(8) + enc
        return lval.store(enc)

    # Each slot: [bytes, offset flags, live row index read there by a page scan
    # (None when none), the place of a slot this one points to].
    live = []
    for i, r in enumerate(t.rows):
        b = t.row_bytes(r, memo_out, i)
        live.append([b, MOVED_AWAY, None, ("moved", i)] if i in t.moved else [b, 0, i, None])
    dead = [[t.row_bytes(r, memo_out), DELETED, None, None] for r in t.deleted]
    gone = [t.row_bytes(r, memo_out) for r in t.moved_deleted]
    dead += [[b, DELETED, None, ("gone", j)] for j, b in enumerate(gone)]
    ordered = row_order(live, dead)
    # Where rows went when an update made them too long for their page: onto pages of
    # their own after the others, flagged MOVED_HERE.  A row moved twice leaves its
    # first new place freed (DELETED) and the old slot points at the newest; a row
    # moved and then deleted has both its slots DELETED, the old one still pointing.
    elsewhere = []
    for i in sorted(t.moved):
        freed = [[live[i][0], DELETED, None, None]] if t.moved[i] == 2 else []
        elsewhere += freed + [[live[i][0], MOVED_HERE, i, None, ("moved", i)]]
    elsewhere += [[b, DELETED, None, None, ("gone", j)] for j, b in enumerate(gone)]
    pages = [(new_page(f), group) for group in pack_rows(ordered) + pack_rows(elsewhere)]
    places = {slot[4]: (n << 8) | k for n, group in pages for k, slot in enumerate(group) if len(slot) == 5}
    # A slot a row moved away from keeps the row's old bytes behind the pointer:
    #   0  4  page of the new place << 8 | its row number on that page
    #   4  .. what the row held before (never read)
    t.scan_order = []
    for n, group in pages:
        for slot in group:
            if slot[3] is not None:
                slot[0] = struct.pack("<I", places[slot[3]]) + slot[0][4:]
            if slot[2] is not None:
                t.scan_order.append(slot[2])
        f[n] = data_page([slot[0] for slot in group], tdef_page, [slot[1] for slot in group])
    return t, tdef_page, [n for n, _ in pages]


def row_order(live, dead):
    # The order rows take on the pages: deleted rows spread evenly among the
    # live ones, so a reader must look at each offset's flag.  Returns the rows
    # and, for each, whether it is deleted.
    # Deleted row k goes just before live row step * (k + 1) - 1; those past the end, last.
    step = max(1, len(live) // (len(dead) + 1))
    before = {step * (k + 1) - 1: d for k, d in enumerate(dead)}
    ordered = [slot for i, r in enumerate(live) for slot in ([before.pop(i)] if i in before else []) + [r]]
    return ordered + list(before.values())


class LongValues:
    # Long-value pages of one table: a memo that fits one page is a single
    # row there (flag 0x40); a longer one is a chain of rows (flag 0x00), each
    # starting with the page and row of the next part, 0 at the end.

    ROOM = PAGE - DATA_HEAD - 2

    def __init__(self, f):
        self.f = f
        self.page = None
        self.rows = []

    def _put(self, data):
        # Puts a row on the current page (a new one when it is full or closed), which is
        # written again with each row.
        used = DATA_HEAD + sum(len(r) + 2 for r in self.rows)
        if self.page is None or used + len(data) + 2 > PAGE or len(self.rows) >= MAX_ROWS_PER_PAGE:
            self.page = new_page(self.f)
            self.rows = []
        self.rows.append(data)
        self.f[self.page] = data_page(self.rows, 0, lval=True)
        return (self.page << 8) | (len(self.rows) - 1)

    def store(self, enc):
        if len(enc) <= self.ROOM:
            return struct.pack("<II", len(enc) | 0x40000000, self._put(enc)) + bytes(4)
        # Chain: parts are written last to first so each knows its successor.
        part, nxt = self.ROOM - 4, 0
        for c in reversed([enc[i:i + part] for i in range(0, len(enc), part)]):
            self.page = None
            nxt = self._put(struct.pack("<I", nxt) + c)
        self.page = None
        return struct.pack("<II", len(enc), nxt) + bytes(4)
