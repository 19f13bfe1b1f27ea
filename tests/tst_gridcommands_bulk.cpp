// The grid commands suite: bulk edit of a selection, Batch Set and the values
// it refuses, and the dialogs in each language.
#include "tst_gridcommands.h"

void TestGridCommands::bulkEdit_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("index"); // picker index, or -1 for a typed tone
    QTest::addColumn<QString>("step");

    QTest::newRow("power low") << 5 << "cbChInfor_Pow" << 0 << "Edit TX Power";
    QTest::newRow("narrow") << 6 << "cbChInfor_Bandwidth" << 0 << "Edit Bandwidth";
    QTest::newRow("out of the scan list") << 7 << "cbChInfor_SCN" << 0 << "Edit SCN";
    QTest::newRow("busy lock") << 8 << "cbChInfor_BusyFit" << 1 << "Edit Busy Inhibit";
    QTest::newRow("receive tone") << 3 << "ComboBox1" << -1 << "Edit QT/DQT Dec";
}

void TestGridCommands::bulkEdit()
{
    QFETCH(int, column);
    QFETCH(QString, editor);
    QFETCH(int, index);
    QFETCH(QString, step);
    // Channel 3 is not in use and stays so; channel 5 is outside the selection.
    setUp("1:431000 2:432000 4:434000 5:435000");
    const QByteArray before = bytes();
    const ChannelRecord outside = codeplug().channel(5);
    select(1, 4, column);
    QTest::keyClick(m_grid, Qt::Key_F2);
    auto *control = m_grid->findChild<QComboBox *>(editor);
    QVERIFY(control && control->isVisible());
    if (index >= 0) {
        control->setCurrentIndex(index);
    } else {
        control->lineEdit()->selectAll();
        QTest::keyClicks(control->lineEdit(), QStringLiteral("88.5"));
    }
    QTest::keyClick(control, Qt::Key_Return);
    QCoreApplication::processEvents();
    for (int n : {1, 2, 4}) {
        const ChannelRecord r = codeplug().channel(n);
        switch (column) {
        case 5:
            QVERIFY(!r.highPower());
            break;
        case 6:
            QVERIFY(!r.wide());
            break;
        case 7:
            QVERIFY(!r.scanAdd());
            break;
        case 8:
            QCOMPARE(r.busyLock(), 2);
            break;
        default:
            // 88.5 Hz, and the tone turns on CTC/DCS squelch.
            QVERIFY(r.rxTone() == (Tone{1, 885}));
            QCOMPARE(r.squelchMode(), 2);
        }
    }
    QVERIFY(!codeplug().isChannelUsed(3));
    QVERIFY(codeplug().channel(5).raw == outside.raw);
    checkOneStep(step, before, UndoSetup);
}

void TestGridCommands::batchSet_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("step");
    QTest::addColumn<Layout>("after");
    QTest::addColumn<QString>("report");

    QTest::newRow("inside the band") << 3 << 5 << "446.00625"
                                     << "0.0125"
                                     << "1:431000 3:446006 4:446018 5:446031"
                                     << "";
    // 479.990, 479.995, 480.000 fit; 480.005 is beyond the band's top.
    QTest::newRow("across the top") << 13 << 16 << "479.990"
                                    << "0.005"
                                    << "1:431000 13:479990 14:479995 15:480000"
                                    << "3 taken, 0 adjusted, 1 refused.\n"
                                       "CH16: refused: RX Freq. 480.00500 is outside the "
                                       "band 400.00000-480.00000 MHz";
    QTest::newRow("below the bottom") << 1 << 2 << "399.990"
                                      << "0.010"
                                      << "1:431000 2:400000"
                                      << "1 taken, 0 adjusted, 1 refused.\n"
                                         "CH01: refused: RX Freq. 399.99000 is outside the "
                                         "band 400.00000-480.00000 MHz";
    // 446.001 is on neither raster: down to 446.000 on 6.25 kHz.
    QTest::newRow("onto the raster") << 2 << 2 << "446.001"
                                     << "0"
                                     << "1:431000 2:446000"
                                     << "0 taken, 1 adjusted, 0 refused.\n"
                                        "CH02: RX Freq. 446.00100 moved onto the raster: "
                                        "446.00000";
}

void TestGridCommands::batchSet()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, start);
    QFETCH(QString, step);
    QFETCH(Layout, after);
    QFETCH(QString, report);
    setUp("1:431000");
    const QByteArray before = bytes();
    select(first, last);
    int offeredFirst = 0;
    int offeredLast = 0;
    const auto filled = whenModal(QStringLiteral("TBatchSetDlg"), [&](QWidget *w) {
        auto *startCh = w->findChild<QSpinBox *>(QStringLiteral("seStartCh"));
        auto *endCh = w->findChild<QSpinBox *>(QStringLiteral("seEndCh"));
        offeredFirst = startCh->value();
        offeredLast = endCh->value();
        endCh->setValue(last);
        w->findChild<QLineEdit *>(QStringLiteral("edStartFreq"))->setText(start);
        w->findChild<QLineEdit *>(QStringLiteral("edStep"))->setText(step);
        QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("OKBtn")), "click",
                                  Qt::QueuedConnection);
    });
    const Report shown = catchReport();
    action("MenuEdit_BatchSet")->trigger();
    QVERIFY(filled->seen);
    // The selection is offered; one channel selected offers it to the last.
    QCOMPARE(offeredFirst, first);
    QCOMPARE(offeredLast, first == last ? CodeplugData::Channels : last);
    QCOMPARE(layout(), after);
    QCOMPARE(*shown.text, report);
    for (int n = first; n <= last; ++n) {
        if (codeplug().isChannelUsed(n))
            QCOMPARE(codeplug().channel(n).txFreq(), codeplug().channel(n).rxFreq());
    }
    checkOneStep(QStringLiteral("Batch Set"), before, UndoSetup);
}

// Values that do not read are said to be so; the dialog stays, and Cancel
// changes nothing.
void TestGridCommands::batchSetRefusesBadValues()
{
    setUp("1:431000");
    const QByteArray before = bytes();
    select(1, 1);
    QString message;
    std::shared_ptr<ModalSeen> warned;
    const auto dialog = whenModal(QStringLiteral("TBatchSetDlg"), [&](QWidget *w) {
        w->findChild<QLineEdit *>(QStringLiteral("edStep"))->setText(QStringLiteral("1,5"));
        warned = whenModal(QStringLiteral("UserWarnDlg"), [&, w](QWidget *warning) {
            message = warning->findChild<QLabel *>(QStringLiteral("WarnDlgText"))->text();
            QMetaObject::invokeMethod(warning->findChild<QPushButton *>(QStringLiteral("OKBtn")),
                                      "click", Qt::QueuedConnection);
            QTimer::singleShot(0, w, [w] {
                QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("CancelBtn")),
                                          "click", Qt::QueuedConnection);
            });
        });
        QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("OKBtn")), "click",
                                  Qt::QueuedConnection);
    });
    action("MenuEdit_BatchSet")->trigger();
    QVERIFY(dialog->seen);
    QVERIFY(warned && warned->seen);
    QVERIFY(message.startsWith(QStringLiteral("Enter the start frequency")));
    QCOMPARE(bytes(), before);
    QCOMPARE(undoText(), UndoSetup);
}

// The report and Batch Set in each language, for the eye (T880_SHOTS).
void TestGridCommands::dialogsInEachLanguage()
{
    setUp("1:431000");
    for (int language : {0, 1, 2}) {
        m_window->setLanguage(text::Language(language));
        const QString suffix = QStringLiteral("_%1").arg(language);
        select(15, 16);
        const auto batch = whenModal(QStringLiteral("TBatchSetDlg"), [suffix](QWidget *w) {
            w->findChild<QLineEdit *>(QStringLiteral("edStartFreq"))->setText("479.995");
            w->findChild<QLineEdit *>(QStringLiteral("edStep"))->setText("0.01");
            saveShot(w, QStringLiteral("TBatchSetDlg") + suffix);
            QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("OKBtn")), "click",
                                      Qt::QueuedConnection);
        });
        const auto report = whenModal(QStringLiteral("TPasteReportDlg"), [suffix](QWidget *w) {
            saveShot(w, QStringLiteral("BatchReport") + suffix);
            QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("OKBtn")), "click",
                                      Qt::QueuedConnection);
        });
        action("MenuEdit_BatchSet")->trigger();
        QVERIFY(batch->seen);
        QVERIFY(report->seen);
        QCOMPARE(layout(), QStringLiteral("1:431000 15:479995"));

        select(3, 3);
        QApplication::clipboard()->setText(
            QStringLiteral("Location\tFrequency\tMode\n1\t446.0062\tFM\n2\t500\tFM\n"
                           "3\t446.1\tAM\n4\tx\tFM\n"));
        const auto pasted = whenModal(QStringLiteral("TPasteReportDlg"), [suffix](QWidget *w) {
            saveShot(w, QStringLiteral("PasteReport") + suffix);
            QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("OKBtn")), "click",
                                      Qt::QueuedConnection);
        });
        action("MenuEdit_Paste")->trigger();
        QVERIFY(pasted->seen);
        action("MenuEdit_Undo")->trigger();
        action("MenuEdit_Undo")->trigger();
        QCOMPARE(layout(), QStringLiteral("1:431000"));
    }
}
