#!/usr/bin/env python3
# Old household ledgers in the Jet 4 format, for the import tests.
#
#     write_case(path, ledger_layout(entries=1000, years=[2023, 2024, 2025], seed=1, ...))
#
# writes `path` with the four tables data_main, kind, data_note and inout, and
# beside it `path + ".json"`: exactly the values written, in the form that
# jet4.write_mdb takes ({"tables": [...], "options": {...}}), so a test can
# compare what a reader brings back with what went in, never with the writer's
# own reading.  The entries look like a family's: Chinese descriptions, quotes,
# percent signs, emoji outside the BMP, now and then a long memo, amounts with
# cents or as Currency, and a note on some days.
#
# Command line (the benchmark writes its old ledger so):
#     python3 ledger_jet.py OUT.mdb --entries 1000 --years 2023,2024,2025 --seed 1

import json
import random
import sys
from datetime import date
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import jet4  # noqa: E402

# The kinds, those used mostly for spending first, then those for income (薪水 on).
KINDS = [(name, int(n >= 14)) for n, name in enumerate(
    "早餐 午餐 晚餐 交通 日用品 水電瓦斯 電話網路 醫療 教育 娛樂 服飾 房租 保險 紅包禮金 "
    "薪水 獎金 利息 雜項收入".split())]
WORDS = {
    0: ["便當", "牛肉麵", "捷運儲值", "加油", "衛生紙", "洗衣精", "電費", "水費", "手機月租",
        "掛號費", "補習費", "電影票", "外套", "房租", "機車保險", "喜宴紅包", "全聯", "7-11 咖啡",
        "夜市小吃", "高鐵 台北→台中", "書店「三民」", "藥局", "早餐店 蛋餅"],
    1: ["一月薪水", "年終獎金", "定存利息", "二手拍賣", "發票中獎", "兼職稿費", "退稅"],
}
DECOR = ["", "", "", "", " 😀", " 🍜", " 🚇", "（打 8折）", " 100%", " 'sale'", ' "特價"',
         "～", " 50% off", " 𠀋", " ½"]
NOTES = ["", "", "", "", "", "刷卡", "現金", "悠遊卡", "和朋友分攤", "發票 AB-12345678",
         "公司報帳 'Q3'", '老闆說 "下次再來"', "折扣 10%", "🎉 生日", "分三期"]
DAY_NOTES = ["今天下雨。", "搬家第一天 📦", "爸媽來訪，吃了火鍋 🍲", '記得繳 "信用卡"',
             "發票對獎：中了 200 元 💰", "公司聚餐 100% 出席", "颱風假 🌀", "換季整理衣櫃"]


def columns(listing):
    # Columns written as "name:type[:size]", one a word; the amount and the order have the
    # places of a Decimal, which the other types ignore.
    out = []
    for word in listing.split():
        name, ctype, *size = word.split(":")
        out.append(dict({"name": name, "type": ctype}, **({"size": int(size[0])} if size else {}),
                        **({"precision": 18, "scale": 4} if name in ("a_count", "key_order") else {})))
    return out


def long_memo(rnd, size):
    base = "這是一段很長的備註，記下當天的細節：購買項目、價格比較、和店家的對話 😀。"
    text = (base * (size // len(base) + 1))[:size]
    return text + " 結束 %d" % rnd.randrange(1000)


def ledger_layout(entries=1000, years=(2023, 2024, 2025), seed=1, amount="double",
                memo_overflow=False, long_memos=True, moved=0, order="double"):
    rnd = random.Random(seed)
    # A ledger edited over the years: `moved` percent of its entries grew too long for
    # their page and were moved (a third of them twice), and as many more were moved
    # and later deleted.
    shifted = entries * moved // 100
    gone = shifted // 3
    entries += gone
    kinds = [[i, name, {"double": float(i), "decimal": "%d" % i}.get(order, i)]
             for i, (name, _) in enumerate(KINDS, start=1)]
    span = range(date(min(years), 1, 1).toordinal(), date(max(years) + 1, 1, 1).toordinal())
    days = [d for d in map(date.fromordinal, span) if d.year in years]
    chosen = sorted(rnd.choice(days) for _ in range(entries))
    rows, key = [], 0
    for n, day in enumerate(chosen):
        key += 1 if rnd.random() < 0.9 else rnd.randint(2, 5)  # gaps of deleted entries
        kind_id, (kind_name, inout) = rnd.choice(list(enumerate(KINDS, start=1)))
        content = rnd.choice(WORDS[inout]) + rnd.choice(DECOR)
        cents = rnd.randint(1000, 80000) * 100 if inout == 1 else rnd.choice(
            [rnd.randint(10, 500) * 100, rnd.randint(1, 300000), rnd.randint(1, 9999) * 100 + 50])
        if amount in ("currency", "decimal"):
            value = "%d.%02d" % (cents // 100, cents % 100)
            if n % 97 == 0:
                value = "%d.%04d" % (cents // 100, rnd.randint(0, 9999))
            if amount == "decimal" and n % 89 == 5:
                value = "-" + value        # a refund
        elif amount == "single":
            # As typed into a Single field: at most 7 significant digits, so the float
            # stored reads back as the decimal typed.
            value = round((cents % 10 ** 7) / 100, 2)
        else:
            value = cents / 300 if n % 101 == 0 else cents / 100     # now and then a third: many digits
        note = rnd.choice(NOTES)
        if long_memos and n % 53 == 7:
            note = long_memo(rnd, rnd.choice([300, 1500, 6000]))
        # Now and then the stored kind name is from before a rename.
        stored_name = kind_name if n % 37 else kind_name + "（舊）"
        rows.append([day.isoformat(), kind_id, inout, content, value, note, key, stored_name])
    moved_rows, gone_rows = [], []
    if moved:
        dropped = set(rnd.sample(range(len(rows)), gone))
        gone_rows = [r for i, r in enumerate(rows) if i in dropped]
        rows = [r for i, r in enumerate(rows) if i not in dropped]
        moved_rows = rnd.sample(range(len(rows)), shifted)
        for i in moved_rows:
            rows[i][5] = (rows[i][5] or "") + "（後來補記：" + "發票已對過，金額無誤。" * rnd.randint(1, 4) + "）"
    notes = []
    for day in sorted(set(chosen)):
        if rnd.random() < 0.1:
            text = rnd.choice(DAY_NOTES)
            if long_memos and rnd.random() < 0.1:
                text = long_memo(rnd, rnd.choice([800, 2500]))
            notes.append([day.isoformat(), text])
    tables = [{"name": "data_main", "rows": rows, "columns": columns(
                  "a_date:datetime a_kind:long a_inout:int a_content:text:255 a_count:%s a_note:memo a_key:long "
                  "a_kind_name:text:50" % amount)},
              {"name": "kind", "rows": kinds, "columns": columns("a_kind:autonumber name:text:50 key_order:" + order)},
              {"name": "data_note", "rows": notes, "columns": columns("a_date:datetime a_note:memo")},
              {"name": "inout", "rows": [[0, "支出"], [1, "收入"]], "columns": columns("inout:int text:text:50")}]
    if moved:
        tables[0]["moved_rows"] = sorted(moved_rows[len(moved_rows) // 3:])
        tables[0]["moved_twice"] = sorted(moved_rows[:len(moved_rows) // 3])
        tables[0]["moved_deleted_rows"] = gone_rows
        tables[1]["moved_rows"] = [4]
        tables[2]["moved_twice"] = [0] if notes else []
        tables[2]["moved_rows"] = [len(notes) - 1] if len(notes) > 1 else []
    return {"tables": tables, "options": {"memo_overflow": True} if memo_overflow else {}}


def write_case(path, layout, **extra):
    # Writes the file and its JSON (the layout, plus any extra keys).
    order = jet4.write_mdb(str(path), layout["tables"], layout.get("options"))
    doc = dict(layout)
    # Where rows moved, a plain scan of the pages meets them in another order.
    doc["tables"] = [dict(t, scan_order=order[t["name"]]) if t.get("moved_rows") or t.get("moved_twice")
                     else t for t in layout["tables"]]
    doc.update(extra)
    with open(str(path) + ".json", "w", encoding="utf-8") as fh:
        json.dump(doc, fh, ensure_ascii=False, indent=1)


def main(argv):
    # OUT.mdb, then any of --entries N, --years Y,Y,... and --seed S
    given = dict(zip(argv[1::2], argv[2::2]))
    years = [int(y) for y in given.get("--years", "2023,2024,2025").split(",")]
    write_case(argv[0], ledger_layout(int(given.get("--entries", 1000)), years, int(given.get("--seed", 1))))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
