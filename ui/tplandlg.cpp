#include "ui/tplandlg.h"

#include "codeplug/tonecodec.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace t880 {

namespace {

QString bandText(std::uint32_t low, std::uint32_t high)
{
    return QStringLiteral("%1-%2 MHz")
        .arg(codec::formatFrequency(low), codec::formatFrequency(high));
}

} // namespace

TPlanDlg::TPlanDlg(const Document &state, QWidget *parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("PlanDlg"));
    setWindowTitle(text::menuCaption(state.langText(text::MainText::NewFromPlanItem)));
    const auto t = [&state](int n) {
        return state.langText(n);
    };

    lPlans = new QListWidget(this);
    lPlans->setObjectName(QStringLiteral("lPlans"));
    lPlans->setAccessibleName(windowTitle());
    for (const plans::Plan &p : plans::builtIn())
        lPlans->addItem(
            QStringLiteral("%1 (%2)").arg(p.name, p.region.in(state.lang().language())));
    lPlans->setFixedWidth(lPlans->sizeHintForColumn(0) + 2 * lPlans->frameWidth() + 24);

    sDescription = new QLabel(this);
    sDescription->setObjectName(QStringLiteral("sDescription"));
    sSource = new QLabel(this);
    sSource->setObjectName(QStringLiteral("sSource"));
    sRules = new QLabel(this);
    sRules->setObjectName(QStringLiteral("sRules"));
    sBand = new QLabel(this);
    sBand->setObjectName(QStringLiteral("sBand"));
    sBand->setStyleSheet(QStringLiteral("color: #b00020"));
    for (QLabel *label : {sDescription, sSource, sRules, sBand}) {
        label->setWordWrap(true);
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
        label->installEventFilter(this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    tPreview = new QTableWidget(0, 6, this);
    tPreview->setObjectName(QStringLiteral("tPreview"));
    tPreview->setHorizontalHeaderLabels(
        {t(text::MainText::NumberColumn), t(text::MainText::RxFrequencyColumn),
         t(text::MainText::TxFrequencyColumn), t(text::MainText::PowerColumn),
         t(text::MainText::BandwidthColumn), t(text::MainText::NameColumn)});
    tPreview->verticalHeader()->hide();
    tPreview->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    tPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tPreview->setSelectionMode(QAbstractItemView::NoSelection);
    tPreview->setFocusPolicy(Qt::NoFocus);

    // The port dialog's OK and Cancel: the main table's own captions of
    // them are the older prompts' ("Cannel").
    OKBtn = new QPushButton(state.tableText(text::TextTable::Port, text::PortText::Ok), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn =
        new QPushButton(state.tableText(text::TextTable::Port, text::PortText::Cancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (chosen())
            accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(lPlans, &QListWidget::currentRowChanged, this, &TPlanDlg::showPlan);
    connect(lPlans, &QListWidget::itemDoubleClicked, OKBtn, &QPushButton::click);

    auto *details = new QVBoxLayout;
    details->addWidget(sDescription);
    details->addWidget(sSource);
    details->addWidget(sRules);
    details->addWidget(sBand);
    details->addWidget(tPreview, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(lPlans);
    top->addLayout(details, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(820, 560);
    lPlans->setCurrentRow(0);
    lPlans->setFocus(Qt::OtherFocusReason);
}

const plans::Plan *TPlanDlg::chosen() const
{
    const int row = lPlans->currentRow();
    const std::vector<plans::Plan> &all = plans::builtIn();
    if (row < 0 || row >= int(all.size()) || !bandProblem(all[std::size_t(row)]).isEmpty())
        return nullptr;
    return &all[std::size_t(row)];
}

QString TPlanDlg::bandProblem(const plans::Plan &plan) const
{
    const std::uint32_t low = m_state.program().activeBandLow;
    const std::uint32_t high = m_state.program().activeBandHigh;
    if (plan.fits(low, high))
        return QString();
    std::vector<plans::BandRange> bands;
    for (const BandLimits &b : m_state.config().bands)
        bands.emplace_back(b.min, b.max);
    const std::optional<int> holder = plans::firstBandHolding(plan, bands);
    if (!holder)
        return m_state.langText(text::MainText::PlanNoBand)
            .arg(plans::spanText(plan), bandText(low, high));
    const plans::BandRange &b = bands[std::size_t(*holder)];
    return m_state.langText(text::MainText::PlanOutsideBand)
        .arg(plans::spanText(plan), bandText(low, high))
        .arg(*holder + 1)
        .arg(bandText(b.first, b.second))
        .arg(*holder);
}

void TPlanDlg::showPlan()
{
    const int row = lPlans->currentRow();
    const std::vector<plans::Plan> &all = plans::builtIn();
    if (row < 0 || row >= int(all.size()))
        return;
    const plans::Plan &plan = all[std::size_t(row)];
    const text::Language language = m_state.lang().language();
    sDescription->setText(plan.description.in(language));
    sSource->setText(m_state.langText(text::MainText::PlanRegion).arg(plan.region.in(language)) +
                     QStringLiteral("    ") +
                     m_state.langText(text::MainText::PlanRegulation).arg(plan.regulation));
    sRules->setText(plan.rules.in(language));
    const QString problem = bandProblem(plan);
    sBand->setText(problem);
    sBand->setVisible(!problem.isEmpty());
    OKBtn->setEnabled(problem.isEmpty());

    tPreview->setRowCount(int(plan.channels.size()));
    const QString width =
        m_state.langText(plan.wide ? text::MainText::Wide : text::MainText::Narrow);
    for (int n = 0; n < int(plan.channels.size()); ++n) {
        const plans::PlanChannel &c = plan.channels[std::size_t(n)];
        const QStringList cells = {
            QStringLiteral("%1").arg(n + 1, 2, 10, QLatin1Char('0')),
            codec::formatFrequency(c.rx),
            codec::formatFrequency(c.tx),
            m_state.langText(c.highPower ? text::MainText::High : text::MainText::Low),
            width,
            QString::fromLatin1(c.name)};
        for (int column = 0; column < cells.size(); ++column)
            tPreview->setItem(n, column, new QTableWidgetItem(cells[column]));
    }
    tPreview->resizeColumnsToContents();
    tPreview->horizontalHeader()->setStretchLastSection(true);
    for (QLabel *label : {sDescription, sSource, sRules, sBand})
        fitText(label);
    layout()->activate();
}

bool TPlanDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        fitText(static_cast<QLabel *>(watched));
    return QDialog::eventFilter(watched, event);
}

void TPlanDlg::fitText(QLabel *label)
{
    if (label->width() <= 0)
        return;
    // The label's own minimum would count in what it says it needs.
    label->setMinimumHeight(0);
    label->setMinimumHeight(label->heightForWidth(label->width()));
}

} // namespace t880
