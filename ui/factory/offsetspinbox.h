// The up-down of one squelch offset in the calibration dialog. A number
// typed into it counts only when the user is done with it: Enter, a step,
// or leaving it for another control of its window. The window losing the
// keyboard, a context menu or the window closing keep a half-typed text as
// it stands and store nothing.
#pragma once

#include <QSpinBox>

#include <functional>

namespace t880 {

class OffsetSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit OffsetSpinBox(QWidget *parent);

    /// Shows \a value, dropping any half-typed text, without a signal.
    void showValue(int value);

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void keepTypedText(const std::function<void()> &handle);
};

} // namespace t880
