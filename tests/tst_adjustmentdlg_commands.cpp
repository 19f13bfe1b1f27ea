// The calibration dialog suite: its commands, New, Open and Save through the
// file dialogs, and the radio commands end to end against the virtual radio.
#include "tst_adjustmentdlg.h"

namespace {

constexpr int kCalibrationArea = 0x41F0;

QString programText(int n)
{
    text::TAppLang lang(0x0409);
    lang.applyLanguageSetting(0);
    return lang.text(text::TextTable::Program, n);
}

// What the file dialog was set up with when it came.
struct FileDialogSeen
{
    QStringList filters;
    bool caseSensitive = true;
    bool confirmsOverwrite = false;
    QString suffix;
};

std::shared_ptr<ModalSeen> typeIntoFileDialog(const QString &dialog, const QString &name,
                                              FileDialogSeen *seen = nullptr)
{
    return whenModal(dialog, [name, seen](QWidget *w) {
        auto *fd = qobject_cast<QFileDialog *>(w);
        if (seen && fd) {
            seen->filters = fd->nameFilters();
            seen->caseSensitive = fd->filter().testFlag(QDir::CaseSensitive);
            seen->confirmsOverwrite = !fd->testOption(QFileDialog::DontConfirmOverwrite);
            seen->suffix = fd->defaultSuffix();
        }
        if (auto *edit = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(name);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
}

// The calibration area that the record's defaults make, worked out by hand:
// points 400/440/480 MHz with high power 63; squelch open 0 11 14 18 21 25 26
// 27 28 30 and close two below; VOX zero; batteries 146 and 141; deviations
// 50 65 53; CTCSS 14, DCS 13; mic fine 20, gain 9 (0x0900); threshold words
// 58 -> 0x1D39, 46 -> 0x172C, 25 -> 0x0C98, 32 -> 0x101E; both detectors on.
QByteArray defaultArea()
{
    QByteArray a(128, '\0');
    a.replace(0x00, 15,
              hex("01903F0000"
                  "01B83F0000"
                  "01E03F0000"));
    a.replace(0x19, 10, hex("000B0E1215191A1B1C1E"));
    a.replace(0x23, 10, hex("00090C10131718191A1C"));
    a[0x37] = char(146);
    a[0x42] = char(141);
    a.replace(0x44, 8,
              hex("0032"
                  "0041"
                  "0035"
                  "0E0D"));
    a.replace(0x4D, 6,
              hex("0014"
                  "0900"
                  "1D39"));
    a.replace(0x55, 10,
              hex("172C"
                  "0C98"
                  "101E"
                  "0400"
                  "0020"));
    return a;
}

} // namespace

void TestAdjustmentDlg::newAsksFirst_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("reset");
    QTest::newRow("cancel") << "CancelBtn" << false;
    QTest::newRow("ok") << "OKBtn" << true;
}

void TestAdjustmentDlg::newAsksFirst()
{
    QFETCH(QString, answer);
    QFETCH(bool, reset);
    auto s = show(1);
    QVERIFY(s);
    type(*s->dialog, QStringLiteral("eFreq_0"), QStringLiteral("222"), true);
    s->state.program().calibration.raw[0x4D] = 77; // a status value too
    s->dialog->display();
    const CalibrationData edited = s->state.program().calibration;
    QString question;
    auto prompt = pressWhenShown(QStringLiteral("MyWarnDlg_2"), answer, &question);
    s->dialog->bNew->click();
    QVERIFY(prompt->seen);
    QCOMPARE(question, adjustText(1, 24));
    if (reset) {
        CalibrationData defaults;
        defaults.applyCalibrationDefaults();
        QVERIFY(s->state.program().calibration == defaults);
        QCOMPARE(s->dialog->field(QStringLiteral("eFreq_0"))->text(), QStringLiteral("400"));
        QCOMPARE(s->dialog->field(QStringLiteral("sCurBatt"))->text(), QStringLiteral("0"));
    } else {
        QVERIFY(s->state.program().calibration == edited);
        QCOMPARE(s->dialog->field(QStringLiteral("eFreq_0"))->text(), QStringLiteral("222"));
        QCOMPARE(s->dialog->field(QStringLiteral("sCurBatt"))->text(), QStringLiteral("77"));
    }
}

void TestAdjustmentDlg::openShowsEveryValue()
{
    // A file written by hand: point 0 at 450 MHz (C2 01) with powers 32/16,
    // deviation 300 (2C 01), status battery 140, signal comparison 1, offset
    // 0x0102 (258), weak-signal detection off, squelch offset 3 at -7 (F9).
    QByteArray file(120, '\0');
    file.replace(0x00, 5, hex("C201200010"));
    file.replace(0x23, 2, hex("2C01"));
    file[0x4C] = 0;
    file[0x4B] = 1;
    file[0x4D] = char(140);
    file[0x4F] = 1;
    file.replace(0x58, 2, hex("0201"));
    file[0x67] = char(0xF9);
    file[0x43] = 9; // the hidden crystal offset
    const QString name = path(QStringLiteral("hand.KZXA"));
    QVERIFY(writeFile(name, file));

    auto s = show();
    QVERIFY(s);
    FileDialogSeen setup;
    auto dialog = typeIntoFileDialog(QStringLiteral("OpenDialog"), name, &setup);
    QString warning;
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &warning);
    s->dialog->bOpen->click();
    QVERIFY(dialog->seen);
    QVERIFY2(!warned->seen, qPrintable(warning));
    // The filter lists calibration files in any letter case.
    QCOMPARE(setup.filters, QStringList(QStringLiteral("Kovra File(*.kzxa)")));
    QVERIFY(!setup.caseSensitive);
    QCOMPARE(
        QByteArray(reinterpret_cast<const char *>(s->state.program().calibration.raw.data()), 120),
        file);
    const std::pair<const char *, const char *> shown[] = {
        {"eFreq_0", "450"},    {"eFreq_0_H", "32"}, {"eFreq_0_L", "16"}, {"eFreq_1", "0"},
        {"ePinPian_W", "300"}, {"sCurBatt", "140"}, {"sRssi_cmp1", "1"}, {"sNoise_cmp1", "0"},
        {"sOffset", "258"},    {"eXtal_PP", "9"},   {"eSQL_L1", "0"},
    };
    for (const auto &[control, value] : shown)
        QCOMPARE(s->dialog->field(QLatin1String(control))->text(), QLatin1String(value));
    QVERIFY(s->dialog->cModu_dten->isChecked());
    QVERIFY(!s->dialog->cPkdet_dten->isChecked());
    QCOMPARE(s->dialog->squelchOffset(3)->value(), -7);
    QCOMPARE(s->dialog->findChild<QLineEdit *>(QStringLiteral("sSQ_offset_3"))->text(),
             QStringLiteral("-7"));
}

void TestAdjustmentDlg::refusedFileChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("reason");
    QTest::newRow("too short") << "short.kzxa" << QByteArray(119, '\x11') << 28;
    QTest::newRow("far too large") << "large.kzxa" << QByteArray(0x10001, '\x11') << 30;
}

void TestAdjustmentDlg::refusedFileChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, reason);
    QVERIFY(writeFile(path(name), content));
    auto s = show();
    QVERIFY(s);
    const CalibrationData before = s->state.program().calibration;
    QString message;
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    QVERIFY(!s->dialog->openCalibration(path(name)));
    QVERIFY(warned->seen);
    QVERIFY2(message.contains(adjustText(0, 26)), qPrintable(message));
    QVERIFY2(message.contains(adjustText(0, reason)), qPrintable(message));
    QVERIFY2(message.contains(path(name)), qPrintable(message));
    QVERIFY(s->state.program().calibration == before);
    QCOMPARE(s->dialog->field(QStringLiteral("eFreq_0"))->text(), QStringLiteral("400"));
}

void TestAdjustmentDlg::saveWritesTheRecord()
{
    auto s = show();
    QVERIFY(s);
    type(*s->dialog, QStringLiteral("eVOX_L9"), QStringLiteral("50"), true);
    s->dialog->squelchOffset(5)->setValue(-1);
    FileDialogSeen setup;
    auto dialog =
        typeIntoFileDialog(QStringLiteral("SaveDialog"), path(QStringLiteral("mine")), &setup);
    s->dialog->bSave->click();
    QVERIFY(dialog->seen);
    QCOMPARE(setup.filters, QStringList(QStringLiteral("Kovra File(*.kzxa)")));
    QCOMPARE(setup.suffix, QStringLiteral("kzxa"));
    QVERIFY(setup.confirmsOverwrite);
    const QByteArray written = readFile(path(QStringLiteral("mine.kzxa")));
    QCOMPARE(written.size(), 120);
    // The defaults with VOX 9 at 50 (0x3B) and offset 5 at -1 (0x69).
    CalibrationData expected;
    expected.applyCalibrationDefaults();
    QByteArray bytes(reinterpret_cast<const char *>(expected.raw.data()), 120);
    bytes[0x3B] = 50;
    bytes[0x69] = char(0xFF);
    QCOMPARE(describeDiff(written, bytes), QString());
}

// A record opened from elsewhere, as the desktop's "open with" gives it: its
// folder becomes the one the dialogs start in, and Save starts beside it
// even after another folder was used.
void TestAdjustmentDlg::savedBesideTheOpenedFile()
{
    const QString folder = path(QStringLiteral("bench"));
    QVERIFY(QDir().mkpath(folder) &&
            writeFile(folder + QStringLiteral("/r.kzxa"), defaultArea().left(120)));
    auto s = show();
    QVERIFY(s);
    QString &remembered = s->state.config().folders[std::size_t(FileKind::Calibration)];
    QVERIFY(s->dialog->openCalibration(folder + QStringLiteral("/r.kzxa")));
    QCOMPARE(remembered, folder);
    remembered = m_dir.path();
    QString started;
    auto dialog = whenModal(QStringLiteral("SaveDialog"), [&started](QWidget *w) {
        started = qobject_cast<QFileDialog *>(w)->directory().absolutePath();
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    s->dialog->bSave->click();
    QVERIFY(dialog->seen);
    QCOMPARE(started, folder);
}

// "..." runs the window's codeplug write, after the field being edited has
// been stored.
void TestAdjustmentDlg::codeplugWriteCommitsFirst()
{
    auto s = show();
    QVERIFY(s);
    QLineEdit *e = s->dialog->field(QStringLiteral("eMicGain"));
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, QStringLiteral("3"));
    s->dialog->Button1->click();
    QCOMPARE(s->codeplugWrites, 1);
    QCOMPARE(s->gainAtWrite, 3);
}

void TestAdjustmentDlg::calibrationWriteIntoRadio()
{
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, QByteArray(0x10000, '\0')));
    auto s = show();
    QVERIFY(s);
    bindRadio(s->state);
    type(*s->dialog, QStringLiteral("eFreq_1"), QStringLiteral("445"), true);
    type(*s->dialog, QStringLiteral("eMicGain"), QStringLiteral("7"), true);
    s->dialog->squelchOffset(0)->setValue(-3);
    // Typed and not left: Write takes it all the same.
    QLineEdit *deviation = s->dialog->field(QStringLiteral("ePinPian_W"));
    deviation->setFocus();
    deviation->selectAll();
    QTest::keyClicks(deviation, QStringLiteral("300"));
    QString message;
    auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    s->dialog->bWrite->click();
    QVERIFY(start->seen && result->seen);
    QCOMPARE(message.section(u'\n', 0, 0), programText(3));
    radio.stop();
    const QByteArray memory = readFile(path(QStringLiteral("memory.bin")));
    QByteArray expected = defaultArea();
    expected.replace(0x05, 2, hex("01BD")); // 445 MHz, high byte first
    expected.replace(0x4F, 2, hex("0700")); // gain 7 in bits 8..11
    expected.replace(0x44, 2, hex("012C")); // deviation 300
    expected[0x5F] = char(0xFD);            // squelch offset 0 at -3
    QCOMPARE(describeDiff(memory.mid(kCalibrationArea, 128), expected), QString());
}

void TestAdjustmentDlg::calibrationReadFromRadio()
{
    // A calibration area written by hand: point 0 at 450 MHz (01 C2), high 32,
    // low 16, tuning 5; squelch open level 1 byte 16 (level 137 - 16 = 121);
    // VOX level 1 byte 7 and level 9 byte 40; mic gain word 0x0B00 (11);
    // noise threshold word 0x2000 (64); modulation detection off.
    QByteArray memory(0x10000, '\0');
    QByteArray area = defaultArea();
    area.replace(0x00, 5, hex("01C2201005"));
    area[0x1A] = 16;
    area[0x2E] = 7;
    area[0x36] = 40;
    area.replace(0x4F, 2, hex("0B00"));
    area.replace(0x51, 2, hex("2000"));
    area.replace(0x5B, 2, hex("0000"));
    memory.replace(kCalibrationArea, 128, area);
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, memory));
    auto s = show();
    QVERIFY(s);
    bindRadio(s->state);
    auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    s->dialog->bRead->click();
    QVERIFY(start->seen && result->seen);
    const std::pair<const char *, const char *> shown[] = {
        {"eFreq_0", "450"}, {"eFreq_0_H", "32"}, {"eFreq_0_L", "16"},    {"eFreq_0_Tune", "5"},
        {"eFreq_1", "440"}, {"eSQL_L1", "121"},  {"eVOX_L1", "7"},       {"eVOX_L9", "40"},
        {"eMicGain", "11"}, {"eNoise_th", "64"}, {"eMicGainFine", "20"},
    };
    for (const auto &[control, value] : shown)
        QCOMPARE(s->dialog->field(QLatin1String(control))->text(), QLatin1String(value));
    QVERIFY(!s->dialog->cModu_dten->isChecked());
    QVERIFY(s->dialog->cPkdet_dten->isChecked());
}

void TestAdjustmentDlg::statusRead()
{
    // The virtual radio answers "YR" with 8C 5A 12 A8 00 80: battery 140,
    // signal 90, noise 18; flags 1010 1000 (modulation, signal 1 and noise 1
    // comparisons set, noise 2 clear); byte 5 bit 7: signal comparison 3.
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, QByteArray(0x10000, '\0')));
    auto s = show();
    QVERIFY(s);
    bindRadio(s->state);
    QString message;
    auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    s->dialog->Read1846Status->click();
    QVERIFY(start->seen && result->seen);
    QCOMPARE(message, programText(3));
    const std::pair<const char *, const char *> shown[] = {
        {"sCurBatt", "140"},  {"sRssi_db", "90"},  {"sNoise_db", "18"},
        {"sModu_cmp", "1"},   {"sRssi_cmp1", "1"}, {"sNoise_cmp1", "1"},
        {"sNoise_cmp2", "0"}, {"sRssi_cmp3", "1"}, {"eFreq_0", "400"},
    };
    for (const auto &[control, value] : shown)
        QCOMPARE(s->dialog->field(QLatin1String(control))->text(), QLatin1String(value));
}
