// The grid commands suite's shared part: the setup step, the report dialog's
// text, and the test class (with its ways to set channels up, select them and
// check a step) whose functions the suite's files define.
#pragma once

#include "guitest.h"
#include "testsupport.h"

#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/tform1.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The class and every file of the suite name the core's types and the test
// helpers unqualified.
using namespace t880;
using namespace t880::testing;

// The step before each command's: the setup, named as if opened from a
// file called "setup" (main text 3 is "&Open").
inline const StepName SetupStep(3, -1, QStringLiteral("setup"));
inline const QString UndoSetup = QStringLiteral("&Undo Open setup");

// "1:431000 16:446000": the channels in use with their receive frequency in kHz.
using Layout = QString;

// What the report dialog showed, when it was shown.
struct Report
{
    std::shared_ptr<ModalSeen> seen;
    std::shared_ptr<QString> text = std::make_shared<QString>();
};

inline Report catchReport()
{
    Report r;
    auto text = r.text;
    r.seen = whenModal(QStringLiteral("TPasteReportDlg"), [text](QWidget *w) {
        *text = w->findChild<QLabel *>(QStringLiteral("ReportSummary"))->text();
        const QString lines =
            w->findChild<QPlainTextEdit *>(QStringLiteral("ReportLines"))->toPlainText();
        if (!lines.isEmpty())
            *text += QLatin1Char('\n') + lines;
        QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("OKBtn")), "click",
                                  Qt::QueuedConnection);
    });
    return r;
}

class TestGridCommands : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Document *m_state = nullptr;
    TForm1 *m_window = nullptr;
    QTableView *m_grid = nullptr;

    CodeplugData &codeplug() { return m_state->program().codeplug; }
    QByteArray bytes() const { return m_state->program().codeplug.toByteArray(); }
    QAction *action(const char *name) const
    {
        return m_window->findChild<QAction *>(QLatin1String(name));
    }
    QModelIndex cell(int channel, int column) const
    {
        return m_grid->model()->index(channel - 1, column - 1);
    }
    Layout layout() const
    {
        QStringList used;
        for (int n = 1; n <= CodeplugData::Channels; ++n) {
            if (m_state->program().codeplug.isChannelUsed(n))
                used << QStringLiteral("%1:%2").arg(n).arg(
                    m_state->program().codeplug.channel(n).rxFreq() / 1000);
        }
        return used.join(QLatin1Char(' '));
    }
    // Puts the channels of \a layout in and records that as a step of its
    // own, so each command's step starts from it.
    void setUp(const Layout &wanted)
    {
        for (const QString &entry : wanted.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = entry.split(QLatin1Char(':'));
            codeplug().enterChannelFrequency(parts[0].toInt(), parts[1].toUInt() * 1000);
        }
        m_window->recordStep(SetupStep);
        m_window->ApplyLanguage();
        QCOMPARE(layout(), wanted);
    }
    // Selects channels \a first..\a last by keyboard, the current cell in
    // \a column of \a first.
    void select(int first, int last, int column = 1, int toColumn = 0)
    {
        m_grid->setFocus();
        QTest::keyClick(m_grid, Qt::Key_Home, Qt::ControlModifier);
        for (int k = 1; k < last; ++k)
            QTest::keyClick(m_grid, Qt::Key_Down);
        for (int k = 1; k < column; ++k)
            QTest::keyClick(m_grid, Qt::Key_Right);
        for (int k = last; k > first; --k)
            QTest::keyClick(m_grid, Qt::Key_Up, Qt::ShiftModifier);
        for (int k = column; k < toColumn; ++k)
            QTest::keyClick(m_grid, Qt::Key_Right, Qt::ShiftModifier);
    }
    QString undoText() const { return action("MenuEdit_Undo")->text(); }
    // The step just made is named \a name and undoing it once gives
    // \a before and the undo item of before.
    void checkOneStep(const QString &name, const QByteArray &before, const QString &undoBefore)
    {
        QCOMPARE(undoText(), QStringLiteral("&Undo ") + name);
        action("MenuEdit_Undo")->trigger();
        QCOMPARE(bytes(), before);
        QCOMPARE(undoText(), undoBefore);
    }

private slots:
    void init();
    void cleanup();

    void paste_data();
    void paste();
    void copyPasteByKeyboard();
    void copyPasteCells();
    void pasteWithoutChannelList();
    void rowCommands_data();
    void rowCommands();
    void contextMenuHasTheCommands();
    void bulkEdit_data();
    void bulkEdit();
    void batchSet_data();
    void batchSet();
    void batchSetRefusesBadValues();
    void dialogsInEachLanguage();
};
