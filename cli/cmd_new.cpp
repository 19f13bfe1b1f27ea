// t880 new FILE: writes a file with the defaults of File/New.
#include "cli/command.h"

#include "codeplug/codeplugfile.h"
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

} // namespace

int runNew(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a new codeplug with the defaults of File/New, or, for a FILE "
                       "ending in .kzxa, a calibration file with the factory defaults. A FILE "
                       "without extension gets .Kzx."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to write."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace FILE if it exists."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("A codeplug with sample channels and tones of every kind, for trying the "
                       "program without a radio."));
    parser.addOptions({force, demo});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

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
    const FileResult result = fileKind(path) == FileKind::Calibration
                                  ? calibrationfile::save(path, state.calibration)
                                  : codeplugfile::save(path, state.codeplug);
    if (!result.ok())
        return fail(ctx, describeFileResult(result, path, 0));
    ctx.out << "Wrote " << path << Qt::endl;
    return ExitOk;
}

} // namespace t880::cli
