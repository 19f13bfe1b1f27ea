#include "ui/factory/tpassworddlg.h"

#include "factory/passwordentry.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/factory/passwordfield.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

TPasswordDlg::TPasswordDlg(const Document &state, std::function<void()> openCalibration,
                           QWidget *parent)
    : QDialog(parent), m_openCalibration(std::move(openCalibration))
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral(" ")); // no title text
    eInput = makePasswordField(this, "eInput", false);
    OKBtn = makeDialogButton(this, "OKBtn", state.langText(text::MainText::Ok));
    OKBtn->setDefault(true);
    CancelBtn = makeDialogButton(this, "CancelBtn", state.langText(text::MainText::Cancel));
    eInput->setAccessibleName(
        state.tableText(text::TextTable::Main, text::MainText::PasswordTitle));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(16);
    layout->addWidget(eInput, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, &TPasswordDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDlg::OKBtnClick()
{
    // A wrong code says nothing, so the prompt gives no hint of what it wants.
    if (accessCodeMatches(eInput->text()) && m_openCalibration)
        m_openCalibration();
    accept();
}

} // namespace t880
