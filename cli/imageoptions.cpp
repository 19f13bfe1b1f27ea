#include "cli/imageoptions.h"

#include <QDate>
#include <QStringList>
#include <QTime>

namespace t880::cli {

namespace {

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

} // namespace

std::optional<RadioKind> takeRadioKind(const QCommandLineParser &parser,
                                       const QCommandLineOption &option, bool allowLegacy,
                                       bool required, Context &ctx)
{
    if (!parser.isSet(option)) {
        if (!required)
            return RadioKind::S;
        fail(ctx, QStringLiteral("missing --variant S|Y|legacy"), ExitUsage);
        return std::nullopt;
    }
    const auto kind = parseRadioKind(parser.value(option), allowLegacy);
    if (!kind)
        fail(ctx,
             QStringLiteral("--variant must be %1, not '%2'")
                 .arg(allowLegacy ? QStringLiteral("S, Y or legacy") : QStringLiteral("S or Y"),
                      parser.value(option)),
             ExitUsage);
    return kind;
}

std::optional<ProgramDate> parseProgramDate(const QString &text)
{
    // The radio keeps plain calendar fields; reading them without a time zone
    // keeps a wall-clock time inside a daylight-saving gap valid.
    const QStringList parts = text.split(u'T');
    if (parts.size() != 2)
        return std::nullopt;
    const QDate date = QDate::fromString(parts[0], QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(parts[1], QStringLiteral("HH:mm"));
    if (!date.isValid() || !time.isValid() || date.year() < 1 || date.year() > 0xFFFF)
        return std::nullopt;
    return ProgramDate{std::uint16_t(date.year()), std::uint8_t(date.month()),
                       std::uint8_t(date.day()), std::uint8_t(time.hour()),
                       std::uint8_t(time.minute())};
}

} // namespace t880::cli
