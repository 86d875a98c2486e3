#include "platform/TextFile.h"

#include <QStringDecoder>

DecodedText decodeText(const QByteArray &bytes)
{
    DecodedText out;
    if (const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);
        out.text = decoder.decode(bytes);
        out.encoding = QString::fromLatin1(QStringConverter::nameForEncoding(*bom));
        return out;
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    out.text = utf8.decode(bytes);
    out.encoding = QStringLiteral("UTF-8");
    if (!utf8.hasError())
        return out;
    // Never "CP950": ICU gives that name another table.
    QStringDecoder big5("Big5", QStringConverter::Flag::Stateless);
    out.text = big5.decode(bytes);
    out.encoding = QStringLiteral("Big5");
    for (const QChar c : std::as_const(out.text))
        if (c == QChar::ReplacementCharacter || (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF))
            ++out.unknownCharacters;
    if (big5.hasError())
        ++out.unknownCharacters;
    return out;
}
