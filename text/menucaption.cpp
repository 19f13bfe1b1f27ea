#include "text/menucaption.h"

#include <QRegularExpression>

namespace t880::text {

QString menuCaption(QString text)
{
    // The Chinese captions carry the English letter in brackets, "(&O)";
    // the ellipsis goes after, as it may stand behind those brackets.
    static const QRegularExpression accelerator(QStringLiteral("\\(&.\\)|&"));
    static const QRegularExpression ellipsis(QStringLiteral("(\\.\\.\\.|\\x{2026})$"));
    return text.remove(accelerator).remove(ellipsis);
}

} // namespace t880::text
