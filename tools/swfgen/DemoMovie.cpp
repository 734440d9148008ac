#include "tools/swfgen/DemoMovie.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tools/swfgen/SwfMovieWriter.h"
#include "tools/swfgen/SwfShapeBuilder.h"

namespace zorbel::swfgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTau = 2 * kPi;
constexpr int kTwips = 20;

uint32_t Fnv1a(const std::string& text) {
    uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

// Independent-looking values from one seed, one per salt.
uint32_t Mix(uint32_t h, uint32_t salt) {
    uint32_t x = h + salt * 0x9E3779B9u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x;
}

class Random {
public:
    explicit Random(uint32_t seed) : m_state(seed ? seed : 0x12345678u) {}
    uint32_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int Range(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }
    double Unit() { return (Next() >> 8) / double(1u << 24); }

private:
    uint32_t m_state;
};

struct Palette {
    SwfRgba skyTop, skyBottom, ground, groundDark, sun;
    SwfRgba figures[5];
};

const Palette kPalettes[] = {
    {{70, 150, 235},
     {190, 230, 255},
     {110, 200, 80},
     {40, 130, 50},
     {255, 220, 60},
     {{240, 70, 80}, {255, 160, 40}, {160, 90, 220}, {40, 180, 220}, {255, 110, 180}}},
    {{255, 140, 90},
     {255, 220, 160},
     {150, 190, 70},
     {80, 120, 40},
     {255, 250, 140},
     {{200, 40, 90}, {80, 60, 200}, {30, 160, 140}, {250, 200, 30}, {240, 90, 40}}},
    {{40, 60, 140},
     {120, 160, 230},
     {60, 160, 120},
     {20, 90, 70},
     {250, 240, 200},
     {{255, 230, 90}, {255, 120, 150}, {130, 230, 255}, {190, 140, 255}, {255, 170, 60}}},
    {{120, 200, 220},
     {230, 250, 240},
     {180, 210, 90},
     {100, 150, 50},
     {255, 200, 80},
     {{230, 60, 60}, {60, 120, 230}, {250, 170, 20}, {150, 60, 180}, {40, 170, 90}}},
    {{160, 120, 220},
     {250, 200, 230},
     {120, 190, 150},
     {60, 120, 100},
     {255, 230, 120},
     {{255, 90, 120}, {90, 200, 255}, {255, 200, 60}, {120, 220, 120}, {200, 110, 255}}},
};

SwfRgba Shade(const SwfRgba& c, double factor) {
    auto scale = [factor](uint8_t v) {
        double s = factor >= 1 ? v + (255 - v) * (factor - 1) : v * factor;
        return uint8_t(s < 0 ? 0 : s > 255 ? 255 : std::lround(s));
    };
    return {scale(c.r), scale(c.g), scale(c.b), c.a};
}

// Frames that fill the given seconds at an 8.8 fixed frame rate, never fewer than 2.
int PlayingFrames(uint16_t rateFixed, unsigned seconds) {
    return std::max(2, int(std::lround(seconds * (rateFixed / 256.0))));
}

int32_t Tw(double pixels) {
    return int32_t(std::lround(pixels * kTwips));
}

SwfShapeBuilder Sky(int w, int h, const Palette& p) {
    SwfShapeBuilder s;
    int fill = s.AddLinearGradient(0, 0, 0, Tw(h), {{0, p.skyTop}, {255, p.skyBottom}});
    s.Polygon(fill, 0, {{0, 0}, {Tw(w), 0}, {Tw(w), Tw(h)}, {0, Tw(h)}});
    return s;
}

// Rolling meadow along the bottom with a fringe of grass blades; `blades` sets the detail.
SwfShapeBuilder Meadow(int w, int h, const Palette& p, Random& rnd, int blades) {
    SwfShapeBuilder s;
    const double top = h * 0.74;
    int fill = s.AddLinearGradient(0, Tw(top - 20), 0, Tw(h), {{0, p.ground}, {255, p.groundDark}});
    int line = s.AddLineStyle(30, Shade(p.groundDark, 0.8));
    const double phase = rnd.Unit() * kTau;
    const double waves = 1 + rnd.Range(0, 2);
    auto hill = [&](double x) { return top + 14 * std::sin(x / w * kTau * waves + phase); };
    const double left = -10, right = w + 10;
    s.Begin(fill, line, Tw(left), Tw(h + 10));
    s.LineTo(Tw(left), Tw(hill(left)));
    for (int i = 0; i < blades; ++i) {
        double x0 = left + (right - left) * i / blades;
        double x1 = left + (right - left) * (i + 1) / blades;
        double tipX = x0 + (x1 - x0) * (0.3 + 0.8 * rnd.Unit());
        double tipY = hill(tipX) - (6 + 16 * rnd.Unit());
        s.LineTo(Tw(tipX), Tw(tipY));
        s.LineTo(Tw(x1), Tw(hill(x1)));
    }
    s.LineTo(Tw(right), Tw(h + 10));
    s.LineTo(Tw(left), Tw(h + 10));
    return s;
}

std::vector<std::pair<int32_t, int32_t>> StarPoints(double outer, double inner, int points,
                                                    double turn) {
    std::vector<std::pair<int32_t, int32_t>> pts;
    for (int i = 0; i < points * 2; ++i) {
        double a = -kPi / 2 + turn + i * kPi / points;
        double r = i % 2 == 0 ? outer : inner;
        pts.push_back({Tw(r * std::cos(a)), Tw(r * std::sin(a))});
    }
    return pts;
}

SwfShapeBuilder SunRays(double r, const Palette& p, int rays) {
    SwfShapeBuilder s;
    SwfRgba glow = p.sun;
    glow.a = 170;
    int fill = s.AddSolidFill(glow);
    s.Polygon(fill, 0, StarPoints(r * 1.7, r * 1.1, rays, 0));
    return s;
}

SwfShapeBuilder SunDisc(double r, const Palette& p) {
    SwfShapeBuilder s;
    int fill =
        s.AddRadialGradient(Tw(-r / 3), Tw(-r / 3), Tw(r * 1.4),
                            {{0, Shade(p.sun, 1.6)}, {150, p.sun}, {255, Shade(p.sun, 0.8)}});
    s.Circle(fill, 0, 0, 0, Tw(r));
    return s;
}

// A puffy outline: arcs that bulge out of an ellipse.
SwfShapeBuilder Cloud(double rx, double ry, Random& rnd) {
    SwfShapeBuilder s;
    int fill = s.AddSolidFill({255, 255, 255, 235});
    int line = s.AddLineStyle(20, {210, 225, 240, 255});
    const int bumps = rnd.Range(6, 10);
    auto at = [&](double a, double k) {
        return std::make_pair(Tw(rx * k * std::cos(a)), Tw(ry * k * std::sin(a)));
    };
    auto start = at(0, 1);
    s.Begin(fill, line, start.first, start.second);
    for (int i = 1; i <= bumps; ++i) {
        double a0 = (i - 1) * kTau / bumps, a1 = i * kTau / bumps;
        auto c = at((a0 + a1) / 2, 1.35 + 0.25 * rnd.Unit());
        auto e = at(i == bumps ? 0 : a1, 1);
        s.CurveTo(c.first, c.second, e.first, e.second);
    }
    return s;
}

SwfShapeBuilder Star(double r, const SwfRgba& colour, Random& rnd) {
    SwfShapeBuilder s;
    int fill = s.AddRadialGradient(0, 0, Tw(r), {{0, Shade(colour, 1.5)}, {255, colour}});
    int line = s.AddLineStyle(50, Shade(colour, 0.6));
    s.Polygon(fill, line, StarPoints(r, r * (0.4 + 0.1 * rnd.Unit()), rnd.Range(5, 7), 0));
    return s;
}

SwfShapeBuilder Ball(double r, const SwfRgba& colour) {
    SwfShapeBuilder s;
    int fill =
        s.AddRadialGradient(Tw(-r / 3), Tw(-r / 3), Tw(r * 1.5),
                            {{0, {255, 255, 255, 255}}, {90, colour}, {255, Shade(colour, 0.5)}});
    int line = s.AddLineStyle(30, Shade(colour, 0.45));
    s.Circle(fill, line, 0, 0, Tw(r));
    return s;
}

SwfShapeBuilder Flower(double r, const SwfRgba& colour, Random& rnd) {
    SwfShapeBuilder s;
    const int petals = rnd.Range(5, 8);
    const double inner = r * 0.45;
    int petalFill = s.AddSolidFill(colour);
    int centreFill = s.AddRadialGradient(0, 0, Tw(inner),
                                         {{0, {255, 240, 120, 255}}, {255, {240, 160, 30, 255}}});
    int line = s.AddLineStyle(30, Shade(colour, 0.55));
    const double reach = 2 * r - inner * std::cos(kPi / petals);
    s.Begin(petalFill, line, Tw(inner), 0);
    for (int i = 1; i <= petals; ++i) {
        double mid = (i - 0.5) * kTau / petals, end = i * kTau / petals;
        s.CurveTo(Tw(reach * std::cos(mid)), Tw(reach * std::sin(mid)),
                  i == petals ? Tw(inner) : Tw(inner * std::cos(end)),
                  i == petals ? 0 : Tw(inner * std::sin(end)));
    }
    s.Circle(centreFill, line, 0, 0, Tw(inner * 0.8), petalFill);
    return s;
}

SwfShapeBuilder Heart(double r, const SwfRgba& colour) {
    SwfShapeBuilder s;
    int fill = s.AddLinearGradient(0, Tw(-r), 0, Tw(r), {{0, Shade(colour, 1.4)}, {255, colour}});
    int line = s.AddLineStyle(40, Shade(colour, 0.5));
    auto p = [r](double x, double y) { return std::make_pair(Tw(x * r), Tw(y * r)); };
    // Clockwise from the bottom tip: left side, left lobe, dip, right lobe, right side.
    const std::pair<double, double> path[][2] = {
        {{-0.95, 0.25}, {-0.95, -0.3}}, {{-0.95, -0.8}, {-0.45, -0.8}}, {{0.0, -0.8}, {0.0, -0.35}},
        {{0.0, -0.8}, {0.45, -0.8}},    {{0.95, -0.8}, {0.95, -0.3}},   {{0.95, 0.25}, {0.0, 0.9}},
    };
    auto tip = p(0, 0.9);
    s.Begin(fill, line, tip.first, tip.second);
    for (const auto& seg : path) {
        auto c = p(seg[0].first, seg[0].second);
        auto e = p(seg[1].first, seg[1].second);
        s.CurveTo(c.first, c.second, e.first, e.second);
    }
    return s;
}

SwfShapeBuilder PinwheelBlades(double r, const Palette& p) {
    SwfShapeBuilder s;
    for (int i = 0; i < 4; ++i) {
        int fill = s.AddSolidFill(p.figures[i]);
        double a = i * kPi / 2;
        s.Polygon(fill, 0,
                  {{0, 0},
                   {Tw(r * std::cos(a)), Tw(r * std::sin(a))},
                   {Tw(r * 0.75 * std::cos(a + 0.7)), Tw(r * 0.75 * std::sin(a + 0.7))}});
    }
    return s;
}

SwfShapeBuilder PinwheelPin(double r) {
    SwfShapeBuilder s;
    int fill = s.AddSolidFill({250, 250, 250, 255});
    int line = s.AddLineStyle(20, {120, 120, 120, 255});
    s.Circle(fill, line, 0, 0, Tw(r));
    return s;
}

SwfColorTransform Tint(double t, double phase, double strength) {
    SwfColorTransform c;
    c.addR = int16_t(std::lround(strength * std::sin(kTau * t + phase)));
    c.addG = int16_t(std::lround(strength * std::sin(kTau * t + phase + kTau / 3)));
    c.addB = int16_t(std::lround(strength * std::sin(kTau * t + phase + 2 * kTau / 3)));
    c.multA = int16_t(std::lround(230 + 26 * std::cos(kTau * t + phase)));
    return c;
}

// One moving thing on the root timeline.
struct Actor {
    uint16_t characterId = 0;
    double cx = 0, cy = 0;        // centre of its path, pixels
    double ax = 0, ay = 0;        // amplitude of its path
    int kx = 1, ky = 1;           // whole cycles per movie, so the loop is seamless
    double px = 0, py = 0;        // phases
    int spins = 0;                // whole turns per movie
    double scale = 1, pulse = 0;  // size and its breathing
    int pulses = 1;
    double tintPhase = 0, tintStrength = 0;
    bool drift = false;  // clouds: cross the stage once per movie, wrapping
    double driftWidth = 0;
};

SwfMatrix ActorMatrix(const Actor& a, double t) {
    double x, y;
    if (a.drift) {
        double u = std::fmod(t * a.kx + a.px, 1.0);
        x = -a.ax + u * a.driftWidth;
        y = a.cy + a.ay * std::sin(kTau * t * a.ky + a.py);
    } else {
        x = a.cx + a.ax * std::sin(kTau * t * a.kx + a.px);
        y = a.cy + a.ay * std::sin(kTau * t * a.ky + a.py);
    }
    double scale = a.scale * (1 + a.pulse * std::sin(kTau * t * a.pulses));
    return SwfMatrix::Make(x * kTwips, y * kTwips, scale, kTau * t * a.spins);
}

std::vector<uint8_t> BuildWithDetail(const DemoMoviePlan& plan, int blades) {
    Random rnd(plan.seed);
    const Palette& palette =
        kPalettes[Mix(plan.seed, 11) % (sizeof kPalettes / sizeof kPalettes[0])];
    const int w = plan.width, h = plan.height;

    SwfMovieWriter movie(plan.version, w, h, plan.frameRateFixed);
    movie.Tag(SwfMovieWriter::kTagFileAttributes,
              SwfMovieWriter::FileAttributesBody(plan.actionScript3));
    movie.Tag(SwfMovieWriter::kTagSetBackgroundColor,
              SwfMovieWriter::BackgroundBody(palette.skyBottom));

    uint16_t nextId = 1;
    auto define = [&](const SwfShapeBuilder& shape) {
        uint16_t id = nextId++;
        movie.Tag(SwfMovieWriter::kTagDefineShape3, shape.DefineShape3Body(id));
        return id;
    };

    std::vector<Actor> actors;                           // depth order, bottom first
    std::vector<std::pair<uint16_t, uint16_t>> statics;  // (depth, character)

    const uint16_t sky = define(Sky(w, h, palette));

    const double sunR = 34 + rnd.Range(0, 14);
    Actor rays;
    rays.characterId = define(SunRays(sunR, palette, rnd.Range(9, 14)));
    rays.cx = w * (0.62 + 0.25 * rnd.Unit());
    rays.cy = h * (0.16 + 0.08 * rnd.Unit());
    rays.spins = rnd.Range(0, 1) ? 1 : -1;
    rays.pulse = 0.06;
    rays.pulses = 2;
    Actor disc = rays;
    disc.characterId = define(SunDisc(sunR, palette));
    disc.spins = 0;
    disc.pulse = 0.03;

    const int clouds = rnd.Range(2, 3);
    std::vector<Actor> cloudActors;
    for (int i = 0; i < clouds; ++i) {
        Actor c;
        double rx = 40 + rnd.Range(0, 30), ry = rx * (0.4 + 0.15 * rnd.Unit());
        c.characterId = define(Cloud(rx, ry, rnd));
        c.drift = true;
        c.ax = rx * 1.5;  // starts just off the left edge
        c.driftWidth = w + 2 * c.ax;
        c.kx = 1;
        c.px = double(i) / clouds + 0.2 * rnd.Unit();
        c.cy = h * (0.1 + 0.25 * rnd.Unit());
        c.ay = 4 + 6 * rnd.Unit();
        c.ky = rnd.Range(1, 3);
        c.py = rnd.Unit() * kTau;
        cloudActors.push_back(c);
    }

    // Its own stream, so that more grass leaves the rest of the picture as it was.
    Random grass(Mix(plan.seed, 20));
    const uint16_t meadow = define(Meadow(w, h, palette, grass, blades));

    const int figures = rnd.Range(3, 5);
    std::vector<Actor> figureActors;
    for (int i = 0; i < figures; ++i) {
        const SwfRgba& colour = palette.figures[(i + Mix(plan.seed, 12)) % 5];
        double r = 24 + rnd.Range(0, 24);
        Actor a;
        switch ((i + Mix(plan.seed, 13)) % 4) {
            case 0:
                a.characterId = define(Star(r, colour, rnd));
                a.spins = rnd.Range(1, 2);
                break;
            case 1:
                a.characterId = define(Ball(r, colour));
                a.spins = 0;
                break;
            case 2:
                a.characterId = define(Flower(r, colour, rnd));
                a.spins = -rnd.Range(1, 2);
                break;
            default:
                a.characterId = define(Heart(r, colour));
                a.spins = 0;
                break;
        }
        a.cx = w * (0.15 + 0.7 * (i + 0.5) / figures);
        a.cy = h * (0.42 + 0.2 * rnd.Unit());
        a.ax = w * (0.08 + 0.1 * rnd.Unit());
        a.ay = h * (0.1 + 0.12 * rnd.Unit());
        a.kx = rnd.Range(1, 3);
        a.ky = rnd.Range(1, 4);
        a.px = rnd.Unit() * kTau;
        a.py = rnd.Unit() * kTau;
        a.pulse = 0.08 + 0.1 * rnd.Unit();
        a.pulses = rnd.Range(1, 4);
        a.tintPhase = rnd.Unit() * kTau;
        a.tintStrength = 20 + 40 * rnd.Unit();
        figureActors.push_back(a);
    }

    // The pinwheel spins on its own clip timeline while the root timeline carries it about.
    const double pinR = 26 + rnd.Range(0, 10);
    const uint16_t blades12 = define(PinwheelBlades(pinR, palette));
    const uint16_t pin = define(PinwheelPin(pinR * 0.15));
    const uint16_t spriteFrames = 12;
    std::vector<uint8_t> control;
    for (uint16_t f = 0; f < spriteFrames; ++f) {
        SwfMatrix m = SwfMatrix::Make(0, 0, 1, kTau * f / spriteFrames);
        SwfMovieWriter::WriteTagRecord(
            control, SwfMovieWriter::kTagPlaceObject2,
            SwfMovieWriter::PlaceBody(1, f == 0 ? blades12 : 0, m, nullptr));
        if (f == 0) {
            SwfMovieWriter::WriteTagRecord(control, SwfMovieWriter::kTagPlaceObject2,
                                           SwfMovieWriter::PlaceBody(2, pin, SwfMatrix{}, nullptr));
        }
        SwfMovieWriter::WriteTagRecord(control, SwfMovieWriter::kTagShowFrame, {});
    }
    const uint16_t pinwheel = nextId++;
    movie.Tag(SwfMovieWriter::kTagDefineSprite,
              SwfMovieWriter::SpriteBody(pinwheel, spriteFrames, control));
    Actor wheel;
    wheel.characterId = pinwheel;
    wheel.cx = w * (0.1 + 0.8 * rnd.Unit());
    wheel.cy = h * 0.66;
    wheel.ax = w * 0.05;
    wheel.ay = 8;
    wheel.kx = 1;
    wheel.ky = rnd.Range(2, 5);
    wheel.tintPhase = rnd.Unit() * kTau;
    wheel.tintStrength = 25;

    // Depths: sky 1, sun 2-3, clouds, meadow, figures, pinwheel.
    uint16_t depth = 1;
    statics.push_back({depth++, sky});
    std::vector<std::pair<uint16_t, Actor>> placed;
    placed.push_back({depth++, rays});
    placed.push_back({depth++, disc});
    for (const Actor& c : cloudActors) placed.push_back({depth++, c});
    statics.push_back({depth++, meadow});
    for (const Actor& a : figureActors) placed.push_back({depth++, a});
    placed.push_back({depth++, wheel});

    for (uint16_t f = 0; f < plan.frameCount; ++f) {
        const double t = double(f) / plan.frameCount;
        if (f == 0) {
            for (const auto& s : statics) {
                movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                          SwfMovieWriter::PlaceBody(s.first, s.second, SwfMatrix{}, nullptr));
            }
        }
        const bool stillFrame = plan.stillEnd && f + 1 == plan.frameCount && f > 0;
        for (const auto& [d, a] : placed) {
            SwfColorTransform tint = Tint(t, a.tintPhase, a.tintStrength);
            if (stillFrame && a.characterId == pinwheel) {
                movie.Tag(SwfMovieWriter::kTagRemoveObject2,
                          {static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8)});
                movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                          SwfMovieWriter::PlaceBody(d, blades12, ActorMatrix(a, t), &tint));
                movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                          SwfMovieWriter::PlaceBody(d + 1, pin, ActorMatrix(a, t), nullptr));
                continue;
            }
            movie.Tag(SwfMovieWriter::kTagPlaceObject2,
                      SwfMovieWriter::PlaceBody(d, f == 0 ? a.characterId : 0, ActorMatrix(a, t),
                                                a.tintStrength > 0 ? &tint : nullptr));
        }
        if (f + 1 == plan.frameCount && !plan.actionScript3) {
            if (plan.lastFrameAction == DemoFrameAction::StopAtEnd) {
                movie.Tag(SwfMovieWriter::kTagDoAction, {0x07, 0x00});  // stop
            } else if (plan.lastFrameAction == DemoFrameAction::LoopToStart) {
                // gotoAndPlay(1): go to frame index 0, play
                movie.Tag(SwfMovieWriter::kTagDoAction, {0x81, 0x02, 0x00, 0x00, 0x00, 0x06, 0x00});
            }
        }
        movie.ShowFrame();
    }
    return movie.Finish(plan.compressed);
}

}  // namespace

DemoMoviePlan DemoMovie::PlanFor(const std::string& fileId) {
    DemoMoviePlan plan;
    const uint32_t h = Fnv1a(fileId);
    plan.seed = h;
    plan.frameCount = uint16_t(60 + Mix(h, 1) % 541);
    unsigned rate = 12 + Mix(h, 2) % 19;
    plan.frameRateFixed = uint16_t(rate << 8);
    if (rate < 30 && Mix(h, 3) % 4 == 0) plan.frameRateFixed |= 0x80;  // a half frame more
    plan.compressed = Mix(h, 4) % 3 == 0;
    plan.actionScript3 = Mix(h, 5) % 8 == 0;
    plan.version = plan.actionScript3 ? 10 : uint8_t(8 + Mix(h, 6) % 3);
    if (Mix(h, 7) % 4 == 0) {
        plan.width = 640;
        plan.height = 480;
    }
    if (!plan.actionScript3) {
        switch (Mix(h, 8) % 3) {
            case 0:
                plan.lastFrameAction = DemoFrameAction::None;
                break;
            case 1:
                plan.lastFrameAction = DemoFrameAction::StopAtEnd;
                break;
            default:
                plan.lastFrameAction = DemoFrameAction::LoopToStart;
                break;
        }
    }
    return plan;
}

DemoMoviePlan DemoMovie::PlanFor(const std::string& fileId, DemoKind kind) {
    DemoMoviePlan plan = PlanFor(fileId);
    const uint32_t h = plan.seed;
    switch (kind) {
        case DemoKind::Song:
        case DemoKind::Story:
        case DemoKind::Knowledge:
            // Short enough to listen through several in a row: 3 to 12 seconds.
            plan.frameCount = uint16_t(PlayingFrames(plan.frameRateFixed, 3 + Mix(h, 9) % 10));
            plan.stillEnd = true;
            if (!plan.actionScript3)
                plan.lastFrameAction =
                    Mix(h, 10) % 2 ? DemoFrameAction::StopAtEnd : DemoFrameAction::None;
            break;
        case DemoKind::Game:
            if (!plan.actionScript3) plan.lastFrameAction = DemoFrameAction::LoopToStart;
            break;
        case DemoKind::Unknown:
            break;
    }
    return plan;
}

double DemoMovie::PlayingSeconds(const DemoMoviePlan& plan) {
    return plan.frameCount / (plan.frameRateFixed / 256.0);
}

std::vector<uint8_t> DemoMovie::Build(const DemoMoviePlan& plan) {
    // More grass until the file is big enough; the same title always takes the same steps.
    int blades = 60;
    std::vector<uint8_t> bytes = BuildWithDetail(plan, blades);
    while (!bytes.empty() && bytes.size() < kMinimumSize && blades < 4000) {
        blades += 120;
        bytes = BuildWithDetail(plan, blades);
    }
    return bytes;
}

}  // namespace zorbel::swfgen
