// A calibration file may come from another workshop or a damaged disk. Loading
// and showing it must not crash, must keep exactly the record's bytes, and
// every field must be shown with a value its width and sign allow.
#include "cli/showcalibration.h"
#include "factory/calibrationfile.h"
#include "fuzzsupport.h"

#include <QJsonDocument>
#include <QTemporaryDir>

using namespace t880;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    fuzz::require(dir.isValid(), "a temporary folder for the input file");
    const QString path = dir.filePath(QStringLiteral("input.kzxa"));
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::require(fuzz::writeWholeFile(path, bytes), "the input file is written");

    CalibrationData loaded;
    loaded.applyCalibrationDefaults();
    const CalibrationData before = loaded;
    const FileResult result = calibrationfile::load(path, loaded);
    if (bytes.size() >= CalibrationData::Size) {
        fuzz::require(result.ok(), "a file of the full size loads");
        fuzz::require(QByteArray(reinterpret_cast<const char *>(loaded.raw.data()),
                                 CalibrationData::Size) == bytes.left(CalibrationData::Size),
                      "the record is the file's first bytes, unchanged");
    } else {
        fuzz::require(result.error == FileError::TooShort, "a short file is refused as short");
        fuzz::require(loaded == before, "a refused file leaves the record as it was");
    }

    const QJsonObject object = cli::calibrationJson(loaded);
    fuzz::require(object.size() == int(calibrationFields().size()), "one key per field");
    for (const CalibrationField &f : calibrationFields()) {
        const int v = object.value(f.name).toInt(-100000);
        const int low = f.isSigned ? -128 : 0;
        const int high = f.isSigned ? 127 : f.width == 2 ? 0xFFFF : 0xFF;
        fuzz::require(v >= low && v <= high, "a field's value fits its width and sign",
                      f.name.toUtf8());
    }
    fuzz::require(!QJsonDocument(object).toJson(QJsonDocument::Indented).isEmpty(),
                  "show --json prints");
    fuzz::require(!cli::calibrationText(loaded).isEmpty(), "show prints text");
    return 0;
}
