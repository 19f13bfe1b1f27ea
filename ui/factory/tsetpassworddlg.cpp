#include "ui/factory/tsetpassworddlg.h"

#include "factory/passwordentry.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/factory/passwordfield.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

TSetPasswordDlg::TSetPasswordDlg(Document &state, QWidget *parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("SetPasswordDlg"));
    setWindowTitle(state.langText(text::MainText::PasswordTitle));
    sPassword = new QLabel(state.langText(text::MainText::InputPassword), this);
    sPassword->setObjectName(QStringLiteral("sPassword"));
    eInput = makePasswordField(this, "eInput", true);
    sPassword->setBuddy(eInput);
    eInput->setAccessibleName(state.langText(text::MainText::InputPassword));
    OKBtn = makeDialogButton(this, "OKBtn", state.langText(text::MainText::Ok));
    OKBtn->setDefault(true);
    CancelBtn = makeDialogButton(this, "CancelBtn", state.langText(text::MainText::Cancel));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    layout->addWidget(sPassword);
    layout->addWidget(eInput);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, &TSetPasswordDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TSetPasswordDlg::OKBtnClick()
{
    // The field's validator lets through only what the codeplug can hold.
    if (const auto bytes = passwordBytes(eInput->text()))
        m_state.program().codeplug.setText(TextField::radioPassword, *bytes);
    accept();
}

} // namespace t880
