#include "ui/focusreturn.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QWidget>

namespace t880 {

bool focusMovedWithinWindow(const QWidget *left, const QFocusEvent *event)
{
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return false;
    // The focus widget has already changed when the focus-out arrives.
    const QWidget *now = QApplication::focusWidget();
    return now && now != left && now->window() == left->window();
}

FocusReturn::FocusReturn(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

FocusReturn::~FocusReturn()
{
    qApp->removeEventFilter(this);
}

bool FocusReturn::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // A window the user restores from the task bar shows again by itself.
    if ((type != QEvent::Show && type != QEvent::Hide) || event->spontaneous() ||
        !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->windowType() != Qt::Dialog || !widget->parentWidget())
        return false;
    if (type == QEvent::Show)
        dialogShown(widget);
    else
        dialogHidden(widget);
    return false;
}

void FocusReturn::dialogShown(QWidget *dialog)
{
    QWidget *opener = dialog->parentWidget()->window();
    QWidget *had = QApplication::focusWidget();
    // An opener that is not active (yet) still knows its focus widget.
    if (!had || had->window() != opener)
        had = opener->focusWidget();
    if (had)
        m_hadFocus.insert(dialog, had);
}

void FocusReturn::dialogHidden(QWidget *dialog)
{
    const QPointer<QWidget> had = m_hadFocus.take(dialog);
    if (!had)
        return;
    QWidget *opener = had->window();
    if (!opener->isVisible())
        return;
    if (had->isVisible() && had->isEnabled())
        had->setFocus(Qt::ActiveWindowFocusReason);
    opener->activateWindow();
}

} // namespace t880
