// The radio image suite's shared part: images built and read back the way a
// transfer does, with a fixed date and random bytes, and the test class whose
// functions the suite's files define.
#pragma once

#include "codeplug/radioimage.h"
#include "link/programstate.h"

#include "testsupport.h"
#include "tst_radioimage_helpers.h"

#include <QtTest>

#include <memory>
#include <random>

namespace radioimagetest {

using namespace t880;
using namespace imagetest;
using namespace t880::testing;

inline RandomByteSource seededBytes(unsigned seed)
{
    auto gen = std::make_shared<std::mt19937>(seed);
    return [gen] {
        return std::uint8_t((*gen)() & 0xFF);
    };
}

inline const ProgramDate kDate{2026, 12, 8, 14, 30};

inline QByteArray imageBytes(const ProgramState &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.image.raw.data()), RadioImage::Size);
}

inline void setImage(ProgramState &s, const QByteArray &img)
{
    Q_ASSERT(img.size() >= RadioImage::Size);
    std::copy_n(reinterpret_cast<const std::uint8_t *>(img.constData()), RadioImage::Size,
                s.image.raw.begin());
}

inline QByteArray blockOf(const ProgramState &s)
{
    return s.codeplug.toByteArray();
}

/// Builds the current-layout image of \a block.
inline QByteArray encode(const QByteArray &block, bool y, const CalibrationTables &tables,
                         const ProgramDate &date = kDate)
{
    ProgramState s;
    s.codeplug.replaceLeading(block);
    s.radioVariant = y;
    s.calibrationTables = tables;
    s.image.raw.fill(0xEE); // the builder must clear what was there
    GetDataForWrite(s, date, seededBytes(7));
    return imageBytes(s);
}

/// Reads \a img back onto \a base (current layout).
inline QByteArray decode(const QByteArray &img, bool y, const QByteArray &base = newBlock(),
                         ProgramDate *date = nullptr)
{
    ProgramState s;
    s.codeplug.replaceLeading(base);
    s.radioVariant = y;
    setImage(s, img);
    SetDataToSoftware(s);
    if (date)
        *date = s.lastProgramDate;
    return blockOf(s);
}

inline QByteArray encodeLegacy(const QByteArray &block)
{
    ProgramState s;
    s.codeplug.replaceLeading(block);
    s.image.raw.fill(0x00);
    GetDataForWrite_old(s);
    return imageBytes(s);
}

/// A block whose channel 1 (and 2 when given) are in use with the given fields.
inline QByteArray oneChannel(const Channel &c1)
{
    QByteArray b = newBlock();
    putChannel(b, 1, c1);
    setUsed(b, 1);
    return b;
}

inline QByteArray recordOf(const QByteArray &img, int n)
{
    return img.mid((n - 1) * 19, 19);
}

inline QList<int> channelList(const QString &text)
{
    QList<int> out;
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts))
        out << part.trimmed().toInt();
    return out;
}

} // namespace radioimagetest

class TestRadioImage : public QObject
{
    Q_OBJECT

private slots:
    // Current layout, model to image
    void frequencyWords_data();
    void frequencyWords();
    void toneWords_data();
    void toneWords();
    void spurFlags_data();
    void spurFlags();
    void controlByte_data();
    void controlByte();
    void calibrationBytes_data();
    void calibrationBytes();
    void newModelImage_data();
    void newModelImage();
    void settingsBytes_data();
    void settingsBytes();
    void scanMask_data();
    void scanMask();
    void dateBytes_data();
    void dateBytes();
    void unusedChannelsAreZero_data();
    void unusedChannelsAreZero();
    void rxZeroComesBackUnused_data();
    void rxZeroComesBackUnused();
    void fixtureImage_data();
    void fixtureImage();
    void passwordBlock_data();
    void passwordBlock();

    // Current layout, image to model
    void setDataToSoftware_data();
    void setDataToSoftware();
    void settingsReadBack_data();
    void settingsReadBack();
    void roundTripCurrent_data();
    void roundTripCurrent();

    // Calibration-dependent bytes
    void reAnalyseChInfor_data();
    void reAnalyseChInfor();
    void interpolateCalibration_data();
    void interpolateCalibration();
    void lookupSquelchOffset_data();
    void lookupSquelchOffset();

    // Legacy layout
    void legacyImage_data();
    void legacyImage();
    void legacyFrequencies_data();
    void legacyFrequencies();
    void legacyTones_data();
    void legacyTones();
    void legacyToneRead_data();
    void legacyToneRead();
    void legacyKeysWrite_data();
    void legacyKeysWrite();
    void legacyKeysRead_data();
    void legacyKeysRead();
    void legacyTot_data();
    void legacyTot();
    void legacyRead_data();
    void legacyRead();
    void roundTripLegacy_data();
    void roundTripLegacy();
};
