#include "ui/yamlcommands.h"

#include "codeplug/channeledit.h"
#include "codeplug/codeplugdiff.h"
#include "codeplug/codeplugyaml.h"
#include "codeplug/safefile.h"
#include "codeplug/tonecodec.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"
#include "ui/tpastereportdlg.h"

namespace t880::yamlcommands {

namespace {

QString title(const Document &state, int item)
{
    return text::menuCaption(state.langText(item));
}

// The frequencies of channels in use that lie outside the window's band: the
// file keeps them (it holds what a codeplug held), and the preview says so.
QStringList outsideBand(const Document &state, const CodeplugData &codeplug)
{
    const std::uint32_t low = state.program().activeBandLow;
    const std::uint32_t high = state.program().activeBandHigh;
    QStringList lines;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (!codeplug.isChannelUsed(n))
            continue;
        const ChannelRecord r = codeplug.channel(n);
        const std::pair<int, std::uint32_t> frequencies[] = {
            {channeledit::RxFreqColumn, r.rxFreq()}, {channeledit::TxFreqColumn, r.txFreq()}};
        for (const auto &[column, hz] : frequencies) {
            if ((hz >= low && hz <= high) || (column == channeledit::TxFreqColumn && hz == 0))
                continue;
            lines << state.langText(text::MainText::YamlOutsideBand)
                         .arg(channelLabel(n, state.lang()) + u' ' +
                                  state.langText(text::MainText::NumberColumn + column),
                              codec::formatFrequency(hz), codec::formatFrequency(low),
                              codec::formatFrequency(high));
        }
    }
    return lines;
}

} // namespace

bool importYaml(Document &state, QWidget *parent, const std::function<void()> &changed)
{
    const QString path = filedialogs::askOpenPath(
        state, parent, FileKind::Csv, title(state, text::MainText::ImportYamlItem),
        QStringLiteral("ImportYamlDialog"), {state.langText(text::MainText::YamlFilter)});
    return !path.isEmpty() && importYamlFile(state, parent, path, changed);
}

bool importYamlFile(Document &state, QWidget *parent, const QString &path,
                    const std::function<void()> &changed)
{
    QByteArray bytes;
    if (const FileResult read = readSmallFile(path, codeplugyaml::MaxFileBytes, bytes);
        !read.ok()) {
        showFileError(state.lang(), parent, state.langText(text::MainText::CannotOpen), path, read,
                      MainFileErrorTexts);
        return false;
    }
    const CodeplugData &current = state.program().codeplug;
    const codeplugyaml::ImportResult result = codeplugyaml::importYaml(bytes, current);
    if (!result.ok()) {
        QStringList lines{state.langText(text::MainText::YamlNotTaken) + QLatin1Char('\n') + path};
        for (const codeplugyaml::ImportError &e : result.errors)
            lines << codeplugyaml::describeError(e, state.lang());
        TPasteReportDlg report(state, title(state, text::MainText::ImportYamlItem), lines, parent);
        report.setObjectName(QStringLiteral("YamlErrorsDlg"));
        report.exec();
        return false;
    }
    if (result.codeplug == current) {
        TUserWarnDlg message(state.lang(), parent);
        message.setObjectName(QStringLiteral("YamlSameDlg"));
        message.setMessage(state.langText(text::MainText::YamlSame) + QLatin1Char('\n') + path);
        message.exec();
        return false;
    }
    // What would change, in the words of the grid and the option pages.
    QStringList lines{state.langText(text::MainText::ImportPreview)};
    for (const DiffEntry &entry : diffCodeplugs(current, result.codeplug))
        lines << diffLine(entry, state.lang());
    if (lines.size() == 1)
        lines << state.langText(text::MainText::YamlUnnamedChange);
    lines << outsideBand(state, result.codeplug);
    TPasteReportDlg report(state, title(state, text::MainText::ImportYamlItem), lines, parent);
    report.setObjectName(QStringLiteral("ImportPreviewDlg"));
    report.askFirst();
    if (report.exec() != QDialog::Accepted)
        return false;
    state.edit(StepName(text::MainText::ImportYamlItem),
               [&result](ProgramState &program) { program.codeplug = result.codeplug; });
    changed();
    return true;
}

bool exportYaml(Document &state, QWidget *parent, const QString &suggestedBase)
{
    const QString path = filedialogs::askSavePath(
        state, parent, FileKind::Csv, title(state, text::MainText::ExportYamlItem),
        QStringLiteral("ExportYamlDialog"), state.langText(text::MainText::YamlFilter),
        QStringLiteral("yaml"),
        suggestedBase.isEmpty() ? QString() : suggestedBase + QStringLiteral(".yaml"));
    return !path.isEmpty() && exportYamlFile(state, parent, path);
}

bool exportYamlFile(const Document &state, QWidget *parent, const QString &path)
{
    const FileResult written =
        writeFileAtomically(path, codeplugyaml::exportYaml(state.program().codeplug));
    if (!written.ok()) {
        showFileError(state.lang(), parent, state.langText(text::MainText::CannotWriteYaml), path,
                      written, MainFileErrorTexts);
        return false;
    }
    return true;
}

} // namespace t880::yamlcommands
