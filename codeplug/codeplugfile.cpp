#include "codeplug/codeplugfile.h"

namespace t880 {

namespace codeplugfile {

FileResult load(const QString &path, CodeplugData &data)
{
    QByteArray bytes;
    FileResult result = readFixedFile(path, CodeplugData::Size, bytes);
    if (result.ok())
        data.replaceLeading(bytes);
    return result;
}

FileResult save(const QString &path, const CodeplugData &data)
{
    return writeFileAtomically(path, data.toByteArray());
}

} // namespace codeplugfile

} // namespace t880
