// The channel grid's name column and the printed channel sheet, through the
// real widgets: names typed by keyboard land in the record's six name bytes
// (worked out by hand in the code page), the column's width is kept in the
// configuration, and File > Print / Export PDF give a one-page sheet.
#include "guitest.h"
#include "testsupport.h"

#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/tform1.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

namespace {

// Channel n's record starts at 0x554 + n * 72; its name is bytes 61..66.
int nameOffset(int channel)
{
    return 0x554 + channel * 72 + 61;
}

} // namespace

class TestNameColumn : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Document *m_state = nullptr;
    TForm1 *m_window = nullptr;
    QTableView *m_grid = nullptr;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString configPath() const { return path(QStringLiteral("_config.ini")); }
    QModelIndex nameCell(int channel) const
    {
        return m_grid->model()->index(channel - 1, ChannelTableModel::NameColumn - 1);
    }
    void start();
    void stop();

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void headerInEveryLanguage();
    void typedName_data();
    void typedName();
    void unusedChannelHasNoName();
    void widthKept();
    void exportPdf();
    void printToPdfPrinter();
};

void TestNameColumn::start()
{
    if (!QFile::exists(configPath()))
        QVERIFY(writeFile(configPath(), "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    m_state = new Document;
    m_state->setConfigPath(configPath());
    m_window = new TForm1(*m_state);
    m_state->program().codeplug.enterChannelFrequency(2, 438500000);
    m_window->ApplyLanguage();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid = m_window->findChild<QTableView *>(QStringLiteral("StringGrid1"));
}

void TestNameColumn::stop()
{
    if (m_window)
        m_window->closeWithoutPrompt();
    delete m_window;
    delete m_state;
    m_window = nullptr;
    m_state = nullptr;
}

void TestNameColumn::headerInEveryLanguage()
{
    const char *items[] = {"MenuLanguage_En", "MenuLanguage_Chs", "MenuLanguage_Cht"};
    for (int language = 0; language < 3; ++language) {
        m_window->findChild<QAction *>(QLatin1String(items[language]))->trigger();
        QCOMPARE(m_grid->model()->headerData(ChannelTableModel::NameColumn - 1, Qt::Horizontal),
                 QVariant(mainText(language, 24)));
    }
}

void TestNameColumn::typedName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("six letters") << "BASE01"
                                 << "BASE01" << QByteArray("BASE01");
    QTest::newRow("seventh refused") << "REPEATER"
                                     << "REPEAT" << QByteArray("REPEAT");
    QTest::newRow("short, zero-padded") << "Ops"
                                        << "Ops" << QByteArray("Ops\0\0\0", 6);
    // GBK: 中 D6D0, 文 CEC4, 字 D7D6; a character takes two bytes.
    QTest::newRow("three Chinese") << "中文字母"
                                   << "中文字" << QByteArray("\xD6\xD0\xCE\xC4\xD7\xD6", 6);
    QTest::newRow("odd byte left empty") << "ABC中文"
                                         << "ABC中" << QByteArray("ABC\xD6\xD0\0", 6);
}

// Typed into the cell's editor by keyboard, committed with Enter.
void TestNameColumn::typedName()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QByteArray, bytes);
    m_grid->setFocus();
    m_grid->setCurrentIndex(nameCell(2));
    QTest::keyClick(m_grid, Qt::Key_F2);
    auto *editor = m_window->findChild<QLineEdit *>(QStringLiteral("Edit_ChName"));
    QTRY_VERIFY(editor->isVisible());
    for (const QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(editor->text(), shown);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the store is posted
    QCOMPARE(nameCell(2).data().toString(), shown);
    QCOMPARE(m_state->program().codeplug.toByteArray().mid(nameOffset(2), 6), bytes);
    QVERIFY(nameCell(2).data(ChannelTableModel::ChangedRole).toBool());
}

void TestNameColumn::unusedChannelHasNoName()
{
    QVERIFY(!(m_grid->model()->flags(nameCell(5)) & Qt::ItemIsEditable));
    QVERIFY(!m_grid->model()->setData(nameCell(5), QStringLiteral("X")));
    QCOMPARE(m_state->program().codeplug.toByteArray().mid(nameOffset(5), 6), QByteArray(6, '\0'));
}

// The width is the user's, from one run to the next, and the standard keys
// of the grid stay as they were.
void TestNameColumn::widthKept()
{
    m_grid->horizontalHeader()->resizeSection(ChannelTableModel::NameColumn - 1, 123);
    stop();
    const QByteArray text = readFile(configPath());
    QVERIFY2(text.contains("\nNameColWidth=123\n"), text.constData());
    QVERIFY(!text.contains("ChSG_Col9"));
    start();
    QCOMPARE(m_grid->horizontalHeader()->sectionSize(ChannelTableModel::NameColumn - 1), 123);
}

// File > Export PDF: one page, the channel's name and frequency on it.
void TestNameColumn::exportPdf()
{
    QVERIFY(m_state->program().codeplug.channel(2).rxFreq() == 438500000);
    QVERIFY(m_window->findChild<QTableView *>()->model()->setData(nameCell(2), "HILL"));
    const QString pdf = path(QStringLiteral("sheet.pdf"));
    auto dialog = whenModal(QStringLiteral("PdfDialog"), [pdf](QWidget *w) {
        qobject_cast<QFileDialog *>(w)->selectFile(pdf);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    m_window->findChild<QAction *>(QStringLiteral("MenuFile_ExportPdf"))->trigger();
    QVERIFY(dialog->seen);
    QVERIFY(readFile(pdf).startsWith("%PDF"));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(20000));
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(infoText.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
             qPrintable(infoText));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(20000));
    const QByteArray words = text.readAllStandardOutput();
    QVERIFY2(words.contains("HILL") && words.contains("438.5"), words.constData());
}

// What the print dialog sets up is printed on: here a PDF printer.
void TestNameColumn::printToPdfPrinter()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = path(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(pdf);
    QVERIFY(m_window->printTo(printer));
    QVERIFY(readFile(pdf).startsWith("%PDF"));
}

QTEST_MAIN(TestNameColumn)
#include "tst_namecolumn.moc"
