#include "text/systemlanguage.h"

#include <windows.h>

namespace t880::text {

// The system's own language id, as the settings name it.
quint16 systemLanguageId()
{
    return quint16(GetSystemDefaultLangID());
}

} // namespace t880::text
