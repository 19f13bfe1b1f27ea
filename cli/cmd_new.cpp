// t880 new FILE: writes a file with the defaults of File/New.
#include "cli/command.h"

#include "cli/transferrun.h"
#include "codeplug/channelplan.h"
#include "codeplug/codeplugfile.h"
#include "codeplug/tonecodec.h"
#include "factory/calibrationfile.h"
#include "link/programstate.h"

#include <QFileInfo>

namespace t880::cli {

namespace {

struct DemoChannel
{
    std::uint32_t rx;
    std::uint32_t tx;
    Tone decode;
    Tone encode;
    bool high;
    bool wide;
    int busyLock;
    bool scan;
    const char *name;
};

// Channels a newcomer recognises: tones of every kind (none, CTCSS, DCS
// normal and inverted, mixed), split and receive-only channels, both powers
// and bandwidths.
void fillDemoCodeplug(CodeplugData &cp)
{
    constexpr std::uint16_t Dcs = 0x2800;
    const DemoChannel channels[] = {
        {438500000, 438500000, {1, 885}, {1, 885}, true, true, 0, true, "RPT1"},
        {439250000, 431650000, {2, Dcs + 023}, {2, Dcs + 023}, true, true, 0, true, "RPT2"},
        {440000000, 440000000, {1, 1000}, {3, Dcs + 0754}, true, false, 2, true, "MIX"},
        {446006250, 446006250, {0, 0}, {0, 0}, false, false, 0, true, "PMR1"},
        {446093750, 446093750, {1, 670}, {0, 0}, false, false, 0, false, "PMR8"},
        {462562500, 467562500, {1, 1318}, {1, 1318}, true, true, 2, true, "SITE"},
        {433000000, 0, {0, 0}, {0, 0}, false, false, 0, false, "RXONLY"},
        {409750000, 409750000, {3, Dcs + 0125}, {3, Dcs + 0125}, true, false, 0, true, "WORK"},
    };
    int n = 1;
    for (const DemoChannel &d : channels) {
        cp.enterChannelFrequency(n, d.rx);
        ChannelRecord ch = cp.channel(n);
        ch.setTxFreq(d.tx);
        ch.setRxToneWithSquelchRule(d.decode);
        ch.setTxTone(d.encode);
        ch.setHighPower(d.high);
        ch.setWide(d.wide);
        ch.setBusyLock(d.busyLock);
        ch.setScanAdd(d.scan);
        ch.setName(QByteArray(d.name));
        cp.setChannel(n, ch);
        ++n;
    }
}

// The plan must lie within the band: its frequencies are not clamped onto
// another. Returns -1 to go on, else the exit code.
int checkPlanBand(const plans::Plan &plan, const QString &bandText, Context &ctx)
{
    const AppConfig &config = commandLineConfig();
    std::vector<plans::BandRange> bands;
    for (const BandLimits &b : config.bands)
        bands.emplace_back(b.min, b.max);
    int index = config.selectedBand >= 0 && config.selectedBand < AppConfig::Bands
                    ? config.selectedBand
                    : 0;
    if (!bandText.isEmpty()) {
        bool ok = false;
        const int n = bandText.toInt(&ok);
        if (!ok || n < 1 || n > AppConfig::Bands)
            return fail(ctx,
                        QStringLiteral("--band takes a number 1..%1, not '%2'")
                            .arg(AppConfig::Bands)
                            .arg(bandText),
                        ExitUsage);
        index = n - 1;
    }
    const plans::BandRange &active = bands[std::size_t(index)];
    if (plan.fits(active.first, active.second))
        return -1;
    const auto bandName = [&bands](int i) {
        return QStringLiteral("band %1 (%2-%3 MHz)")
            .arg(i + 1)
            .arg(codec::formatFrequency(bands[std::size_t(i)].first),
                 codec::formatFrequency(bands[std::size_t(i)].second));
    };
    const std::optional<int> holder = plans::firstBandHolding(plan, bands);
    const QString where = QStringLiteral("%1 (%2) lies outside %3")
                              .arg(plan.name, plans::spanText(plan), bandName(index));
    if (!holder)
        return fail(ctx, where + QStringLiteral(", and no band of the configuration holds it"),
                    ExitUsage);
    return fail(
        ctx,
        where +
            QStringLiteral("; %1 holds it: give --band %2").arg(bandName(*holder)).arg(*holder + 1),
        ExitUsage);
}

} // namespace

int runNew(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a new codeplug with the defaults of File/New (with --plan, the "
                       "channels of a channel plan), or, for a FILE ending in .kzxa, a "
                       "calibration file with the factory defaults. A FILE without extension "
                       "gets .Kzx."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to write."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace FILE if it exists."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("A codeplug with sample channels and tones of every kind, for trying the "
                       "program without a radio."));
    const QCommandLineOption plan(
        QStringLiteral("plan"),
        QStringLiteral("A codeplug with the channels of a built-in channel plan (see 't880 "
                       "plans')."),
        QStringLiteral("NAME"));
    const QCommandLineOption band(
        QStringLiteral("band"),
        QStringLiteral("With --plan: the frequency band (1..6 of the configuration's band "
                       "table) the plan must lie in; the configuration's chosen band by default."),
        QStringLiteral("N"));
    parser.addOptions({force, demo, plan, band});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    std::optional<plans::Plan> chosen;
    if (parser.isSet(plan)) {
        chosen = plans::find(parser.value(plan));
        if (!chosen)
            return fail(ctx,
                        QStringLiteral("unknown channel plan '%1' ('t880 plans' lists them)")
                            .arg(parser.value(plan)),
                        ExitUsage);
        if (parser.isSet(demo))
            return fail(ctx, QStringLiteral("give --demo or --plan, not both"), ExitUsage);
        if (int rc =
                checkPlanBand(*chosen, parser.isSet(band) ? parser.value(band) : QString(), ctx);
            rc >= 0)
            return rc;
    } else if (parser.isSet(band)) {
        return fail(ctx, QStringLiteral("--band goes with --plan"), ExitUsage);
    }

    QString path = parser.positionalArguments().first();
    path = withDefaultSuffix(path, codeplugfile::Suffix);
    // --force replaces a file, never a folder or a device: say so at once.
    const FileResult target = checkWritableTarget(path);
    if (target.error == FileError::IsFolder || target.error == FileError::NotRegular)
        return fail(ctx, describeFileResult(target, path, 0));
    if (QFileInfo::exists(path) && !parser.isSet(force))
        return fail(ctx, QStringLiteral("%1 exists; use --force to replace it").arg(path));

    ProgramState state;
    if (parser.isSet(demo)) {
        if (fileKind(path) == FileKind::Calibration)
            return fail(ctx, QStringLiteral("--demo makes a codeplug, not a calibration file"),
                        ExitUsage);
        fillDemoCodeplug(state.codeplug);
    }
    if (chosen) {
        if (fileKind(path) == FileKind::Calibration)
            return fail(ctx, QStringLiteral("--plan makes a codeplug, not a calibration file"),
                        ExitUsage);
        plans::apply(*chosen, state.codeplug);
    }
    const FileResult result = fileKind(path) == FileKind::Calibration
                                  ? calibrationfile::save(path, state.calibration)
                                  : codeplugfile::save(path, state.codeplug);
    if (!result.ok())
        return fail(ctx, describeFileResult(result, path, 0));
    ctx.out << "Wrote " << path << Qt::endl;
    return ExitOk;
}

} // namespace t880::cli
