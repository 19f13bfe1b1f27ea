#include "factory/calibrationfile.h"

#include <algorithm>

namespace t880::calibrationfile {

FileResult load(const QString &path, CalibrationData &data)
{
    QByteArray bytes;
    FileResult result = readFixedFile(path, CalibrationData::Size, bytes);
    if (result.ok())
        std::copy_n(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                    CalibrationData::Size, data.raw.begin());
    return result;
}

FileResult save(const QString &path, const CalibrationData &data)
{
    return writeFileAtomically(
        path, QByteArray(reinterpret_cast<const char *>(data.raw.data()), CalibrationData::Size));
}

} // namespace t880::calibrationfile
