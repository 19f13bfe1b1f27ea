// The channel grid suite's shared part: the names of the in-cell controls, and
// the test class (with its ways to reach cells and controls) whose functions the
// suite's files define.
#pragma once

#include "guitest.h"
#include "testsupport.h"

#include "ui/channelgrid.h"
#include "ui/document.h"
#include "ui/tform1.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

// The class and every file of the suite name the core's types and the test
// helpers unqualified.
using namespace t880;
using namespace t880::testing;

inline const char *const kEditors[] = {"Edit_ChFreq",         "ComboBox1",     "cbChInfor_Pow",
                                       "cbChInfor_Bandwidth", "cbChInfor_SCN", "cbChInfor_BusyFit"};

class TestChannelGrid : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Document *m_state = nullptr;
    TForm1 *m_window = nullptr;
    ChannelGrid *m_grid = nullptr;

    QString configPath() const { return m_dir.filePath(QStringLiteral("_config.ini")); }
    ChannelRecord channel(int n) const { return m_state->program().codeplug.channel(n); }
    QString t(int n) const { return m_state->langText(n); }

    QModelIndex cell(int channel, int column) const
    {
        return m_grid->model()->index(channel - 1, column - 1);
    }
    QString cellText(int channel, int column) const
    {
        return cell(channel, column).data().toString();
    }
    QStringList rowText(int channel) const
    {
        QStringList texts;
        for (int column = 1; column <= 8; ++column)
            texts << cellText(channel, column);
        return texts;
    }
    void click(int channel, int column)
    {
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                          m_grid->visualRect(cell(channel, column)).center());
    }
    // The in-cell control named \a name when it is shown.
    template <class T> T *shown(const char *name) const
    {
        auto *w = m_grid->findChild<T *>(QLatin1String(name));
        return w && w->isVisible() ? w : nullptr;
    }
    QStringList shownEditors() const
    {
        QStringList names;
        for (const char *name : kEditors) {
            if (shown<QWidget>(name))
                names << QLatin1String(name);
        }
        return names;
    }
    // Enter in a control: the control sees the key first, then stores (the
    // store is posted, so it is delivered before going on).
    static void enter(QWidget *editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // Types \a keys into the open control and presses Enter.
    static void typeAndEnter(QWidget *editor, const QString &keys)
    {
        QTest::keyClicks(editor, keys);
        enter(editor);
    }
    // Makes a cell current without opening anything, as the arrow keys do.
    void goTo(int channel, int column)
    {
        m_grid->setFocus();
        QTest::keyClick(m_grid, Qt::Key_Home, Qt::ControlModifier);
        for (int k = 1; k < channel; ++k)
            QTest::keyClick(m_grid, Qt::Key_Down);
        for (int k = 1; k < column; ++k)
            QTest::keyClick(m_grid, Qt::Key_Right);
        QCOMPARE(m_grid->currentIndex(), cell(channel, column));
    }
    void refresh() { m_window->ApplyLanguage(); }

private slots:
    void init();
    void cleanup();

    void receiveFrequency_data();
    void receiveFrequency();
    void clearAndRetypeReceive();
    void clearTransmit();
    void typedPoints_data();
    void typedPoints();
    void toneSetsSquelchMode_data();
    void toneSetsSquelchMode();
    void nonstandardToneNote();
    void nonstandardToneHint();
    void busyLockPicker_data();
    void busyLockPicker();
    void pastedFrequency_data();
    void pastedFrequency();
    void emptyRowOpensNothing_data();
    void emptyRowOpensNothing();
    void keyboardOnly();
    void commitBeforeTransfer_data();
    void commitBeforeTransfer();
    void commitOnFocusLoss();
    void languageRebuildsTexts();
    void headerTooltips_data();
    void headerTooltips();
    void sizesSurviveRun();
};
