#include "ui/tracecommands.h"

#include "codeplug/safefile.h"
#include "link/serialtrace.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"

#include <QDateTime>

namespace t880::tracecommands {

QString defaultTraceName()
{
    return QStringLiteral("t880-trace-%1.txt")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

bool saveTrace(Document &state, QWidget *parent, const link::SerialTrace &trace)
{
    const QString title = text::menuCaption(state.langText(text::MainText::SaveTraceItem));
    const QString path = filedialogs::askSavePath(
        state, parent, FileKind::Trace, title, QStringLiteral("SaveTraceDialog"),
        state.langText(text::MainText::TraceFilter), QStringLiteral("txt"), defaultTraceName());
    return !path.isEmpty() && saveTraceFile(state, parent, trace, path);
}

bool saveTraceFile(const Document &state, QWidget *parent, const link::SerialTrace &trace,
                   const QString &path)
{
    const FileResult written = trace.save(path);
    if (!written.ok()) {
        showFileError(state.lang(), parent, state.langText(text::MainText::CannotSaveTrace), path,
                      written, MainFileErrorTexts);
        return false;
    }
    return true;
}

} // namespace t880::tracecommands
