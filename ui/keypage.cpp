#include "ui/keypage.h"

#include "text/textnames.h"
#include "ui/changemark.h"
#include "ui/document.h"
#include "ui/dropdownstyle.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace t880 {

namespace {

Setting keySetting(bool sideKey)
{
    return sideKey ? Setting::key1Short : Setting::key2Short;
}

} // namespace

KeyPage::KeyPage(Document &document, QWidget *parent) : QWidget(parent), m_doc(document)
{
    setObjectName(QStringLiteral("TabSheet_Key"));
    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("gbKeys"));
    sKey_1_Short = new QLabel(group);
    sKey_1_Short->setObjectName(QStringLiteral("sKey_1_Short"));
    cbKey_1_Short = new QComboBox(group);
    cbKey_1_Short->setObjectName(QStringLiteral("cbKey_1_Short"));
    sKey_2_Short = new QLabel(group);
    sKey_2_Short->setObjectName(QStringLiteral("sKey_2_Short"));
    cbKey_2_Short = new QComboBox(group);
    cbKey_2_Short->setObjectName(QStringLiteral("cbKey_2_Short"));
    for (QComboBox *box : {cbKey_1_Short, cbKey_2_Short}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->installEventFilter(this);
    }
    sKey_1_Short->setBuddy(cbKey_1_Short);
    sKey_2_Short->setBuddy(cbKey_2_Short);
    m_marks[0] = new ChangeMark(cbKey_1_Short);
    m_marks[1] = new ChangeMark(cbKey_2_Short);
    connect(&m_doc, &Document::settingsChanged, this, &KeyPage::showChanges);
    connect(&m_doc, &Document::baselineChanged, this, &KeyPage::showChanges);

    auto *grid = new QGridLayout(group);
    grid->addWidget(sKey_1_Short, 0, 0);
    grid->addWidget(cbKey_1_Short, 0, 1, Qt::AlignLeft);
    grid->addWidget(sKey_2_Short, 1, 0);
    grid->addWidget(cbKey_2_Short, 1, 1, Qt::AlignLeft);
    auto *row = new QHBoxLayout;
    row->addWidget(group, 0, Qt::AlignTop);
    row->addStretch();
    auto *page = new QVBoxLayout(this);
    page->addLayout(row);
    page->addStretch();
    setTabOrder(cbKey_1_Short, cbKey_2_Short);

    // Made last, so that it outlives the lists that use it.
    auto *dropDowns = new DropDownStyle(this);
    dropDowns->limit(cbKey_1_Short);
    dropDowns->limit(cbKey_2_Short);
}

void KeyPage::BuildKeyFunctionLists()
{
    m_keyFunctionsA = optionedit::keyFunctionsA();
    m_keyFunctionsB = optionedit::keyFunctionsB();
}

void KeyPage::applyLanguage()
{
    const std::pair<QComboBox *, QLabel *> keys[] = {{cbKey_1_Short, sKey_1_Short},
                                                     {cbKey_2_Short, sKey_2_Short}};
    for (const auto &[box, label] : keys) {
        const bool sideKey = box == cbKey_1_Short;
        const std::vector<optionedit::KeyFunction> &list =
            sideKey ? m_keyFunctionsA : m_keyFunctionsB;
        const QString caption =
            m_doc.langText(sideKey ? text::MainText::SideKey : text::MainText::FuncKey);
        const QString tip =
            m_doc.langText(sideKey ? text::MainText::SideKeyTip : text::MainText::FuncKeyTip);
        label->setText(caption);
        label->setToolTip(tip);
        box->setToolTip(tip);
        box->setAccessibleName(caption);
        box->clear();
        for (const optionedit::KeyFunction &f : list)
            box->addItem(m_doc.langText(f.textNumber));
        // A code in neither list shows no selection.
        const int index =
            optionedit::keyIndex(list, m_doc.program().codeplug.setting(keySetting(sideKey)));
        m_shown[sideKey ? 0 : 1] = index;
        box->setCurrentIndex(index);
    }
    // Both lists as wide as the wider of them.
    cbKey_1_Short->setMinimumWidth(0);
    cbKey_2_Short->setMinimumWidth(0);
    const int width =
        std::max(cbKey_1_Short->sizeHint().width(), cbKey_2_Short->sizeHint().width());
    cbKey_1_Short->setMinimumWidth(width);
    cbKey_2_Short->setMinimumWidth(width);
    showChanges();
}

void KeyPage::showChanges()
{
    for (const bool sideKey : {true, false}) {
        const Setting s = keySetting(sideKey);
        m_marks[sideKey ? 0 : 1]->setChanged(m_doc.program().codeplug.setting(s) !=
                                             m_doc.baseline().setting(s));
    }
}

void KeyPage::commit()
{
    commitKey(cbKey_1_Short);
    commitKey(cbKey_2_Short);
}

void KeyPage::commitKey(QComboBox *box)
{
    // No selection keeps the stored code; otherwise the code of the first
    // function in the side key's list with the text shown.
    const bool sideKey = box == cbKey_1_Short;
    int &shown = m_shown[sideKey ? 0 : 1];
    if (box->currentIndex() < 0 || box->currentIndex() == shown)
        return;
    const std::optional<int> code = optionedit::keyCodeForText(
        m_keyFunctionsA, box->currentText(), [this](int n) { return m_doc.langText(n); });
    if (code) {
        shown = box->currentIndex();
        m_doc.edit(StepName(), [&](ProgramState &program) {
            program.codeplug.setSetting(keySetting(sideKey), std::uint32_t(*code));
        });
    }
}

bool KeyPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && (watched == cbKey_1_Short || watched == cbKey_2_Short))
        commitKey(static_cast<QComboBox *>(watched));
    return QWidget::eventFilter(watched, event);
}

} // namespace t880
