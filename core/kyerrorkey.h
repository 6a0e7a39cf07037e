#pragma once

#include <QHashFunctions>
#include <QtGlobal>

#include <array>

// Identifies an instrument error: kind (8 bits), category (8 bits), detail (16 bits). Keys are equal
// when their packed values are; the packed value is also the hash.
class KyErrorKey
{
public:
    KyErrorKey(unsigned int inKind, unsigned int inCategory, unsigned int inDetail)
        : kind(inKind & 0xFFu), category(inCategory & 0xFFu), detail(inDetail & 0xFFFFu)
    {
    }

    // From the imaging unit's 8-byte device error record (the instrument's
    // KyCommand::DeviceErrorRecord): kind is byte 0, category byte 3 (the high byte of the word at
    // bytes 2-3), detail bytes 6-7 (the high half of the little-endian word at bytes 4-7).
    explicit KyErrorKey(const std::array<quint8, 8> &inRecord)
        : KyErrorKey(inRecord[0], inRecord[3], unsigned(inRecord[6]) | (unsigned(inRecord[7]) << 8))
    {
    }

    unsigned int kindValue() const { return kind; }
    unsigned int categoryValue() const { return category; }
    unsigned int detailValue() const { return detail; }

    quint32 packed() const { return (quint32(kind) << 24) + (quint32(category) << 16) + quint32(detail); }

    bool operator==(const KyErrorKey &inOther) const { return packed() == inOther.packed(); }

private:
    unsigned int kind;
    unsigned int category;
    unsigned int detail;
};

inline size_t qHash(const KyErrorKey &inKey, size_t inSeed = 0) noexcept
{
    return qHash(inKey.packed(), inSeed);
}
