// The quiet mark of a value that differs from the codeplug as last opened,
// read, saved or made new: a small amber triangle in the top left corner,
// the same on a grid cell and on a setting control.
#pragma once

#include <QWidget>

class QPainter;

namespace t880 {

/// Draws the mark into the top left corner of \a rect, a third of its height.
void paintChangeMark(QPainter &painter, const QRect &rect);

/// The mark laid over a setting control; shown only while the setting differs.
class ChangeMark : public QWidget
{
    Q_OBJECT
public:
    /// A hidden mark over \a control, following its size.
    explicit ChangeMark(QWidget *control);

    void setChanged(bool changed);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace t880
