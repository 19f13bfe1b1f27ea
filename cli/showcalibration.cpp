#include "cli/showcalibration.h"

#include <QTextStream>

namespace t880::cli {

QString calibrationText(const CalibrationData &d)
{
    QString s;
    QTextStream o(&s);
    o << "Calibration points\n  Point  MHz   High  Mid  Low  Tune  RSSI\n";
    for (int i = 0; i < CalibrationData::Points; ++i) {
        o << QStringLiteral("  %1  %2  %3  %4  %5  %6  %7\n")
                 .arg(i, 5)
                 .arg(d.pointMHz(i), 4)
                 .arg(d.pointHigh(i), 4)
                 .arg(d.raw[0x03 + 7 * i], 3)
                 .arg(d.pointLow(i), 3)
                 .arg(d.pointTune(i), 4)
                 .arg(d.raw[0x06 + 7 * i], 4);
    }
    o << "\nSettings and status (* never shown in the calibration dialog)\n";
    for (const CalibrationField &f : calibrationFields()) {
        if (f.name.startsWith(QLatin1String("eFreq_")))
            continue; // in the table above
        o << QStringLiteral("  %1%2 %3\n")
                 .arg(QChar(f.hidden ? u'*' : u' '))
                 .arg(f.name + u':', -18)
                 .arg(d.value(f));
    }
    return s;
}

QJsonObject calibrationJson(const CalibrationData &d)
{
    QJsonObject o;
    for (const CalibrationField &f : calibrationFields())
        o.insert(f.name, d.value(f));
    return o;
}

} // namespace t880::cli
