#include "ui/factory/offsetspinbox.h"

#include "ui/focusreturn.h"

#include <QFocusEvent>
#include <QLineEdit>

namespace t880 {

OffsetSpinBox::OffsetSpinBox(QWidget *parent) : QSpinBox(parent)
{
    // Typing 1 on the way to 12 must not store 1.
    setKeyboardTracking(false);
}

void OffsetSpinBox::showValue(int value)
{
    const QSignalBlocker quiet(this);
    setValue(value);
}

void OffsetSpinBox::keepTypedText(const std::function<void()> &handle)
{
    // The spin box would take the typed text as its value here; let it do
    // its other work, then put back both the value and the text.
    const int kept = value();
    const QString typed = lineEdit()->text();
    {
        const QSignalBlocker quiet(this);
        handle();
        setValue(kept);
    }
    if (lineEdit()->text() != typed)
        lineEdit()->setText(typed);
}

void OffsetSpinBox::focusOutEvent(QFocusEvent *event)
{
    if (focusMovedWithinWindow(this, event))
        QSpinBox::focusOutEvent(event);
    else
        keepTypedText([this, event] { QSpinBox::focusOutEvent(event); });
}

void OffsetSpinBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        keepTypedText([this, event] { QSpinBox::changeEvent(event); });
    else
        QSpinBox::changeEvent(event);
}

void OffsetSpinBox::hideEvent(QHideEvent *event)
{
    keepTypedText([this, event] { QSpinBox::hideEvent(event); });
}

} // namespace t880
