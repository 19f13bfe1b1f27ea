#include "codeplug/channelname.h"

#include "text/codepage.h"

namespace t880::channeledit {

namespace {

// The code-page bytes of one character (a surrogate pair counts as one), or
// '?' when it has none: a name never loses its length to a character the
// radio cannot show.
QByteArray characterBytes(const QString &ch, bool &replaced)
{
    if (ch.size() == 1 && ch[0].unicode() < 0x20) {
        replaced = true;
        return QByteArray("?");
    }
    if (ch.size() == 1 && ch[0].unicode() == 0x7F) {
        replaced = true;
        return QByteArray("?");
    }
    const std::optional<QByteArray> b = text::encodeGbk(ch);
    if (!b || b->isEmpty() || b->contains('\0')) {
        replaced = true;
        return QByteArray("?");
    }
    return *b;
}

} // namespace

QString nameText(const ChannelRecord &record)
{
    return text::decodeGbk(record.name());
}

NameBytes encodeName(const QString &text)
{
    NameBytes out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString ch(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ch += text[++i];
        bool replaced = false;
        const QByteArray b = characterBytes(ch, replaced);
        if (out.bytes.size() + b.size() > ChannelRecord::NameSize) {
            out.cut = true;
            break;
        }
        out.bytes += b;
        out.replaced = out.replaced || replaced;
    }
    return out;
}

QString fitNameText(const QString &text)
{
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        bool replaced = false;
        bytes += int(characterBytes(text.mid(i, len), replaced).size());
        if (bytes > ChannelRecord::NameSize)
            return text.left(i);
        i += len - 1;
    }
    return text;
}

EditResult commitName(CodeplugData &codeplug, int n, const QString &text)
{
    if (n < 1 || n > CodeplugData::Channels || !codeplug.isChannelUsed(n))
        return EditResult::Refused;
    ChannelRecord r = codeplug.channel(n);
    r.setName(encodeName(text).bytes);
    codeplug.setChannel(n, r);
    return EditResult::Stored;
}

} // namespace t880::channeledit
