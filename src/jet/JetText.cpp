#include "jet/JetText.h"

#include <array>

namespace JetText {

QString decode(const JetBytes &bytes)
{
    const QByteArrayView data = bytes.view();
    const auto byteAt = [&](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    QString out;
    if (data.size() >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
        out.reserve(data.size());
        bool narrow = true;
        qsizetype i = 2;
        while (i < data.size()) {
            if (byteAt(i) == 0) {
                narrow = !narrow;
                ++i;
            } else if (narrow) {
                out.append(QChar(byteAt(i)));
                ++i;
            } else {
                if (i + 1 >= data.size())
                    throw JetError(QStringLiteral("舊帳本檔已經損壞：一段文字少了半個字。"));
                out.append(QChar(static_cast<char16_t>(byteAt(i) | (byteAt(i + 1) << 8))));
                i += 2;
            }
        }
        return out;
    }
    if (data.size() % 2 != 0)
        throw JetError(QStringLiteral("舊帳本檔已經損壞：一段文字少了半個字。"));
    out.resize(data.size() / 2);
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = QChar(static_cast<char16_t>(byteAt(2 * i) | (byteAt(2 * i + 1) << 8)));
    return out;
}

QByteArray rc4(QByteArrayView key, QByteArrayView data)
{
    std::array<unsigned char, 256> s {};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    unsigned j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data.size(), '\0');
    unsigned i = 0;
    j = 0;
    for (qsizetype n = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = static_cast<char>(static_cast<unsigned char>(data[n]) ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

} // namespace JetText
