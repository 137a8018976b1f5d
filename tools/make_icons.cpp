// Paints the program's tool-bar and menu images, and its icon at the sizes of
// the desktop's icon theme. Run once after changing a drawing; the PNGs it
// writes are committed under app/images and packaging/icons.
//
//   cmake --build build --target make_icons && build/tools/make_icons app/images packaging/icons

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <functional>

namespace {

const int kSize = 32;
const QColor kInk(230, 230, 235);
const QColor kAccent(120, 180, 255);
const QColor kGo(110, 210, 120);
const QColor kHalt(235, 90, 80);

using Drawing = std::function<void(QPainter &)>;

void save(const QString &dir, const QString &name, const Drawing &draw, int size = kSize)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    draw(p);
    p.end();
    image.save(dir + QLatin1Char('/') + name);
}

QPen pen(const QColor &c, qreal w = 5)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter &p)
{
    QPainterPath path;
    path.moveTo(16, 6);
    path.lineTo(38, 6);
    path.lineTo(50, 18);
    path.lineTo(50, 58);
    path.lineTo(16, 58);
    path.closeSubpath();
    p.setPen(pen(kInk, 4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.drawLine(QPointF(38, 6), QPointF(38, 18));
    p.drawLine(QPointF(38, 18), QPointF(50, 18));
}

void magnifier(QPainter &p, bool plus)
{
    p.setPen(pen(kInk, 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(27, 27), 17, 17);
    p.drawLine(QPointF(40, 40), QPointF(58, 58));
    p.setPen(pen(kAccent, 5));
    p.drawLine(QPointF(19, 27), QPointF(35, 27));
    if (plus)
        p.drawLine(QPointF(27, 19), QPointF(27, 35));
}

// A half-turn arrow whose solid head ends the turn on the left (undo) or,
// mirrored, on the right (redo).
void arrow(QPainter &p, bool pointsLeft)
{
    if (!pointsLeft) {
        p.translate(64, 0);
        p.scale(-1, 1);
    }
    const QRectF turn(15, 18, 38, 38);
    QPainterPath shaft;
    shaft.arcMoveTo(turn, -30);
    shaft.arcTo(turn, -30, 210);
    p.setPen(pen(kInk, 5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    QPainterPath head;
    head.moveTo(15, 55);
    head.lineTo(4, 33);
    head.lineTo(26, 33);
    head.closeSubpath();
    p.setPen(pen(kInk, 2));
    p.setBrush(kInk);
    p.drawPath(head);
}

void star(QPainter &p, const QColor &fill)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2) ? 11 : 26;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(32 + r * qCos(a), 33 + r * qSin(a));
        i ? path.lineTo(pt) : path.moveTo(pt);
    }
    path.closeSubpath();
    p.setPen(pen(kInk, 3));
    p.setBrush(fill);
    p.drawPath(path);
}

void appIcon(QPainter &p)
{
    p.setPen(pen(kInk, 3));
    p.setBrush(QColor(40, 60, 110));
    p.drawRoundedRect(QRectF(6, 6, 52, 52), 10, 10);
    QFont f;
    f.setPixelSize(26);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(6, 6, 52, 52), Qt::AlignCenter, QStringLiteral("JS"));
}

} // namespace

int main(int argc, char **argv)
{
    // Painting images needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("app/images");
    QDir().mkpath(dir);

    save(dir, "Icon_menu.png", [](QPainter &p) {
        p.setPen(pen(kInk, 6));
        for (int y : {18, 32, 46})
            p.drawLine(12, y, 52, y);
    });
    save(dir, "Icon_newfile.png", [](QPainter &p) {
        page(p);
        p.setPen(pen(kAccent, 5));
        p.drawLine(33, 30, 33, 48);
        p.drawLine(24, 39, 42, 39);
    });
    save(dir, "Icon_open.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(6, 52);
        path.lineTo(6, 14);
        path.lineTo(24, 14);
        path.lineTo(29, 20);
        path.lineTo(50, 20);
        path.lineTo(50, 28);
        p.drawPath(path);
        QPainterPath front;
        front.moveTo(6, 52);
        front.lineTo(16, 28);
        front.lineTo(60, 28);
        front.lineTo(50, 52);
        front.closeSubpath();
        p.setBrush(QColor(120, 180, 255, 120));
        p.drawPath(front);
    });
    save(dir, "Icon_save.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(8, 8);
        path.lineTo(46, 8);
        path.lineTo(56, 18);
        path.lineTo(56, 56);
        path.lineTo(8, 56);
        path.closeSubpath();
        p.drawPath(path);
        p.drawRect(QRectF(18, 8, 24, 14));
        p.setBrush(QColor(120, 180, 255, 150));
        p.drawRect(QRectF(16, 34, 32, 22));
    });
    save(dir, "Icon_zoom_in.png", [](QPainter &p) { magnifier(p, false); });
    save(dir, "Icon_zoom_out.png", [](QPainter &p) { magnifier(p, true); });
    save(dir, "Icon_find.png", [](QPainter &p) {
        p.setPen(pen(kInk, 5));
        p.setBrush(QColor(120, 180, 255, 90));
        p.drawEllipse(QPointF(27, 27), 17, 17);
        p.drawLine(QPointF(40, 40), QPointF(58, 58));
    });
    // The tool bar shows Icon_redo.png on Undo and Icon_undo.png on Redo (as
    // it shows Icon_zoom_out.png on Zoom In): each file holds the picture of
    // the button that shows it.
    save(dir, "Icon_redo.png", [](QPainter &p) { arrow(p, true); });
    save(dir, "Icon_undo.png", [](QPainter &p) { arrow(p, false); });
    save(dir, "Icon_run.png", [](QPainter &p) {
        QPainterPath path;
        path.moveTo(18, 10);
        path.lineTo(54, 32);
        path.lineTo(18, 54);
        path.closeSubpath();
        p.setPen(pen(kInk, 3));
        p.setBrush(kGo);
        p.drawPath(path);
    });
    save(dir, "Icon_stop.png", [](QPainter &p) {
        p.setPen(pen(kInk, 3));
        p.setBrush(kHalt);
        p.drawRoundedRect(QRectF(12, 12, 40, 40), 6, 6);
    });
    save(dir, "Icon_debug.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(QColor(235, 180, 80));
        p.drawEllipse(QRectF(20, 18, 24, 36));
        p.drawEllipse(QRectF(25, 8, 14, 12));
        for (int y : {26, 36, 46}) {
            p.drawLine(20, y, 8, y - 4);
            p.drawLine(44, y, 56, y - 4);
        }
    });
    save(dir, "Icon_compress.png", [](QPainter &p) {
        p.setPen(pen(kInk, 5));
        p.drawLine(32, 6, 32, 24);
        p.drawLine(22, 15, 32, 24);
        p.drawLine(42, 15, 32, 24);
        p.drawLine(32, 58, 32, 40);
        p.drawLine(22, 49, 32, 40);
        p.drawLine(42, 49, 32, 40);
        p.setPen(pen(kAccent, 5));
        p.drawLine(10, 32, 54, 32);
    });
    save(dir, "MoreApps.png", [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int x : {14, 32, 50})
            for (int y : {14, 32, 50})
                p.drawEllipse(QPointF(x, y), 6, 6);
    });
    save(dir, "AppButton.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(QColor(120, 180, 255, 140));
        p.drawEllipse(QPointF(32, 32), 24, 24);
        p.setPen(pen(kInk, 5));
        p.drawLine(22, 28, 32, 38);
        p.drawLine(42, 28, 32, 38);
    });
    // Tiled behind every dialog: one even tone, so no seams show.
    save(dir, "panelbackground.png", [](QPainter &p) { p.fillRect(QRectF(0, 0, 64, 64), QColor(52, 52, 58)); });
    save(dir, "share_hover.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(kAccent);
        p.drawLine(18, 32, 46, 16);
        p.drawLine(18, 32, 46, 48);
        for (QPointF c : {QPointF(18, 32), QPointF(46, 16), QPointF(46, 48)})
            p.drawEllipse(c, 7, 7);
    });
    save(dir, "join_hover.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(32, 22), 10, 10);
        p.drawArc(QRectF(14, 36, 36, 30), 0, 180 * 16);
    });
    save(dir, "moreappsicon.png", [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        for (int x : {20, 44})
            for (int y : {20, 44})
                p.drawRoundedRect(QRectF(x - 9, y - 9, 18, 18), 4, 4);
    });
    save(dir, "feedback.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(QColor(120, 180, 255, 120));
        p.drawRect(QRectF(8, 16, 48, 34));
        p.drawLine(8, 16, 32, 36);
        p.drawLine(56, 16, 32, 36);
    });
    save(dir, "webpage.png", [](QPainter &p) {
        p.setPen(pen(kInk, 4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(32, 32), 24, 24);
        p.drawEllipse(QRectF(22, 8, 20, 48));
        p.drawLine(8, 32, 56, 32);
    });
    save(dir, "star.png", [](QPainter &p) { star(p, QColor(250, 210, 90)); });
    save(dir, "appicon.png", appIcon);
    // The desktop picks the size nearest to what it shows from the icon
    // theme; a scaled-up 32-pixel picture would look blurred there.
    if (argc > 2) {
        const QString theme = QString::fromLocal8Bit(argv[2]);
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(theme).arg(size);
            QDir().mkpath(folder);
            save(folder, "corvella.png", appIcon, size);
        }
    }
    return 0;
}
