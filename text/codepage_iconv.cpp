// GBK and Big5 through iconv, where the C library has it.
#include "text/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace t880::text {

namespace {

struct IconvCloser
{
    void operator()(void *cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openConverter(const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return IconvHandle(cd);
}

QString decode(const QByteArray &bytes, const char *charset)
{
    IconvHandle cd = openConverter("UTF-8", charset);
    if (!cd)
        return QString::fromLatin1(bytes);
    QByteArray out;
    out.reserve(bytes.size() * 3 + 3);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char buffer[256];
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, int(outPtr - buffer));
        if (rc == size_t(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: mark it and resynchronise.
            out.append("\xEF\xBF\xBD");
            ++in;
            --inLeft;
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return QString::fromUtf8(out);
}

std::optional<QByteArray> encode(const QString &text, const char *charset)
{
    IconvHandle cd = openConverter(charset, "UTF-8");
    if (!cd)
        return std::nullopt;
    QByteArray utf8 = text.toUtf8();
    char *in = utf8.data();
    size_t inLeft = size_t(utf8.size());
    QByteArray out(utf8.size() * 2 + 4, '\0');
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    if (iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft) == size_t(-1))
        return std::nullopt;
    out.truncate(int(outPtr - out.data()));
    return out;
}

} // namespace

QString decodeGbk(const QByteArray &bytes)
{
    return decode(bytes, "GBK");
}

QString decodeBig5(const QByteArray &bytes)
{
    return decode(bytes, "BIG5");
}

std::optional<QByteArray> encodeGbk(const QString &text)
{
    return encode(text, "GBK");
}

std::optional<QByteArray> encodeBig5(const QString &text)
{
    return encode(text, "BIG5");
}

} // namespace t880::text
