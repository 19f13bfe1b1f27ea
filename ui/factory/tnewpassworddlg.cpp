#include "ui/factory/tnewpassworddlg.h"

#include "factory/passwordentry.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/factory/passwordfield.h"
#include "ui/messagedialogs.h"
#include "ui/tprogramdialog.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

TNewPasswordDlg::TNewPasswordDlg(Document &state, QWidget *parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("NewPasswordDlg"));
    setWindowTitle(state.langText(text::MainText::NewPassword));
    sInput = new QLabel(state.langText(text::MainText::NewPassword), this);
    sInput->setObjectName(QStringLiteral("sInput"));
    sSureInput = new QLabel(state.langText(text::MainText::NewPasswordSure), this);
    sSureInput->setObjectName(QStringLiteral("sSureInput"));
    eInput = makePasswordField(this, "eInput", true);
    eSureInput = makePasswordField(this, "eSureInput", true);
    sInput->setBuddy(eInput);
    sSureInput->setBuddy(eSureInput);
    eInput->setAccessibleName(state.langText(text::MainText::NewPassword));
    eSureInput->setAccessibleName(state.langText(text::MainText::NewPasswordSure));
    cbWriteWithNewPD = new QCheckBox(state.langText(text::MainText::WriteWithNewPassword), this);
    cbWriteWithNewPD->setObjectName(QStringLiteral("cbWriteWithNewPD"));
    cbWriteWithNewPD->setChecked(state.program().codeplug.setting(Setting::writeNewPassword) != 0);
    cbWriteWithNewPD->installEventFilter(this);
    bWrite = makeDialogButton(this, "bWrite", state.langText(text::MainText::WriteButton));
    OKBtn = makeDialogButton(this, "OKBtn", state.langText(text::MainText::Ok));
    OKBtn->setDefault(true);
    CancelBtn = makeDialogButton(this, "CancelBtn", state.langText(text::MainText::Cancel));

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(10);
    fields->addWidget(sInput, 0, 0);
    fields->addWidget(eInput, 0, 1);
    fields->addWidget(sSureInput, 1, 0);
    fields->addWidget(eSureInput, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bWrite);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(14);
    layout->addLayout(fields);
    layout->addWidget(cbWriteWithNewPD);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, &TNewPasswordDlg::OKBtnClick);
    connect(bWrite, &QPushButton::clicked, this, &TNewPasswordDlg::bWriteClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TNewPasswordDlg::eventFilter(QObject *watched, QEvent *event)
{
    // Only a move of the focus within the dialog leaves the check box; the
    // window losing the focus (closing, a message on top) does not.
    if (watched == cbWriteWithNewPD && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        cbWriteWithNewPDExit();
    return QDialog::eventFilter(watched, event);
}

void TNewPasswordDlg::cbWriteWithNewPDExit()
{
    m_state.program().codeplug.setSetting(Setting::writeNewPassword,
                                          cbWriteWithNewPD->isChecked() ? 1 : 0);
}

void TNewPasswordDlg::showMessage(const QString &text)
{
    TUserWarnDlg message(m_state.lang(), this);
    message.setMessage(text);
    message.exec();
}

bool TNewPasswordDlg::takeNewPassword()
{
    const auto bytes = passwordBytes(eInput->text());
    if (!passwordsMatch(eInput->text(), eSureInput->text()) || !bytes) {
        showMessage(m_state.langText(text::MainText::PasswordNoMatch));
        return false;
    }
    m_state.program().codeplug.setText(TextField::newRadioPassword, *bytes);
    return true;
}

void TNewPasswordDlg::OKBtnClick()
{
    // Enter on the check box confirms without the check box losing the
    // focus; its state must not be lost for that.
    cbWriteWithNewPDExit();
    if (takeNewPassword())
        showMessage(QStringLiteral("OK"));
    accept();
}

void TNewPasswordDlg::bWriteClick()
{
    if (!takeNewPassword())
        return;
    // The radio's current password is checked first; the dialog stays open
    // whatever the outcome, so a failed write can be tried again.
    TProgramDialog dialog(m_state, link::OpCode::Password, link::ReadMode::Write, this);
    dialog.exec();
    dialog.takeResult();
}

} // namespace t880
