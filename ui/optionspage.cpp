#include "ui/optionspage.h"

#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/changemark.h"
#include "ui/document.h"
#include "ui/dropdownstyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace t880 {

namespace {

template <class W> W *named(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

OptionsPage::OptionsPage(Document &document, QWidget *parent) : QWidget(parent), m_doc(document)
{
    setObjectName(QStringLiteral("TabSheet_Option"));

    // The settings group on the left, the two check boxes beside it.
    auto *settings = named<QGroupBox>(this, "gbOptions");
    sSQL = named<QLabel>(settings, "sSQL");
    cbSQL = named<QComboBox>(settings, "cbSQL");
    sTOT = named<QLabel>(settings, "sTOT");
    cbTOT = named<QComboBox>(settings, "cbTOT");
    sTOA = named<QLabel>(settings, "sTOA");
    cbTOA = named<QComboBox>(settings, "cbTOA");
    sVoice = named<QLabel>(settings, "sVoice");
    cbVoice = named<QComboBox>(settings, "cbVoice");
    sSaving_Rate = named<QLabel>(settings, "sSaving_Rate");
    cbSaving_Rate = named<QComboBox>(settings, "cbSaving_Rate");
    cBeep = named<QCheckBox>(this, "cBeep");
    cSaving = named<QCheckBox>(this, "cSaving");

    // The DTMF group: remote state and codes, the identity code.
    gbDtmf = named<QGroupBox>(this, "gbDtmf");
    sDtmf = named<QLabel>(gbDtmf, "sDtmf");
    QFont captionFont = sDtmf->font();
    captionFont.setBold(true);
    sDtmf->setFont(captionFont);
    sDizzyState = named<QLabel>(gbDtmf, "sDizzyState");
    cbDizzyState = named<QComboBox>(gbDtmf, "cbDizzyState");
    sDizzy = named<QLabel>(gbDtmf, "sDizzy");
    eDizzy = named<QLineEdit>(gbDtmf, "eDizzy");
    sStun = named<QLabel>(gbDtmf, "sStun");
    eStun = named<QLineEdit>(gbDtmf, "eStun");
    sActivation = named<QLabel>(gbDtmf, "sActivation");
    eActivation = named<QLineEdit>(gbDtmf, "eActivation");
    sANI = named<QLabel>(gbDtmf, "sANI");
    eANI = named<QLineEdit>(gbDtmf, "eANI");
    cD_SideTone = named<QCheckBox>(gbDtmf, "cD_SideTone");
    cSendANI = named<QCheckBox>(gbDtmf, "cSendANI");

    using optionedit::OptionCheck;
    using optionedit::OptionList;
    m_lists = {
        {{cbSQL, sSQL, OptionList::Sql, text::MainText::Sql, text::MainText::SqlTip},
         {cbTOT, sTOT, OptionList::Tot, text::MainText::Tot, text::MainText::TotTip},
         {cbTOA, sTOA, OptionList::Toa, text::MainText::Toa, text::MainText::ToaTip},
         {cbVoice, sVoice, OptionList::Voice, text::MainText::Voice, text::MainText::VoiceTip},
         {cbSaving_Rate, sSaving_Rate, OptionList::SavingRate, text::MainText::SavingRate,
          text::MainText::SavingRateTip},
         {cbDizzyState, sDizzyState, OptionList::DizzyState, text::MainText::Status,
          text::MainText::StatusTip}}};
    m_checks = {
        {{cBeep, OptionCheck::KeyBeep, text::MainText::KeyBeep, text::MainText::KeyBeepTip},
         {cSaving, OptionCheck::BatterySave, text::MainText::BatterySave,
          text::MainText::BatterySaveTip},
         {cD_SideTone, OptionCheck::SideTone, text::MainText::SideTone,
          text::MainText::SideToneTip},
         {cSendANI, OptionCheck::SendAni, text::MainText::SendAni, text::MainText::SendAniTip}}};
    // The labels follow the text numbers in every language (the Chinese
    // tables name kill and stun the other way round from the English one),
    // and so do the tooltips.
    m_codes = {{{eDizzy, sDizzy, CodeField::dizzyCode, text::MainText::RemoteKill,
                 text::MainText::RemoteKillTip},
                {eStun, sStun, CodeField::stunCode, text::MainText::RemoteStun,
                 text::MainText::RemoteStunTip},
                {eActivation, sActivation, CodeField::activationCode, text::MainText::Revive,
                 text::MainText::ReviveTip},
                {eANI, sANI, CodeField::aniCode, text::MainText::Ani, text::MainText::AniTip}}};

    for (ListControl &c : m_lists) {
        c.label->setBuddy(c.box);
        c.box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        c.box->installEventFilter(this);
        c.mark = new ChangeMark(c.box);
    }
    for (CheckControl &c : m_checks) {
        c.box->installEventFilter(this);
        c.mark = new ChangeMark(c.box);
    }
    // Ten digits and room for the caret, whatever the font.
    m_codeWidth = fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDDDD")) + 16;
    for (CodeControl &c : m_codes) {
        c.mark = new ChangeMark(c.edit);
        c.label->setBuddy(c.edit);
        c.edit->installEventFilter(this);
        QLineEdit *edit = c.edit;
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { onCodeEdited(edit); });
        connect(edit, &QLineEdit::textChanged, this, [edit](const QString &text) {
            // The length limit: the text past the tenth character goes and
            // the caret waits at the end.
            if (text.size() > optionedit::MaxCodeText) {
                edit->setText(text.left(optionedit::MaxCodeText));
                edit->setCursorPosition(optionedit::MaxCodeText);
            }
        });
    }
    // The rate means something only while battery saving is on.
    connect(cSaving, &QCheckBox::clicked, cbSaving_Rate, &QWidget::setEnabled);
    connect(&m_doc, &Document::settingsChanged, this, &OptionsPage::showChanges);
    connect(&m_doc, &Document::baselineChanged, this, &OptionsPage::showChanges);

    // Labels and controls in two aligned columns; the lists of a group are
    // made equally wide by applyLanguage().
    auto *settingsGrid = new QGridLayout(settings);
    int row = 0;
    for (QWidget *w : {static_cast<QWidget *>(cbSQL), static_cast<QWidget *>(cbTOT),
                       static_cast<QWidget *>(cbTOA), static_cast<QWidget *>(cbVoice),
                       static_cast<QWidget *>(cbSaving_Rate)}) {
        settingsGrid->addWidget(m_lists[std::size_t(row)].label, row, 0);
        settingsGrid->addWidget(w, row, 1, Qt::AlignLeft);
        ++row;
    }

    auto *checks = new QVBoxLayout;
    checks->addWidget(cBeep);
    checks->addWidget(cSaving);
    checks->addStretch();

    // The caption is the group's first row, inside its frame, where every
    // style leaves it (a group box title may sit on or above the frame).
    auto *dtmfGrid = new QGridLayout(gbDtmf);
    dtmfGrid->addWidget(sDtmf, 0, 0, 1, 2);
    dtmfGrid->addWidget(sDizzyState, 1, 0);
    dtmfGrid->addWidget(cbDizzyState, 1, 1, Qt::AlignLeft);
    row = 2;
    for (const CodeControl &c : m_codes) {
        dtmfGrid->addWidget(c.label, row, 0);
        dtmfGrid->addWidget(c.edit, row, 1, Qt::AlignLeft);
        ++row;
    }
    dtmfGrid->addWidget(cD_SideTone, row++, 0, 1, 2);
    dtmfGrid->addWidget(cSendANI, row, 0, 1, 2);

    auto *columns = new QHBoxLayout;
    columns->addWidget(settings, 0, Qt::AlignTop);
    columns->addSpacing(12);
    columns->addLayout(checks);
    columns->addSpacing(12);
    columns->addWidget(gbDtmf, 0, Qt::AlignTop);
    columns->addStretch();
    auto *page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addStretch();

    // Tab goes down the settings, then the check boxes, then the DTMF group.
    const QList<QWidget *> order = {cbSQL,       cbTOT,   cbTOA,        cbVoice, cbSaving_Rate,
                                    cBeep,       cSaving, cbDizzyState, eDizzy,  eStun,
                                    eActivation, eANI,    cD_SideTone,  cSendANI};
    for (int k = 1; k < order.size(); ++k)
        setTabOrder(order[k - 1], order[k]);

    // Made last, so that it outlives the lists that use it.
    auto *dropDowns = new DropDownStyle(this);
    for (const ListControl &c : m_lists)
        dropDowns->limit(c.box);
}

void OptionsPage::applyLanguage()
{
    const CodeplugData &codeplug = m_doc.program().codeplug;
    const optionedit::TextLookup text = [this](int n) {
        return m_doc.langText(n);
    };
    for (ListControl &c : m_lists) {
        c.label->setText(text(c.textNumber));
        c.label->setToolTip(text(c.tipNumber));
        c.box->setToolTip(text(c.tipNumber));
        c.box->setAccessibleName(text::menuCaption(text(c.textNumber)));
        c.box->clear();
        c.box->addItems(optionedit::listItems(c.list, text));
        // A value no item stands for shows no selection.
        c.shown = optionedit::shownIndex(c.list, codeplug.setting(optionedit::listSetting(c.list)));
        c.box->setCurrentIndex(c.shown);
    }
    for (CheckControl &c : m_checks) {
        c.box->setText(text(c.textNumber));
        c.box->setToolTip(text(c.tipNumber));
        c.shown =
            optionedit::shownChecked(c.check, codeplug.setting(optionedit::checkSetting(c.check)));
        c.box->setChecked(c.shown);
    }
    cbSaving_Rate->setEnabled(codeplug.setting(Setting::batterySave) == 1);
    // The lists of the settings group share one width, and the remote state
    // the width of the code editors, whatever the language's texts.
    int width = 0;
    for (QComboBox *b : {cbSQL, cbTOT, cbTOA, cbVoice, cbSaving_Rate}) {
        b->setMinimumWidth(0);
        width = std::max(width, b->sizeHint().width());
    }
    for (QComboBox *b : {cbSQL, cbTOT, cbTOA, cbVoice, cbSaving_Rate})
        b->setMinimumWidth(width);
    cbDizzyState->setMinimumWidth(0);
    const int codeWidth =
        std::max({cbDizzyState->sizeHint().width(), eDizzy->sizeHint().width(), m_codeWidth});
    cbDizzyState->setMinimumWidth(codeWidth);
    for (const CodeControl &c : m_codes)
        c.edit->setMinimumWidth(codeWidth);
    sDtmf->setText(text(text::MainText::Dtmf));
    gbDtmf->setAccessibleName(text(text::MainText::Dtmf));
    for (CodeControl &c : m_codes) {
        c.label->setText(text(c.textNumber));
        c.label->setToolTip(text(c.tipNumber));
        c.edit->setToolTip(text(c.tipNumber));
        c.edit->setAccessibleName(text::menuCaption(text(c.textNumber)));
        c.shown = optionedit::codeText(codeplug.code(c.field));
        c.edit->setText(c.shown);
    }
    showChanges();
}

void OptionsPage::showChanges()
{
    const CodeplugData &now = m_doc.program().codeplug;
    const CodeplugData &before = m_doc.baseline();
    for (const ListControl &c : m_lists) {
        const Setting s = optionedit::listSetting(c.list);
        c.mark->setChanged(now.setting(s) != before.setting(s));
    }
    for (const CheckControl &c : m_checks) {
        const Setting s = optionedit::checkSetting(c.check);
        c.mark->setChanged(now.setting(s) != before.setting(s));
    }
    // A code is changed when it reads differently, as a grid cell is.
    for (const CodeControl &c : m_codes) {
        c.mark->setChanged(optionedit::codeText(now.code(c.field)) !=
                           optionedit::codeText(before.code(c.field)));
    }
}

void OptionsPage::commit()
{
    for (ListControl &c : m_lists)
        commitList(c);
    for (CheckControl &c : m_checks)
        commitCheck(c);
    for (CodeControl &c : m_codes)
        commitCode(c);
}

void OptionsPage::commitControl(QObject *control)
{
    for (ListControl &c : m_lists) {
        if (c.box == control)
            commitList(c);
    }
    for (CheckControl &c : m_checks) {
        if (c.box == control)
            commitCheck(c);
    }
    for (CodeControl &c : m_codes) {
        if (c.edit == control)
            commitCode(c);
    }
}

void OptionsPage::commitList(ListControl &c)
{
    // No selection (a value no item stands for) keeps the field's own value.
    const int index = c.box->currentIndex();
    if (index == c.shown)
        return;
    bool taken = false;
    m_doc.edit(StepName(), [&](ProgramState &program) {
        taken = optionedit::commitItem(program.codeplug, c.list, index);
    });
    if (taken)
        c.shown = index;
}

void OptionsPage::commitCheck(CheckControl &c)
{
    // A foreign value such as 2 shows unchecked and stays 2 until the box is
    // ticked or cleared.
    if (c.box->isChecked() == c.shown)
        return;
    c.shown = c.box->isChecked();
    const bool checked = c.shown;
    m_doc.edit(StepName(), [&](ProgramState &program) {
        program.codeplug.setSetting(optionedit::checkSetting(c.check), checked ? 1 : 0);
    });
}

void OptionsPage::commitCode(CodeControl &c)
{
    // An unchanged text keeps the stored code as it is, digits past its
    // count and a foreign count above ten included.
    if (c.edit->text() == c.shown)
        return;
    c.shown = c.edit->text();
    const QString text = c.shown;
    m_doc.edit(StepName(), [&](ProgramState &program) {
        program.codeplug.setCode(c.field, optionedit::codeFromText(text));
    });
}

void OptionsPage::onCodeEdited(QLineEdit *edit)
{
    // Typed keys are filtered before they arrive; a pasted or dropped text
    // is filtered here, the caret kept after the same characters.
    const QString text = edit->text();
    const QString kept = optionedit::filterCodeText(text);
    if (kept == text)
        return;
    const int caret = optionedit::filterCodeText(text.left(edit->cursorPosition())).size();
    edit->setText(kept);
    edit->setCursorPosition(std::min(caret, int(kept.size())));
}

bool OptionsPage::filterCodeKey(QLineEdit *edit, QKeyEvent *event)
{
    const QString typed = event->text();
    if (typed.size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false; // shortcuts, movement and editing keys
    const std::optional<QChar> kept = optionedit::filterCodeKey(typed.at(0));
    if (!kept)
        return true; // cannot be typed
    if (*kept != typed.at(0)) {
        edit->insert(QString(*kept)); // a..d go in as capitals
        return true;
    }
    return false;
}

bool OptionsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        commitControl(watched);
    } else if (event->type() == QEvent::KeyPress) {
        for (const CodeControl &c : m_codes) {
            if (c.edit == watched && filterCodeKey(c.edit, static_cast<QKeyEvent *>(event)))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace t880
