// SPDX-License-Identifier: GPL-3.0-or-later
// Draws every image Pellucan compiles in (skin frame, title-area and page buttons, icons,
// the per-language image buttons and the scanning animation's frames) with QPainter.
//
// Usage: make_images <images folder> <frame folder>
// Writes the PNGs and top.ico under <images folder>, and the animation frames as
// frame_NN.png under <frame folder> (make_images.sh joins them into recovery/ani.gif).
// The output depends only on this file and the installed fonts (Liberation Sans,
// DejaVu Sans, Noto Sans CJK), so a rerun on the same machine gives the same bytes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <QtMath>

#include <cstdio>

namespace {

// ---------------------------------------------------------------------------------------
// Palette of the skin: a blue title band over white pages.

const QColor band_top(104, 174, 242);
const QColor band_bottom(42, 112, 202);
const QColor frame_line(40, 98, 178);
const QColor shadow_colour(16, 36, 66);
const QColor accent(81, 149, 206);
const QColor accent_light(139, 184, 241);
const QColor pale(232, 246, 255);
const QColor pale_line(211, 231, 255);
const QColor caption_blue(40, 96, 172);
const QColor text_blue(91, 135, 201);

// Width of the side and bottom frame images; the top strip's outer columns match them.
constexpr int edge = 3;
constexpr int shadow_outer_alpha = 26;
constexpr int shadow_inner_alpha = 66;

QString out_root;
QString frame_root;
int failures = 0;

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void begin(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

int save_to(const QImage& img, const QString& path, const char* format)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, format);
    if (!writer.write(img.convertToFormat(QImage::Format_ARGB32))) {
        std::fprintf(stderr, "make_images: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        ++failures;
        return -1;
    }
    return 0;
}

int save(const QImage& img, const QString& relative)
{
    return save_to(img, out_root + u'/' + relative, "png");
}

void put_le(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// Writes an icon file holding the given square images as 32-bit bitmaps, first image first.
// Written here byte by byte because Qt's own icon writer leaves the padding of the
// transparency mask uninitialised, which makes the file differ from run to run.
int save_icon(const QList<QImage>& images, const QString& relative)
{
    QByteArray header;
    QByteArray payload;
    put_le(header, 0, 2);              // reserved
    put_le(header, 1, 2);              // type: icon
    put_le(header, quint32(images.size()), 2);
    const quint32 first_offset = 6 + 16 * quint32(images.size());
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        const int mask_stride = ((w + 31) / 32) * 4;
        QByteArray dib;
        put_le(dib, 40, 4);            // BITMAPINFOHEADER size
        put_le(dib, quint32(w), 4);
        put_le(dib, quint32(2 * h), 4);  // colour rows plus mask rows
        put_le(dib, 1, 2);             // planes
        put_le(dib, 32, 2);            // bits per pixel
        put_le(dib, 0, 4);             // no compression
        put_le(dib, quint32(w * h * 4 + mask_stride * h), 4);
        put_le(dib, 0, 4);
        put_le(dib, 0, 4);
        put_le(dib, 0, 4);
        put_le(dib, 0, 4);
        for (int y = h - 1; y >= 0; --y) {  // rows bottom-up, pixels as B, G, R, A
            const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                dib.append(char(qBlue(row[x])));
                dib.append(char(qGreen(row[x])));
                dib.append(char(qRed(row[x])));
                dib.append(char(qAlpha(row[x])));
            }
        }
        for (int y = h - 1; y >= 0; --y) {  // mask: a set bit is a transparent pixel
            QByteArray bits(mask_stride, '\0');
            const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                if (qAlpha(row[x]) == 0)
                    bits[x / 8] = char(bits[x / 8] | (0x80 >> (x % 8)));
            }
            dib.append(bits);
        }
        header.append(char(w >= 256 ? 0 : w));
        header.append(char(h >= 256 ? 0 : h));
        header.append(char(0));        // no palette
        header.append(char(0));        // reserved
        put_le(header, 1, 2);          // planes
        put_le(header, 32, 2);         // bits per pixel
        put_le(header, quint32(dib.size()), 4);
        put_le(header, first_offset + quint32(payload.size()), 4);
        payload.append(dib);
    }
    const QString path = out_root + u'/' + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + payload) != header.size() + payload.size()) {
        std::fprintf(stderr, "make_images: cannot write %s\n", qPrintable(path));
        ++failures;
        return -1;
    }
    return 0;
}

QColor with_alpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

QPainterPath rounded(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// ---------------------------------------------------------------------------------------
// Text: fonts per script, and fitting a caption into a box.

QFont make_font(const QStringList& families, int px, bool bold)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// Breaks text into lines no wider than width: at blanks for alphabetic scripts, between any
// two characters for Chinese and Japanese, which put no blanks between words.
QStringList wrap_text(const QString& text, const QFontMetricsF& fm, qreal width)
{
    const bool has_blanks = text.contains(u' ');
    QStringList tokens;
    if (has_blanks) {
        tokens = text.split(u' ', Qt::SkipEmptyParts);
    } else {
        for (const QChar c : text)
            tokens << QString(c);
    }
    const QString joint = has_blanks ? QStringLiteral(" ") : QString();
    QStringList lines;
    QString line;
    for (const QString& token : tokens) {
        const QString candidate = line.isEmpty() ? token : line + joint + token;
        if (line.isEmpty() || fm.horizontalAdvance(candidate) <= width) {
            line = candidate;
        } else {
            lines << line;
            line = token;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

struct fitted_s {
    QFont font;
    QStringList lines;
};

bool fits(const QStringList& lines, const QFontMetricsF& fm, const QSizeF& box, int max_lines)
{
    if (lines.isEmpty() || lines.size() > max_lines)
        return false;
    if (lines.size() * fm.lineSpacing() > box.height() + 0.5)
        return false;
    for (const QString& l : lines) {
        if (fm.horizontalAdvance(l) > box.width())
            return false;
    }
    return true;
}

// The largest font size from max_px down at which the text fits the box. One line is
// preferred down to one_line_min_px; below that the text may wrap to max_lines lines, down
// to min_px. Answers false when it fits nowhere.
bool try_fit(const QString& text, QFont font, const QSizeF& box, int max_px, int one_line_min_px,
             int min_px, int max_lines, fitted_s* out)
{
    for (int px = max_px; px >= one_line_min_px; --px) {
        font.setPixelSize(px);
        const QFontMetricsF fm(font);
        const QStringList one{text};
        if (fits(one, fm, box, 1)) {
            *out = {font, one};
            return true;
        }
    }
    for (int px = max_px; px >= min_px; --px) {
        font.setPixelSize(px);
        const QFontMetricsF fm(font);
        const QStringList lines = wrap_text(text, fm, box.width());
        if (fits(lines, fm, box, max_lines)) {
            *out = {font, lines};
            return true;
        }
    }
    return false;
}

// As try_fit; a caption that fits nowhere is a fault of the caption table and fails the run.
fitted_s fit_text(const QString& text, const QFont& font, const QSizeF& box, int max_px,
                  int one_line_min_px, int min_px, int max_lines)
{
    fitted_s fit;
    if (try_fit(text, font, box, max_px, one_line_min_px, min_px, max_lines, &fit))
        return fit;
    std::fprintf(stderr, "make_images: caption does not fit %gx%g: %s\n", box.width(),
                 box.height(), qPrintable(text));
    ++failures;
    fit.font = font;
    fit.font.setPixelSize(min_px);
    fit.lines = wrap_text(text, QFontMetricsF(fit.font), box.width());
    return fit;
}

// Draws fitted lines in box: centred or left-aligned, block centred vertically.
void draw_lines(QPainter& p, const fitted_s& fit, const QRectF& box, bool centred)
{
    const QFontMetricsF fm(fit.font);
    const qreal block = fit.lines.size() * fm.lineSpacing() - fm.leading();
    qreal baseline = box.top() + (box.height() - block) / 2 + fm.ascent();
    p.setFont(fit.font);
    for (const QString& line : fit.lines) {
        const qreal w = fm.horizontalAdvance(line);
        const qreal x = centred ? box.left() + (box.width() - w) / 2 : box.left();
        p.drawText(QPointF(x, baseline), line);
        baseline += fm.lineSpacing();
    }
}

// ---------------------------------------------------------------------------------------
// Icon parts shared by several images.

// A magnifying glass: ring of radius r around c, handle towards the lower right.
void draw_magnifier(QPainter& p, QPointF c, qreal r, const QColor& ring, const QColor& glass,
                    qreal ring_width)
{
    p.save();
    const qreal d = 0.7071;
    QPen handle(ring, ring_width * 1.7, Qt::SolidLine, Qt::RoundCap);
    p.setPen(handle);
    p.drawLine(QPointF(c.x() + (r + ring_width * 0.3) * d, c.y() + (r + ring_width * 0.3) * d),
               QPointF(c.x() + r * 1.95 * d + r * 0.35, c.y() + r * 1.95 * d + r * 0.35));
    p.setPen(QPen(ring, ring_width));
    p.setBrush(glass);
    p.drawEllipse(c, r, r);
    // A small gleam on the glass.
    p.setPen(QPen(with_alpha(Qt::white, 200), qMax(1.0, ring_width * 0.55), Qt::SolidLine,
                  Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF inner(c.x() - r * 0.6, c.y() - r * 0.6, r * 1.2, r * 1.2);
    p.drawArc(inner, 100 * 16, 60 * 16);
    p.restore();
}

// A sheet of paper with a folded corner and text lines.
void draw_document(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line,
                   qreal pen_width)
{
    p.save();
    const qreal fold = r.width() * 0.3;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(line, pen_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(Qt::NoBrush);
    p.drawPath(corner);
    const qreal step = r.height() / 6;
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + fold + step * (i + 0.9);
        if (y > r.bottom() - step * 0.5)
            break;
        p.drawLine(QPointF(r.left() + r.width() * 0.2, y),
                   QPointF(r.right() - r.width() * (i == 2 ? 0.45 : 0.2), y));
    }
    p.restore();
}

// A hard disk seen from the front: a rounded box with a seam and a green activity light.
void draw_drive(QPainter& p, const QRectF& r)
{
    p.save();
    const qreal radius = qMax(1.5, r.height() * 0.18);
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0, QColor(236, 242, 250));
    body.setColorAt(0.55, QColor(198, 212, 230));
    body.setColorAt(1, QColor(160, 178, 204));
    p.setPen(QPen(QColor(98, 122, 158), qMax(1.0, r.height() / 14)));
    p.setBrush(body);
    p.drawPath(rounded(r, radius));
    const qreal seam = r.top() + r.height() * 0.58;
    p.setPen(QPen(QColor(120, 142, 176), qMax(1.0, r.height() / 20)));
    p.drawLine(QPointF(r.left() + radius, seam), QPointF(r.right() - radius, seam));
    const qreal led = qMax(1.2, r.height() * 0.09);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 200, 96));
    p.drawEllipse(QPointF(r.right() - r.height() * 0.32, r.top() + r.height() * 0.78), led, led);
    p.restore();
}

// A disk platter cut into partitions, for the partition tool.
void draw_platter(QPainter& p, QPointF c, qreal r, const QColor& line, const QColor& slice,
                  const QColor& rest, qreal pen_width)
{
    p.save();
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    p.setPen(Qt::NoPen);
    p.setBrush(rest);
    p.drawEllipse(box);
    p.setBrush(slice);
    p.drawPie(box, 90 * 16, 110 * 16);
    p.setBrush(with_alpha(slice, slice.alpha() / 2));
    p.drawPie(box, 250 * 16, 70 * 16);
    p.setPen(QPen(line, pen_width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(box);
    for (const int deg : {90, 200, 250, 320}) {
        const qreal a = qDegreesToRadians(qreal(deg));
        p.drawLine(c, QPointF(c.x() + r * qCos(a), c.y() - r * qSin(a)));
    }
    p.setBrush(line);
    p.drawEllipse(c, r * 0.16, r * 0.16);
    p.restore();
}

// Stacked layers, for the deep scan that reads every sector.
void draw_layers(QPainter& p, const QRectF& r, const QColor& line, const QColor& fill,
                 qreal pen_width)
{
    p.save();
    p.setPen(QPen(line, pen_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal h = r.height() / 3.2;
    for (int i = 2; i >= 0; --i) {
        const qreal top = r.top() + i * h * 1.1;
        QPainterPath layer;
        layer.moveTo(r.left() + r.width() * 0.5, top);
        layer.lineTo(r.right(), top + h * 0.5);
        layer.lineTo(r.left() + r.width() * 0.5, top + h);
        layer.lineTo(r.left(), top + h * 0.5);
        layer.closeSubpath();
        p.setBrush(with_alpha(fill, qMin(255, fill.alpha() + (2 - i) * 40)));
        p.drawPath(layer);
    }
    p.restore();
}

// A folder with a curved arrow, for resuming from a saved scan.
void draw_folder(QPainter& p, const QRectF& r, const QColor& back, const QColor& front,
                 const QColor& line, qreal pen_width)
{
    p.save();
    p.setPen(QPen(line, pen_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath rear;
    rear.moveTo(r.left(), r.top() + r.height() * 0.12);
    rear.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.12);
    rear.lineTo(r.left() + r.width() * 0.48, r.top() + r.height() * 0.26);
    rear.lineTo(r.right(), r.top() + r.height() * 0.26);
    rear.lineTo(r.right(), r.bottom());
    rear.lineTo(r.left(), r.bottom());
    rear.closeSubpath();
    p.setBrush(back);
    p.drawPath(rear);
    QPainterPath flap;
    flap.moveTo(r.left(), r.bottom());
    flap.lineTo(r.left() + r.width() * 0.1, r.top() + r.height() * 0.42);
    flap.lineTo(r.right() + r.width() * 0.06, r.top() + r.height() * 0.42);
    flap.lineTo(r.right(), r.bottom());
    flap.closeSubpath();
    p.setBrush(front);
    p.drawPath(flap);
    p.restore();
}

// A circular arrow turning clockwise, three quarters round, its head at the left pointing up.
void draw_return_arrow(QPainter& p, QPointF c, qreal r, const QColor& colour, qreal width)
{
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    // Qt counts angles anticlockwise from three o'clock: from 70 degrees round to 190.
    p.drawArc(box, 70 * 16, -240 * 16);
    const qreal end = qDegreesToRadians(190.0);
    const QPointF at(c.x() + r * qCos(end), c.y() - r * qSin(end));
    // Direction of travel at the end of a clockwise arc, and its normal.
    const QPointF dir(qSin(end), qCos(end));
    const QPointF normal(-dir.y(), dir.x());
    const qreal head = width * 2.2;
    QPainterPath tip;
    tip.moveTo(at + dir * head * 1.1);
    tip.lineTo(at - dir * head * 0.2 + normal * head);
    tip.lineTo(at - dir * head * 0.2 - normal * head);
    tip.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(tip);
    p.restore();
}

// ---------------------------------------------------------------------------------------
// Skin frame: top strip, side edges, bottom strip.

// The window's title band. Its outer 64 columns are drawn as they are, the middle columns
// are stretched across the window, so everything between them is the same in every column.
void make_frame()
{
    const int w = 200, h = 100;
    QImage top = canvas(w, h);
    {
        QPainter p(&top);
        begin(p);
        const qreal radius = 6;
        // Shadow columns along the sides, below the rounded corners.
        p.setPen(Qt::NoPen);
        p.fillRect(QRect(0, 6, 1, h - 6), with_alpha(shadow_colour, shadow_outer_alpha));
        p.fillRect(QRect(1, 4, 1, h - 4), with_alpha(shadow_colour, shadow_inner_alpha));
        p.fillRect(QRect(w - 1, 6, 1, h - 6), with_alpha(shadow_colour, shadow_outer_alpha));
        p.fillRect(QRect(w - 2, 4, 1, h - 4), with_alpha(shadow_colour, shadow_inner_alpha));
        // The band: square at the bottom, rounded at the top.
        const QRectF band(edge - 1, 0, w - 2 * (edge - 1), h + radius);
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, band_top);
        g.setColorAt(0.62, QColor(66, 140, 224));
        g.setColorAt(1, band_bottom);
        p.setClipRect(QRect(0, 0, w, h));
        p.setBrush(g);
        p.drawPath(rounded(band, radius));
        // Soft gloss over the upper half.
        QLinearGradient gloss(0, 0, 0, h * 0.5);
        gloss.setColorAt(0, with_alpha(Qt::white, 60));
        gloss.setColorAt(1, with_alpha(Qt::white, 0));
        p.setBrush(gloss);
        p.drawPath(rounded(band.adjusted(1, 1, -1, 0), radius - 1));
        // Frame line around the band and a darker seam along its bottom.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(frame_line, 1));
        p.drawPath(rounded(band.adjusted(0.5, 0.5, -0.5, 0), radius));
        p.setClipping(false);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(QColor(34, 92, 170), 1));
        p.drawLine(edge - 1, h - 1, w - edge, h - 1);
    }
    save(top, QStringLiteral("system/so.png"));

    // Side edges, outside in: faint shadow, stronger shadow, frame line.
    QImage left = canvas(edge, 16);
    QImage right = canvas(edge, 16);
    for (int y = 0; y < 16; ++y) {
        const QColor cols[edge] = {with_alpha(shadow_colour, shadow_outer_alpha),
                                   with_alpha(shadow_colour, shadow_inner_alpha), frame_line};
        for (int x = 0; x < edge; ++x) {
            left.setPixelColor(x, y, cols[x]);
            right.setPixelColor(edge - 1 - x, y, cols[x]);
        }
    }
    save(left, QStringLiteral("system/sl.png"));
    save(right, QStringLiteral("system/sr.png"));

    // Bottom strip: its outer edge-wide columns are the corners, the rest is stretched.
    const int bw = 2 * edge + 64;
    QImage bottom = canvas(bw, edge);
    for (int y = 0; y < edge; ++y) {
        const int from_outside_y = edge - 1 - y;  // 0 at the outermost row
        for (int x = 0; x < bw; ++x) {
            const int from_outside_x = qMin(x, bw - 1 - x);
            const int depth = qMin(from_outside_y, from_outside_x);
            QColor c;
            if (depth >= edge - 1)
                c = frame_line;
            else if (depth == 1)
                c = with_alpha(shadow_colour, shadow_inner_alpha);
            else
                c = with_alpha(shadow_colour,
                               from_outside_x == 0 && from_outside_y == 0 ? shadow_outer_alpha / 2
                                                                          : shadow_outer_alpha);
            bottom.setPixelColor(x, y, c);
        }
    }
    save(bottom, QStringLiteral("system/su.png"));
}

// ---------------------------------------------------------------------------------------
// System buttons of the title band (30 x 21): close, maximize, restore, minimize, settings.

enum class glyph_e { close, maximize, restore, minimize, settings };

void draw_glyph(QPainter& p, glyph_e glyph, const QPointF& c)
{
    p.save();
    const QPen pen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case glyph_e::close:
        p.drawLine(QPointF(c.x() - 4, c.y() - 4), QPointF(c.x() + 4, c.y() + 4));
        p.drawLine(QPointF(c.x() + 4, c.y() - 4), QPointF(c.x() - 4, c.y() + 4));
        break;
    case glyph_e::maximize:
        p.drawRect(QRectF(c.x() - 4.5, c.y() - 4, 9, 8));
        p.drawLine(QPointF(c.x() - 4.5, c.y() - 3), QPointF(c.x() + 4.5, c.y() - 3));
        break;
    case glyph_e::restore:
        p.drawRect(QRectF(c.x() - 4.5, c.y() - 1.5, 7, 6));
        p.drawPolyline(QList<QPointF>{QPointF(c.x() - 2, c.y() - 1.5), QPointF(c.x() - 2, c.y() - 4.5),
                                      QPointF(c.x() + 5, c.y() - 4.5), QPointF(c.x() + 5, c.y() + 1.5),
                                      QPointF(c.x() + 2.5, c.y() + 1.5)});
        break;
    case glyph_e::minimize:
        p.drawLine(QPointF(c.x() - 4.5, c.y() + 3.5), QPointF(c.x() + 4.5, c.y() + 3.5));
        break;
    case glyph_e::settings: {
        // A gear: twelve teeth around a ring with a hole.
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 4; ++i) {
            const qreal a = 2 * M_PI * i / (teeth * 4) - M_PI / 2;
            const qreal r = (i % 4 < 2) ? 5.6 : 4.1;
            const QPointF pt(c.x() + r * qCos(a), c.y() + r * qSin(a));
            if (i == 0)
                gear.moveTo(pt);
            else
                gear.lineTo(pt);
        }
        gear.closeSubpath();
        gear.addEllipse(c, 1.9, 1.9);
        gear.setFillRule(Qt::OddEvenFill);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(gear);
        break;
    }
    }
    p.restore();
}

void make_system_buttons()
{
    struct button_s {
        const char* name;
        glyph_e glyph;
    };
    const button_s buttons[] = {{"quiButton", glyph_e::close},
                                {"maxButton", glyph_e::maximize},
                                {"resumeButton", glyph_e::restore},
                                {"minButton", glyph_e::minimize},
                                {"settingButton", glyph_e::settings}};
    for (const button_s& b : buttons) {
        for (int state = 1; state <= 3; ++state) {
            QImage img = canvas(30, 21);
            QPainter p(&img);
            begin(p);
            const bool close = b.glyph == glyph_e::close;
            // The close button sits on the window's right edge; keep its highlight off the
            // frame's shadow columns.
            const QRectF face(1, 0, close ? 27 : 28, 20);
            if (state == 2) {
                p.setPen(Qt::NoPen);
                p.setBrush(close ? QColor(226, 72, 72) : with_alpha(Qt::white, 58));
                p.drawPath(rounded(face, 3));
            } else if (state == 3) {
                p.setPen(Qt::NoPen);
                p.setBrush(close ? QColor(178, 40, 40) : with_alpha(QColor(10, 40, 96), 80));
                p.drawPath(rounded(face, 3));
            }
            const QPointF centre = face.center() + QPointF(0, state == 3 ? 0.5 : 0);
            draw_glyph(p, b.glyph, centre);
            p.end();
            save(img, QStringLiteral("system/%1%2.png").arg(QLatin1String(b.name)).arg(state));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Logo, window icon and the page-top background.

void draw_lens_mark(QPainter& p, const QRectF& r)
{
    // A disk platter seen through a magnifying glass: the program's mark.
    const qreal s = r.width();
    const QPointF c(r.left() + s * 0.42, r.top() + s * 0.42);
    const qreal rr = s * 0.3;
    QRadialGradient glass(c - QPointF(rr * 0.3, rr * 0.3), rr * 1.3);
    glass.setColorAt(0, QColor(236, 247, 255));
    glass.setColorAt(1, QColor(168, 210, 250));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawEllipse(c, rr, rr);
    // The platter inside the glass.
    p.setPen(QPen(QColor(60, 126, 210), qMax(1.0, s * 0.035)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rr * 0.62, rr * 0.62);
    p.setBrush(QColor(60, 126, 210));
    p.drawEllipse(c, rr * 0.16, rr * 0.16);
    p.setPen(QPen(QColor(60, 126, 210), qMax(1.0, s * 0.03), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(rr * 0.5, rr * 0.28));
    p.restore();
    draw_magnifier(p, c, rr, Qt::white, Qt::transparent, qMax(1.5, s * 0.075));
}

void make_logo_and_icon()
{
    {
        QImage logo = canvas(110, 68);
        QPainter p(&logo);
        begin(p);
        draw_lens_mark(p, QRectF(36, 2, 40, 40));
        QFont f = make_font({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, 16,
                            true);
        const fitted_s fit = fit_text(QStringLiteral("Pellucan"), f, QSizeF(106, 22), 16, 12, 12, 1);
        p.setPen(with_alpha(QColor(10, 50, 110), 90));
        draw_lines(p, fit, QRectF(3, 45, 106, 22), true);
        p.setPen(Qt::white);
        draw_lines(p, fit, QRectF(2, 44, 106, 22), true);
        p.end();
        save(logo, QStringLiteral("top/logo.png"));
    }
    // The window and message-box icon: 48 pixels first (what a plain image load gives),
    // then the smaller sizes for title bars and task lists.
    auto draw_icon = [](int size) {
        QImage icon = canvas(size, size);
        QPainter p(&icon);
        begin(p);
        p.scale(size / 48.0, size / 48.0);
        QLinearGradient g(0, 0, 0, 48);
        g.setColorAt(0, band_top);
        g.setColorAt(1, band_bottom);
        p.setPen(QPen(frame_line, 48.0 / size));
        p.setBrush(g);
        p.drawPath(rounded(QRectF(1.5, 1.5, 45, 45), 9));
        draw_lens_mark(p, QRectF(7, 6, 36, 36));
        p.end();
        return icon;
    };
    save_icon({draw_icon(48), draw_icon(32), draw_icon(16)}, QStringLiteral("top.ico"));
}

void make_backgrounds()
{
    QImage bai = canvas(16, 40);
    for (int y = 0; y < 40; ++y) {
        const qreal t = y / 39.0;
        const QColor c(qRound(226 + (255 - 226) * t), qRound(241 + (255 - 241) * t), 255);
        for (int x = 0; x < 16; ++x)
            bai.setPixelColor(x, y, c);
    }
    save(bai, QStringLiteral("background/bai.png"));
}

// ---------------------------------------------------------------------------------------
// Page buttons with text drawn by the widget (100 x 30 and 80 x 30) and small page images.

void make_page_button(const QString& path, int w, int h, QColor top, QColor bottom,
                      QColor border, int state)
{
    if (state == 2) {
        top = top.lighter(112);
        bottom = bottom.lighter(114);
    } else if (state == 3) {
        std::swap(top, bottom);
        top = top.darker(112);
        bottom = bottom.darker(104);
    }
    QImage img = canvas(w, h);
    QPainter p(&img);
    begin(p);
    const QRectF face(0.5, 0.5, w - 1, h - 1);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(border, 1));
    p.setBrush(g);
    p.drawPath(rounded(face, 4));
    if (state != 3) {
        p.setPen(QPen(with_alpha(Qt::white, 90), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 1.5), QPointF(w - 4, 1.5));
    }
    p.end();
    save(img, path);
}

void make_page_images()
{
    for (int s = 1; s <= 3; ++s) {
        make_page_button(QStringLiteral("partition_search/btn_wai_%1.png").arg(s), 100, 30,
                         QColor(92, 160, 234), QColor(44, 112, 200), QColor(34, 94, 176), s);
        make_page_button(QStringLiteral("partition_search/btn_start_%1.png").arg(s), 80, 30,
                         QColor(84, 194, 236), QColor(26, 146, 204), QColor(20, 118, 172), s);
    }

    // Progress texture: diagonal stripes whose period divides the tile, so the repeated
    // brush shows no seam wherever the bar sits.
    {
        const int n = 12;
        QImage tex = canvas(n, n);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const qreal phase = std::fmod(qreal(x + y) + 0.5, qreal(n)) / n;  // 0..1
                const qreal stripe = 0.5 + 0.5 * qCos(phase * 2 * M_PI);           // soft edge
                const QColor a(70, 146, 228), b(112, 180, 242);
                const QColor c(qRound(a.red() + (b.red() - a.red()) * stripe),
                               qRound(a.green() + (b.green() - a.green()) * stripe),
                               qRound(a.blue() + (b.blue() - a.blue()) * stripe));
                tex.setPixelColor(x, y, c);
            }
        }
        save(tex, QStringLiteral("partition_search/loding_on.png"));
    }

    // Usage bar fills: 18 rows, so the fill (one row taller than the image) ends on the
    // bar's inner bottom edge; the extra row repeats the first, which is the edge colour.
    auto usage_fill = [](const QString& path, QColor light, QColor dark) {
        QImage img = canvas(8, 18);
        for (int y = 0; y < 18; ++y) {
            const qreal t = qAbs(y - 5) / 12.0;
            const QColor c(qRound(light.red() + (dark.red() - light.red()) * t),
                           qRound(light.green() + (dark.green() - light.green()) * t),
                           qRound(light.blue() + (dark.blue() - light.blue()) * t));
            for (int x = 0; x < 8; ++x)
                img.setPixelColor(x, y, c);
        }
        save(img, path);
    };
    usage_fill(QStringLiteral("partition_search/green.png"), QColor(134, 214, 120),
               QColor(62, 160, 70));
    usage_fill(QStringLiteral("partition_search/red.png"), QColor(244, 128, 118),
               QColor(200, 52, 46));

    // Check boxes of the file table.
    for (int checked = 0; checked <= 1; ++checked) {
        QImage img = canvas(14, 14);
        QPainter p(&img);
        begin(p);
        const QRectF box(0.5, 0.5, 13, 13);
        if (checked) {
            QLinearGradient g(0, 0, 0, 14);
            g.setColorAt(0, QColor(104, 170, 232));
            g.setColorAt(1, accent.darker(115));
            p.setPen(QPen(accent.darker(130), 1));
            p.setBrush(g);
            p.drawPath(rounded(box, 2.5));
            p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QList<QPointF>{QPointF(3.5, 7.2), QPointF(6, 9.8), QPointF(10.6, 4.2)});
        } else {
            p.setPen(QPen(accent_light, 1));
            p.setBrush(Qt::white);
            p.drawPath(rounded(box, 2.5));
        }
        p.end();
        save(img, QStringLiteral("partition_search/check%1.png").arg(checked + 1));
    }

    // Drive icon of the volume list rows.
    {
        QImage img = canvas(20, 20);
        QPainter p(&img);
        begin(p);
        draw_drive(p, QRectF(1.5, 5.5, 17, 10));
        p.end();
        save(img, QStringLiteral("partition_search/drives.png"));
    }

    // The partition page's picture: a drive under a magnifying glass.
    {
        QImage img = canvas(60, 60);
        QPainter p(&img);
        begin(p);
        draw_drive(p, QRectF(3, 26, 46, 26));
        draw_magnifier(p, QPointF(38, 20), 12, accent.darker(110), with_alpha(pale, 190), 3.2);
        p.end();
        save(img, QStringLiteral("partition_search/icon_found1.png"));
    }

    // Folder of the directory tree.
    {
        QImage img = canvas(16, 16);
        QPainter p(&img);
        begin(p);
        draw_folder(p, QRectF(1.5, 2.5, 13, 11), QColor(238, 190, 74), QColor(252, 214, 112),
                    QColor(196, 146, 40), 1.0);
        p.end();
        save(img, QStringLiteral("recovery/folder.png"));
    }
}

// ---------------------------------------------------------------------------------------
// Home page: the text panel and the two large buttons.

void make_home_panel()
{
    const int w = 692, h = 188;
    QImage img = canvas(w, h);
    QPainter p(&img);
    begin(p);
    const QRectF panel(0.5, 0.5, w - 1, h - 1);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(244, 250, 255));
    g.setColorAt(1, QColor(252, 254, 255));
    p.setPen(QPen(pale_line, 1));
    p.setBrush(g);
    p.drawPath(rounded(panel, 8));
    // Accent strip along the top.
    p.setClipPath(rounded(panel, 8));
    QLinearGradient strip(0, 0, w, 0);
    strip.setColorAt(0, accent_light);
    strip.setColorAt(1, with_alpha(accent_light, 40));
    p.fillRect(QRectF(0, 0, w, 4), strip);
    p.setClipping(false);
    // A faint watermark of the mark at the right.
    p.setOpacity(0.10);
    draw_magnifier(p, QPointF(w - 92, 86), 40, accent, with_alpha(accent_light, 120), 9);
    p.setOpacity(1);
    // The page draws its three text lines with their baselines 50, 100 and 150 pixels
    // below the panel's top, starting 15 pixels from its left edge: a bullet before each
    // line and a dotted rule between them.
    for (int i = 0; i < 3; ++i) {
        const qreal baseline = 50 + 50 * i;
        p.setPen(Qt::NoPen);
        p.setBrush(accent_light);
        p.drawEllipse(QPointF(8, baseline - 4), 2.6, 2.6);
    }
    QPen dots(pale_line, 1, Qt::DotLine);
    p.setPen(dots);
    for (const qreal y : {75.5, 125.5})
        p.drawLine(QPointF(15, y), QPointF(w - 200, y));
    p.end();
    save(img, QStringLiteral("home/wenzi.png"));
}

enum class home_icon_e { scan, resume };

// The round badge with the button's picture.
void draw_home_badge(QPainter& p, QPointF c, qreal r, home_icon_e icon, int state)
{
    p.save();
    QLinearGradient g(c.x(), c.y() - r, c.x(), c.y() + r);
    QColor top(104, 174, 242), bottom(40, 110, 200);
    if (state == 2) {
        top = top.lighter(110);
        bottom = bottom.lighter(110);
    } else if (state == 3) {
        top = top.darker(110);
        bottom = bottom.darker(105);
    }
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(frame_line, 1));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    QLinearGradient gloss(c.x(), c.y() - r, c.x(), c.y());
    gloss.setColorAt(0, with_alpha(Qt::white, 90));
    gloss.setColorAt(1, with_alpha(Qt::white, 0));
    p.setBrush(gloss);
    p.drawEllipse(QPointF(c.x(), c.y() - r * 0.35), r * 0.78, r * 0.58);
    const qreal s = r / 32.0;
    if (icon == home_icon_e::scan) {
        draw_document(p, QRectF(c.x() - 15 * s, c.y() - 18 * s, 24 * s, 31 * s),
                      with_alpha(Qt::white, 235), QColor(60, 126, 210), 1.6 * s);
        draw_magnifier(p, QPointF(c.x() + 5 * s, c.y() + 2 * s), 9 * s, Qt::white,
                       with_alpha(QColor(168, 210, 250), 170), 3 * s);
    } else {
        draw_folder(p, QRectF(c.x() - 19 * s, c.y() - 17 * s, 36 * s, 30 * s),
                    with_alpha(QColor(214, 234, 255), 235), Qt::white, QColor(60, 126, 210),
                    1.4 * s);
        draw_return_arrow(p, QPointF(c.x() + 0.5 * s, c.y() + 3.5 * s), 6.5 * s,
                          QColor(46, 112, 200), 2.6 * s);
    }
    p.restore();
}

// A large card button of the home page: badge at the left, title and a short line of
// explanation beside it. The pressed state moves the content down one pixel.
QImage home_button(int w, int h, home_icon_e icon, int state, const QString& title,
                   const QString& subtitle, const QStringList& families)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    begin(p);
    const QRectF card(2.5, 1.5, w - 5, h - 6);
    // Soft drop shadow.
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(with_alpha(shadow_colour, 10 + (3 - i) * 6));
        p.drawPath(rounded(card.translated(0, i * 0.8).adjusted(-0.5, 0, 0.5, 0.5), 10));
    }
    QLinearGradient g(0, card.top(), 0, card.bottom());
    QColor border = accent_light;
    if (state == 1) {
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(230, 243, 255));
    } else if (state == 2) {
        g.setColorAt(0, QColor(242, 249, 255));
        g.setColorAt(1, QColor(210, 232, 254));
        border = accent;
    } else {
        g.setColorAt(0, QColor(206, 228, 252));
        g.setColorAt(1, QColor(226, 240, 254));
        border = accent.darker(110);
    }
    p.setPen(QPen(border, state == 1 ? 1.0 : 1.4));
    p.setBrush(g);
    p.drawPath(rounded(card, 10));
    const qreal dy = state == 3 ? 1 : 0;
    const qreal badge_r = 34;
    const QPointF badge_c(card.left() + 16 + badge_r, card.center().y() + dy);
    draw_home_badge(p, badge_c, badge_r, icon, state);

    const qreal text_left = badge_c.x() + badge_r + 16;
    const qreal text_w = card.right() - 14 - text_left;
    const fitted_s title_fit = fit_text(title, make_font(families, 22, true),
                                        QSizeF(text_w, 30), 22, 16, 16, 1);
    const fitted_s sub_fit = fit_text(subtitle, make_font(families, 13, false),
                                      QSizeF(text_w, 40), 13, 13, 11, 2);
    const qreal title_h = QFontMetricsF(title_fit.font).lineSpacing();
    const qreal sub_h = sub_fit.lines.size() * QFontMetricsF(sub_fit.font).lineSpacing();
    const qreal gap = 4;
    const qreal top = card.center().y() - (title_h + gap + sub_h) / 2 + dy;
    p.setPen(caption_blue);
    draw_lines(p, title_fit, QRectF(text_left, top, text_w, title_h), false);
    p.setPen(text_blue);
    draw_lines(p, sub_fit, QRectF(text_left, top + title_h + gap, text_w, sub_h), false);
    p.end();
    return img;
}

// The form's own images for the two home buttons: the same cards without words, kept for
// the form's design sizes (the page replaces them with the per-language images).
void make_home_plain_buttons()
{
    struct plain_s {
        const char* name;
        int w;
        home_icon_e icon;
    };
    const plain_s plains[] = {{"buttonscan", 111, home_icon_e::scan},
                              {"buttonrecovery", 121, home_icon_e::resume}};
    for (const plain_s& b : plains) {
        for (int state = 1; state <= 3; ++state) {
            QImage img = canvas(b.w, 41);
            QPainter p(&img);
            begin(p);
            const QRectF card(1.5, 1.5, b.w - 3, 38);
            QLinearGradient g(0, 0, 0, 41);
            g.setColorAt(0, state == 3 ? QColor(206, 228, 252) : Qt::white);
            g.setColorAt(1, state == 2 ? QColor(210, 232, 254) : QColor(230, 243, 255));
            p.setPen(QPen(state == 1 ? accent_light : accent, 1));
            p.setBrush(g);
            p.drawPath(rounded(card, 6));
            draw_home_badge(p, QPointF(b.w / 2.0, 20.5 + (state == 3 ? 1 : 0)), 15, b.icon, state);
            p.end();
            save(img, QStringLiteral("home/%1%2.png").arg(QLatin1String(b.name)).arg(state));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Top buttons of the title band (95 x 70): picture above a caption, white on blue.

enum class top_icon_e { quick, partition, deep };

void draw_top_icon(QPainter& p, top_icon_e icon, const QPointF& c)
{
    const QColor line = Qt::white;
    const QColor fill = with_alpha(Qt::white, 70);
    switch (icon) {
    case top_icon_e::quick:
        draw_document(p, QRectF(c.x() - 14, c.y() - 16, 21, 28), fill, line, 1.8);
        draw_magnifier(p, QPointF(c.x() + 5, c.y() + 1), 8, line, with_alpha(QColor(200, 230, 255), 110), 2.6);
        break;
    case top_icon_e::partition:
        draw_platter(p, c, 15, line, with_alpha(Qt::white, 220), with_alpha(Qt::white, 50), 1.8);
        break;
    case top_icon_e::deep:
        draw_layers(p, QRectF(c.x() - 16, c.y() - 15, 26, 27), line, with_alpha(Qt::white, 50), 1.6);
        draw_magnifier(p, QPointF(c.x() + 6, c.y() + 3), 7.5, line, with_alpha(QColor(200, 230, 255), 120), 2.6);
        break;
    }
}

QImage top_button(top_icon_e icon, int state, const QString& caption, const QStringList& families)
{
    QImage img = canvas(95, 70);
    QPainter p(&img);
    begin(p);
    const QRectF face(1.5, 1.5, 92, 67);
    if (state == 2) {
        QLinearGradient g(0, 0, 0, 70);
        g.setColorAt(0, with_alpha(Qt::white, 78));
        g.setColorAt(1, with_alpha(Qt::white, 30));
        p.setPen(QPen(with_alpha(Qt::white, 130), 1));
        p.setBrush(g);
        p.drawPath(rounded(face, 6));
    } else if (state == 3) {
        p.setPen(QPen(with_alpha(QColor(10, 40, 96), 110), 1));
        p.setBrush(with_alpha(QColor(10, 40, 96), 70));
        p.drawPath(rounded(face, 6));
    }
    const qreal dy = state == 3 ? 1 : 0;
    // One line when the caption fits at 11 pixels or more; else two lines under a smaller
    // picture.
    const QFont font = make_font(families, 13, true);
    fitted_s fit;
    QRectF box(3, 41 + dy, 89, 26);
    if (!try_fit(caption, font, box.size(), 13, 11, 14 /* no wrapping */, 1, &fit)) {
        fit = fit_text(caption, font, QSizeF(89, 33), 12, 13, 10, 2);
        box = QRectF(3, 35 + dy, 89, 33);
        p.save();
        p.translate(47.5, 18 + dy);
        p.scale(0.8, 0.8);
        draw_top_icon(p, icon, QPointF(0, 0));
        p.restore();
    } else {
        draw_top_icon(p, icon, QPointF(47.5, 23 + dy));
    }
    // A faint dark copy under the caption keeps it legible on the light part of the band.
    p.setPen(with_alpha(QColor(10, 40, 96), 70));
    draw_lines(p, fit, box.translated(0, 1), true);
    p.setPen(Qt::white);
    draw_lines(p, fit, box, true);
    p.end();
    return img;
}

// ---------------------------------------------------------------------------------------
// Per-language captions.

struct language_s {
    const char* code;
    QStringList families;
    QString top[3];          // quick scan, partition tool, deep scan
    QString start_title;     // home page: new scan
    QString start_subtitle;
    QString resume_title;    // home page: load a saved scan result
    QString resume_subtitle;
};

QList<language_s> languages()
{
    const QStringList latin{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    auto cjk = [](const char* family) {
        return QStringList{QString::fromLatin1(family), QStringLiteral("DejaVu Sans")};
    };
    return {
        {"en", latin,
         {QStringLiteral("Quick Scan"), QStringLiteral("Partitions"), QStringLiteral("Deep Scan")},
         QStringLiteral("Start Scan"), QStringLiteral("Find deleted files on a disk"),
         QStringLiteral("Resume Recovery"), QStringLiteral("Open a saved scan result")},
        {"de", latin,
         {QStringLiteral("Schnellscan"), QStringLiteral("Partitionen"), QStringLiteral("Tiefenscan")},
         QStringLiteral("Scan starten"), QStringLiteral("Gelöschte Dateien auf einem Datenträger finden"),
         QStringLiteral("Fortsetzen"), QStringLiteral("Ein gespeichertes Scan-Ergebnis öffnen")},
        {"es", latin,
         {QStringLiteral("Análisis rápido"), QStringLiteral("Particiones"),
          QStringLiteral("Análisis profundo")},
         QStringLiteral("Iniciar análisis"), QStringLiteral("Buscar archivos borrados en un disco"),
         QStringLiteral("Reanudar"), QStringLiteral("Abrir un resultado de análisis guardado")},
        {"fr", latin,
         {QStringLiteral("Analyse rapide"), QStringLiteral("Partitions"),
          QStringLiteral("Analyse approfondie")},
         QStringLiteral("Lancer l'analyse"),
         QStringLiteral("Retrouver les fichiers supprimés d'un disque"),
         QStringLiteral("Reprendre"), QStringLiteral("Ouvrir un résultat d'analyse enregistré")},
        {"it", latin,
         {QStringLiteral("Scansione rapida"), QStringLiteral("Partizioni"),
          QStringLiteral("Scansione profonda")},
         QStringLiteral("Avvia scansione"), QStringLiteral("Trova i file eliminati su un disco"),
         QStringLiteral("Riprendi"), QStringLiteral("Apri un risultato di scansione salvato")},
        {"jp", cjk("Noto Sans CJK JP"),
         {QStringLiteral("クイックスキャン"), QStringLiteral("パーティション"),
          QStringLiteral("ディープスキャン")},
         QStringLiteral("スキャン開始"), QStringLiteral("ディスク上の削除されたファイルを探します"),
         QStringLiteral("復元を再開"), QStringLiteral("保存したスキャン結果を開きます")},
        {"cn", cjk("Noto Sans CJK SC"),
         {QStringLiteral("快速扫描"), QStringLiteral("分区恢复"), QStringLiteral("深度扫描")},
         QStringLiteral("开始扫描"), QStringLiteral("查找磁盘上已删除的文件"),
         QStringLiteral("继续恢复"), QStringLiteral("打开已保存的扫描结果")},
        {"hk", cjk("Noto Sans CJK TC"),
         {QStringLiteral("快速掃描"), QStringLiteral("分割區復原"), QStringLiteral("深度掃描")},
         QStringLiteral("開始掃描"), QStringLiteral("尋找磁碟上已刪除的檔案"),
         QStringLiteral("繼續復原"), QStringLiteral("開啟已儲存的掃描結果")},
        {"nl", latin,
         {QStringLiteral("Snelle scan"), QStringLiteral("Partities"), QStringLiteral("Diepe scan")},
         QStringLiteral("Scan starten"), QStringLiteral("Verwijderde bestanden op een schijf vinden"),
         QStringLiteral("Hervatten"), QStringLiteral("Een opgeslagen scanresultaat openen")},
        {"pt", latin,
         {QStringLiteral("Verificação rápida"), QStringLiteral("Partições"),
          QStringLiteral("Verificação profunda")},
         QStringLiteral("Iniciar verificação"),
         QStringLiteral("Encontrar arquivos excluídos em um disco"),
         QStringLiteral("Retomar"), QStringLiteral("Abrir um resultado de verificação salvo")},
    };
}

void make_language_images()
{
    const top_icon_e icons[3] = {top_icon_e::quick, top_icon_e::partition, top_icon_e::deep};
    for (const language_s& lang : languages()) {
        const QString dir = QStringLiteral("multilang/%1/").arg(QLatin1String(lang.code));
        for (int n = 0; n < 3; ++n) {
            for (int s = 1; s <= 3; ++s)
                save(top_button(icons[n], s, lang.top[n], lang.families),
                     dir + QStringLiteral("btn_top%1%2.png").arg(n + 1).arg(s));
        }
        for (int s = 1; s <= 3; ++s) {
            save(home_button(330, 106, home_icon_e::scan, s, lang.start_title,
                             lang.start_subtitle, lang.families),
                 dir + QStringLiteral("btn_start_scan%1.png").arg(s));
            save(home_button(323, 106, home_icon_e::resume, s, lang.resume_title,
                             lang.resume_subtitle, lang.families),
                 dir + QStringLiteral("btn_resume_recovery%1.png").arg(s));
        }
    }
}

// ---------------------------------------------------------------------------------------
// The scanning animation: a magnifying glass circling over a drive. Frames are composed on
// white (the page's colour) and the untouched white made transparent, because the GIF
// format keeps only fully transparent or opaque pixels.

void make_animation_frames()
{
    const int frames = 16;
    QDir().mkpath(frame_root);
    for (int i = 0; i < frames; ++i) {
        QImage img(72, 56, QImage::Format_ARGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            begin(p);
            draw_drive(p, QRectF(14.5, 28.5, 44, 22));
            // Sector marks lighting up one after another under the glass.
            for (int k = 0; k < 5; ++k) {
                const bool lit = (i / 2 + k) % 5 == 0;
                p.setPen(Qt::NoPen);
                p.setBrush(lit ? accent : accent_light);
                p.drawRect(QRectF(20 + k * 6, 33, 4, 3));
            }
            const qreal a = 2 * M_PI * i / frames;
            const QPointF c(34 + 9 * qCos(a), 20 + 5 * qSin(a));
            draw_magnifier(p, c, 10, accent.darker(112), with_alpha(pale, 170), 2.6);
        }
        for (int y = 0; y < img.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                if ((row[x] & 0x00ffffffu) == 0x00ffffffu)
                    row[x] = 0;
            }
        }
        save_to(img, frame_root + QStringLiteral("/frame_%1.png").arg(i, 2, 10, QLatin1Char('0')),
                "png");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_images <images folder> <frame folder>\n");
        return 2;
    }
    out_root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    frame_root = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();

    make_frame();
    make_system_buttons();
    make_logo_and_icon();
    make_backgrounds();
    make_page_images();
    make_home_panel();
    make_home_plain_buttons();
    make_language_images();
    make_animation_frames();

    if (failures != 0) {
        std::fprintf(stderr, "make_images: %d problem(s)\n", failures);
        return 1;
    }
    return 0;
}
