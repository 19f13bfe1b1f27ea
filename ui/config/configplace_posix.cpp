#include "ui/config/configplace.h"

#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

namespace t880::configplace {

bool mayWrite(const QString &folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

QString userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

} // namespace t880::configplace
