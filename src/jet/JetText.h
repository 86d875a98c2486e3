#pragma once

#include "jet/JetBytes.h"

#include <QString>

namespace JetText {

// A stored two-byte text: plain UTF-16LE, or the compressed form that starts with FF FE, in
// which one byte stands for a character below U+0100 and a 0 byte switches between one-byte
// and two-byte characters. Characters outside the BMP stay as their surrogate pairs.
QString decode(const JetBytes &bytes);

// The 128-byte header block at 0x18 is scrambled with RC4 under a fixed key.
QByteArray rc4(QByteArrayView key, QByteArrayView data);

} // namespace JetText
