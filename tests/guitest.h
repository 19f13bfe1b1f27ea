// Helpers for driving the real widgets headless: answer a modal dialog the
// moment it is shown (never by sleeping), and a pseudo-terminal that a port
// test can open as a present serial device.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "text/applang.h"

#include <functional>
#include <memory>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace t880::testing {

/// Entry \a n of the main table in \a language (0 English, 1 Simplified,
/// 2 Traditional Chinese), as the tables hold it.
inline QString mainText(int language, int n)
{
    text::TAppLang lang(0x0409);
    lang.applyLanguageSetting(language);
    return lang.text(text::TextTable::Main, n);
}

/// The same for the program dialog's table.
inline QString programText(int language, int n)
{
    text::TAppLang lang(0x0409);
    lang.applyLanguageSetting(language);
    return lang.text(text::TextTable::Program, n);
}

/// The Latin letters of a Chinese text that are not the radio's own
/// abbreviations, units, tone codes or DTMF keys: English left untranslated.
inline QString strayLatin(QString text)
{
    static const QRegularExpression own(
        QStringLiteral(R"(CTCSS|DCS|DTMF|ANI|MHz|kHz|Hz|D\d{3}[NI]|Off|A-D)"));
    static const QRegularExpression notLatin(QStringLiteral("[^A-Za-z]"));
    return text.remove(own).remove(notLatin);
}

/// Saves a picture of \a w as NAME.png into the folder that T880_SHOTS
/// names, when it is set: a way to look at every dialog the tests open.
inline void saveShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("T880_SHOTS");
    if (!dir.isEmpty() && w)
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

/// A window's title as the window manager shows it: the change mark in
/// place of "[*]" while the window is modified, nothing otherwise.
inline QString shownTitle(const QWidget *w)
{
    QString title = w->windowTitle();
    return title.replace(QStringLiteral("[*]"),
                         w->isWindowModified() ? QStringLiteral("*") : QString());
}

/// What became of one whenModal() wait.
struct ModalSeen
{
    bool seen = false;
    QString objectName;
};

/// Runs \a answer on the first modal dialog named \a objectName that is shown
/// within \a timeoutMs, from the event loop that shows it. The returned
/// record tells whether it came. A suite that waits for dialogs that may not
/// come calls disarmModalWaits() from its cleanup().
inline std::shared_ptr<ModalSeen>
whenModal(const QString &objectName, std::function<void(QWidget *)> answer, int timeoutMs = 20000)
{
    auto record = std::make_shared<ModalSeen>();
    auto *timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("ModalWait"));
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible() && w->objectName() == objectName) {
            timer->stop();
            timer->deleteLater();
            record->seen = true;
            record->objectName = objectName;
            saveShot(w, objectName);
            answer(w);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    return record;
}

/// Ends the waits of whenModal() still running: a dialog that did not come
/// in one test must not be answered in the next, through variables of a
/// test that has returned.
inline void disarmModalWaits()
{
    const auto waits =
        qApp->findChildren<QTimer *>(QStringLiteral("ModalWait"), Qt::FindDirectChildrenOnly);
    for (QTimer *t : waits) {
        t->stop();
        t->deleteLater();
    }
}

/// Clicks the child button \a button of the modal dialog named \a dialog.
inline std::shared_ptr<ModalSeen> pressWhenShown(const QString &dialog, const QString &button,
                                                 QString *message = nullptr)
{
    return whenModal(dialog, [button, message](QWidget *w) {
        if (message) {
            if (auto *label = w->findChild<QWidget *>(QStringLiteral("WarnDlgText")))
                *message = label->property("text").toString();
            else if (auto *label1 = w->findChild<QWidget *>(QStringLiteral("Label1")))
                *message = label1->property("text").toString();
        }
        if (auto *b = w->findChild<QWidget *>(button))
            QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
    });
}

/// Types \a key into the modal dialog named \a dialog, as a keyboard user
/// answers it (Enter for the default button, Escape to cancel).
inline std::shared_ptr<ModalSeen> keyWhenShown(const QString &dialog, Qt::Key key)
{
    return whenModal(dialog, [key](QWidget *w) {
        QTimer::singleShot(0, w, [w, key] {
            QWidget *target = w->focusWidget() ? w->focusWidget() : w;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        });
    });
}

/// A pseudo-terminal whose device side a serial port can open: a stand-in
/// for a serial adapter that is plugged in.
class PresentPort
{
public:
    PresentPort()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_path = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~PresentPort()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    PresentPort(const PresentPort &) = delete;
    PresentPort &operator=(const PresentPort &) = delete;
    QString path() const { return m_path; }

private:
    int m_master = -1;
    QString m_path;
};

} // namespace t880::testing
