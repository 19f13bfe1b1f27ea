// A channel's name: six bytes of the codeplug's double-byte code page (GBK),
// where a Chinese character takes two bytes. The grid's name column, paste
// and import all store names through these rules.
#pragma once

#include "codeplug/channeledit.h"

#include <QByteArray>
#include <QString>

namespace t880::channeledit {

/// What a text becomes in the name field.
struct NameBytes
{
    QByteArray bytes;      ///< at most ChannelRecord::NameSize bytes
    bool cut = false;      ///< characters after the sixth byte were left out
    bool replaced = false; ///< a character without a code (or a control) became '?'
};

/// The name as the user reads it.
QString nameText(const ChannelRecord &record);

/// Encodes \a text for the name field: characters the code page lacks and
/// control characters become '?', and the text is cut after the last whole
/// character that fits in six bytes.
NameBytes encodeName(const QString &text);

/// The longest start of \a text whose code-page bytes fit the field, for the
/// editor to refuse a character that would not fit.
QString fitNameText(const QString &text);

/// Stores a name into channel \a n (cut and replaced as encodeName does).
/// Refused for a channel not in use.
EditResult commitName(CodeplugData &codeplug, int n, const QString &text);

} // namespace t880::channeledit
