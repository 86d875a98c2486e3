#pragma once

#include <QString>
#include <QVector>

class QFile;

// The summary kinds: the kinds whose expense a range query reports one by one. They are
// kept in SKinds.txt, one line of kind ids joined by ",", and loaded into SKinds.
namespace database_access {

// Every id of the file's line, in order, a piece that reads as 0 included as 0.
extern QVector<qint64> SKinds;
// The file's name, in the working directory unless a folder is given.
extern QString SKinds_File;

// Fills SKinds from SKinds_File, written in UTF-8 or, with or without its byte-order mark, in
// UTF-16. Never fails: a missing or unreadable file gives no summary kinds, and a piece that
// cannot be read ends the list there. Returns, in Chinese, why a file that is there gave
// nothing (not a regular file, cannot be opened); empty when it was read or is missing.
QString Load_SKinds();

// Opens SKinds_File for reading without ever waiting: only a regular file is opened, since a
// FIFO or a device of that name could hold the program up for good. why says what failed.
enum class SummaryFileOpen { Opened, Missing, NotRegular, Failed };
SummaryFileOpen Open_SKinds_File(QFile &file, QString *why = nullptr);

// Replaces the whole file with line and a line end. Writes a temporary file beside it and
// renames it over the old one, so a failure leaves the old file whole. Throws StoreError
// when the file cannot be written. Does not touch SKinds.
void Save_SKinds(const QString &line);

// The ids that count as summary kinds: SKinds up to, not including, the first 0.
QVector<qint64> SKinds_List();

// The file's line for these ids: each id in order, joined by ",".
QString SKinds_Line(const QVector<qint64> &ids);

// Makes a kind a summary kind: it goes first, the summary kinds of SKinds_List after it in
// their order, and the file is written and SKinds loaded again. False, and nothing written,
// when the id is in SKinds already (after a 0 too: the kind manager lists those as well).
// Throws StoreError when the file cannot be written; the old file and SKinds then stay.
bool Add_Summary_Kind(qint64 id);

// Takes a kind out of the summary kinds: the file is written with the rest of SKinds_List, in
// their order, and SKinds loaded again. A single id left is written framed by blanks, as the
// file has always had it. Throws StoreError when the file cannot be written; the old file and
// SKinds then stay.
void Remove_Summary_Kind(qint64 id);

// Reads one line of the file's format into ids (the rules of Load_SKinds).
QVector<qint64> Parse_SKinds_Line(const QString &line);

// The last line of a file's content, the only one that counts. The content is UTF-8, or
// UTF-16 when it starts with that byte-order mark or its every other byte is zero.
QString Last_SKinds_Line(const QByteArray &content);

} // namespace database_access
