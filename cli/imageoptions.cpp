#include "cli/imageoptions.h"

#include <QDateTime>

namespace t880::cli {

std::optional<RadioKind> parseRadioKind(const QString &text, bool allowLegacy)
{
    const QString t = text.toLower();
    if (t == QLatin1String("s"))
        return RadioKind::S;
    if (t == QLatin1String("y"))
        return RadioKind::Y;
    if (allowLegacy && t == QLatin1String("legacy"))
        return RadioKind::Legacy;
    return std::nullopt;
}

std::optional<ProgramDate> parseProgramDate(const QString &text)
{
    const QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm"));
    if (!dt.isValid())
        return std::nullopt;
    return ProgramDate{std::uint16_t(dt.date().year()), std::uint8_t(dt.date().month()),
                       std::uint8_t(dt.date().day()), std::uint8_t(dt.time().hour()),
                       std::uint8_t(dt.time().minute())};
}

} // namespace t880::cli
