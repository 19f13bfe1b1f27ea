// Judging a soak transfer that reported success: what it brought back or
// left in the radio is compared with what the radio really held, worked out
// from the memory dump with `t880 encode` and `t880 decode`, which never see
// the line.
#pragma once

#include "bench/soakplan.h"

#include <QByteArray>
#include <QString>

namespace t880::soak {

/// The files of one transfer, all in its own folder.
namespace file {
inline const QString Link = QStringLiteral("radio");
inline const QString Log = QStringLiteral("radio.log");
inline const QString Trace = QStringLiteral("trace.txt");   ///< the host's serial trace
inline const QString Memory = QStringLiteral("memory.bin"); ///< the radio saves into it
inline const QString InitialMemory = QStringLiteral("memory-initial.bin");
inline const QString MemoryCodeplug = QStringLiteral("memory.Kzx");
inline const QString MemoryCalibration = QStringLiteral("memory.kzxa");
inline const QString Base = QStringLiteral("base.Kzx");
inline const QString WriteCodeplug = QStringLiteral("write.Kzx");
inline const QString WriteCalibration = QStringLiteral("write.kzxa");
inline const QString ReadCodeplug = QStringLiteral("read.Kzx");
inline const QString ReadCalibration = QStringLiteral("read.kzxa");
} // namespace file

enum class Verdict {
    Ok,     ///< what the transfer claims is so
    WrongA, ///< not so, but only as far as line damage the protocol cannot see explains it
    WrongB, ///< not so, and nothing on the line explains it
    Error   ///< the benchmark could not work out the truth
};

struct Verification
{
    Verdict verdict = Verdict::Ok;
    QString detail;
};

struct Evidence
{
    QString cli; ///< the t880 program
    QString dir; ///< the transfer's folder
    QByteArray initialMemory;
    QByteArray finalMemory; ///< saved by the radio when it was stopped
    QByteArray verbOutput;  ///< standard output of the transfer verb
};

/// Judges a transfer whose verb ended with success.
Verification verifySuccess(const Plan &plan, const Evidence &evidence);

} // namespace t880::soak
