// Draws the program's own logo badges and window icon: simple original artwork, a coloured
// shield with each team's abbreviation. Run once; its PNG files are committed beside it.
//
//   make_logos <output directory>

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

struct Badge {
  const char* file;
  const char* label;
  QRgb face;
  QRgb rim;
  bool palette;  // stored palette-indexed, as two of the design's pictures are
};

constexpr Badge kBadges[] = {
    {"blg", "BLG", 0xff1f6fd1, 0xff0b2d5c, false}, {"edg", "EDG", 0xff202020, 0xffd4a017, true},
    {"fpx", "FPX", 0xffd9262c, 0xff3a0b0d, false}, {"ig", "iG", 0xfff2f2f2, 0xff111111, false},
    {"jdg", "JDG", 0xffc8102e, 0xff5a0614, false}, {"lgd", "LGD", 0xff8a1538, 0xfff0c24b, false},
    {"lng", "LNG", 0xff00a3e0, 0xff00384d, false}, {"omg", "OMG", 0xff4a4a4a, 0xffff5a1f, false},
    {"ra", "RA", 0xffe4002b, 0xff1b1b1b, false},   {"rng", "RNG", 0xffb5121b, 0xffe6c35c, false},
    {"rw", "RW", 0xff6a2c91, 0xfff2b233, false},   {"sn", "SN", 0xff0f8a5f, 0xff063322, false},
    {"tes", "TES", 0xffee3a24, 0xff1a1a1a, false}, {"tt", "TT", 0xff2b2d8f, 0xff9fd3ff, false},
    {"up", "UP", 0xff00b39f, 0xff004d44, false},   {"v5", "V5", 0xfff5c400, 0xff3b2f00, false},
    {"we", "WE", 0xffa50034, 0xfff7f7f7, true},
};

QPainterPath Shield(const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.center().x(), r.top());
  path.cubicTo(r.right() - r.width() * 0.15, r.top() + r.height() * 0.06, r.right(),
               r.top() + r.height() * 0.1, r.right(), r.top() + r.height() * 0.18);
  path.lineTo(r.right(), r.top() + r.height() * 0.5);
  path.cubicTo(r.right(), r.bottom() - r.height() * 0.18, r.center().x() + r.width() * 0.2,
               r.bottom() - r.height() * 0.05, r.center().x(), r.bottom());
  path.cubicTo(r.center().x() - r.width() * 0.2, r.bottom() - r.height() * 0.05, r.left(),
               r.bottom() - r.height() * 0.18, r.left(), r.top() + r.height() * 0.5);
  path.lineTo(r.left(), r.top() + r.height() * 0.18);
  path.cubicTo(r.left(), r.top() + r.height() * 0.1, r.left() + r.width() * 0.15,
               r.top() + r.height() * 0.06, r.center().x(), r.top());
  path.closeSubpath();
  return path;
}

QColor TextColour(QRgb face) {
  return qGray(face) > 150 ? QColor(20, 20, 20) : QColor(Qt::white);
}

QImage DrawBadge(int size, const QString& label, QRgb face, QRgb rim) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal margin = size * 0.06;
  const QRectF outer(margin, margin, size - 2 * margin, size - 2 * margin);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(rim));
  painter.drawPath(Shield(outer));
  const qreal inset = size * 0.06;
  painter.setBrush(QColor(face));
  painter.drawPath(Shield(outer.adjusted(inset, inset, -inset, -inset)));

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(static_cast<int>(size * (label.size() > 2 ? 0.3 : 0.38)));
  painter.setFont(font);
  painter.setPen(TextColour(face));
  painter.drawText(outer.adjusted(0, -size * 0.06, 0, 0), Qt::AlignCenter, label);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_logos <output directory>\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  for (const Badge& badge : kBadges) {
    QImage image = DrawBadge(200, QString::fromLatin1(badge.label), badge.face, badge.rim);
    if (badge.palette) image = image.convertToFormat(QImage::Format_Indexed8);
    const QString path = out.filePath(QString::fromLatin1(badge.file) + ".png");
    if (!image.save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  const QImage icon = DrawBadge(48, QStringLiteral("K"), 0xffd4a017, 0xff202020);
  if (!icon.save(out.filePath(QStringLiteral("icon.png")), "PNG")) return 1;
  return 0;
}
