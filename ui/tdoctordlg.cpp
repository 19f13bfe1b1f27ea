#include "ui/tdoctordlg.h"

#include "text/textnames.h"
#include "ui/document.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

TDoctorDlg::TDoctorDlg(const Document &state, const link::DoctorReport &report, bool offerSearch,
                       QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DoctorDlg"));
    setWindowTitle(state.langText(text::MainText::DoctorTitle));

    FindingsText = new QPlainTextEdit(this);
    FindingsText->setObjectName(QStringLiteral("FindingsText"));
    FindingsText->setAccessibleName(state.langText(text::MainText::DoctorTitle));
    FindingsText->setReadOnly(true);
    FindingsText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    FindingsText->setPlainText(report.lines(state.lang()).join(u'\n'));
    const QFontMetrics fm(FindingsText->font());
    FindingsText->setMinimumSize(fm.averageCharWidth() * 72, fm.lineSpacing() * 14);

    SearchBtn = new QPushButton(state.langText(text::MainText::SearchAllPorts), this);
    SearchBtn->setObjectName(QStringLiteral("SearchBtn"));
    SearchBtn->setVisible(offerSearch && report.offerSearch);
    CloseBtn = new QPushButton(state.langText(text::MainText::Close), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setDefault(true);
    CloseBtn->setMinimumWidth(88);
    connect(SearchBtn, &QPushButton::clicked, this, [this] { done(SearchAgain); });
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SearchBtn);
    buttons->addWidget(CloseBtn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(FindingsText);
    layout->addLayout(buttons);
    CloseBtn->setFocus();
}

} // namespace t880
