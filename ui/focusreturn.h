// Gives the keyboard back when a dialog closes. Not every window manager
// activates the opener again when a dialog goes away (a plain one leaves no
// window with the input focus), and the window's shortcuts then stay dead
// until the user clicks into it. This watches the dialogs of the whole
// application: when one is shown it remembers the widget that had the focus
// in its opener's window, and when it is hidden it activates that window and
// gives the widget the focus again.
//
// A control that loses the focus because its window does (another
// application, a dialog, a popup menu) is not left by the user: a half-typed
// value in it is kept as it stands, neither stored nor refused, until the
// user moves within the window or a command needs it.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QFocusEvent;
class QWidget;

namespace t880 {

/// Whether \a event, a focus-out of \a left, hands the focus to another
/// control of the same window (Tab, a click, a shortcut), rather than to a
/// popup menu, to another window or to nothing.
bool focusMovedWithinWindow(const QWidget *left, const QFocusEvent *event);

class FocusReturn : public QObject
{
    Q_OBJECT
public:
    /// Watches every dialog of the application for as long as it lives.
    explicit FocusReturn(QObject *parent);
    ~FocusReturn() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dialogShown(QWidget *dialog);
    void dialogHidden(QWidget *dialog);

    QHash<const QWidget *, QPointer<QWidget>> m_hadFocus;
};

} // namespace t880
