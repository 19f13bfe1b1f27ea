#include "ui/tracecommands.h"

#include "codeplug/safefile.h"
#include "link/serialtrace.h"
#include "ui/messagedialogs.h"
#include "ui/windowstate.h"

#include <QDateTime>
#include <QFileDialog>
#include <QRegularExpression>

namespace t880::tracecommands {

namespace {

enum Text : int {
    SaveTraceItem = 463,
    TraceFilter = 464,
    CannotSaveTrace = 465,
};

} // namespace

QString defaultTraceName()
{
    return QStringLiteral("t880-trace-%1.txt")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

bool saveTrace(const WindowState &state, QWidget *parent, const link::SerialTrace &trace)
{
    QString title = state.langText(SaveTraceItem);
    title.remove(QRegularExpression(QStringLiteral("\\.\\.\\.$")));
    QFileDialog dialog(parent, title);
    dialog.setObjectName(QStringLiteral("SaveTraceDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(state.langText(TraceFilter));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.resize(760, 480);
    dialog.selectFile(defaultTraceName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    return saveTraceFile(state, parent, trace,
                         withDefaultSuffix(dialog.selectedFiles().first(), QStringLiteral("txt")));
}

bool saveTraceFile(const WindowState &state, QWidget *parent, const link::SerialTrace &trace,
                   const QString &path)
{
    const FileResult written = trace.save(path);
    if (!written.ok()) {
        showFileError(state, parent, state.langText(CannotSaveTrace), path, written,
                      MainFileErrorTexts);
        return false;
    }
    return true;
}

} // namespace t880::tracecommands
