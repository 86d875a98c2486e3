#pragma once

#include "jet/JetError.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstring>

// Little-endian reads from a piece of the file. Every read is checked against the piece's
// length, so a lying offset or length ends in a JetError and never outside the data.
class JetBytes
{
public:
    JetBytes() = default;
    explicit JetBytes(QByteArrayView data)
        : m_data(data)
    {
    }

    qsizetype size() const { return m_data.size(); }
    QByteArrayView view() const { return m_data; }

    // The piece [offset, offset + length); throws when it does not lie inside.
    JetBytes sub(qint64 offset, qint64 length) const
    {
        check(offset, length);
        return JetBytes(m_data.sliced(offset, length));
    }

    std::uint8_t u8(qint64 offset) const { return static_cast<std::uint8_t>(at(offset, 1)[0]); }
    std::uint16_t u16(qint64 offset) const { return static_cast<std::uint16_t>(le(offset, 2)); }
    std::uint32_t u24(qint64 offset) const { return static_cast<std::uint32_t>(le(offset, 3)); }
    std::uint32_t u32(qint64 offset) const { return static_cast<std::uint32_t>(le(offset, 4)); }
    std::int16_t i16(qint64 offset) const { return static_cast<std::int16_t>(u16(offset)); }
    std::int32_t i32(qint64 offset) const { return static_cast<std::int32_t>(u32(offset)); }
    std::int64_t i64(qint64 offset) const { return static_cast<std::int64_t>(le(offset, 8)); }
    double f64(qint64 offset) const
    {
        const std::uint64_t bits = le(offset, 8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    float f32(qint64 offset) const
    {
        const std::uint32_t bits = u32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    void check(qint64 offset, qint64 length) const
    {
        if (offset < 0 || length < 0 || offset > m_data.size() || length > m_data.size() - offset)
            throw JetError(QStringLiteral("舊帳本檔已經損壞：資料指到檔案範圍以外。"));
    }
    const char *at(qint64 offset, qint64 length) const
    {
        check(offset, length);
        return m_data.data() + offset;
    }
    std::uint64_t le(qint64 offset, int length) const
    {
        const char *p = at(offset, length);
        std::uint64_t value = 0;
        for (int i = length - 1; i >= 0; --i)
            value = (value << 8) | static_cast<std::uint8_t>(p[i]);
        return value;
    }

    QByteArrayView m_data;
};
