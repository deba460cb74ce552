#include "qt/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace korrin::qt::artwork {
namespace {

// Every drawing is made at 32 x 32 design units and scaled to the pixmap's size.
QPixmap Canvas(int size, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    return pixmap;
}

// A sheet of paper with a folded corner, the shape all four headers share.
void Page(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(6, 2);
    sheet.lineTo(20, 2);
    sheet.lineTo(26, 8);
    sheet.lineTo(26, 30);
    sheet.lineTo(6, 30);
    sheet.closeSubpath();
    QLinearGradient paper(6, 2, 26, 30);
    paper.setColorAt(0, QColor(255, 255, 255));
    paper.setColorAt(1, QColor(214, 222, 232));
    p.setPen(QPen(QColor(60, 70, 90), 1));
    p.setBrush(paper);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(20, 2);
    fold.lineTo(20, 8);
    fold.lineTo(26, 8);
    p.setBrush(QColor(190, 200, 214));
    p.drawPath(fold);
}

void TextLines(QPainter& p, int from, int to) {
    p.setPen(QPen(QColor(150, 160, 178), 1));
    for (int y = from; y <= to; y += 3) p.drawLine(QPointF(9, y), QPointF(22, y));
}

void MagnifyingGlass(QPainter& p, QPointF centre, double radius) {
    p.setPen(QPen(QColor(90, 60, 30), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF handle(centre.x() + radius * 0.75, centre.y() + radius * 0.75);
    p.drawLine(handle, handle + QPointF(radius * 0.8, radius * 0.8));
    p.setPen(QPen(QColor(40, 50, 70), 1.6));
    p.setBrush(QColor(170, 215, 245, 200));
    p.drawEllipse(centre, radius, radius);
}

}  // namespace

QPixmap FindIcon() {
    return Canvas(32, [](QPainter& p) {
        Page(p);
        TextLines(p, 11, 26);
        MagnifyingGlass(p, QPointF(17, 17), 6);
    });
}

QPixmap PatchIcon() {
    return Canvas(32, [](QPainter& p) {
        Page(p);
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setPixelSize(12);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(20, 110, 40));
        p.drawText(QRectF(6, 9, 20, 10), Qt::AlignCenter, QStringLiteral("01"));
        p.setPen(QColor(30, 60, 150));
        p.drawText(QRectF(6, 19, 20, 10), Qt::AlignCenter, QStringLiteral("10"));
    });
}

QPixmap UpdateIcon() {
    return Canvas(32, [](QPainter& p) {
        Page(p);
        const QPointF c(16, 18);
        p.setPen(QPen(QColor(20, 70, 140), 1.2));
        QRadialGradient sea(c + QPointF(-3, -3), 10);
        sea.setColorAt(0, QColor(130, 190, 250));
        sea.setColorAt(1, QColor(30, 100, 200));
        p.setBrush(sea);
        p.drawEllipse(c, 8, 8);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(230, 240, 255), 0.9));
        p.drawEllipse(c, 3.5, 8);
        p.drawLine(QPointF(8, 18), QPointF(24, 18));
        p.drawLine(QPointF(9.5, 14), QPointF(22.5, 14));
        p.drawLine(QPointF(9.5, 22), QPointF(22.5, 22));
    });
}

QPixmap ExitIcon() {
    return Canvas(32, [](QPainter& p) {
        Page(p);
        TextLines(p, 11, 26);
        p.setPen(QPen(QColor(200, 20, 20), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(9, 17);
        tick.lineTo(14, 23);
        tick.lineTo(25, 9);
        p.drawPath(tick);
    });
}

QPixmap FolderPicture() {
    return Canvas(16, [](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 20), 1.4));
        p.setBrush(QColor(240, 200, 90));
        QPainterPath back;
        back.moveTo(3, 8);
        back.lineTo(3, 26);
        back.lineTo(25, 26);
        back.lineTo(25, 10);
        back.lineTo(14, 10);
        back.lineTo(11, 7);
        back.lineTo(4, 7);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(QColor(252, 226, 130));
        QPainterPath front;
        front.moveTo(3, 26);
        front.lineTo(8, 14);
        front.lineTo(30, 14);
        front.lineTo(25, 26);
        front.closeSubpath();
        p.drawPath(front);
    });
}

QPixmap TitlePicture() {
    QPixmap pixmap(220, 173);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 173);
    sky.setColorAt(0, QColor(18, 40, 92));
    sky.setColorAt(1, QColor(64, 120, 190));
    p.fillRect(pixmap.rect(), sky);

    // A faint grid of hex digits, the stuff the tool works on.
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(9);
    p.setFont(mono);
    p.setPen(QColor(120, 170, 230, 70));
    const char* digits = "0F8C51 3D 90 90 EB 74 E8 41 4D 5A";
    for (int row = 0; row < 16; ++row) {
        p.drawText(QPointF((row * 13) % 40 - 30, 10 + row * 11),
                   QString::fromLatin1(digits) + QStringLiteral(" ") + QString::fromLatin1(digits));
    }

    // The tool's mark: a big page with a patch stitched onto it.
    p.save();
    p.translate(20, 26);
    p.scale(2.6, 2.6);
    Page(p);
    p.setPen(QPen(QColor(200, 40, 40), 1.2, Qt::DashLine));
    p.setBrush(QColor(255, 210, 90));
    p.drawRect(QRectF(9, 13, 12, 10));
    p.restore();

    QFont title(QStringLiteral("Tahoma"));
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QRectF(103, 43, 115, 32), Qt::AlignLeft, QStringLiteral("Korrin"));
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(101, 41, 115, 32), Qt::AlignLeft, QStringLiteral("Korrin"));
    title.setPixelSize(19);
    title.setBold(false);
    p.setFont(title);
    p.setPen(QColor(255, 214, 110));
    p.drawText(QRectF(101, 72, 115, 26), Qt::AlignLeft, QStringLiteral("Patcher"));

    QFont note(QStringLiteral("Tahoma"));
    note.setPixelSize(10);
    p.setFont(note);
    p.setPen(QColor(220, 232, 250));
    p.drawText(QRectF(101, 104, 112, 50), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Point me at VP, then pick a patch."));
    return pixmap;
}

QPixmap WindowIconPixmap(int size) {
    return Canvas(size, [](QPainter& p) {
        Page(p);
        p.setPen(QPen(QColor(200, 40, 40), 1.2, Qt::DashLine));
        p.setBrush(QColor(255, 210, 90));
        p.drawRect(QRectF(9, 13, 12, 10));
    });
}

QIcon WindowIcon() {
    QIcon icon;
    for (int size : {16, 32}) icon.addPixmap(WindowIconPixmap(size));
    return icon;
}

}  // namespace korrin::qt::artwork
