#include "text/systemlanguage.h"

#include <QLocale>

namespace t880::text {

quint16 systemLanguageId()
{
    return languageIdForLocale(QLocale::system());
}

} // namespace t880::text
