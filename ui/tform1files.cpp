// The main window's file commands: New, Open, Save and Save As, the
// channel list in and out, printing and the PDF sheet, comparing with a
// file, and the backups a read or a write leaves.
#include "ui/tform1.h"

#include "codeplug/writejournal.h"

#include "codeplug/backupfile.h"
#include "codeplug/codeplugfile.h"
#include "print/channelsheet.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/channelgrid.h"
#include "ui/csvcommands.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"
#include "ui/tbackupsdlg.h"
#include "ui/tcomparedlg.h"
#include "ui/tplandlg.h"
#include "ui/tproductiondlg.h"
#include "ui/tprogramdialog.h"
#include "ui/yamlcommands.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>

namespace t880 {

void TForm1::MenuFile_NewClick()
{
    newCodeplug(nullptr);
}

void TForm1::MenuFile_NewPlanClick()
{
    commitEdits();
    TPlanDlg dialog(m_doc, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    const plans::Plan plan = *dialog.chosen();
    newCodeplug(&plan);
}

void TForm1::newCodeplug(const plans::Plan *plan)
{
    TMyWarnDlg_2 prompt(m_doc.lang(), this);
    prompt.Label1->setText(m_doc.langText(text::MainText::ClearAll));
    prompt.OKBtn->setText(m_doc.langText(text::MainText::Ok));
    prompt.CancelBtn->setText(m_doc.langText(text::MainText::Cancel));
    if (prompt.exec() != QDialog::Accepted)
        return;
    ProgramState fresh = m_doc.program();
    fresh.applyNewDefaults();
    if (plan)
        plans::apply(*plan, fresh.codeplug);
    m_doc.replace(fresh, Origin::newDefaults());
}

void TForm1::MenuFile_OpenClick()
{
    PageControl1->setCurrentWidget(TabSheet_ChInfo);
    commitEdits();
    const QString path = filedialogs::askOpenPath(m_doc, this, FileKind::Codeplug,
                                                  m_doc.langText(text::MainText::OpenTitle),
                                                  QStringLiteral("OpenDialog"),
                                                  {m_doc.langText(text::MainText::CodeplugFilter),
                                                   m_doc.langText(text::MainText::BackupFilter)});
    if (!path.isEmpty())
        openCodeplug(path);
}

bool TForm1::openCodeplug(const QString &path)
{
    // A backup opens as well: its codeplug, as a read from its radio gave it.
    backup::Backup kept;
    if (backup::load(path, kept).ok())
        return openBackup(path, kept);
    CodeplugData opened = m_doc.codeplug();
    const FileResult result = codeplugfile::load(path, opened);
    if (!result.ok()) {
        showFileError(text::MainText::CannotOpen, path, result);
        return false;
    }
    // A file given at the start counts as much as one chosen in the dialog.
    filedialogs::rememberFolder(m_doc.config(), FileKind::Codeplug, path);
    m_doc.replace(opened, Origin::file(path));
    return true;
}

bool TForm1::MenuFile_SaveClick()
{
    // Save keeps to the window's file; only a model without one asks where.
    if (m_doc.currentFile().isEmpty())
        return saveWithDialog(m_doc.langText(text::MainText::SaveTitle));
    PageControl1->setCurrentWidget(TabSheet_ChInfo);
    commitEdits();
    return saveCodeplug(m_doc.currentFile());
}

bool TForm1::MenuFile_SaveAsClick()
{
    return saveWithDialog(text::menuCaption(m_doc.langText(text::MainText::SaveAsItem)));
}

bool TForm1::saveWithDialog(const QString &title)
{
    PageControl1->setCurrentWidget(TabSheet_ChInfo);
    commitEdits();
    const QString path = filedialogs::askSavePath(
        m_doc, this, FileKind::Codeplug, title, QStringLiteral("SaveDialog"),
        m_doc.langText(text::MainText::CodeplugFilter), codeplugfile::Suffix, m_doc.currentFile());
    return !path.isEmpty() && saveCodeplug(path);
}

bool TForm1::saveCodeplug(const QString &path)
{
    const FileResult result = codeplugfile::save(path, m_doc.program().codeplug);
    if (!result.ok()) {
        showFileError(text::MainText::CannotSave, path, result);
        return false;
    }
    m_doc.markSaved(path);
    updateTitle();
    return true;
}

void TForm1::showFileError(int headline, const QString &path, const FileResult &result)
{
    t880::showFileError(m_doc.lang(), this, m_doc.langText(headline), path, result,
                        MainFileErrorTexts);
}

void TForm1::MenuFile_ImportCsvClick()
{
    commitEdits();
    csvcommands::importCsv(m_doc, this, [this] { ApplyLanguage(); });
}

void TForm1::MenuFile_ExportCsvClick()
{
    commitEdits();
    const QString file = m_doc.currentFile();
    csvcommands::exportCsv(m_doc, this,
                           file.isEmpty() ? QString() : QFileInfo(file).completeBaseName());
}

void TForm1::MenuFile_ImportYamlClick()
{
    commitEdits();
    yamlcommands::importYaml(m_doc, this, [this] { ApplyLanguage(); });
}

void TForm1::MenuFile_ExportYamlClick()
{
    commitEdits();
    const QString file = m_doc.currentFile();
    yamlcommands::exportYaml(m_doc, this,
                             file.isEmpty() ? QString() : QFileInfo(file).completeBaseName());
}

void TForm1::MenuFile_PrintClick()
{
    commitEdits();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

bool TForm1::printTo(QPrinter &printer)
{
    return print::printChannelSheet(printer, m_doc.program().codeplug, m_doc.lang());
}

void TForm1::MenuFile_ExportPdfClick()
{
    commitEdits();
    const QString base =
        m_doc.currentFile().isEmpty()
            ? QString()
            : QFileInfo(m_doc.currentFile()).completeBaseName() + QStringLiteral(".pdf");
    const QString path = filedialogs::askSavePath(
        m_doc, this, FileKind::Pdf,
        text::menuCaption(m_doc.langText(text::MainText::ExportPdfItem)),
        QStringLiteral("PdfDialog"), m_doc.langText(text::MainText::PdfFilter),
        QStringLiteral("pdf"), base);
    if (!path.isEmpty())
        exportPdf(path);
}

bool TForm1::exportPdf(const QString &path)
{
    const FileResult result =
        print::writeChannelSheetPdf(path, m_doc.program().codeplug, m_doc.lang());
    if (!result.ok()) {
        showFileError(text::MainText::CannotWritePdf, path, result);
        return false;
    }
    return true;
}

void TForm1::MenuFile_CompareFileClick()
{
    commitEdits();
    TCompareDlg::compareWithFile(m_doc, this);
}

void TForm1::MenuFile_BackupsClick()
{
    commitEdits();
    TBackupsDlg dialog(m_doc, QString(), this);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    const QString path = dialog.chosen()->path;
    if (dialog.choice() == TBackupsDlg::Choice::Open)
        openBackup(path);
    else if (dialog.choice() == TBackupsDlg::Choice::Restore)
        restoreBackup(path);
}

void TForm1::MenuFile_ProductionClick()
{
    commitEdits();
    TProductionDlg dialog(m_doc, QString(), this);
    if (dialog.exec() == QDialog::Accepted && !dialog.chosenBackup().isEmpty())
        openBackup(dialog.chosenBackup());
}

bool TForm1::openBackup(const QString &path)
{
    backup::Backup kept;
    if (const FileResult result = backup::load(path, kept); !result.ok()) {
        showFileError(text::MainText::CannotOpen, path, result);
        return false;
    }
    return openBackup(path, kept);
}

bool TForm1::openBackup(const QString &path, const backup::Backup &kept)
{
    CodeplugData opened = m_doc.codeplug();
    const FileResult result = backup::codeplugOf(kept, opened);
    if (!result.ok()) {
        showFileError(text::MainText::CannotOpen, path, result);
        return false;
    }
    m_doc.replace(opened, Origin::backup(kept.port, kept.time.toLocalTime()));
    return true;
}

void TForm1::restoreBackup(const QString &path, const QString &device)
{
    backup::Backup kept;
    if (const FileResult result = backup::load(path, kept); !result.ok()) {
        showFileError(text::MainText::CannotOpen, path, result);
        return;
    }
    const bool calibration = kept.content() == backup::Content::Calibration;
    if (kept.content() == backup::Content::Nothing ||
        (calibration && !backup::calibrationArea(kept)))
        return; // the dialog offers no such backup
    if (calibration) {
        TMyWarnDlg_2 prompt(m_doc.lang(), this);
        prompt.setObjectName(QStringLiteral("RestoreCalibrationPrompt"));
        prompt.Label1->setText(m_doc.langText(text::MainText::RestoreCalibration));
        prompt.Label1->setWordWrap(true);
        prompt.OKBtn->setText(m_doc.langText(text::MainText::Yes));
        prompt.CancelBtn->setText(m_doc.langText(text::MainText::No));
        if (prompt.exec() != QDialog::Accepted)
            return;
    }
    link::RestorePlan plan;
    plan.kind = kept.kind;
    plan.blocks = backup::restoreBlocks(kept);
    link::PortMap map = link::PortMap::withBindings(m_doc.config().portPaths);
    if (!device.isEmpty() && QFileInfo::exists(device))
        map.bind(m_doc.config().port, device);
    TProgramDialog dialog(m_doc, calibration ? link::OpCode::Calibration : link::OpCode::Codeplug,
                          link::ReadMode::Write, map, this);
    dialog.setWindowTitle(m_doc.langText(text::MainText::HintWrite));
    dialog.setRestorePlan(std::move(plan));
    dialog.setWrittenFile(path);
    dialog.exec();
}

void TForm1::offerUnfinishedWrites()
{
    for (const journal::Entry &note : journal::unfinished(journal::defaultFolder())) {
        const bool restorable = !note.backup.isEmpty() && QFileInfo::exists(note.backup);
        TMyWarnDlg_3 prompt(m_doc.lang(), this);
        prompt.setObjectName(QStringLiteral("UnfinishedWritePrompt"));
        prompt.Label1->setText(
            journal::unfinishedText(note, m_doc.lang()) + QStringLiteral("\n\n") +
            m_doc.langText(restorable ? text::MainText::UnfinishedChoices
                                      : text::MainText::UnfinishedChoicesNoBackup));
        prompt.Label1->setWordWrap(true);
        prompt.OKBtn->setText(m_doc.langText(text::MainText::RestoreNow));
        prompt.NoBtn->setText(m_doc.langText(text::MainText::Dismiss));
        // Escape and the close box ask again next time: nothing is forgotten
        // by a reflex key.
        prompt.CancelBtn->setText(m_doc.langText(text::MainText::Later));
        if (!restorable) {
            prompt.OKBtn->hide();
            prompt.CancelBtn->setDefault(true);
        }
        const int answer = prompt.exec();
        if (answer == TMyWarnDlg_3::No)
            journal::close(note);
        else if (answer == TMyWarnDlg_3::Ok && restorable)
            restoreBackup(note.backup, note.device);
    }
}

} // namespace t880
