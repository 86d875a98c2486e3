#pragma once

#include <QByteArray>
#include <QString>

// The text of a file people bring in (an e-invoice file, a bank statement), whatever it was saved
// as: a byte-order mark says which; otherwise UTF-8 when the bytes are valid UTF-8, else Big5 (the
// Windows table of Traditional Chinese). The whole file is decoded before it is split, so a Big5
// character whose second byte is "\" or "|" stays whole.
struct DecodedText
{
    QString text;
    QString encoding; // "UTF-8" or "Big5"
    // Characters Big5 does not know (user-defined characters, a cut-off last one), shown as U+FFFD
    // or private-use characters: a file read with the wrong table shows many.
    int unknownCharacters = 0;
};

DecodedText decodeText(const QByteArray &bytes);
