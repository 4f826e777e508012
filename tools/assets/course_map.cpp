// Draws the map from the same road sections as the course mesh, lowest stretches first, so a
// stretch that passes over another covers it as the bridge does.
#include "tools/assets/course_map.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assets/course_mesh.h"

namespace {

constexpr double kPixelsPerUnit = 20.0;
constexpr double kMargin = 60.0;
constexpr int kLabelEvery = 50;
constexpr Rgb kBackground{236, 238, 230};
constexpr Rgb kInk{30, 30, 34};
constexpr Rgb kOutline{90, 90, 96};

void Quad(Image& image, const MapProjection& m, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Rgb colour)
{
    const double x1[3] = {m.Column(a), m.Column(b), m.Column(c)}, y1[3] = {m.Row(a), m.Row(b), m.Row(c)};
    const double x2[3] = {m.Column(a), m.Column(c), m.Column(d)}, y2[3] = {m.Row(a), m.Row(c), m.Row(d)};
    FillTriangle(image, x1, y1, colour);
    FillTriangle(image, x2, y2, colour);
}

void Label(Image& image, double x, double y, const std::string& text, int scale)
{
    const int w = TextWidth(text, scale), h = TextHeight(scale);
    DrawText(image, static_cast<int>(std::lround(x - w / 2.0)), static_cast<int>(std::lround(y - h / 2.0)), scale, text,
             kInk);
}

void Legend(Image& image, double lowest, double highest)
{
    const int x = 20, y = image.height - 44, width = 300, height = 14;
    DrawText(image, x, y - 22, 2, "height (course-mesh units)", kInk);
    for (int i = 0; i < width; ++i)
        FillRect(image, x + i, y, x + i + 1, y + height, HeightColour(lowest + (highest - lowest) * i / (width - 1), lowest, highest));
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", lowest);
    DrawText(image, x, y + height + 6, 2, text, kInk);
    std::snprintf(text, sizeof text, "%.2f", highest);
    DrawText(image, x + width - TextWidth(text, 2), y + height + 6, 2, text, kInk);
}

}  // namespace

Rgb HeightColour(double y, double lowest, double highest)
{
    static const Rgb stops[] = {{40, 90, 210}, {30, 170, 110}, {225, 200, 40}, {215, 45, 30}};
    const double t = std::clamp((y - lowest) / (highest - lowest), 0.0, 1.0) * 3.0;
    const int i = std::min(static_cast<int>(t), 2);
    const double f = t - i;
    auto mix = [f](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(std::lround(a + (b - a) * f)); };
    return {mix(stops[i].r, stops[i + 1].r), mix(stops[i].g, stops[i + 1].g), mix(stops[i].b, stops[i + 1].b)};
}

CourseMap DrawCourseMap(const CoursePath& path)
{
    const std::vector<RoadSection> sections = RoadSections(path);
    const int plates = path.PlateCount();
    double minX = 1e9, maxX = -1e9, minZ = 1e9, maxZ = -1e9, lowest = 1e9, highest = -1e9;
    for (const PathPoint& p : path.points) {
        minX = std::min(minX, p.position.x);
        maxX = std::max(maxX, p.position.x);
        minZ = std::min(minZ, p.position.z);
        maxZ = std::max(maxZ, p.position.z);
        lowest = std::min(lowest, p.position.y);
        highest = std::max(highest, p.position.y);
    }
    CourseMap map;
    map.projection = {minX, maxZ, kPixelsPerUnit, kMargin};
    const MapProjection& m = map.projection;
    map.image = MakeImage(static_cast<int>((maxX - minX) * kPixelsPerUnit + 2 * kMargin),
                          static_cast<int>((maxZ - minZ) * kPixelsPerUnit + 2 * kMargin + 60), kBackground);
    Image& image = map.image;

    // Lowest plates first; each plate is outlined by its verges so crossings stay readable.
    std::vector<int> order(plates);
    for (int k = 0; k < plates; ++k) order[k] = k;
    auto height = [&](int k) { return (sections[k].centre.y + sections[(k + 1) % plates].centre.y) / 2; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return height(a) < height(b); });
    for (int k : order) {
        const RoadSection &a = sections[k], &b = sections[(k + 1) % plates];
        Quad(image, m, a.Left(kVergeWidth + 0.1), a.Right(kVergeWidth + 0.1), b.Right(kVergeWidth + 0.1),
             b.Left(kVergeWidth + 0.1), kOutline);
        Quad(image, m, a.Left(), a.Right(), b.Right(), b.Left(), HeightColour(height(k), lowest, highest));
    }

    // The start: a chequered bar across the road and the direction of travel.
    const RoadSection& start = sections[0];
    for (int i = 0; i < 6; ++i) {
        const double t0 = i / 6.0, t1 = (i + 1) / 6.0;
        const Vec3 p0 = start.Left() + (start.Right() - start.Left()) * t0;
        const Vec3 p1 = start.Left() + (start.Right() - start.Left()) * t1;
        const Vec3 ahead = Vec3{-start.right.z, 0, start.right.x} * 0.35;
        Quad(image, m, p0, p1, p1 + ahead, p0 + ahead, i % 2 == 0 ? kInk : Rgb{255, 255, 255});
    }
    const Vec3 arrowFrom = start.Left(1.0), arrowTo = arrowFrom + Vec3{-start.right.z, 0, start.right.x} * 2.0;
    DrawLine(image, m.Column(arrowFrom), m.Row(arrowFrom), m.Column(arrowTo), m.Row(arrowTo), 3, kInk);
    FillDisc(image, m.Column(arrowTo), m.Row(arrowTo), 5, kInk);
    Label(image, m.Column(start.Left(1.6)), m.Row(start.Left(1.6)), "START", 3);

    // Plate numbers on the right of the road, every 50 plates.
    for (int k = kLabelEvery; k < plates; k += kLabelEvery) {
        const RoadSection& s = sections[k];
        FillDisc(image, m.Column(s.centre), m.Row(s.centre), 3, kInk);
        // Clear of the road's outline by half the label's width.
        const std::string text = std::to_string(k);
        const Vec3 at = s.Right(kVergeWidth + 0.4 + TextWidth(text, 2) / 2.0 / kPixelsPerUnit);
        Label(image, m.Column(at), m.Row(at), text, 2);
    }

    // The crossing: the upper plate passes over the lower one on a bridge, explained at the foot.
    int line = 0;
    for (const PathCrossing& c : FindCrossings(path)) {
        const double x = m.Column(c.upperPoint), y = m.Row(c.upperPoint);
        for (double r = 18; r < 21; r += 0.5)
            for (int i = 0; i < 720; ++i)
                SetPixel(image, static_cast<int>(std::lround(x + r * std::cos(i * M_PI / 360))),
                         static_cast<int>(std::lround(y + r * std::sin(i * M_PI / 360))), kInk);
        char text[96];
        std::snprintf(text, sizeof text, "bridge: plate %d (height %.3f) over plate %d (height %.3f)", c.upperPlate,
                      c.upperPoint.y, c.lowerPlate, c.lowerPoint.y);
        const int right = image.width - 20, bottom = image.height - 24 - 22 * line++;
        DrawText(image, right - TextWidth(text, 2), bottom - TextHeight(2), 2, text, kInk);
        DrawLine(image, right - TextWidth(text, 2) - 34, bottom - 7, right - TextWidth(text, 2) - 14, bottom - 7, 3, kInk);
        Label(image, x - 58, y - 32, "bridge", 2);
    }

    DrawText(image, 20, 16, 3, "crs.x from above: one lap of 1072 plates", kInk);
    Legend(image, lowest, highest);
    return map;
}
