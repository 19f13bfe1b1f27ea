// GBK and Big5 through the system's own code pages 936 and 950.
#include "text/codepage.h"

#include <windows.h>

namespace t880::text {

namespace {

constexpr UINT kGbk = 936;
constexpr UINT kBig5 = 950;

// One character at a time, as iconv does: a byte that begins no valid
// character becomes U+FFFD, and decoding goes on with the next byte.
QString decode(const QByteArray &bytes, UINT codePage)
{
    QString out;
    out.reserve(bytes.size());
    const char *p = bytes.constData();
    const int size = int(bytes.size());
    int i = 0;
    while (i < size) {
        const auto byte = static_cast<unsigned char>(p[i]);
        if (byte < 0x80) {
            out += QChar(byte);
            ++i;
            continue;
        }
        const int length = IsDBCSLeadByteEx(codePage, byte) && i + 1 < size ? 2 : 1;
        wchar_t unit[2] = {};
        const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, p + i, length, unit, 2);
        if (n <= 0) {
            out += QChar(0xFFFD);
            ++i;
            continue;
        }
        out += QString::fromWCharArray(unit, n);
        i += length;
    }
    return out;
}

std::optional<QByteArray> encode(const QString &text, UINT codePage)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), n, nullptr,
                        &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return out;
}

} // namespace

QString decodeGbk(const QByteArray &bytes)
{
    return decode(bytes, kGbk);
}

QString decodeBig5(const QByteArray &bytes)
{
    return decode(bytes, kBig5);
}

std::optional<QByteArray> encodeGbk(const QString &text)
{
    return encode(text, kGbk);
}

std::optional<QByteArray> encodeBig5(const QString &text)
{
    return encode(text, kBig5);
}

} // namespace t880::text
