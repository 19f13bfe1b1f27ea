// The calibration dialog's commands: reset, open and save the record, read
// and write it (and the transceiver status), and the main window's Write.
#include "ui/factory/tadjustmentdlg.h"

#include "factory/calibrationfile.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"
#include "ui/tprogramdialog.h"

#include <QFileInfo>

namespace t880 {

void TAdjustmentDlg::bNewClick()
{
    commitFocusedField();
    TMyWarnDlg_2 prompt(m_state.lang(), this);
    prompt.Label1->setText(text(text::AdjustText::ClearAll));
    prompt.OKBtn->setText(text(text::AdjustText::Ok));
    prompt.CancelBtn->setText(text(text::AdjustText::Cancel));
    if (prompt.exec() != QDialog::Accepted)
        return;
    m_state.program().calibration.applyCalibrationDefaults();
    display();
}

void TAdjustmentDlg::bOpenClick()
{
    commitFocusedField();
    const QString path = filedialogs::askOpenPath(
        m_state, this, FileKind::Calibration, text(text::AdjustText::OpenTitle),
        QStringLiteral("OpenDialog"), {text(text::AdjustText::FileFilter)});
    if (!path.isEmpty())
        openCalibration(path);
}

bool TAdjustmentDlg::openCalibration(const QString &path)
{
    const FileResult result = calibrationfile::load(path, m_state.program().calibration);
    if (!result.ok()) {
        showFileError(text::AdjustText::CannotOpen, path, result);
        return false;
    }
    m_lastFile = QFileInfo(path).absoluteFilePath();
    // A file given at the start counts as much as one chosen in the dialog.
    filedialogs::rememberFolder(m_state.config(), FileKind::Calibration, path);
    display();
    return true;
}

void TAdjustmentDlg::bSaveClick()
{
    commitFocusedField();
    const QString path = filedialogs::askSavePath(
        m_state, this, FileKind::Calibration, text(text::AdjustText::SaveTitle),
        QStringLiteral("SaveDialog"), text(text::AdjustText::FileFilter), calibrationfile::Suffix,
        m_lastFile);
    if (!path.isEmpty())
        saveCalibration(path);
}

bool TAdjustmentDlg::saveCalibration(const QString &path)
{
    const FileResult result = calibrationfile::save(path, m_state.program().calibration);
    if (!result.ok()) {
        showFileError(text::AdjustText::CannotSave, path, result);
        return false;
    }
    m_lastFile = QFileInfo(path).absoluteFilePath();
    return true;
}

void TAdjustmentDlg::showFileError(int headline, const QString &path, const FileResult &result)
{
    static const FileErrorTexts texts = {
        text::TextTable::Adjust,          text::AdjustText::FileTooShort,
        text::AdjustText::NotRegularFile, text::AdjustText::FileTooLarge,
        text::AdjustText::IsFolder,       text::AdjustText::NoFolder};
    t880::showFileError(m_state.lang(), this, text(headline), path, result, texts);
}

bool TAdjustmentDlg::runTransfer(link::OpCode op, bool read)
{
    commitFocusedField();
    TProgramDialog dialog(m_state, op, read ? link::ReadMode::Read : link::ReadMode::Write, this);
    dialog.setWindowTitle(
        m_state.langText(read ? text::MainText::HintRead : text::MainText::HintWrite));
    dialog.exec();
    return dialog.takeResult();
}

void TAdjustmentDlg::bWriteClick()
{
    runTransfer(link::OpCode::Calibration, false);
}

void TAdjustmentDlg::bReadClick()
{
    if (runTransfer(link::OpCode::Calibration, true))
        display();
}

void TAdjustmentDlg::Read1846StatusClick()
{
    if (runTransfer(link::OpCode::Status, true))
        display();
}

void TAdjustmentDlg::Button1Click()
{
    commitFocusedField();
    if (m_writeCodeplug)
        m_writeCodeplug();
}

} // namespace t880
