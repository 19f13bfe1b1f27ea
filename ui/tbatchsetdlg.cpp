#include "ui/tbatchsetdlg.h"

#include "codeplug/tonecodec.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/messagedialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace t880 {

namespace {

// Longest text a frequency field takes: "438.51250".
constexpr int MaxFrequencyText = 9;

QLineEdit *frequencyField(const char *name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setMaxLength(MaxFrequencyText);
    return field;
}

} // namespace

TBatchSetDlg::TBatchSetDlg(const Document &state, QWidget *parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("TBatchSetDlg"));
    const auto t = [&](int n) {
        return state.langText(n);
    };
    setWindowTitle(t(text::MainText::BatchSet));
    seStartCh = new QSpinBox(this);
    seStartCh->setObjectName(QStringLiteral("seStartCh"));
    seEndCh = new QSpinBox(this);
    seEndCh->setObjectName(QStringLiteral("seEndCh"));
    for (QSpinBox *box : {seStartCh, seEndCh})
        box->setRange(1, CodeplugData::Channels);
    seEndCh->setValue(CodeplugData::Channels);
    edStartFreq = frequencyField("edStartFreq", this);
    edStartFreq->setText(codec::formatFrequency(state.program().activeBandLow));
    edStep = frequencyField("edStep", this);
    edStep->setText(QStringLiteral("0.02500"));

    lbStartCh = new QLabel(t(text::MainText::StartChannel), this);
    lbEndCh = new QLabel(t(text::MainText::EndChannel), this);
    lbStartFreq = new QLabel(t(text::MainText::StartFrequency), this);
    lbStep = new QLabel(t(text::MainText::StepMhz), this);
    auto *form = new QFormLayout;
    form->addRow(lbStartCh, seStartCh);
    form->addRow(lbEndCh, seEndCh);
    form->addRow(lbStartFreq, edStartFreq);
    form->addRow(lbStep, edStep);

    OKBtn = new QPushButton(t(text::MainText::Ok), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(t(text::MainText::Cancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TBatchSetDlg::tryAccept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void TBatchSetDlg::setChannels(int first, int last)
{
    seStartCh->setValue(first);
    seEndCh->setValue(last);
}

int TBatchSetDlg::startChannel() const
{
    return seStartCh->value();
}

int TBatchSetDlg::endChannel() const
{
    return seEndCh->value();
}

void TBatchSetDlg::tryAccept()
{
    const std::optional<std::uint32_t> start = codec::parseFrequency(edStartFreq->text().trimmed());
    const std::optional<std::uint32_t> step = codec::parseFrequency(edStep->text().trimmed());
    // An empty field reads as 0 Hz, which is no start frequency.
    if (!start || *start == 0 || !step || startChannel() > endChannel()) {
        TUserWarnDlg warning(m_state.lang(), this);
        warning.setMessage(m_state.langText(text::MainText::BadBatchValues));
        warning.exec();
        return;
    }
    m_startHz = *start;
    m_stepHz = *step;
    accept();
}

} // namespace t880
