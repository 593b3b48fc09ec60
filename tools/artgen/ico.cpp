// Windows icon file: an ICONDIR, one entry per image, and per image a BITMAPINFOHEADER,
// the colour table (4 and 8 bits), the colour bits and the 1-bit AND mask, rows
// bottom-up and padded to 32 bits. The 256-pixel image is a PNG file as it stands, as
// Windows has read them since Vista: a bitmap that size would be 260 KB.
#include "art.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>

namespace artgen {

namespace {

void put16(QByteArray& b, int v) {
    const quint16 le = qToLittleEndian<quint16>(quint16(v));
    b.append(reinterpret_cast<const char*>(&le), 2);
}
void put32(QByteArray& b, qint64 v) {
    const quint32 le = qToLittleEndian<quint32>(quint32(v));
    b.append(reinterpret_cast<const char*>(&le), 4);
}

int rowBytes(int width, int bpp) {
    return ((width * bpp + 31) / 32) * 4;
}

bool opaque(QRgb px) {
    return qAlpha(px) >= 128;
}

// Colours without alpha: the edge pixels keep their own hue rather than a matte.
QRgb solid(QRgb px) {
    const int a = qAlpha(px);
    if (a == 0)
        return qRgb(0, 0, 0);
    return qRgb(std::min(255, qRed(px) * 255 / a), std::min(255, qGreen(px) * 255 / a),
                std::min(255, qBlue(px) * 255 / a));
}

// k-means over the opaque pixels; entry 0 stays black for the transparent ones.
std::vector<QRgb> palette(const QImage& img, int entries) {
    std::vector<QRgb> pixels;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (opaque(img.pixel(x, y)))
                pixels.push_back(solid(img.pixel(x, y)));
    std::vector<std::array<double, 3>> centres;
    const int k = entries - 1;
    std::vector<QRgb> sorted = pixels;
    std::sort(sorted.begin(), sorted.end(), [](QRgb a, QRgb b) { return qGray(a) < qGray(b); });
    for (int i = 0; i < k; ++i) {
        const QRgb c =
            sorted.empty() ? qRgb(0, 0, 0) : sorted[(sorted.size() - 1) * i / std::max(1, k - 1)];
        centres.push_back({double(qRed(c)), double(qGreen(c)), double(qBlue(c))});
    }
    auto nearest = [&](QRgb c) {
        int best = 0;
        double bestD = 1e18;
        for (int i = 0; i < k; ++i) {
            const double dr = centres[i][0] - qRed(c), dg = centres[i][1] - qGreen(c),
                         db = centres[i][2] - qBlue(c);
            const double d = dr * dr + dg * dg + db * db;
            if (d < bestD)
                bestD = d, best = i;
        }
        return best;
    };
    for (int round = 0; round < 12; ++round) {
        std::vector<std::array<double, 4>> sum(k, {0, 0, 0, 0});
        for (QRgb c : pixels) {
            auto& s = sum[nearest(c)];
            s[0] += qRed(c), s[1] += qGreen(c), s[2] += qBlue(c), s[3] += 1;
        }
        for (int i = 0; i < k; ++i)
            if (sum[i][3] > 0)
                centres[i] = {sum[i][0] / sum[i][3], sum[i][1] / sum[i][3], sum[i][2] / sum[i][3]};
    }
    std::vector<QRgb> table{qRgb(0, 0, 0)};
    for (const auto& c : centres)
        table.push_back(
            qRgb(int(std::lround(c[0])), int(std::lround(c[1])), int(std::lround(c[2]))));
    return table;
}

int indexOf(const std::vector<QRgb>& table, QRgb c) {
    int best = 1;
    int bestD = INT32_MAX;
    for (int i = 1; i < int(table.size()); ++i) {
        const int dr = qRed(table[i]) - qRed(c), dg = qGreen(table[i]) - qGreen(c),
                  db = qBlue(table[i]) - qBlue(c);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD)
            bestD = d, best = i;
    }
    return best;
}

QByteArray andMask(const QImage& img, bool fromAlphaZero) {
    QByteArray bits;
    const int stride = rowBytes(img.width(), 1);
    for (int y = img.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            const bool transparent = fromAlphaZero ? qAlpha(px) == 0 : !opaque(px);
            if (transparent)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        bits += row;
    }
    return bits;
}

QByteArray dib(const QImage& source, int bpp) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    QByteArray colourBits;
    std::vector<QRgb> table;
    if (bpp == 32) {
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                const QRgb px = img.pixel(x, y);
                colourBits.append(char(qBlue(px))).append(char(qGreen(px)));
                colourBits.append(char(qRed(px))).append(char(qAlpha(px)));
            }
    } else {
        table = palette(img, 1 << bpp);
        const int stride = rowBytes(w, bpp);
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(stride, '\0');
            for (int x = 0; x < w; ++x) {
                const QRgb px = img.pixel(x, y);
                const int index = opaque(px) ? indexOf(table, solid(px)) : 0;
                if (bpp == 8)
                    row[x] = char(index);
                else
                    row[x / 2] = char(row[x / 2] | (x % 2 ? index : index << 4));
            }
            colourBits += row;
        }
        table.resize(1 << bpp, qRgb(0, 0, 0));
    }
    const QByteArray mask = andMask(img, bpp == 32);
    QByteArray out;
    put32(out, 40);
    put32(out, w);
    put32(out, h * 2); // colour bits and mask
    put16(out, 1);
    put16(out, bpp);
    put32(out, 0);
    put32(out, colourBits.size() + mask.size());
    put32(out, 0);
    put32(out, 0);
    put32(out, bpp == 32 ? 0 : 1 << bpp);
    put32(out, 0);
    for (QRgb c : table)
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return out + colourBits + mask;
}

} // namespace

QByteArray buildIco(const std::vector<QImage>& sizes, const QByteArray& largePng) {
    struct Entry {
        int size, bpp;
        QByteArray data;
    };
    std::vector<Entry> entries;
    // Palette images only at the classic sizes: displays of 16 or 256 colours never ask
    // for the others.
    for (int bpp : {4, 8})
        for (const QImage& img : sizes)
            if (img.width() == 16 || img.width() == 32 || img.width() == 48)
                entries.push_back({img.width(), bpp, dib(img, bpp)});
    for (const QImage& img : sizes)
        entries.push_back({img.width(), 32, dib(img, 32)});
    if (!largePng.isEmpty())
        entries.push_back({256, 32, largePng});
    QByteArray out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, int(entries.size()));
    qint64 offset = 6 + 16 * qint64(entries.size());
    for (const Entry& e : entries) {
        out.append(char(e.size >= 256 ? 0 : e.size)).append(char(e.size >= 256 ? 0 : e.size));
        out.append(char(e.bpp == 4 ? 16 : 0)).append('\0');
        put16(out, 1);
        put16(out, e.bpp);
        put32(out, e.data.size());
        put32(out, offset);
        offset += e.data.size();
    }
    for (const Entry& e : entries)
        out += e.data;
    return out;
}

} // namespace artgen
