// Prints, as JSON, what the npm package mdb-reader reads from an Access file:
// the password, every user table's columns, stored row count and rows.
// Usage: node mdb_reader_dump.mjs FILE.mdb MDB_READER_DIR
import { readFileSync } from "fs";
import { pathToFileURL } from "url";
import { join } from "path";

const [file, dir] = process.argv.slice(2);
const { default: MDBReader } = await import(
  pathToFileURL(join(dir, "lib", "node", "index.js")).href);
const reader = new MDBReader(readFileSync(file));
const out = { password: reader.getPassword(), tables: {} };
const plain = (v) => {
  if (v instanceof Date) return { date: v.toISOString() };
  if (typeof v === "number") return { num: v, bits: Buffer.from(new Float64Array([v]).buffer).toString("hex") };
  return v;
};
for (const name of reader.getTableNames()) {
  const t = reader.getTable(name);
  out.tables[name] = {
    rowCount: t.rowCount,
    columns: t.getColumns().map((c) => ({ name: c.name, type: c.type })),
    rows: t.getData().map((r) => t.getColumnNames().map((c) => plain(r[c]))),
  };
}
process.stdout.write(JSON.stringify(out));
