#include "ui/changemark.h"

#include <QEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace t880 {

void paintChangeMark(QPainter &painter, const QRect &rect)
{
    const int side = std::max(5, rect.height() / 3);
    const QPoint corner = rect.topLeft();
    const QPolygon mark({corner, corner + QPoint(side, 0), corner + QPoint(0, side)});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xC8, 0x86, 0x1E));
    painter.drawPolygon(mark);
    painter.restore();
}

ChangeMark::ChangeMark(QWidget *control) : QWidget(control)
{
    setObjectName(QStringLiteral("ChangeMark"));
    // Clicks, hovering and tooltips belong to the control below.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(control->rect());
    control->installEventFilter(this);
    hide();
}

void ChangeMark::setChanged(bool changed)
{
    setVisible(changed);
    if (changed)
        raise();
}

void ChangeMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintChangeMark(painter, rect());
}

bool ChangeMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

} // namespace t880
