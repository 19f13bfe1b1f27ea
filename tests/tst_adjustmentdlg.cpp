// The calibration dialog through its real widgets, headless: fields typed and
// left as a keyboard user does, the up-downs and check boxes, New, Open and
// Save, the texts that name each field, and the radio commands end to end
// against the virtual radio on a pseudo-terminal.
//
// This file: the fields, the up-downs and check boxes and their texts;
// tst_adjustmentdlg_commands.cpp New, Open, Save and the radio commands.
#include "tst_adjustmentdlg.h"

void TestAdjustmentDlg::typingAndLeaving_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("whileTyping");
    QTest::addColumn<QString>("afterLeaving");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    // Record offsets and bytes (low byte first) worked out from the layout.
    QTest::newRow("1024 restores 50") << "ePinPian_W" << true << "1024"
                                      << "1024"
                                      << "50" << 0x23 << hex("3200");
    QTest::newRow("1023 stored") << "ePinPian_W" << true << "1023"
                                 << "1023"
                                 << "1023" << 0x23 << hex("FF03");
    QTest::newRow("fifth digit removed") << "ePinPian_W" << true << "10001"
                                         << "1000"
                                         << "1000" << 0x23 << hex("E803");
    QTest::newRow("letters and signs dropped") << "ePinPian_W" << true << "-1a2.3"
                                               << "123"
                                               << "123" << 0x23 << hex("7B00");
    QTest::newRow("cleared point stores 0") << "eFreq_2" << true << ""
                                            << ""
                                            << "0" << 0x0E << hex("0000");
    QTest::newRow("noise threshold 200") << "eNoise_th" << true << "200"
                                         << "200"
                                         << "200" << 0x46 << hex("C8");
    QTest::newRow("point 130") << "eFreq_0" << true << "130"
                               << "130"
                               << "130" << 0x00 << hex("8200");
    QTest::newRow("point 520") << "eFreq_0" << true << "520"
                               << "520"
                               << "520" << 0x00 << hex("0802");
    QTest::newRow("point 129 refused") << "eFreq_0" << true << "129"
                                       << "129"
                                       << "400" << 0x00 << hex("9001");
    QTest::newRow("point 521 refused") << "eFreq_0" << true << "521"
                                       << "521"
                                       << "400" << 0x00 << hex("9001");
    QTest::newRow("fourth digit on a point") << "eFreq_1" << true << "4455"
                                             << "445"
                                             << "445" << 0x07 << hex("BD01");
    QTest::newRow("tone deviation 64 refused") << "eCtcPinPian_W" << true << "64"
                                               << "64"
                                               << "14" << 0x2B << hex("0E");
    QTest::newRow("mic gain 15") << "eMicGain" << true << "15"
                                 << "15"
                                 << "15" << 0x45 << hex("0F");
    QTest::newRow("mic fine 128 refused") << "eMicGainFine" << true << "128"
                                          << "128"
                                          << "20" << 0x44 << hex("14");
    QTest::newRow("high power appended") << "eFreq_0_H" << false << "1"
                                         << "631"
                                         << "63" << 0x02 << hex("3F");
    QTest::newRow("leading zero rewritten") << "eSQL_L1" << true << "090"
                                            << "090"
                                            << "90" << 0x37 << hex("5A");
}

void TestAdjustmentDlg::typingAndLeaving()
{
    QFETCH(QString, control);
    QFETCH(bool, clear);
    QFETCH(QString, keys);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    auto s = show();
    QVERIFY(s);
    const CalibrationData before = s->state.program().calibration;
    const QString typed = type(*s->dialog, control, keys, clear);
    QTEST(typed, "whileTyping");
    QTEST(s->dialog->field(control)->text(), "afterLeaving");
    const CalibrationData &after = s->state.program().calibration;
    for (int i = 0; i < CalibrationData::Size; ++i) {
        const bool inField = i >= offset && i < offset + bytes.size();
        const int expected = inField ? quint8(bytes[i - offset]) : before.raw[std::size_t(i)];
        QCOMPARE(int(after.raw[std::size_t(i)]), expected);
    }
}

void TestAdjustmentDlg::upDownsAndCheckBoxes()
{
    auto s = show();
    QVERIFY(s);
    const CalibrationData &r = s->state.program().calibration;
    QSpinBox *ud = s->dialog->squelchOffset(0);
    auto *text = s->dialog->findChild<QLineEdit *>(QStringLiteral("sSQ_offset_0"));
    QVERIFY(ud && text);
    QCOMPARE(ud->width(), 40);
    ud->setFocus();
    QTest::keyClick(ud, Qt::Key_Up);
    QTest::keyClick(ud, Qt::Key_Up);
    QCOMPARE(int(r.raw[0x64]), 2);
    QCOMPARE(text->text(), QStringLiteral("2"));
    QSpinBox *last = s->dialog->squelchOffset(12);
    last->setFocus();
    for (int i = 0; i < 60; ++i)
        QTest::keyClick(last, Qt::Key_Down);
    QCOMPARE(int(r.raw[0x70]), 0xCE); // -50 as a signed byte
    QCOMPARE(s->dialog->findChild<QLineEdit *>(QStringLiteral("sSQ_offset_12"))->text(),
             QStringLiteral("-50"));
    saveShot(s->dialog.get(), QStringLiteral("AdjustmentDlg-offsets"));

    s->dialog->cModu_dten->setFocus();
    QTest::keyClick(s->dialog->cModu_dten, Qt::Key_Space);
    QCOMPARE(int(r.raw[0x4B]), 0);
    QTest::keyClick(s->dialog->cModu_dten, Qt::Key_Space);
    QCOMPARE(int(r.raw[0x4B]), 1);
    s->dialog->cPkdet_dten->click();
    QCOMPARE(int(r.raw[0x4C]), 0);
}

void TestAdjustmentDlg::halfTypedValue_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("offset"); // of its byte in the record
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("leave");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    // 12 typed over the value before; only a move to another control keeps it.
    for (const auto &[control, offset, before] :
         {std::tuple("eSQL_L1", 0x37, 126), std::tuple("udSQ_offset_2", 0x66, 7)}) {
        const QString b = QString::number(before);
        const auto row = [&](const char *leave, int stored, const QString &shown) {
            QTest::addRow("%s, %s", control, leave)
                << control << offset << before << leave << stored << shown;
        };
        row("Escape", before, b);
        row("close box", before, QString());
        row("click into another field", 12, "12");
        row("another window", before, "12");
        row("context menu", before, "12");
    }
}

void TestAdjustmentDlg::halfTypedValue()
{
    QFETCH(QString, control);
    QFETCH(int, offset);
    QFETCH(int, before);
    QFETCH(QString, leave);
    auto s = show();
    QVERIFY(s);
    CalibrationData &r = s->state.program().calibration;
    r.raw[std::size_t(offset)] = quint8(before);
    s->dialog->display();
    auto *w = s->dialog->findChild<QWidget *>(control);
    const auto shownText = [w] {
        return w->property("text").toString();
    };
    w->setFocus();
    QMetaObject::invokeMethod(w, "selectAll");
    QTest::keyClicks(w, QStringLiteral("12"));
    QCOMPARE(shownText(), QStringLiteral("12"));
    QWidget other;
    if (leave == QLatin1String("Escape")) {
        QTest::keyClick(w, Qt::Key_Escape);
    } else if (leave == QLatin1String("close box")) {
        s->dialog->close();
    } else if (leave == QLatin1String("click into another field")) {
        QTest::mouseClick(s->dialog->field(QStringLiteral("eVOX_L1")), Qt::LeftButton);
    } else if (leave == QLatin1String("another window")) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    } else {
        QTimer dismiss;
        connect(&dismiss, &QTimer::timeout, this, [] {
            if (QWidget *menu = QApplication::activePopupWidget())
                menu->close();
        });
        dismiss.start(5);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(2, 2),
                               w->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w, &menu);
    }
    QTEST(int(r.raw[std::size_t(offset)]), "stored");
    QCOMPARE(s->dialog->isVisible(), leave != QLatin1String("close box"));
    if (s->dialog->isVisible())
        QTEST(shownText(), "shown");
}

void TestAdjustmentDlg::reopenedDialogShowsLastValues()
{
    auto s = show();
    QVERIFY(s);
    type(*s->dialog, QStringLiteral("eBatt_L0_Tx"), QStringLiteral("133"), true);
    s->dialog->close();
    TAdjustmentDlg again(s->state, {}, nullptr);
    QCOMPARE(again.field(QStringLiteral("eBatt_L0_Tx"))->text(), QStringLiteral("133"));
}

void TestAdjustmentDlg::hiddenFieldsKeepTheirValues()
{
    auto s = show();
    QVERIFY(s);
    s->state.program().calibration.raw[0x03] = 21;     // eFreq_0_M
    s->state.program().calibration.raw[0x5A + 9] = 99; // eBatt_Tbl_L9
    s->dialog->display();
    for (const char *control :
         {"eFreq_0_M", "eBatt_Tbl_L9", "eFreq_0_RSSI", "ePinPian_N", "sPkdet_rssi"}) {
        QLineEdit *e = s->dialog->field(QLatin1String(control));
        QVERIFY2(e, control);
        QVERIFY2(!e->isVisible(), control);
    }
    QCOMPARE(s->dialog->field(QStringLiteral("eFreq_0_M"))->text(), QStringLiteral("21"));
    QCOMPARE(s->dialog->field(QStringLiteral("eBatt_Tbl_L9"))->text(), QStringLiteral("99"));
    // Editing a shown field leaves them be.
    type(*s->dialog, QStringLiteral("eFreq_0_H"), QStringLiteral("40"), true);
    QCOMPARE(int(s->state.program().calibration.raw[0x03]), 21);
    QCOMPARE(int(s->state.program().calibration.raw[0x63]), 99);
    QVERIFY(s->dialog->field(QStringLiteral("eModu_th"))->isVisible());
    QVERIFY(!s->dialog->field(QStringLiteral("eModu_th"))->isEnabled());
}

void TestAdjustmentDlg::fieldsSayWhatTheyAre_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("nameText");
    QTest::addColumn<QString>("nameArg");
    QTest::addColumn<QString>("description");
    for (int language = 0; language < 3; ++language) {
        const QByteArray lang = QByteArray::number(language);
        QTest::newRow("eFreq_0 " + lang) << language << "eFreq_0" << 34 << "1"
                                         << "eFreq_0: 130..520";
        QTest::newRow("ePinPian_W " + lang) << language << "ePinPian_W" << 40 << ""
                                            << "ePinPian_W: 0..1023";
        QTest::newRow("eSQL_L4 " + lang) << language << "eSQL_L4" << 54 << "5"
                                         << "eSQL_L4: 0..255";
        QTest::newRow("sCurBatt " + lang) << language << "sCurBatt" << 73 << ""
                                          << "sCurBatt";
    }
}

void TestAdjustmentDlg::fieldsSayWhatTheyAre()
{
    QFETCH(int, language);
    QFETCH(QString, control);
    QFETCH(int, nameText);
    QFETCH(QString, nameArg);
    QFETCH(QString, description);
    auto s = show(language);
    QVERIFY(s);
    QLineEdit *e = s->dialog->field(control);
    QString name = adjustText(language, nameText);
    if (!nameArg.isEmpty())
        name = name.arg(nameArg);
    QCOMPARE(e->accessibleName(), name);
    QVERIFY2(e->toolTip().startsWith(name), qPrintable(e->toolTip()));
    QCOMPARE(e->accessibleDescription(), description);
    // The captions are the same fixed texts in every language.
    QCOMPARE(s->dialog->bNew->text(), QString::fromUtf8("新建"));
    QCOMPARE(s->dialog->bNew->accessibleName(), QString::fromUtf8("新建"));
    QVERIFY(s->dialog->findChild<QGroupBox *>()); // groups exist
    saveShot(s->dialog.get(), QStringLiteral("AdjustmentDlg-%1").arg(language));
}

QTEST_MAIN(TestAdjustmentDlg)
#include "moc_tst_adjustmentdlg.cpp"
