// The several-radios window suite's shared part: its widgets found by name, the
// port table's rows, a round started and awaited, and the test class (with its
// radios and the codeplug it writes) whose functions the suite's files define.
#pragma once

#include "guitest.h"
#include "windowradio.h"

#include "codeplug/backupstore.h"
#include "ui/tform1.h"
#include "ui/tgangwritedlg.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <array>

// The class and every file of the suite name the core's types and the test
// helpers unqualified.
using namespace t880;
using namespace t880::testing;

inline QAction *menu(TForm1 &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

template <typename T> T *child(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no widget %s", name);
    return found;
}

// What one row of the port table showed when its round had ended.
struct RowSeen
{
    bool checked = false;
    int progress = -1;
    QString result;
};

// The row that writes to \a device, whatever its caption.
inline int rowOf(QTableWidget *table, const QString &device)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, TGangWriteDlg::PortColumn)->data(Qt::UserRole).toString() == device)
            return row;
    }
    return -1;
}

inline RowSeen rowSeen(QWidget *dialog, const QString &device)
{
    auto *table = child<QTableWidget>(dialog, "tPorts");
    RowSeen seen;
    const int row = rowOf(table, device);
    if (row < 0)
        return seen;
    seen.checked = table->item(row, TGangWriteDlg::PortColumn)->checkState() == Qt::Checked;
    seen.progress = table->cellWidget(row, TGangWriteDlg::ProgressColumn)
                        ->findChild<QProgressBar *>(QStringLiteral("ProgressBar"))
                        ->value();
    seen.result = table->item(row, TGangWriteDlg::ResultColumn)->text();
    return seen;
}

// Types \a device into the path field and presses Enter, as a user adds a
// port the system does not list.
inline void addPort(QWidget *dialog, const QString &device)
{
    auto *field = child<QLineEdit>(dialog, "eAddPort");
    field->setText(device);
    QTest::keyClick(field, Qt::Key_Return);
}

// Presses Start and waits (bounded) until the round has ended.
inline bool runRound(QWidget *dialog, const std::function<void(QPushButton *)> &press)
{
    auto *start = child<QPushButton>(dialog, "StartBtn");
    press(start);
    if (start->isEnabled())
        return false; // the round did not begin
    QDeadlineTimer deadline(30000);
    while (!start->isEnabled() && !deadline.hasExpired())
        QTest::qWait(20);
    return start->isEnabled();
}

// The result cell says \a outcome, then the time taken in seconds.
inline bool saysOutcome(const QString &cell, int language, const QString &outcome)
{
    const QString first = cell.section(QLatin1Char('\n'), 0, 0);
    const QString marker = QStringLiteral("SECONDS");
    const QString pattern = QRegularExpression::escape(mainText(language, 459).arg(outcome, marker))
                                .replace(marker, QStringLiteral("\\d+\\.\\d"));
    return QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'))
        .match(first)
        .hasMatch();
}

class TestGangWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A radio of its own in the folder \a name, over \a memory.
    bool startRadioIn(VirtualRadioProcess &radio, const QString &name, const QByteArray &memory,
                      const QStringList &faults = {})
    {
        QDir(m_dir.path()).mkpath(name);
        return startRadio(radio, path(name), memory, faults);
    }
    QString linkOf(const QString &name) const { return path(name + QStringLiteral("/radio")); }
    QByteArray memoryOf(const QString &name) const
    {
        return readFile(path(name + QStringLiteral("/memory.bin")));
    }

    // The codeplug the window writes.
    CodeplugData codeplugToWrite() const
    {
        CodeplugData cp;
        cp.applyNewDefaults();
        cp.enterChannelFrequency(7, 145500000);
        cp.setSetting(Setting::sql, 3);
        return cp;
    }
    // The codeplug area of a radio over \a memory after the command line
    // wrote \a cp into it: the transmit power and tuning bytes of each
    // channel come from that radio's calibration.
    QByteArray writtenByCommandLine(const CodeplugData &cp, const QByteArray &memory)
    {
        const QString file = path(QStringLiteral("towrite.Kzx"));
        if (!codeplugfile::save(file, cp).ok())
            return {};
        VirtualRadioProcess radio;
        if (!startRadioIn(radio, QStringLiteral("reference"), memory))
            return {};
        if (runCli({QStringLiteral("write"), QStringLiteral("--port"),
                    linkOf(QStringLiteral("reference")), file})
                .exitCode != 0)
            return {};
        radio.stop();
        return withoutDate(
            memoryOf(QStringLiteral("reference")).mid(kCodeplugArea, kCodeplugAreaSize));
    }
    static QByteArray withoutDate(QByteArray area)
    {
        // The minute of writing is the radio's own.
        return area.replace(kDateOffset, 6, QByteArray(6, '\0'));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }

    void radiosAtOnce();
    void repeatRounds_data();
    void repeatRounds();
    void closingMidRound();
    void addPortRefusesWhatIsNoPort_data();
    void addPortRefusesWhatIsNoPort();
    void addPortKnowsALinkFromItsDevice();
    void portBindingsListed();
    void traceMasksPassword_data();
    void traceMasksPassword();
};
