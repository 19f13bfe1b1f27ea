// Shared by the window's end-to-end tests: a radio memory holding a known
// codeplug, a configuration binding COM1 to a virtual radio, and starting it.
#pragma once

#include "radioprocess.h"
#include "testsupport.h"

#include "codeplug/codeplugfile.h"
#include "ui/document.h"

#include <QDir>

namespace t880::testing {

constexpr int kCodeplugArea = 0x4000;
constexpr int kCodeplugAreaSize = 0x170;
constexpr int kDateOffset = 0x150;

/// Memory whose codeplug area holds a codeplug that a clean command-line
/// read makes sense of (channels 1 and 4 in use, TOT 60 s, \a sql), the
/// factory calibration elsewhere.
inline QByteArray radioMemory(const QString &dir, int sql = 5)
{
    const QString file = dir + QStringLiteral("/seed.Kzx");
    const QString image = dir + QStringLiteral("/seed.img");
    runCli({QStringLiteral("new"), QStringLiteral("--force"), file});
    CodeplugData cp;
    codeplugfile::load(file, cp);
    cp.enterChannelFrequency(1, 438500000);
    cp.enterChannelFrequency(4, 446006250);
    cp.setSetting(Setting::tot, 60);
    cp.setSetting(Setting::sql, std::uint32_t(sql));
    codeplugfile::save(file, cp);
    runCli({QStringLiteral("encode"), file, QStringLiteral("--variant"), QStringLiteral("S"),
            QStringLiteral("--date"), QStringLiteral("2026-01-02T03:04"), QStringLiteral("-o"),
            image});
    QByteArray mem(0x10000, '\0');
    mem.replace(kCodeplugArea, kCodeplugAreaSize, readFile(image).left(kCodeplugAreaSize));
    return mem;
}

/// A configuration in \a dir that binds COM1 to \a device, search off,
/// English, plus \a more.
inline void configureWindow(Document &state, const QString &dir, const QString &device,
                            const QString &more = QString())
{
    state.setConfigPath(dir + QStringLiteral("/_config.ini"));
    writeFile(state.configPath(),
              QStringLiteral("[config]\nPort=1\nLanguage=0\nAutoSeachPort=0\n[ports]\nCOM1=%1\n")
                      .arg(device)
                      .toUtf8() +
                  more.toUtf8());
}

/// Starts an S radio on the link \a dir/radio over the memory file
/// \a dir/memory.bin, which gets \a memory first.
inline bool startRadio(VirtualRadioProcess &radio, const QString &dir, const QByteArray &memory,
                       const QStringList &extra = {})
{
    writeFile(dir + QStringLiteral("/memory.bin"), memory);
    return radio.start(dir + QStringLiteral("/radio"),
                       QStringList{QStringLiteral("--variant"), QStringLiteral("S"),
                                   QStringLiteral("--memory"),
                                   dir + QStringLiteral("/memory.bin")} +
                           extra);
}

} // namespace t880::testing
