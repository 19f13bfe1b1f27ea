#include "ui/csvcommands.h"

#include "codeplug/channelcsv.h"
#include "codeplug/codeplugdiff.h"
#include "codeplug/safefile.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"
#include "ui/tpastereportdlg.h"

#include <QFileInfo>

namespace t880::csvcommands {

namespace {

// A CSV file is a few kilobytes; anything near this is not a channel list.
constexpr qint64 MaxCsvSize = 1 << 20;

// The channels in use that rows of \a preview would replace.
QStringList channelsReplaced(const Document &state, const channelcsv::Preview &preview)
{
    QStringList channels;
    for (const channelcsv::RowPreview &row : preview.rows) {
        if (row.outcome != channelcsv::Outcome::Refused &&
            state.program().codeplug.isChannelUsed(row.channel))
            channels << channelLabel(row.channel, state.lang());
    }
    return channels;
}

// Yes replaces the channels in use, No keeps them, Cancel stops the import.
int askReplace(const Document &state, QWidget *parent, const QStringList &channels)
{
    TMyWarnDlg_3 prompt(state.lang(), parent);
    prompt.setObjectName(QStringLiteral("ReplaceChannelsPrompt"));
    prompt.Label1->setText(
        state.langText(text::MainText::ReplacesInUse).arg(channels.join(QStringLiteral(", "))) +
        QLatin1Char('\n') + state.langText(text::MainText::ReplaceOrKeep));
    prompt.Label1->setWordWrap(true);
    prompt.OKBtn->setText(state.langText(text::MainText::Yes));
    prompt.NoBtn->setText(state.langText(text::MainText::No));
    prompt.CancelBtn->setText(state.tableText(text::TextTable::Adjust, text::AdjustText::Cancel));
    return prompt.exec();
}

} // namespace

bool importCsv(Document &state, QWidget *parent, const std::function<void()> &changed)
{
    const QString path = filedialogs::askOpenPath(
        state, parent, FileKind::Csv,
        text::menuCaption(state.langText(text::MainText::ImportCsvItem)),
        QStringLiteral("ImportCsvDialog"), {state.langText(text::MainText::CsvFilter)});
    return !path.isEmpty() && importCsvFile(state, parent, path, changed);
}

bool importCsvFile(Document &state, QWidget *parent, const QString &path,
                   const std::function<void()> &changed)
{
    QByteArray bytes;
    if (const FileResult read = readSmallFile(path, MaxCsvSize, bytes); !read.ok()) {
        showFileError(state.lang(), parent, state.langText(text::MainText::CannotOpen), path, read,
                      MainFileErrorTexts);
        return false;
    }
    channelcsv::Preview preview = channelcsv::previewCsv(state.program(), bytes);
    if (!preview.readable()) {
        TUserWarnDlg message(state.lang(), parent);
        message.setMessage(state.langText(text::MainText::NoChannelListInFile) + QLatin1Char('\n') +
                           path);
        message.exec();
        return false;
    }
    if (const QStringList inUse = channelsReplaced(state, preview); !inUse.isEmpty()) {
        const int answer = askReplace(state, parent, inUse);
        if (answer == TMyWarnDlg_3::Cancel)
            return false;
        if (answer == TMyWarnDlg_3::No) {
            channelcsv::ImportOptions keep;
            keep.keepChannelsInUse = true;
            preview = channelcsv::previewCsv(state.program(), bytes, keep);
        }
    }
    // Every row, taken, adjusted or refused, before anything changes.
    QStringList lines = reportLines(state, preview, true);
    lines[0] = state.langText(text::MainText::ImportPreview) + QLatin1Char('\n') + lines[0];
    TPasteReportDlg report(state, text::menuCaption(state.langText(text::MainText::ImportCsvItem)),
                           lines, parent);
    report.setObjectName(QStringLiteral("ImportPreviewDlg"));
    report.askFirst();
    if (report.exec() != QDialog::Accepted)
        return false;
    QList<int> taken;
    state.edit(StepName(text::MainText::ImportCsvItem), [&](ProgramState &program) {
        taken = channelcsv::applyPreview(program.codeplug, preview);
    });
    if (taken.isEmpty())
        return false;
    changed();
    return true;
}

bool exportCsv(Document &state, QWidget *parent, const QString &suggestedBase)
{
    const QString path = filedialogs::askSavePath(
        state, parent, FileKind::Csv,
        text::menuCaption(state.langText(text::MainText::ExportCsvItem)),
        QStringLiteral("ExportCsvDialog"), state.langText(text::MainText::CsvFilter),
        QStringLiteral("csv"),
        suggestedBase.isEmpty() ? QString() : suggestedBase + QStringLiteral(".csv"));
    return !path.isEmpty() && exportCsvFile(state, parent, path);
}

bool exportCsvFile(const Document &state, QWidget *parent, const QString &path)
{
    const FileResult written =
        writeFileAtomically(path, channelcsv::exportCsv(state.program().codeplug));
    if (!written.ok()) {
        showFileError(state.lang(), parent, state.langText(text::MainText::CannotWriteCsv), path,
                      written, MainFileErrorTexts);
        return false;
    }
    return true;
}

} // namespace t880::csvcommands
