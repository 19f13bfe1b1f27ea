// A menu item's text as a caption elsewhere: the title of the dialog it
// opens, the name of an undo step, a button or an accessible name.
#pragma once

#include <QString>

namespace t880::text {

/// \a text without its accelerator ("&Open", "打开(&O)") and without a
/// trailing ellipsis ("Import CSV...", "Import CSV…"): "Open", "打开",
/// "Import CSV".
QString menuCaption(QString text);

} // namespace t880::text
