#include "TerminalIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {
using Painter = std::function<void(QPainter&)>;

// Every picture is drawn on a 32 x 32 grid and scaled by the icon engine.
QPixmap draw(const Painter& paint)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pixmap;
}

void terminal(QPainter& p, const QColor& screen)
{
    p.setPen(QPen(QColor(60, 60, 70), 1.5));
    p.setBrush(QColor(200, 204, 212));
    p.drawRoundedRect(QRectF(6, 3, 20, 26), 3, 3);
    p.setBrush(screen);
    p.drawRect(QRectF(9, 6, 14, 9));
    p.setBrush(QColor(90, 90, 100));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(10 + col * 4.5, 18 + row * 3.3, 2.5, 2));
}

void badge(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(colour);
    p.drawEllipse(QRectF(17, 17, 14, 14));
}

void arrow(QPainter& p, const QColor& colour, bool right)
{
    QPainterPath path;
    if (right) {
        path.moveTo(4, 12);
        path.lineTo(18, 12);
        path.lineTo(18, 5);
        path.lineTo(29, 16);
        path.lineTo(18, 27);
        path.lineTo(18, 20);
        path.lineTo(4, 20);
    } else {
        path.moveTo(28, 12);
        path.lineTo(14, 12);
        path.lineTo(14, 5);
        path.lineTo(3, 16);
        path.lineTo(14, 27);
        path.lineTo(14, 20);
        path.lineTo(28, 20);
    }
    path.closeSubpath();
    p.setPen(QPen(colour.darker(150), 1.2));
    p.setBrush(colour);
    p.drawPath(path);
}

void sheet(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 3, 20, 26));
    p.setPen(QPen(QColor(70, 110, 180), 1.5));
    for (int y = 9; y <= 23; y += 4)
        p.drawLine(QPointF(10, y), QPointF(22, y));
}

void fingerprint(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    for (int r = 3; r <= 12; r += 3)
        p.drawArc(QRectF(16 - r, 16 - r, 2 * r, 2 * r + 6), 0, 180 * 16);
    p.drawLine(QPointF(4, 19), QPointF(4, 26));
    p.drawLine(QPointF(28, 19), QPointF(28, 26));
}

const QHash<QString, Painter>& painters()
{
    static const QHash<QString, Painter> table = {
        {QStringLiteral("device"), [](QPainter& p) { terminal(p, QColor(120, 200, 255)); }},
        {QStringLiteral("device2"),
         [](QPainter& p) {
             terminal(p, QColor(120, 200, 255));
             badge(p, QColor(40, 90, 200));
         }},
        {QStringLiteral("connected"),
         [](QPainter& p) {
             terminal(p, QColor(150, 230, 150));
             badge(p, QColor(30, 160, 60));
         }},
        {QStringLiteral("notconnected"),
         [](QPainter& p) {
             terminal(p, QColor(170, 170, 170));
             badge(p, QColor(150, 150, 150));
         }},
        {QStringLiteral("cantconnect"),
         [](QPainter& p) {
             terminal(p, QColor(255, 180, 170));
             badge(p, QColor(210, 40, 40));
             p.setPen(QPen(Qt::white, 2));
             p.drawLine(QPointF(20.5, 20.5), QPointF(27.5, 27.5));
             p.drawLine(QPointF(27.5, 20.5), QPointF(20.5, 27.5));
         }},
        {QStringLiteral("settings"),
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(110, 110, 120));
             p.translate(16, 16);
             for (int i = 0; i < 8; ++i) {
                 p.drawRect(QRectF(-2.5, -14, 5, 8));
                 p.rotate(45);
             }
             p.drawEllipse(QRectF(-9, -9, 18, 18));
             p.setBrush(Qt::white);
             p.drawEllipse(QRectF(-4, -4, 8, 8));
         }},
        {QStringLiteral("restartdevice"),
         [](QPainter& p) {
             p.setPen(QPen(QColor(30, 130, 60), 3.5));
             p.drawArc(QRectF(5, 5, 22, 22), 60 * 16, 300 * 16);
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(30, 130, 60));
             p.drawPolygon(QPolygonF({QPointF(17, 0), QPointF(25, 7), QPointF(15, 11)}));
         }},
        {QStringLiteral("devicelist"),
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             for (int i = 0; i < 4; ++i) {
                 p.setBrush(QColor(70, 110, 180));
                 p.drawRect(QRectF(3, 4 + i * 7, 5, 5));
                 p.setBrush(QColor(120, 120, 130));
                 p.drawRect(QRectF(11, 5 + i * 7, 18, 3));
             }
         }},
        {QStringLiteral("connect"), [](QPainter& p) { arrow(p, QColor(40, 170, 70), true); }},
        {QStringLiteral("Disconnect"), [](QPainter& p) { arrow(p, QColor(210, 60, 50), false); }},
        {QStringLiteral("log"), [](QPainter& p) { sheet(p); }},
        {QStringLiteral("employeelog"),
         [](QPainter& p) {
             sheet(p);
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(200, 120, 40));
             p.drawEllipse(QRectF(17, 15, 8, 8));
             p.drawRoundedRect(QRectF(14, 23, 14, 8), 3, 3);
         }},
        {QStringLiteral("exit"),
         [](QPainter& p) {
             p.setPen(QPen(QColor(120, 80, 40), 1.5));
             p.setBrush(QColor(190, 140, 80));
             p.drawRect(QRectF(5, 3, 16, 26));
             arrow(p, QColor(210, 60, 50), true);
         }},
        {QStringLiteral("extract"),
         [](QPainter& p) {
             p.setPen(QPen(QColor(60, 90, 150), 1.5));
             p.setBrush(QColor(150, 180, 230));
             p.drawEllipse(QRectF(5, 20, 22, 9));
             p.drawRect(QRectF(5, 24, 22, 1));
             p.setPen(QPen(QColor(40, 170, 70), 3));
             p.drawLine(QPointF(16, 2), QPointF(16, 16));
             p.drawLine(QPointF(10, 11), QPointF(16, 17));
             p.drawLine(QPointF(22, 11), QPointF(16, 17));
         }},
        {QStringLiteral("backup"),
         [](QPainter& p) {
             p.setPen(QPen(QColor(60, 60, 60), 1.5));
             p.setBrush(QColor(80, 90, 160));
             p.drawRect(QRectF(5, 5, 22, 22));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(10, 5, 12, 8));
             p.drawRect(QRectF(9, 18, 14, 9));
         }},
        {QStringLiteral("finger"), [](QPainter& p) { fingerprint(p, QColor(160, 60, 40)); }},
        // A user held on a terminal.
        {QStringLiteral("positive"),
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(50, 120, 200));
             p.drawEllipse(QRectF(10, 3, 12, 12));
             p.drawRoundedRect(QRectF(5, 17, 22, 12), 5, 5);
             badge(p, QColor(30, 160, 60));
             p.setPen(QPen(Qt::white, 2));
             p.drawLine(QPointF(24, 20.5), QPointF(24, 27.5));
             p.drawLine(QPointF(20.5, 24), QPointF(27.5, 24));
         }},
    };
    return table;
}
} // namespace

QIcon TerminalIcons::icon(const QString& key)
{
    static QHash<QString, QIcon> cache;
    const auto cached = cache.constFind(key);
    if (cached != cache.constEnd())
        return *cached;
    const auto painter = painters().constFind(key);
    if (painter == painters().constEnd())
        return {};
    const QIcon icon(draw(*painter));
    cache.insert(key, icon);
    return icon;
}

QStringList TerminalIcons::keys()
{
    return painters().keys();
}
