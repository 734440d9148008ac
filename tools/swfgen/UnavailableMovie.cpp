#include "tools/swfgen/UnavailableMovie.h"

#include <cmath>

#include "tools/swfgen/SwfMovieWriter.h"
#include "tools/swfgen/SwfShapeBuilder.h"

namespace zorbel::swfgen {

namespace {

constexpr double kTau = 6.28318530717958647692;

int32_t Tw(double pixels) {
    return int32_t(std::lround(pixels * 20));
}

SwfShapeBuilder NightSky() {
    SwfShapeBuilder s;
    int fill = s.AddLinearGradient(0, 0, 0, Tw(UnavailableMovie::kHeight),
                                   {{0, {40, 50, 110, 255}}, {255, {120, 110, 190, 255}}});
    const int32_t w = Tw(UnavailableMovie::kWidth), h = Tw(UnavailableMovie::kHeight);
    s.Polygon(fill, 0, {{0, 0}, {w, 0}, {w, h}, {0, h}});
    // A few small stars, each its own outline inside the sky.
    int star = s.AddSolidFill({255, 250, 200, 255});
    const double spots[][2] = {{60, 50},  {140, 110}, {470, 70}, {500, 180},
                               {90, 300}, {420, 330}, {250, 40}, {40, 200}};
    for (const auto& p : spots) s.Circle(star, 0, Tw(p[0]), Tw(p[1]), Tw(3), fill);
    return s;
}

// The face, drawn around its own centre.
SwfShapeBuilder Face() {
    SwfShapeBuilder s;
    const double r = 110;
    int skin = s.AddRadialGradient(
        Tw(-30), Tw(-35), Tw(r * 1.5),
        {{0, {255, 250, 210, 255}}, {120, {255, 225, 120, 255}}, {255, {235, 180, 70, 255}}});
    int cheek = s.AddSolidFill({255, 150, 150, 160});
    int mouth = s.AddSolidFill({170, 70, 80, 255});
    int outline = s.AddLineStyle(60, {190, 130, 40, 255});
    int lid = s.AddLineStyle(90, {110, 70, 30, 255});
    s.Circle(skin, outline, 0, 0, Tw(r));
    s.Ellipse(cheek, 0, Tw(-60), Tw(25), Tw(20), Tw(12), skin);
    s.Ellipse(cheek, 0, Tw(60), Tw(25), Tw(20), Tw(12), skin);
    s.Ellipse(mouth, 0, Tw(8), Tw(52), Tw(11), Tw(9), skin);
    // Closed eyes: two downward arcs, lines only.
    for (int side : {-1, 1}) {
        double cx = side * 42;
        s.Begin(0, lid, Tw(cx - 22), Tw(-8));
        s.CurveTo(Tw(cx), Tw(14), Tw(cx + 22), Tw(-8));
    }
    return s;
}

// A letter Z as one closed outline, clockwise.
SwfShapeBuilder LetterZ(double size) {
    SwfShapeBuilder s;
    int fill = s.AddSolidFill({255, 255, 255, 255});
    int line = s.AddLineStyle(30, {90, 100, 170, 255});
    const double k = size / 10;
    const double pts[][2] = {{-5, -6}, {5, -6}, {5, -4}, {-1.5, 4}, {5, 4},
                             {5, 6},   {-5, 6}, {-5, 4}, {1.5, -4}, {-5, -4}};
    std::vector<std::pair<int32_t, int32_t>> outline;
    for (const auto& p : pts) outline.push_back({Tw(p[0] * k), Tw(p[1] * k)});
    s.Polygon(fill, line, outline);
    return s;
}

}  // namespace

std::vector<uint8_t> UnavailableMovie::Build() {
    SwfMovieWriter movie(kVersion, kWidth, kHeight, kFrameRateFixed);
    movie.Tag(SwfMovieWriter::kTagFileAttributes, SwfMovieWriter::FileAttributesBody(false));
    movie.Tag(SwfMovieWriter::kTagSetBackgroundColor,
              SwfMovieWriter::BackgroundBody({40, 50, 110}));
    movie.Tag(SwfMovieWriter::kTagDefineShape3, NightSky().DefineShape3Body(1));
    movie.Tag(SwfMovieWriter::kTagDefineShape3, Face().DefineShape3Body(2));
    movie.Tag(SwfMovieWriter::kTagDefineShape3, LetterZ(28).DefineShape3Body(3));

    const double faceX = kWidth * 0.42, faceY = kHeight * 0.55;
    const int kLetters = 3;
    for (uint16_t f = 0; f < kFrameCount; ++f) {
        const double t = double(f) / kFrameCount;
        if (f == 0)
            movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                      SwfMovieWriter::PlaceBody(1, 1, SwfMatrix{}, nullptr));
        // Slow breathing, with a slight nod.
        SwfMatrix face = SwfMatrix::Make(faceX * 20, faceY * 20, 1 + 0.03 * std::sin(kTau * t),
                                         0.05 * std::sin(kTau * t));
        movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                  SwfMovieWriter::PlaceBody(2, f == 0 ? 2 : 0, face, nullptr));
        // The Zs rise from the face to the upper right, growing and fading, one after another.
        for (int i = 0; i < kLetters; ++i) {
            double u = std::fmod(t + double(i) / kLetters, 1.0);
            double x = faceX + 100 + u * 140, y = faceY - 90 - u * 150;
            SwfColorTransform fade;
            fade.multA = int16_t(std::lround(256 * (u < 0.15 ? u / 0.15 : 1 - (u - 0.15) / 0.85)));
            movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                      SwfMovieWriter::PlaceBody(
                          uint16_t(3 + i), f == 0 ? 3 : 0,
                          SwfMatrix::Make(x * 20, y * 20, 0.6 + 0.9 * u, -0.2), &fade));
        }
        movie.ShowFrame();
    }
    return movie.Finish(false);
}

}  // namespace zorbel::swfgen
