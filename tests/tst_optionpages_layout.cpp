// The option and key pages suite: the controls' labels and tab order, the fit
// on a small screen, the settings' tips, long lists that scroll and the mark
// of a changed setting.
#include "tst_optionpages.h"

// Each control is named by the label beside it (check boxes by their
// captions); Tab walks down each group in turn.
void TestOptionPages::labelsAndTabOrder()
{
    m_window->findChild<QAction *>(QStringLiteral("MenuLanguage_Cht"))->trigger();
    const std::pair<const char *, const char *> pairs[] = {{"sSQL", "cbSQL"},
                                                           {"sTOT", "cbTOT"},
                                                           {"sTOA", "cbTOA"},
                                                           {"sVoice", "cbVoice"},
                                                           {"sSaving_Rate", "cbSaving_Rate"},
                                                           {"sDizzyState", "cbDizzyState"},
                                                           {"sDizzy", "eDizzy"},
                                                           {"sStun", "eStun"},
                                                           {"sActivation", "eActivation"},
                                                           {"sANI", "eANI"},
                                                           {"sKey_1_Short", "cbKey_1_Short"},
                                                           {"sKey_2_Short", "cbKey_2_Short"}};
    for (const auto &[label, control] : pairs) {
        auto *l = child<QLabel>(label);
        QWidget *c = child<QWidget>(control);
        QVERIFY2(l && c, label);
        QCOMPARE(l->buddy(), c);
        QCOMPARE(c->accessibleName(), l->text());
        QVERIFY2(!l->text().isEmpty(), label);
    }

    showPage("TabSheet_Option");
    const char *order[] = {"cbSQL",       "cbTOT",   "cbTOA",        "cbVoice", "cbSaving_Rate",
                           "cBeep",       "cSaving", "cbDizzyState", "eDizzy",  "eStun",
                           "eActivation", "eANI",    "cD_SideTone",  "cSendANI"};
    child<QWidget>(order[0])->setFocus();
    QTRY_VERIFY(child<QWidget>(order[0])->hasFocus());
    for (std::size_t k = 1; k < std::size(order); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY2(QApplication::focusWidget() == child<QWidget>(order[k]), order[k]);
    }
}

void TestOptionPages::fitsSmallScreen_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "MenuLanguage_En";
    QTest::newRow("Simplified") << "MenuLanguage_Chs";
    QTest::newRow("Traditional") << "MenuLanguage_Cht";
}

// At 1024 x 600 every control of both pages lies inside its page, whole, and
// no label is cut.
void TestOptionPages::fitsSmallScreen()
{
    QFETCH(QString, language);
    m_window->findChild<QAction *>(language)->trigger();
    m_window->resize(1024, 600);
    for (const char *pageName : {"TabSheet_Option", "TabSheet_Key"}) {
        showPage(pageName);
        auto *page = child<QWidget>(pageName);
        QTRY_VERIFY(page->isVisible());
        page->layout()->activate();
        QCoreApplication::processEvents();
        saveShot(m_window, QStringLiteral("%1-%2").arg(QLatin1String(pageName), language));
        const QRect area = page->rect();
        for (QWidget *w : page->findChildren<QWidget *>()) {
            if (!w->isVisible() || w->objectName().isEmpty() ||
                w->parentWidget()->inherits("QComboBox"))
                continue;
            const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
            QVERIFY2(area.contains(r), qPrintable(w->objectName()));
            if (auto *l = qobject_cast<QLabel *>(w))
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->objectName()));
            if (auto *c = qobject_cast<QCheckBox *>(w))
                QVERIFY2(c->width() >= c->sizeHint().width(), qPrintable(c->objectName()));
            if (auto *b = qobject_cast<QComboBox *>(w))
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
        }
    }
    // The DTMF group's caption lies inside the group's frame, clear of its lines.
    auto *group = child<QGroupBox>("gbDtmf");
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxFrame;
    const QRect frame = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxFrame, group);
    auto *caption = child<QLabel>("sDtmf");
    const QRect shown(caption->mapTo(group, QPoint(0, 0)), caption->size());
    QVERIFY(frame.adjusted(2, 2, -2, -2).contains(shown));
}

// Each setting says what it is, its unit and its values, in every language.
void TestOptionPages::settingTooltips()
{
    QFETCH(QString, language);
    m_window->findChild<QAction *>(language)->trigger();
    for (const char *name : {"cbSQL", "cbTOT", "cbTOA", "cbVoice", "cbSaving_Rate", "cBeep",
                             "cSaving", "cbDizzyState", "eDizzy", "eStun", "eActivation", "eANI",
                             "cD_SideTone", "cSendANI", "cbKey_1_Short", "cbKey_2_Short"}) {
        const QString tip = child<QWidget>(name)->toolTip();
        QVERIFY2(!tip.isEmpty(), name);
        if (language != QLatin1String("MenuLanguage_En"))
            QVERIFY2(strayLatin(tip).isEmpty(), qPrintable(tip));
    }
}

// The 41 time-outs open as a list of at most fifteen rows that scrolls.
void TestOptionPages::listsScrollAfterFifteen()
{
    showPage("TabSheet_Option");
    for (auto *b : child<QWidget>("TabSheet_Option")->findChildren<QComboBox *>())
        QVERIFY2(b->maxVisibleItems() <= 15, qPrintable(b->objectName()));
    QComboBox *tot = box("cbTOT");
    tot->showPopup();
    QTRY_VERIFY(tot->view()->isVisible());
    saveShot(tot->view()->window(), QStringLiteral("options-tot-list"));
    QVERIFY(tot->view()->height() <= 16 * tot->view()->sizeHintForRow(0));
    tot->hidePopup();
}

// A setting changed since the file was opened carries the grid's amber
// mark, until it is undone or saved.
void TestOptionPages::changedSettingMarked()
{
    auto *grid = child<QAbstractItemView>("StringGrid1");
    const QModelIndex cell = grid->model()->index(0, 0);
    QVERIFY(grid->model()->setData(cell, QStringLiteral("145.5")));
    const auto corner = [grid](const QModelIndex &index) {
        return grid->viewport()->grab(grid->visualRect(index)).toImage().pixelColor(1, 1);
    };
    // The mark of a changed channel, not the background of one unchanged.
    const QColor amber = corner(cell);
    QVERIFY(amber != corner(cell.siblingAtRow(1)));
    showPage("TabSheet_Option");
    QComboBox *tot = box("cbTOT");
    auto *mark = tot->findChild<QWidget *>(QStringLiteral("ChangeMark"));
    QVERIFY(mark);
    QVERIFY(!mark->isVisible());
    tot->setFocus();
    QTest::keyClick(tot, Qt::Key_Down);
    box("cbSQL")->setFocus();
    QTRY_VERIFY(mark->isVisible());
    QCOMPARE(mark->grab().toImage().pixelColor(1, 1), amber);
    saveShot(m_window, QStringLiteral("options-changed-mark"));

    m_window->findChild<QAction *>(QStringLiteral("MenuEdit_Undo"))->trigger();
    QCOMPARE(m_state->program().codeplug.setting(Setting::tot), 180u);
    QVERIFY(!mark->isVisible());

    tot->setFocus();
    QTest::keyClick(tot, Qt::Key_Up);
    box("cbSQL")->setFocus();
    QTRY_VERIFY(mark->isVisible());
    QVERIFY(!saveBlock().isEmpty());
    QVERIFY(!mark->isVisible());
}
