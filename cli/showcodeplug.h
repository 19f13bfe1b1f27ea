// The readable and JSON forms of a codeplug printed by 't880 show'.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QJsonObject>
#include <QString>

namespace t880::cli {

QString codeplugText(const CodeplugData &data);
QJsonObject codeplugJson(const CodeplugData &data);

} // namespace t880::cli
