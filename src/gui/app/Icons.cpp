#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

namespace {

constexpr int kSize = 32;

void tile(QPainter& p, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(1, 1, kSize - 2, kSize - 2), 6, 6);
}

void letter(QPainter& p, const QString& text, int pixel)
{
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(pixel);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

QIcon draw(int command)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen white(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (command) {
    case ids::CmdMainCorr:  // a dial with a needle: the main correction
        tile(p, QColor(0, 110, 180));
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 8, 20, 20), 0, 180 * 16);
        p.drawLine(QPointF(16, 18), QPointF(23, 11));
        break;
    case ids::CmdCharts: {  // a curve over an axis
        tile(p, QColor(0, 140, 90));
        p.setPen(white);
        p.drawLine(QPointF(6, 26), QPointF(27, 26));
        p.drawLine(QPointF(6, 26), QPointF(6, 6));
        QPainterPath wave;
        wave.moveTo(7, 20);
        wave.cubicTo(12, 4, 16, 30, 21, 12);
        wave.lineTo(27, 9);
        p.drawPath(wave);
        break;
    }
    case ids::CmdErrors: {  // a warning triangle
        tile(p, QColor(200, 60, 40));
        QPainterPath tri;
        tri.moveTo(16, 5);
        tri.lineTo(28, 27);
        tri.lineTo(4, 27);
        tri.closeSubpath();
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tri);
        p.drawLine(QPointF(16, 12), QPointF(16, 20));
        p.drawPoint(QPointF(16, 24));
        break;
    }
    case ids::CmdService:  // a spanner drawn as a ring and a handle
        tile(p, QColor(110, 110, 120));
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 24), QPointF(19, 14));
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(17, 6, 9, 9));
        break;
    case ids::CmdSettings:  // a disk: read and write settings files
        tile(p, QColor(60, 80, 160));
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(7, 6, 18, 20));
        p.drawRect(QRectF(11, 6, 10, 7));
        p.drawRect(QRectF(10, 18, 12, 8));
        break;
    case ids::CmdLanguage:  // a globe
        tile(p, QColor(20, 130, 150));
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(6, 6, 20, 20));
        p.drawEllipse(QRectF(12, 6, 8, 20));
        p.drawLine(QPointF(6, 16), QPointF(26, 16));
        break;
    case ids::CmdInjCalc:  // a calculator
        tile(p, QColor(150, 90, 20));
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(8, 5, 16, 22));
        p.drawRect(QRectF(11, 8, 10, 5));
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawPoint(QPointF(12 + 4 * c, 17 + 5 * r));
        break;
    case ids::CmdHelp:
        tile(p, QColor(90, 60, 150));
        letter(p, QStringLiteral("?"), 22);
        break;
    case ids::CmdAbout:
        tile(p, QColor(40, 40, 40));
        letter(p, QStringLiteral("i"), 22);
        break;
    case ids::CmdLargeDisplay:
        tile(p, QColor(0, 0, 0));
        letter(p, QStringLiteral("88"), 15);
        break;
    default:
        return {};
    }
    p.end();
    return QIcon(pm);
}

} // namespace

QIcon commandIcon(int command)
{
    return draw(command);
}

} // namespace tarvola::gui
