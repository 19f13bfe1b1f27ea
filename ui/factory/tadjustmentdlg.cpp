#include "ui/factory/tadjustmentdlg.h"

#include "factory/calibrationfields.h"
#include "factory/calibrationfile.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/factory/offsetspinbox.h"
#include "ui/filedialogs.h"
#include "ui/focusreturn.h"
#include "ui/messagedialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace t880 {

namespace {

constexpr int kOffsetMinimum = -50;
constexpr int kOffsetMaximum = 50;
constexpr int kFirstOffsetMHz = 400;

// The status texts: control, name in the dialog's table, comparison result.
struct StatusText
{
    const char *control;
    int nameText;
    bool comparison;
};
constexpr StatusText kStatusTexts[] = {
    {"sCurBatt", text::AdjustText::CurrentBattery, false},
    {"sRssi_db", text::AdjustText::SignalStrength, false},
    {"sNoise_db", text::AdjustText::NoiseStrength, false},
    {"sModu_db", text::AdjustText::ModulationLevel, false},
    {"sOffset", text::AdjustText::Offset, false},
    {"sPkdet_rssi", text::AdjustText::AdjacentLevel, false},
    {"sRssi_cmp1", text::AdjustText::SignalCompare1, true},
    {"sNoise_cmp1", text::AdjustText::NoiseCompare1, true},
    {"sModu_cmp", text::AdjustText::ModulationCompare, true},
    {"sPkdet_cmp", text::AdjustText::AdjacentCompare, true},
    {"sRssi_cmp3", text::AdjustText::SignalCompare3, true},
    {"sNoise_cmp2", text::AdjustText::NoiseCompare2, true},
};

// How the chip decides to open the squelch, and how to tune it.
const char kMemo[] = "SQ = ( Rssi_cmp1  )\n"
                     "  && ( Noise_cmp1 )\n"
                     "  && ( ~Modu_cmp  )\n"
                     "  && ( Noise_cmp2 || Rssi_cmp3 || ~Pkdet_cmp )\n"
                     "\n"
                     "1. 调试静噪时，先把各静噪等级设为相同的值，接收调好之后再把各等级拉开。\n"
                     "2. 调试静噪等级时，请先关闭调制检测（Modu signal）和弱信号检测，"
                     "调好之后再打开。\n"
                     "3. 弱信号各项数值与接收电路有关，必须通过实际测量确定。";

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    return l;
}

QLabel *hint(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    l->setPalette(p);
    return l;
}

QGroupBox *group(const QString &title, QWidget *parent)
{
    auto *g = new QGroupBox(title, parent);
    return g;
}

} // namespace

TAdjustmentDlg::TAdjustmentDlg(Document &state, std::function<void()> writeCodeplug,
                               QWidget *parent)
    : QDialog(parent), m_state(state), m_writeCodeplug(std::move(writeCodeplug))
{
    setObjectName(QStringLiteral("AdjustmentDlg"));
    setWindowTitle(QStringLiteral(" ")); // the dialog has no title text

    auto *top = new QHBoxLayout;
    top->addWidget(buildPointsGroup());
    top->addWidget(buildChipGroup());
    top->addWidget(buildLevelsGroup());
    auto *middle = new QHBoxLayout;
    middle->addWidget(buildThresholdGroup());
    middle->addWidget(buildOffsetGroup());
    middle->addWidget(buildStatusGroup(), 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addWidget(buildMemo());
    layout->addLayout(buildButtons());
    buildHiddenFields();
    display();
}

// --- construction ------------------------------------------------------------

QString TAdjustmentDlg::text(int n) const
{
    return m_state.tableText(text::TextTable::Adjust, n);
}

void TAdjustmentDlg::describe(QWidget *w, const QString &control, const QString &name, int minimum,
                              int maximum)
{
    w->setAccessibleName(name);
    if (minimum <= maximum) {
        w->setToolTip(text(text::AdjustText::NameWithRange).arg(name).arg(minimum).arg(maximum));
        w->setAccessibleDescription(
            QStringLiteral("%1: %2..%3").arg(control).arg(minimum).arg(maximum));
    } else {
        w->setToolTip(name);
        w->setAccessibleDescription(control);
    }
}

QLineEdit *TAdjustmentDlg::makeEdit(const QString &control)
{
    const CalibrationEdit *edit = findCalibrationEdit(control);
    Q_ASSERT(edit);
    auto *e = new QLineEdit(this);
    e->setObjectName(control);
    e->setFixedWidth(edit->digits > 3 ? 54 : 46);
    e->setAlignment(Qt::AlignRight);
    QString name = text(edit->nameText);
    if (edit->nameArg)
        name = name.arg(edit->nameArg);
    describe(e, control, name, edit->minimum, edit->maximum);
    e->installEventFilter(this);
    const int digits = edit->digits;
    connect(e, &QLineEdit::textChanged, this,
            [this, e, digits] { EditChangeCommonFun(e, digits); });
    connect(e, &QLineEdit::returnPressed, this, [this, e] { commitField(e); });
    m_fields.insert(control, e);
    m_edits.insert(e, edit);
    e->setVisible(!edit->hidden);
    return e;
}

QLineEdit *TAdjustmentDlg::makeStatus(const QString &control, int nameText)
{
    auto *e = new QLineEdit(this);
    e->setObjectName(control);
    e->setReadOnly(true);
    e->setFixedWidth(54);
    e->setAlignment(Qt::AlignRight);
    describe(e, control, text(nameText), 1, 0);
    m_fields.insert(control, e);
    return e;
}

QPushButton *TAdjustmentDlg::makeButton(const char *name, const QString &caption, int hintText)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(caption);
    if (hintText >= 0)
        b->setToolTip(text(hintText));
    // Enter in a field commits the field; it must not press a button too.
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumWidth(72);
    return b;
}

QWidget *TAdjustmentDlg::buildPointsGroup()
{
    QGroupBox *g = group(QString(), this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->addWidget(caption(QStringLiteral("频点[100-600]"), g), 0, 0);
    grid->addWidget(caption(QStringLiteral("高功率"), g), 0, 1);
    grid->addWidget(caption(QStringLiteral("低功率"), g), 0, 2);
    for (int i = 0; i < 5; ++i) {
        const QString p = QStringLiteral("eFreq_%1").arg(i);
        grid->addWidget(makeEdit(p), i + 1, 0, Qt::AlignHCenter);
        grid->addWidget(makeEdit(p + QStringLiteral("_H")), i + 1, 1, Qt::AlignHCenter);
        grid->addWidget(makeEdit(p + QStringLiteral("_L")), i + 1, 2, Qt::AlignHCenter);
    }
    auto *box = new QVBoxLayout(g);
    box->addLayout(grid);
    box->addWidget(hint(QStringLiteral("如果用1846控制功率，则功率输入框的范围值为 0~63"), g));
    box->addStretch();
    g->setMaximumWidth(230);
    return g;
}

QWidget *TAdjustmentDlg::buildChipGroup()
{
    QGroupBox *g = group(QStringLiteral("1846设置"), this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    const std::pair<const char *, const char *> rows[] = {
        {"频偏", "ePinPian_W"},
        {"特殊频偏1", "ePinPian_W_Spe_1"},
        {"特殊频偏2", "ePinPian_W_Spe_2"},
        {"CTC频偏", "eCtcPinPian_W"},
        {"DCS频偏", "eDcsPinPian_W"},
        {"MIC增益", "eMicGain"},
        {"MIC增益微调", "eMicGainFine"},
    };
    const char *ranges[] = {"[0-1023]", "[0-1023]", "[0-1023]", "[0-63]",
                            "[0-63]",   "[0-15]",   "[0-127]"};
    int row = 0;
    for (const auto &[label, control] : rows) {
        QLineEdit *e = makeEdit(QLatin1String(control));
        QLabel *l = caption(QString::fromUtf8(label), g);
        l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1);
        grid->addWidget(hint(QLatin1String(ranges[row]), g), row, 2);
        ++row;
    }
    auto *box = new QVBoxLayout(g);
    box->addLayout(grid);
    box->addWidget(hint(QStringLiteral("频偏的范围为  0~127(1846)  0~1023(1846S)"), g));
    box->addStretch();
    return g;
}

QWidget *TAdjustmentDlg::buildLevelsGroup()
{
    QGroupBox *g = group(QString(), this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    const std::pair<const char *, const char *> rows[] = {
        {"SQ-1", "eSQL_L1"},         {"SQ-5", "eSQL_L4"},  {"SQ-9", "eSQL_L9"},
        {"V0X-1", "eVOX_L1"},        {"V0X-9", "eVOX_L9"}, {"待机电压", "eBatt_L0_Wait"},
        {"发射电压", "eBatt_L0_Tx"},
    };
    int row = 0;
    for (const auto &[label, control] : rows) {
        QLineEdit *e = makeEdit(QLatin1String(control));
        QLabel *l = caption(QString::fromUtf8(label), g);
        l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1);
        ++row;
    }
    auto *box = new QVBoxLayout(g);
    box->addLayout(grid);
    box->addWidget(hint(QStringLiteral("没标数值范围的输入框的范围均为 0~255"), g));
    box->addStretch();
    g->setMaximumWidth(220);
    return g;
}

QWidget *TAdjustmentDlg::buildThresholdGroup()
{
    QGroupBox *g = group(QString(), this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    const auto addRow = [&](int row, const char *label, const char *control) {
        QLineEdit *e = makeEdit(QLatin1String(control));
        QLabel *l = caption(QString::fromUtf8(label), g);
        l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1);
        return l;
    };
    addRow(0, "噪声阀门", "eNoise_th");
    QLabel *moduCaption = addRow(1, "阀门值", "eModu_th");
    moduCaption->setEnabled(false);
    field(QStringLiteral("eModu_th"))->setEnabled(false);
    cModu_dten = new QCheckBox(QStringLiteral("Modu signal"), g);
    cModu_dten->setObjectName(QStringLiteral("cModu_dten"));
    describe(cModu_dten, QStringLiteral("cModu_dten"), text(text::AdjustText::ModulationDetection),
             1, 0);
    cPkdet_dten = new QCheckBox(QStringLiteral("弱信号"), g);
    cPkdet_dten->setObjectName(QStringLiteral("cPkdet_dten"));
    describe(cPkdet_dten, QStringLiteral("cPkdet_dten"),
             text(text::AdjustText::WeakSignalDetection), 1, 0);
    grid->addWidget(cModu_dten, 2, 0, 1, 2);
    grid->addWidget(cPkdet_dten, 3, 0, 1, 2);
    addRow(4, "弱信号临道", "ePkdet_th");
    addRow(5, "弱信号场强", "eRssi3_th");
    addRow(6, "弱信号噪声", "eNoise2_th");
    auto *box = new QVBoxLayout(g);
    box->addWidget(hint(QStringLiteral("此框中所有的输入范围都是[2-127]"), g));
    box->addLayout(grid);
    box->addStretch();

    const auto store = [this](const char *name, bool on) {
        m_state.program().calibration.setValue(*findCalibrationField(QLatin1String(name)),
                                               on ? 1 : 0);
    };
    connect(cModu_dten, &QCheckBox::clicked, this, [store](bool on) { store("cModu_dten", on); });
    connect(cPkdet_dten, &QCheckBox::clicked, this, [store](bool on) { store("cPkdet_dten", on); });
    g->setMaximumWidth(230);
    return g;
}

QWidget *TAdjustmentDlg::buildOffsetGroup()
{
    QGroupBox *g = group(QStringLiteral(" SQ偏差"), this);
    auto *grid = new QGridLayout(g);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    constexpr int rows = 7;
    for (int k = 0; k < CalibrationData::SquelchOffsets; ++k) {
        const int mhz = kFirstOffsetMHz + 10 * k;
        auto *spin = new OffsetSpinBox(g);
        spin->setObjectName(QStringLiteral("udSQ_offset_%1").arg(k));
        spin->setRange(kOffsetMinimum, kOffsetMaximum);
        spin->setFixedWidth(40);
        spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        describe(spin, spin->objectName(), text(text::AdjustText::SquelchOffsetAt).arg(mhz),
                 kOffsetMinimum, kOffsetMaximum);
        auto *position = new QLineEdit(g);
        position->setObjectName(QStringLiteral("sSQ_offset_%1").arg(k));
        position->setReadOnly(true);
        position->setFocusPolicy(Qt::NoFocus);
        position->setFixedWidth(40);
        position->setAlignment(Qt::AlignRight);
        position->setAccessibleName(text(text::AdjustText::SquelchOffsetAt).arg(mhz));
        position->setAccessibleDescription(position->objectName());
        auto *label = caption(QString::number(mhz), g);
        label->setBuddy(spin);
        const int row = k % rows;
        const int col = (k / rows) * 3;
        grid->addWidget(label, row, col);
        grid->addWidget(spin, row, col + 1);
        grid->addWidget(position, row, col + 2);
        m_offsets.insert(k, spin);
        m_offsetTexts.insert(k, position);
        connect(spin, &QSpinBox::valueChanged, this,
                [this, k](int value) { udSQ_offsetClick(k, value); });
    }
    grid->setRowStretch(rows, 1);
    return g;
}

QWidget *TAdjustmentDlg::buildStatusGroup()
{
    QGroupBox *g = group(QStringLiteral(" 机子状态 "), this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (const StatusText &s : kStatusTexts)
        makeStatus(QLatin1String(s.control), s.nameText);
    // Each level beside the comparison that it feeds.
    const struct
    {
        const char *label;
        const char *level;
        const char *comparison;
    } rows[] = {
        {"当前电压", "sCurBatt", nullptr},
        {"信号强度", "sRssi_db", "sRssi_cmp1"},
        {"噪声强度", "sNoise_db", "sNoise_cmp1"},
        {"Modu", "sModu_db", "sModu_cmp"},
        {"偏差", "sOffset", nullptr},
        {"弱信号临道", "sPkdet_rssi", "sPkdet_cmp"},
        {"弱信号场强", nullptr, "sRssi_cmp3"},
        {"弱信号噪声", nullptr, "sNoise_cmp2"},
    };
    int row = 0;
    for (const auto &r : rows) {
        QLabel *l = caption(QString::fromUtf8(r.label), g);
        grid->addWidget(l, row, 0);
        if (r.level) {
            QLineEdit *level = field(QLatin1String(r.level));
            grid->addWidget(level, row, 1);
            l->setBuddy(level);
        }
        if (r.comparison) {
            grid->addWidget(caption(QStringLiteral("比较结果"), g), row, 2);
            grid->addWidget(field(QLatin1String(r.comparison)), row, 3);
        }
        ++row;
    }
    field(QStringLiteral("sPkdet_rssi"))->hide();
    Read1846Status =
        makeButton("Read1846Status", QStringLiteral("读取机子状态"), text::AdjustText::HintStatus);
    auto *box = new QVBoxLayout(g);
    box->addLayout(grid);
    box->addWidget(Read1846Status, 0, Qt::AlignHCenter);
    box->addStretch();
    connect(Read1846Status, &QPushButton::clicked, this, &TAdjustmentDlg::Read1846StatusClick);
    return g;
}

QWidget *TAdjustmentDlg::buildMemo()
{
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QString::fromUtf8(kMemo));
    Memo1->setAccessibleName(text(text::AdjustText::HintMemo));
    Memo1->setToolTip(text(text::AdjustText::HintMemo));
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 9 + 12);
    Memo1->setTabChangesFocus(true);
    return Memo1;
}

QLayout *TAdjustmentDlg::buildButtons()
{
    bNew = makeButton("bNew", QStringLiteral("新建"), text::AdjustText::HintNew);
    bOpen = makeButton("bOpen", QStringLiteral("打开"), text::AdjustText::HintOpen);
    bSave = makeButton("bSave", QStringLiteral("保存"), text::AdjustText::HintSave);
    bWrite = makeButton("bWrite", QStringLiteral("写入"), text::AdjustText::HintWrite);
    bRead = makeButton("bRead", QStringLiteral("读取"), text::AdjustText::HintRead);
    Button1 = makeButton("Button1", QStringLiteral("..."), text::AdjustText::HintCodeplugWrite);
    bAssistant = makeButton("bAssistant", QString(), -1);
    bApcTune = makeButton("bApcTune", QString(), -1);
    OKBtn = makeButton("OKBtn", QString(), -1);
    for (QPushButton *b : {bAssistant, bApcTune, OKBtn})
        b->hide();
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : {bNew, bOpen, bSave, bWrite, bRead, Button1})
        row->addWidget(b);
    row->addStretch();
    connect(bNew, &QPushButton::clicked, this, &TAdjustmentDlg::bNewClick);
    connect(bOpen, &QPushButton::clicked, this, &TAdjustmentDlg::bOpenClick);
    connect(bSave, &QPushButton::clicked, this, &TAdjustmentDlg::bSaveClick);
    connect(bWrite, &QPushButton::clicked, this, &TAdjustmentDlg::bWriteClick);
    connect(bRead, &QPushButton::clicked, this, &TAdjustmentDlg::bReadClick);
    connect(Button1, &QPushButton::clicked, this, &TAdjustmentDlg::Button1Click);
    return row;
}

void TAdjustmentDlg::buildHiddenFields()
{
    // Fields never shown still exist, so that their values are kept and
    // shown values never depend on which fields are on screen.
    for (const CalibrationEdit &edit : calibrationEdits()) {
        if (!m_fields.contains(edit.control))
            makeEdit(edit.control)->hide();
    }
}

// --- editing -----------------------------------------------------------------

bool TAdjustmentDlg::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit && m_edits.contains(edit)) {
        if (event->type() == QEvent::KeyPress) {
            // ePinPian_WKeyPress: the key filter every field shares.
            const QString typed = static_cast<QKeyEvent *>(event)->text();
            for (QChar c : typed) {
                if (!calibrationKeyAccepted(c))
                    return true;
            }
        } else if (event->type() == QEvent::FocusOut &&
                   focusMovedWithinWindow(edit, static_cast<QFocusEvent *>(event))) {
            // Another window, a context menu or the close box take the
            // focus too: a half-typed value is not meant to be kept then.
            commitField(edit);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAdjustmentDlg::keyPressEvent(QKeyEvent *event)
{
    // The dialog is behind an access code, so Escape does not close it: it
    // takes back what was typed into the focused field.
    if (event->matches(QKeySequence::Cancel)) {
        revertFocusedField();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAdjustmentDlg::EditChangeCommonFun(QLineEdit *edit, int digits)
{
    const QString cut = cutToDigits(edit->text(), digits);
    if (cut == edit->text())
        return;
    edit->setText(cut);
    edit->setCursorPosition(int(cut.size()));
}

void TAdjustmentDlg::commitField(QLineEdit *edit)
{
    const CalibrationEdit *rule = m_edits.value(edit);
    if (!rule)
        return;
    const QString shown = commitCalibrationEdit(*rule, edit->text(), m_state.program().calibration);
    if (shown != edit->text()) {
        const QSignalBlocker block(edit);
        edit->setText(shown);
    }
}

void TAdjustmentDlg::commitFocusedField()
{
    if (auto *edit = qobject_cast<QLineEdit *>(focusWidget()))
        commitField(edit);
    else if (auto *spin = qobject_cast<OffsetSpinBox *>(focusWidget()))
        spin->interpretText();
}

void TAdjustmentDlg::revertFocusedField()
{
    QWidget *focus = focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus); edit && m_edits.contains(edit)) {
        showValue(edit);
        edit->selectAll();
        return;
    }
    for (auto it = m_offsets.cbegin(); it != m_offsets.cend(); ++it) {
        if (it.value() != focus)
            continue;
        const CalibrationField *f =
            findCalibrationField(QStringLiteral("udSQ_offset_%1").arg(it.key()));
        it.value()->showValue(m_state.program().calibration.value(*f));
        it.value()->selectAll();
    }
}

QSpinBox *TAdjustmentDlg::squelchOffset(int k) const
{
    return m_offsets.value(k);
}

void TAdjustmentDlg::showValue(QLineEdit *edit)
{
    const CalibrationField *f = findCalibrationField(edit->objectName());
    if (!f)
        return;
    int value = m_state.program().calibration.value(*f);
    if (edit->objectName().contains(QLatin1String("_cmp")))
        value = value != 0 ? 1 : 0;
    // The whole value, even one longer than the field keeps: a file may
    // hold anything, and a cut text would misstate it.
    const QSignalBlocker block(edit);
    edit->setText(QString::number(value));
}

void TAdjustmentDlg::udSQ_offsetClick(int k, int position)
{
    const CalibrationField *f = findCalibrationField(QStringLiteral("udSQ_offset_%1").arg(k));
    m_state.program().calibration.setValue(*f, position);
    m_offsetTexts.value(k)->setText(QString::number(position));
}

void TAdjustmentDlg::display()
{
    const CalibrationData &record = m_state.program().calibration;
    for (QLineEdit *edit : std::as_const(m_fields))
        showValue(edit);
    cModu_dten->setChecked(record.value(*findCalibrationField(QStringLiteral("cModu_dten"))) != 0);
    cPkdet_dten->setChecked(record.value(*findCalibrationField(QStringLiteral("cPkdet_dten"))) !=
                            0);
    for (int k = 0; k < CalibrationData::SquelchOffsets; ++k) {
        const int value =
            record.value(*findCalibrationField(QStringLiteral("udSQ_offset_%1").arg(k)));
        m_offsets.value(k)->showValue(value);
        m_offsetTexts.value(k)->setText(QString::number(value));
    }
}

} // namespace t880
