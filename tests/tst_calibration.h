// The calibration suite's shared part: records and areas built and read back
// the way a transfer does, and the test class whose functions the suite's
// files define.
#pragma once

#include "codeplug/codeplugfile.h"
#include "factory/calibrationdata.h"
#include "factory/calibrationfile.h"

#include "testsupport.h"
#include "tst_calibration_helpers.h"

#include <QtTest>

#include <vector>

namespace calibrationtest {

using namespace t880;
using namespace caltest;
using namespace t880::testing;
using imagetest::applyPatch;
using imagetest::hex;
using imagetest::patched;
using imagetest::threePointTables;

inline constexpr char kPattern = char(0x5C);

inline CalibrationData recordFrom(const QByteArray &bytes)
{
    CalibrationData r;
    Q_ASSERT(bytes.size() == RecordSize);
    std::copy_n(reinterpret_cast<const std::uint8_t *>(bytes.constData()), RecordSize,
                r.raw.begin());
    return r;
}

inline QByteArray bytesOf(const CalibrationData &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.raw.data()), RecordSize);
}

inline QByteArray bytesOf(const CalibrationBlock &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), BlockSize);
}

inline CalibrationBlock blockFilled(char fill)
{
    CalibrationBlock b;
    b.fill(std::uint8_t(fill));
    return b;
}

inline const std::uint8_t *data(const QByteArray &b)
{
    return reinterpret_cast<const std::uint8_t *>(b.constData());
}

/// Builds the area from \a record into a buffer holding \a fill.
inline QByteArray buildBlock(const QByteArray &record, bool y, char fill,
                             CalibrationTables *tables = nullptr)
{
    CalibrationBlock b = blockFilled(fill);
    CalibrationTables t;
    GetAdjustmentData(recordFrom(record), y, b, t);
    if (tables)
        *tables = t;
    return bytesOf(b);
}

/// Reads \a block back onto a record holding \a base.
inline QByteArray readBlock(const QByteArray &block, bool y, const QByteArray &base)
{
    CalibrationData r = recordFrom(base);
    SetAdjustmentData(data(block), y, r);
    return bytesOf(r);
}

inline CalibrationTables defaultTables()
{
    CalibrationTables t;
    t.points = {{{400, 63, 0, 0}, {440, 63, 0, 0}, {480, 63, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}};
    return t;
}

inline QString describeTables(const CalibrationTables &t)
{
    QStringList parts;
    for (const CalibrationPoint &p : t.points)
        parts << QStringLiteral("%1/%2/%3/%4").arg(p.mhz).arg(p.high).arg(p.low).arg(p.tune);
    QStringList offsets;
    for (std::int8_t o : t.squelchOffsets)
        offsets << QString::number(o);
    return parts.join(u' ') + QStringLiteral(" | ") + offsets.join(u' ');
}

} // namespace calibrationtest

class TestCalibration : public QObject
{
    Q_OBJECT

private slots:
    void fieldDefaults_data();
    void fieldDefaults();
    void everyFieldListed();
    void defaultsWholeRecord();

    void blockFromRecord_data();
    void blockFromRecord();
    void squelchTables_data();
    void squelchTables();
    void voxTable_data();
    void voxTable();
    void thresholdWords_data();
    void thresholdWords();
    void micGainWrite_data();
    void micGainWrite();
    void micGainRead_data();
    void micGainRead();
    void switches_data();
    void switches();
    void deviations_data();
    void deviations();

    void setAdjustmentData_data();
    void setAdjustmentData();
    void squelchReadBack_data();
    void squelchReadBack();
    void roundTrip_data();
    void roundTrip();

    void analyseTmpAdjustmentData_data();
    void analyseTmpAdjustmentData();
    void statusReply_data();
    void statusReply();

    void fileRoundTrip();
    void fileLoad_data();
    void fileLoad();
    void fileSaveReplacesWhole();
    void fileSaveFailureCreatesNothing();

private:
    QByteArray m_defaults = caltest::defaultRecord();
    QByteArray m_custom = caltest::customRecord();
};
