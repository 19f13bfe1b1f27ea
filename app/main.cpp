// t880-gui: the desktop window of the programming software.
#include "factory/calibrationfile.h"
#include "ui/document.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// Resident memory of this process in KiB, from the kernel's own account.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Waits for the window's first paint, then reports or renders and quits.
class FirstPaint : public QObject
{
public:
    FirstPaint(t880::TForm1 &window, std::function<void()> then)
        : m_window(window), m_then(std::move(then))
    {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // After the paint itself, not inside it.
            QTimer::singleShot(0, &m_window, m_then);
        }
        return false;
    }

private:
    t880::TForm1 &m_window;
    std::function<void()> m_then;
    bool m_done = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("t880"));
    QCoreApplication::setApplicationVersion(QStringLiteral(T880_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("t880-gui"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Programming software for the Talvern T-880 handheld radio."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A codeplug (.Kzx) to open at start, or a calibration file (.kzxa) to "
                       "open in the calibration dialog after the factory access code."),
        QStringLiteral("[FILE.Kzx|FILE.kzxa]"));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("Use this configuration file instead of _config.ini beside the program "
                       "(or in ~/.config/t880 for an installed program, or where that folder "
                       "cannot be written)."),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the window after start-up into this PNG file and exit."),
        QStringLiteral("FILE.png"));
    const QCommandLineOption startupReport(
        QStringLiteral("startup-report"),
        QStringLiteral("Print the time to the window's first paint and the resident memory "
                       "then, and exit (for the benchmark)."));
    parser.addOptions({config, screenshot, startupReport});
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "t880-gui: give at most one file\n");
        return 2;
    }

    t880::Document state;
    state.setConfigPath(
        t880::configLocation(parser.value(config), QCoreApplication::applicationDirPath()));
    t880::TForm1 window(state);
    window.show();
    // The desktop hands over both kinds of file; which one it is follows the
    // suffix, in any letter case, as everywhere else.
    const QString file = parser.positionalArguments().value(0);
    const bool calibration =
        QFileInfo(file).suffix().compare(t880::calibrationfile::Suffix, Qt::CaseInsensitive) == 0;
    if (!file.isEmpty() && !calibration)
        window.openCodeplug(file);
    // Changes that are neither saved nor written are kept aside as they are
    // made; what a run that did not end normally left is offered first, then
    // the writes into a radio it left unfinished.
    const bool oneShot = parser.isSet(startupReport) || parser.isSet(screenshot);
    if (!oneShot) {
        window.enableRecovery();
        QTimer::singleShot(0, &window, [&window] {
            window.offerRecovery();
            window.offerUnfinishedWrites();
        });
    }
    // From the running event loop: the access prompt and the dialog are modal.
    if (calibration && !oneShot)
        QTimer::singleShot(0, &window, [&window, file] { window.openAdjustment(file); });

    int exitCode = 0;
    std::unique_ptr<FirstPaint> watcher;
    if (parser.isSet(startupReport)) {
        watcher = std::make_unique<FirstPaint>(window, [&] {
            QTextStream(stdout) << "first-paint-ms " << sinceStart.elapsed() << " rss-kib "
                                << residentKiB() << Qt::endl;
            window.closeWithoutPrompt();
        });
    } else if (parser.isSet(screenshot)) {
        const QString target = parser.value(screenshot);
        watcher = std::make_unique<FirstPaint>(window, [&, target] {
            if (!window.grab().save(target, "PNG")) {
                std::fprintf(stderr, "t880-gui: cannot write %s\n", qPrintable(target));
                exitCode = 1;
            }
            window.closeWithoutPrompt();
        });
    }
    const int rc = app.exec();
    return exitCode != 0 ? exitCode : rc;
}
