// The calibration dialog's edit fields as data: which control edits which
// record field, how many characters it keeps and which values it accepts,
// and the rules every field follows while typing and when it is left. The
// dialog builds its fields from this table; nothing here needs widgets.
#pragma once

#include "factory/calibrationdata.h"

#include <QChar>
#include <QString>

#include <vector>

namespace t880 {

/// What a field holds, which decides its commit handler's name and range.
enum class CalibrationEditKind {
    Frequency,     ///< calibration point frequency, MHz
    Deviation,     ///< 16-bit deviation
    ToneDeviation, ///< CTCSS/DCS deviation
    Byte,          ///< the plain 0..255 fields
    Rssi,          ///< RSSI values (kept out of sight)
    MicGain,
    MicGainFine,
};

struct CalibrationEdit
{
    QString control; ///< the control's name, also the record field's name
    CalibrationEditKind kind;
    int digits; ///< most characters the field keeps
    int minimum;
    int maximum;
    bool hidden;  ///< never shown; its value is kept all the same
    int nameText; ///< entry of the calibration dialog's table that names it
    int nameArg;  ///< number put into that name (point, level), or 0
};

/// Every edit field, in the order a user meets them.
const std::vector<CalibrationEdit> &calibrationEdits();
/// The edit field named \a control, or nullptr.
const CalibrationEdit *findCalibrationEdit(const QString &control);

/// Whether a typed character may enter a field: digits and control
/// characters (backspace, tab) pass; anything printable that is not a digit
/// is dropped.
bool calibrationKeyAccepted(QChar c);

/// The text a field keeps after a change: too long a text loses its last
/// characters until it fits.
QString cutToDigits(const QString &text, int digits);

/// The value a field stores when it is left: empty stores 0 whatever the
/// range; a decimal number inside the range is stored; anything else (out of
/// range, not a number) keeps \a previous.
int committedValue(const QString &text, int previous, int minimum, int maximum);

/// Runs the commit rule for \a edit on \a record and returns the text the
/// field shows afterwards (the stored value in decimal).
QString commitCalibrationEdit(const CalibrationEdit &edit, const QString &text,
                              CalibrationData &record);

} // namespace t880
