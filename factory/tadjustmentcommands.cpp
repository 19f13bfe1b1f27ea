// The calibration dialog's commands: reset, open and save the record, read
// and write it (and the transceiver status), and the main window's Write.
#include "factory/tadjustmentdlg.h"

#include "factory/calibrationfile.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"
#include "ui/tprogramdialog.h"

#include <QFileInfo>

namespace t880 {

namespace {

// Entries of the dialog's own text table.
enum Text : int {
    OkText = 0,
    CancelText = 1,
    OpenTitle = 22,
    SaveTitle = 23,
    ClearAll = 24,
    FileFilter = 25,
    CannotOpen = 26,
    CannotSave = 27,
    TooShort = 28,
    NotRegular = 29,
    TooLarge = 30,
    NoFolder = 31,
    IsFolder = 32,
};

// Titles of the programming dialog, from the main table.
constexpr int kReadTitle = 247;
constexpr int kWriteTitle = 248;

} // namespace

void TAdjustmentDlg::bNewClick()
{
    commitFocusedField();
    TMyWarnDlg_2 prompt(m_state.lang(), this);
    prompt.Label1->setText(text(ClearAll));
    prompt.OKBtn->setText(text(OkText));
    prompt.CancelBtn->setText(text(CancelText));
    if (prompt.exec() != QDialog::Accepted)
        return;
    m_state.program().calibration.applyCalibrationDefaults();
    display();
}

void TAdjustmentDlg::bOpenClick()
{
    commitFocusedField();
    const QString path =
        filedialogs::askOpenPath(m_state, this, FileKind::Calibration, text(OpenTitle),
                                 QStringLiteral("OpenDialog"), {text(FileFilter)});
    if (!path.isEmpty())
        openCalibration(path);
}

bool TAdjustmentDlg::openCalibration(const QString &path)
{
    const FileResult result = calibrationfile::load(path, m_state.program().calibration);
    if (!result.ok()) {
        showFileError(CannotOpen, path, result);
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
        m_state, this, FileKind::Calibration, text(SaveTitle), QStringLiteral("SaveDialog"),
        text(FileFilter), calibrationfile::Suffix, m_lastFile);
    if (!path.isEmpty())
        saveCalibration(path);
}

bool TAdjustmentDlg::saveCalibration(const QString &path)
{
    const FileResult result = calibrationfile::save(path, m_state.program().calibration);
    if (!result.ok()) {
        showFileError(CannotSave, path, result);
        return false;
    }
    m_lastFile = QFileInfo(path).absoluteFilePath();
    return true;
}

void TAdjustmentDlg::showFileError(int headline, const QString &path, const FileResult &result)
{
    static const FileErrorTexts texts = {
        text::TextTable::Adjust, TooShort, NotRegular, TooLarge, IsFolder, NoFolder};
    t880::showFileError(m_state.lang(), this, text(headline), path, result, texts);
}

bool TAdjustmentDlg::runTransfer(int op, bool read)
{
    commitFocusedField();
    TProgramDialog dialog(m_state, link::OpCode(op),
                          read ? link::ReadMode::Read : link::ReadMode::Write, this);
    dialog.setWindowTitle(m_state.langText(read ? kReadTitle : kWriteTitle));
    dialog.exec();
    return dialog.takeResult();
}

void TAdjustmentDlg::bWriteClick()
{
    runTransfer(int(link::OpCode::Calibration), false);
}

void TAdjustmentDlg::bReadClick()
{
    if (runTransfer(int(link::OpCode::Calibration), true))
        display();
}

void TAdjustmentDlg::Read1846StatusClick()
{
    if (runTransfer(int(link::OpCode::Status), true))
        display();
}

void TAdjustmentDlg::Button1Click()
{
    commitFocusedField();
    if (m_writeCodeplug)
        m_writeCodeplug();
}

} // namespace t880
