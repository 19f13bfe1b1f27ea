#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace t880::icons {

namespace {

using Draw = std::function<void(QPainter &)>;

const QColor kInk(0x30, 0x3a, 0x46);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kAccent(0x2e, 0x7d, 0x5b); // the grid's green, darker
const QColor kBlue(0x2f, 0x6d, 0xb5);
const QColor kFolder(0xe8, 0xb9, 0x4a);

// Every icon is drawn on a 24 x 24 canvas and rendered at 1x, 2x and 3x.
QIcon render(const Draw &draw, int logical = 24)
{
    QIcon icon;
    for (int scale : {1, 2, 3}) {
        QPixmap pm(logical * scale, logical * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale * logical / 24.0, scale * logical / 24.0);
        draw(p);
        p.end();
        pm.setDevicePixelRatio(scale);
        icon.addPixmap(pm);
    }
    return icon;
}

void page(QPainter &p)
{
    QPainterPath sheet;
    sheet.moveTo(5, 2.5);
    sheet.lineTo(14.5, 2.5);
    sheet.lineTo(19.5, 7.5);
    sheet.lineTo(19.5, 21.5);
    sheet.lineTo(5, 21.5);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawPolyline(QPolygonF({{14.5, 2.5}, {14.5, 7.5}, {19.5, 7.5}}));
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &c)
{
    p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    p.drawPolyline(QPolygonF({to - u * 4 + n * 3.5, to, to - u * 4 - n * 3.5}));
}

void radio(QPainter &p, QRectF body)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0x45, 0x4f, 0x5a));
    p.drawLine(QPointF(body.left() + 2.5, body.top()), QPointF(body.left() + 2.5, body.top() - 5));
    p.drawRoundedRect(body, 1.8, 1.8);
    p.setBrush(QColor(0xb9, 0xe3, 0xc6));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(body.left() + 1.5, body.top() + 2, body.width() - 3, 3.5));
    p.setBrush(QColor(0x9a, 0xa4, 0xae));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawEllipse(
                QRectF(body.left() + 1.8 + col * 2.8, body.top() + 7.5 + row * 2.8, 1.8, 1.8));
}

void computer(QPainter &p, QRectF screen)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xdd, 0xe8, 0xf3));
    p.drawRoundedRect(screen, 1.2, 1.2);
    p.drawLine(QPointF(screen.center().x(), screen.bottom()),
               QPointF(screen.center().x(), screen.bottom() + 2.5));
    p.drawLine(QPointF(screen.center().x() - 3, screen.bottom() + 2.5),
               QPointF(screen.center().x() + 3, screen.bottom() + 2.5));
}

} // namespace

QIcon newFile()
{
    return render([](QPainter &p) {
        page(p);
        p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.25, 11), QPointF(12.25, 18));
        p.drawLine(QPointF(8.75, 14.5), QPointF(15.75, 14.5));
    });
}

QIcon openFile()
{
    return render([](QPainter &p) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kFolder.darker(115));
        QPainterPath back;
        back.moveTo(2.5, 5);
        back.lineTo(9, 5);
        back.lineTo(11, 7);
        back.lineTo(19.5, 7);
        back.lineTo(19.5, 19.5);
        back.lineTo(2.5, 19.5);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(kFolder);
        p.drawPolygon(QPolygonF({{5, 10.5}, {22, 10.5}, {19.5, 19.5}, {2.5, 19.5}}));
    });
}

QIcon saveFile()
{
    return render([](QPainter &p) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kBlue);
        QPainterPath disk;
        disk.moveTo(3.5, 3.5);
        disk.lineTo(17.5, 3.5);
        disk.lineTo(20.5, 6.5);
        disk.lineTo(20.5, 20.5);
        disk.lineTo(3.5, 20.5);
        disk.closeSubpath();
        p.drawPath(disk);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3.5, 9, 6));
        p.drawRect(QRectF(6, 13, 12, 7.5));
        p.setBrush(kInk);
        p.drawRect(QRectF(12.5, 4.5, 2, 4));
    });
}

QIcon readRadio()
{
    return render([](QPainter &p) {
        radio(p, QRectF(2.5, 9.5, 7.5, 12.5));
        computer(p, QRectF(13.5, 4.5, 9, 7.5));
        arrow(p, QPointF(10.5, 17), QPointF(18, 17), kAccent);
    });
}

QIcon writeRadio()
{
    return render([](QPainter &p) {
        radio(p, QRectF(2.5, 9.5, 7.5, 12.5));
        computer(p, QRectF(13.5, 4.5, 9, 7.5));
        arrow(p, QPointF(19, 17), QPointF(11.5, 17), QColor(0xc0, 0x4b, 0x2c));
    });
}

QIcon language(const QString &label)
{
    return render([label](QPainter &p) {
        p.setPen(QPen(kInk, 1.1));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(1.5, 3.5, 21, 17), 3, 3);
        QFont f = p.font();
        f.setPixelSize(label.size() > 1 ? 9 : 13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(1.5, 3.5, 21, 17), Qt::AlignCenter, label);
    });
}

QIcon appIcon()
{
    return render(
        [](QPainter &p) {
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawRoundedRect(QRectF(1, 1, 22, 22), 5, 5);
            radio(p, QRectF(8, 7.5, 8, 13.5));
        },
        64);
}

} // namespace t880::icons
