#include "uieditor/AttributeIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

// Drawn on a 20 x 20 grid, the height of the fields they stand beside.
constexpr int IconSize = 20;

const QColor Outline(40, 40, 40);
const QColor AttackColor(190, 40, 30);
const QColor DefenseColor(40, 90, 170);

void Shield(QPainter& p)
{
    QPainterPath shield;
    shield.moveTo(10, 1);
    shield.lineTo(18, 4);
    shield.cubicTo(18, 12, 14, 16, 10, 19);
    shield.cubicTo(6, 16, 2, 12, 2, 4);
    shield.closeSubpath();
    p.setBrush(DefenseColor);
    p.drawPath(shield);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::white);
}

void Draw(QPainter& p, AttributeIcon icon)
{
    // Most pictures are shapes outlined alike; the attack ones are filled alike.
    p.setPen(QPen(Outline, 1));
    p.setBrush(AttackColor);
    switch (icon) {
    case AttributeIcon::None:
        break;
    case AttributeIcon::Cost:
        p.setPen(QPen(QColor(150, 110, 0), 1));
        p.setBrush(QColor(240, 200, 40));
        p.drawEllipse(QPointF(10, 10), 8.5, 8.5);
        p.drawEllipse(QPointF(10, 10), 5, 5);
        break;
    case AttributeIcon::Movement:
        p.setBrush(QColor(50, 150, 60));
        p.drawPolygon(QPolygonF({{1, 7}, {11, 7}, {11, 2}, {19, 10}, {11, 18}, {11, 13}, {1, 13}}));
        break;
    case AttributeIcon::Fuel: {
        QPainterPath drop;
        drop.moveTo(10, 1);
        drop.cubicTo(13, 7, 16, 10, 16, 13);
        drop.arcTo(QRectF(4, 7, 12, 12), 0, -180);
        drop.cubicTo(4, 10, 7, 7, 10, 1);
        p.setBrush(QColor(220, 140, 20));
        p.drawPath(drop);
        break;
    }
    case AttributeIcon::Ammo:
        p.setBrush(QColor(200, 160, 60));
        for (double x : {2.0, 8.0, 14.0}) {
            QPainterPath round;
            round.moveTo(x, 19);
            round.lineTo(x, 8);
            round.quadTo(x + 2, 1, x + 4, 8);
            round.lineTo(x + 4, 19);
            round.closeSubpath();
            p.drawPath(round);
        }
        break;
    case AttributeIcon::Range:
        p.setPen(QPen(Outline, 1.5, Qt::DotLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2, 4, 16, 26), 30 * 16, 120 * 16);
        p.setPen(QPen(Outline, 1));
        p.setBrush(AttackColor);
        p.drawEllipse(QPointF(16.5, 15), 2.5, 2.5);
        p.drawLine(QPointF(1, 19), QPointF(19, 19));
        break;
    case AttributeIcon::Initiative:
        p.setBrush(QColor(250, 210, 30));
        p.drawPolygon(QPolygonF({{12, 1}, {4, 11}, {9, 11}, {7, 19}, {16, 8}, {11, 8}, {14, 1}}));
        break;
    case AttributeIcon::Spotting: {
        QPainterPath eye;
        eye.moveTo(1, 10);
        eye.quadTo(10, 1, 19, 10);
        eye.quadTo(10, 19, 1, 10);
        p.setBrush(Qt::white);
        p.drawPath(eye);
        p.setBrush(QColor(60, 120, 60));
        p.drawEllipse(QPointF(10, 10), 3.5, 3.5);
        break;
    }
    case AttributeIcon::HardAttack:
        p.drawRoundedRect(QRectF(2, 11, 16, 5), 2, 2);
        p.drawRect(QRectF(6, 7, 7, 4));
        p.drawLine(QPointF(13, 8.5), QPointF(19, 8.5));
        break;
    case AttributeIcon::SoftAttack:
        p.drawEllipse(QPointF(10, 4.5), 3, 3);
        p.drawPolygon(QPolygonF({{6, 19}, {7, 9}, {13, 9}, {14, 19}}));
        break;
    case AttributeIcon::AirAttack:
        p.drawPolygon(QPolygonF({{10, 1}, {11.5, 7}, {19, 11}, {19, 12.5}, {11.5, 11}, {11, 16},
                                 {14, 18}, {14, 19}, {6, 19}, {6, 18}, {9, 16}, {8.5, 11},
                                 {1, 12.5}, {1, 11}, {8.5, 7}}));
        break;
    case AttributeIcon::NavalAttack:
        p.drawPolygon(QPolygonF({{1, 12}, {19, 12}, {16, 17}, {4, 17}}));
        p.drawRect(QRectF(7, 7, 6, 5));
        p.drawLine(QPointF(11, 9), QPointF(17, 7));
        break;
    case AttributeIcon::GroundDefense:
        Shield(p);
        p.drawLine(QPointF(6, 11), QPointF(14, 11));
        break;
    case AttributeIcon::AirDefense:
        Shield(p);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{6, 12}, {10, 7}, {14, 12}}));
        break;
    case AttributeIcon::CloseDefense:
        Shield(p);
        p.drawLine(QPointF(6.5, 6), QPointF(13.5, 13));
        p.drawLine(QPointF(13.5, 6), QPointF(6.5, 13));
        break;
    case AttributeIcon::RangeDefense:
        Shield(p);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 9), 4, 4);
        p.drawPoint(QPointF(10, 9));
        break;
    }
}

}  // namespace

QPixmap DrawAttributeIcon(AttributeIcon icon)
{
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, icon);
    return pixmap;
}
