#include "factory/passwordentry.h"

#include "codeplug/passwordblock.h"
#include "text/codepage.h"

namespace t880 {

namespace {

const QString kAccessCode = QStringLiteral("qhvm47");

} // namespace

std::optional<QByteArray> passwordBytes(const QString &typed)
{
    const std::optional<QByteArray> bytes = text::encodeGbk(typed);
    if (!bytes || bytes->size() > MaxPasswordLength)
        return std::nullopt;
    return bytes;
}

bool passwordsMatch(const QString &entry, const QString &confirmation)
{
    return entry.size() == confirmation.size() &&
           QString::compare(entry, confirmation, Qt::CaseSensitive) == 0;
}

bool accessCodeMatches(const QString &entry)
{
    return QString::compare(entry, kAccessCode, Qt::CaseSensitive) == 0;
}

} // namespace t880
