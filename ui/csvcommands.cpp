#include "ui/csvcommands.h"

#include "codeplug/channelcsv.h"
#include "codeplug/safefile.h"
#include "ui/messagedialogs.h"
#include "ui/tpastereportdlg.h"
#include "ui/windowstate.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace t880::csvcommands {

namespace {

// Main-table texts.
enum Text : int {
    CannotOpen = 269,
    ImportItem = 362,
    ExportItem = 363,
    CsvFilter = 364,
    PreviewNote = 365,
    NoChannelList = 366,
    CannotWriteCsv = 367,
};

// A CSV file is a few kilobytes; anything near this is not a channel list.
constexpr qint64 MaxCsvSize = 1 << 20;

QString dialogTitle(QString menuText)
{
    return menuText.remove(QRegularExpression(QStringLiteral("\\.\\.\\.$")));
}

} // namespace

bool importCsv(WindowState &state, QWidget *parent, const std::function<void()> &changed)
{
    QFileDialog dialog(parent, dialogTitle(state.langText(ImportItem)));
    dialog.setObjectName(QStringLiteral("ImportCsvDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(state.langText(CsvFilter));
    dialog.resize(760, 480);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    return importCsvFile(state, parent, dialog.selectedFiles().first(), changed);
}

bool importCsvFile(WindowState &state, QWidget *parent, const QString &path,
                   const std::function<void()> &changed)
{
    QByteArray bytes;
    if (const FileResult read = readSmallFile(path, MaxCsvSize, bytes); !read.ok()) {
        showFileError(state, parent, state.langText(CannotOpen), path, read, MainFileErrorTexts);
        return false;
    }
    const channelcsv::Preview preview = channelcsv::previewCsv(state.program, bytes);
    if (!preview.readable()) {
        TUserWarnDlg message(state, parent);
        message.setMessage(state.langText(NoChannelList) + QLatin1Char('\n') + path);
        message.exec();
        return false;
    }
    // Every row, taken, adjusted or refused, before anything changes.
    QStringList lines = reportLines(state, preview, true);
    lines[0] = state.langText(PreviewNote) + QLatin1Char('\n') + lines[0];
    TPasteReportDlg report(state, dialogTitle(state.langText(ImportItem)), lines, parent);
    report.setObjectName(QStringLiteral("ImportPreviewDlg"));
    report.askFirst();
    if (report.exec() != QDialog::Accepted)
        return false;
    if (channelcsv::applyPreview(state.program.codeplug, preview).isEmpty())
        return false;
    changed();
    return true;
}

bool exportCsv(const WindowState &state, QWidget *parent, const QString &suggestedBase)
{
    const QString path = askSavePath(
        parent, dialogTitle(state.langText(ExportItem)), QStringLiteral("ExportCsvDialog"),
        state.langText(CsvFilter), QStringLiteral("csv"),
        suggestedBase.isEmpty() ? QString() : suggestedBase + QStringLiteral(".csv"));
    return !path.isEmpty() && exportCsvFile(state, parent, path);
}

bool exportCsvFile(const WindowState &state, QWidget *parent, const QString &path)
{
    const FileResult written =
        writeFileAtomically(path, channelcsv::exportCsv(state.program.codeplug));
    if (!written.ok()) {
        showFileError(state, parent, state.langText(CannotWriteCsv), path, written,
                      MainFileErrorTexts);
        return false;
    }
    return true;
}

} // namespace t880::csvcommands
