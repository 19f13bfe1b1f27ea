// A codeplug file may come from anywhere: another dealer, an older program, a
// damaged disk. Whatever it holds, loading it and showing it (as text and as
// JSON) must not crash and must keep exactly the bytes of the file.
#include "cli/showcodeplug.h"
#include "codeplug/codeplugfile.h"
#include "fuzzsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

using namespace t880;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // One folder for the whole run; the loader only takes paths.
    static const QTemporaryDir dir;
    fuzz::require(dir.isValid(), "a temporary folder for the input file");
    const QString path = dir.filePath(QStringLiteral("input.Kzx"));
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::require(fuzz::writeWholeFile(path, bytes), "the input file is written");

    CodeplugData loaded;
    loaded.applyNewDefaults();
    const CodeplugData before = loaded;
    const FileResult result = codeplugfile::load(path, loaded);
    if (bytes.size() >= CodeplugData::Size) {
        fuzz::require(result.ok(), "a file of the full size loads");
        fuzz::require(loaded.toByteArray() == bytes.left(CodeplugData::Size),
                      "the block is the file's first bytes, unchanged");
    } else {
        fuzz::require(result.error == FileError::TooShort, "a short file is refused as short");
        fuzz::require(loaded == before, "a refused file leaves the codeplug as it was");
        fuzz::require(!describeFileResult(result, path, CodeplugData::Size).isEmpty(),
                      "a refusal is described");
        return 0; // show stops here too, with the message
    }

    // Qt writes valid JSON of any object; what can go wrong is the object.
    const QJsonObject object = cli::codeplugJson(loaded);
    const QJsonArray channels = object.value(QStringLiteral("channels")).toArray();
    fuzz::require(channels.size() == CodeplugData::Channels, "show --json lists every channel");
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        const QJsonObject channel = channels.at(n - 1).toObject();
        fuzz::require(channel.value(QStringLiteral("number")).toInt() == n &&
                          channel.value(QStringLiteral("used")).toBool() == loaded.isChannelUsed(n),
                      "show --json tells which channels are used", QByteArray::number(n));
    }
    fuzz::require(!QJsonDocument(object).toJson(QJsonDocument::Indented).isEmpty(),
                  "show --json prints");
    fuzz::require(!cli::codeplugText(loaded).isEmpty(), "show prints text");
    return 0;
}
