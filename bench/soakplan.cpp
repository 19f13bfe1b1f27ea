#include "bench/soakplan.h"

#include "codeplug/tonecodec.h"

#include <cmath>

namespace t880::soak {

namespace {

std::uint64_t mix(std::uint64_t x)
{
    // splitmix64: neighbouring transfer numbers get unrelated generators.
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// Rates with five decimals, so that the options printed for a reproduction
// are exactly the ones the transfer ran with.
double rate(Rng &rng, double max)
{
    return std::round(rng.uniform(0, max) * 1e5) / 1e5;
}

QByteArray randomText(Rng &rng, int minLength, int maxLength)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray text;
    const int n = rng.between(minLength, maxLength);
    for (int i = 0; i < n; ++i)
        text += letters[rng.between(0, int(sizeof(letters)) - 2)];
    return text;
}

// A password of the same length that differs in one character: the block
// check cannot turn it away by its length alone.
QByteArray sameLengthOther(Rng &rng, const QByteArray &password)
{
    QByteArray other = password;
    const int i = rng.between(0, int(other.size()) - 1);
    other[i] = other[i] == 'x' ? 'y' : 'x';
    return other;
}

Tone randomTone(Rng &rng)
{
    const int choice = rng.between(0, 9);
    if (choice < 4)
        return {};
    if (choice < 7) {
        const auto &tones = codec::ctcssTones();
        return {1, tones[std::size_t(rng.between(0, int(tones.size()) - 1))]};
    }
    const auto &codes = codec::dcsCodes();
    const std::uint16_t code = codes[std::size_t(rng.between(0, int(codes.size()) - 1))];
    return {std::uint8_t(choice < 9 ? 2 : 3), std::uint16_t(codec::DcsBase + code)};
}

std::uint32_t randomFrequency(Rng &rng)
{
    // Now and then a frequency where the synthesizer needs its reference
    // shifted, so that the spur flags are exercised too.
    static constexpr std::uint32_t spurs[] = {136500000, 409500000, 420875000,
                                              455000000, 466375000, 170625000};
    if (rng.chance(0.05))
        return spurs[rng.between(0, int(std::size(spurs)) - 1)];
    if (rng.chance(0.25))
        return 136000000u + 6250u * std::uint32_t(rng.between(0, (174000000 - 136000000) / 6250));
    return 400000000u + 6250u * std::uint32_t(rng.between(0, (480000000 - 400000000) / 6250));
}

CodeplugData randomCodeplug(Rng &rng, bool legacy)
{
    CodeplugData cp;
    cp.applyNewDefaults();
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (!rng.chance(0.7))
            continue;
        const std::uint32_t rx = randomFrequency(rng);
        cp.enterChannelFrequency(n, rx);
        ChannelRecord ch = cp.channel(n);
        const int txChoice = rng.between(0, 9);
        if (txChoice < 2)
            ch.setTxFreq(0); // receive only
        else if (txChoice < 4)
            ch.setTxFreq(rx >= 410000000 ? rx - 5000000 : rx + 600000);
        ch.setRxTone(randomTone(rng));
        ch.setTxTone(randomTone(rng));
        ch.setSquelchMode(rng.between(0, 4));
        ch.setBusyLock(rng.chance(0.3) ? 2 : 0);
        ch.setHighPower(rng.chance(0.6));
        ch.setWide(rng.chance(0.6));
        ch.setScanAdd(rng.chance(0.5));
        ch.setDtmfFlag(rng.chance(0.2));
        ch.setName(randomText(rng, 0, 6));
        cp.setChannel(n, ch);
    }
    // Values within what the radio's menus offer; an older radio keeps the
    // time-out in steps of 15 s.
    cp.setSetting(Setting::tot, std::uint32_t(15 * rng.between(0, 40)));
    cp.setSetting(Setting::toa, std::uint32_t(rng.between(0, 10)));
    cp.setSetting(Setting::keyPressBeep, std::uint32_t(rng.between(0, 1)));
    cp.setSetting(Setting::batterySave, std::uint32_t(rng.between(0, 1)));
    cp.setSetting(Setting::batterySaveRate, std::uint32_t(rng.between(1, 4)));
    cp.setSetting(Setting::sql, std::uint32_t(rng.between(0, 9)));
    cp.setSetting(Setting::voice, std::uint32_t(rng.between(0, 2)));
    cp.setSetting(Setting::voxGain, std::uint32_t(rng.between(0, 9)));
    cp.setSetting(Setting::voxDelay, std::uint32_t(100 * rng.between(5, 30)));
    static constexpr std::uint32_t keys[] = {0, 2, 3, 24, 25};
    const bool legacyKeys = legacy || rng.chance(0.5);
    cp.setSetting(Setting::key1Short,
                  legacyKeys ? keys[rng.between(0, 4)] : std::uint32_t(rng.between(0, 30)));
    cp.setSetting(Setting::key2Short,
                  legacyKeys ? keys[rng.between(0, 4)] : std::uint32_t(rng.between(0, 30)));
    cp.setText(TextField::deviceSerial, randomText(rng, 0, 8));
    return cp;
}

CalibrationData randomCalibration(Rng &rng)
{
    CalibrationData cal;
    cal.applyCalibrationDefaults();
    const int points = rng.between(2, CalibrationData::Points);
    int mhz = rng.between(380, 420);
    for (int i = 0; i < CalibrationData::Points; ++i) {
        const int base = 7 * i;
        if (i >= points) {
            std::fill_n(&cal.raw[std::size_t(base)], 7, 0);
            continue;
        }
        cal.setU16(base, std::uint16_t(mhz));
        cal.raw[std::size_t(base + 2)] = std::uint8_t(rng.between(20, 120));
        cal.raw[std::size_t(base + 4)] = std::uint8_t(rng.between(5, 60));
        cal.raw[std::size_t(base + 5)] = std::uint8_t(rng.between(0, 15));
        mhz += rng.between(10, 40);
    }
    for (int k = 0; k < CalibrationData::SquelchOffsets; ++k)
        cal.raw[std::size_t(0x64 + k)] = std::uint8_t(std::int8_t(rng.between(-6, 6)));
    for (int offset : {0x37, 0x38, 0x39})
        cal.raw[std::size_t(offset)] = std::uint8_t(rng.between(100, 130));
    cal.raw[0x3A] = std::uint8_t(rng.between(0, 40));
    cal.raw[0x3B] = std::uint8_t(rng.between(0, 80));
    for (int offset : {0x23, 0x25, 0x27})
        cal.setU16(offset, std::uint16_t(rng.between(40, 80)));
    cal.raw[0x44] = std::uint8_t(rng.between(0, 40));
    cal.raw[0x45] = std::uint8_t(rng.between(0, 15));
    return cal;
}

Faults randomFaults(Rng &rng)
{
    Faults f;
    // Some transfers run on a perfect line: they show what the faults cost.
    if (rng.chance(0.15)) {
        f.seed = std::uint32_t(rng.word());
        return f;
    }
    if (rng.chance(0.5))
        f.dropRate = rate(rng, 0.02);
    if (rng.chance(0.5))
        f.corruptRate = rate(rng, 0.02);
    if (rng.chance(0.4))
        f.corruptRequestRate = rate(rng, 0.01);
    f.split = rng.chance(0.5);
    // Every reply later than the host's one-second repetition costs
    // seconds, so only a few transfers get a slow radio.
    if (rng.chance(0.15))
        f.replyDelayMs = rng.between(0, 2000);
    if (rng.chance(0.4))
        f.replyJitterMs = rng.between(0, 300);
    if (rng.chance(0.1))
        f.silentAfter = rng.between(1, 60);
    f.seed = std::uint32_t(rng.word());
    return f;
}

} // namespace

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Read:
        return QStringLiteral("read");
    case Kind::ReadVerify:
        return QStringLiteral("read --verify");
    case Kind::Write:
        return QStringLiteral("write");
    case Kind::CalibrationRead:
        return QStringLiteral("cal read");
    case Kind::CalibrationReadVerify:
        return QStringLiteral("cal read --verify");
    case Kind::CalibrationWrite:
        return QStringLiteral("cal write");
    case Kind::Status:
        return QStringLiteral("status");
    case Kind::SetPassword:
        break;
    }
    return QStringLiteral("set-password");
}

QString variantName(Variant variant)
{
    switch (variant) {
    case Variant::S:
        return QStringLiteral("S");
    case Variant::Y:
        return QStringLiteral("Y");
    case Variant::Legacy:
        break;
    }
    return QStringLiteral("legacy");
}

QStringList Faults::arguments() const
{
    QStringList args{QStringLiteral("--seed"), QString::number(seed)};
    const auto add = [&args](const char *option, double value) {
        if (value > 0)
            args << QLatin1String(option) << QString::number(value, 'g', 8);
    };
    add("--drop-rate", dropRate);
    add("--corrupt-rate", corruptRate);
    add("--corrupt-request-rate", corruptRequestRate);
    add("--reply-delay", replyDelayMs);
    add("--reply-jitter", replyJitterMs);
    if (split)
        args << QStringLiteral("--split");
    if (silentAfter >= 0)
        args << QStringLiteral("--silent-after") << QString::number(silentAfter);
    return args;
}

Plan drawPlan(std::uint64_t runSeed, int index)
{
    Rng rng(mix(runSeed ^ mix(std::uint64_t(index))));
    Plan p;
    p.index = index;
    p.kind = Kind(index % KindCount);
    const bool codeplugKind =
        p.kind == Kind::Read || p.kind == Kind::ReadVerify || p.kind == Kind::Write;
    if (codeplugKind)
        p.variant = Variant(rng.between(0, 2));
    else
        p.variant = rng.chance(0.1) ? Variant::Legacy : rng.chance(0.5) ? Variant::S : Variant::Y;
    p.faults = randomFaults(rng);

    if (!p.legacy() && rng.chance(0.35))
        p.radioPassword = randomText(rng, 1, 12);
    if (p.kind != Kind::Status) {
        if (p.radioPassword.isEmpty()) {
            if (rng.chance(0.2))
                p.hostPassword = randomText(rng, 1, 12); // no password asked: ignored
        } else if (rng.chance(0.12)) {
            p.hostPassword =
                rng.chance(0.5) ? sameLengthOther(rng, p.radioPassword) : randomText(rng, 0, 12);
            if (p.hostPassword == p.radioPassword)
                p.hostPassword.clear();
        } else {
            p.hostPassword = p.radioPassword;
        }
    }
    // A codeplug file carries the password for read and write; the other
    // verbs take it on the command line only.
    p.passwordOnCommandLine = !p.hostPassword.isEmpty() && (!codeplugKind || rng.chance(0.5));

    p.memoryCodeplug = randomCodeplug(rng, p.legacy());
    // The radio's password block is built with the image, from the codeplug.
    p.memoryCodeplug.setText(TextField::newRadioPassword, p.radioPassword);
    p.fileCodeplug = randomCodeplug(rng, p.legacy());
    const QByteArray decoy = rng.chance(0.5) ? randomText(rng, 1, 12) : QByteArray();
    p.fileCodeplug.setText(TextField::radioPassword,
                           p.passwordOnCommandLine ? decoy : p.hostPassword);
    if (p.kind == Kind::Read || p.kind == Kind::ReadVerify)
        p.useBase = rng.chance(0.5) || (!p.hostPassword.isEmpty() && !p.passwordOnCommandLine);
    if (p.kind == Kind::Write) {
        p.writeNewPassword = !p.legacy() && rng.chance(0.25);
        p.newPassword = rng.chance(0.15) ? QByteArray() : randomText(rng, 1, 12);
        p.fileCodeplug.setText(TextField::newRadioPassword, p.newPassword);
        p.fileCodeplug.setSetting(Setting::writeNewPassword, p.writeNewPassword ? 1 : 0);
    }
    if (p.kind == Kind::SetPassword)
        p.newPassword = rng.chance(0.15) ? QByteArray() : randomText(rng, 1, 12);
    p.radioCalibration = randomCalibration(rng);
    p.fileCalibration = randomCalibration(rng);
    p.noiseSeed = rng.word();
    return p;
}

Ending expectedEnding(const Plan &plan)
{
    if (plan.kind == Kind::Status)
        return plan.legacy() ? Ending::CommunicationFalse : Ending::Success;
    if (plan.legacy()) {
        const bool codeplug =
            plan.kind == Kind::Read || plan.kind == Kind::ReadVerify || plan.kind == Kind::Write;
        return codeplug ? Ending::Success : Ending::OldVersion;
    }
    if (!plan.radioPassword.isEmpty() && plan.hostPassword != plan.radioPassword)
        return Ending::PasswordError;
    return Ending::Success;
}

} // namespace t880::soak
