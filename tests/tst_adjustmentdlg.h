// The calibration dialog suite's shared part: the dialog's texts and bytes
// written as hex, and the test class (with its ways to show the dialog, type
// into it and start a radio) whose functions the suite's files define.
#pragma once

#include "guitest.h"
#include "radioprocess.h"
#include "testsupport.h"

#include "ui/document.h"
#include "ui/factory/tadjustmentdlg.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

// The class and every file of the suite name the core's types and the test
// helpers unqualified.
using namespace t880;
using namespace t880::testing;

inline QString adjustText(int language, int n)
{
    text::TAppLang lang(0x0409);
    lang.applyLanguageSetting(language);
    return lang.text(text::TextTable::Adjust, n);
}

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

class TestAdjustmentDlg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Shown
    {
        Document state;
        int codeplugWrites = 0;
        int gainAtWrite = -1; ///< the mic gain the record held when "..." ran
        std::unique_ptr<TAdjustmentDlg> dialog;
    };

    std::unique_ptr<Shown> show(int language = 0)
    {
        auto s = std::make_unique<Shown>();
        s->state.config().language = language;
        s->state.lang().applyLanguageSetting(language);
        Shown *raw = s.get();
        s->dialog = std::make_unique<TAdjustmentDlg>(
            s->state,
            [raw] {
                ++raw->codeplugWrites;
                raw->gainAtWrite = raw->state.program().calibration.raw[0x45];
            },
            nullptr);
        s->dialog->show();
        if (!QTest::qWaitForWindowActive(s->dialog.get()))
            return nullptr;
        return s;
    }

    // Types into a field and leaves it with Tab, as a keyboard user does.
    static QString type(TAdjustmentDlg &dlg, const QString &control, const QString &keys,
                        bool clear)
    {
        QLineEdit *e = dlg.field(control);
        e->setFocus();
        if (clear) {
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Backspace);
        }
        QTest::keyClicks(e, keys);
        const QString typed = e->text();
        QTest::keyClick(e, Qt::Key_Tab);
        return typed;
    }

    void bindRadio(Document &state)
    {
        state.config().port = 1;
        state.config().autoSearchPort = false;
        state.config().portPaths[1] = path(QStringLiteral("radio"));
    }

    bool startRadio(VirtualRadioProcess &radio, const QByteArray &memory)
    {
        writeFile(path(QStringLiteral("memory.bin")), memory);
        return radio.start(path(QStringLiteral("radio")),
                           {QStringLiteral("--variant"), QStringLiteral("S"),
                            QStringLiteral("--memory"), path(QStringLiteral("memory.bin"))});
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { disarmModalWaits(); }
    void typingAndLeaving_data();
    void typingAndLeaving();
    void upDownsAndCheckBoxes();
    void halfTypedValue_data();
    void halfTypedValue();
    void newAsksFirst_data();
    void newAsksFirst();
    void openShowsEveryValue();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();
    void saveWritesTheRecord();
    void savedBesideTheOpenedFile();
    void reopenedDialogShowsLastValues();
    void hiddenFieldsKeepTheirValues();
    void fieldsSayWhatTheyAre_data();
    void fieldsSayWhatTheyAre();
    void codeplugWriteCommitsFirst();
    void calibrationWriteIntoRadio();
    void calibrationReadFromRadio();
    void statusRead();
};
