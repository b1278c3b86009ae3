// flash.filters: the filter classes with their properties and clone(), and
// MovieClip.filters, which gives a clip copies of the filters it is given
// and draws them with the renderer's filters.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/FilterObjects.h"
#include "movie/avm1/NumberText.h"

#include <cmath>
#include <numbers>

namespace movie::avm1 {

namespace {

enum class Type { Blur, DropShadow, Glow, Bevel, GradientGlow, GradientBevel, ColorMatrix, Convolution, Displacement };

const char* const kClassNames[] = {"BlurFilter",        "DropShadowFilter",   "GlowFilter",
                                   "BevelFilter",       "GradientGlowFilter", "GradientBevelFilter",
                                   "ColorMatrixFilter", "ConvolutionFilter",  "DisplacementMapFilter"};

// A filter's properties as scripts set and read them.
struct FilterState : NativeState {
    Type type = Type::Blur;
    double blurX = 4, blurY = 4, distance = 4, angle = 45, strength = 1;
    double quality = 1;
    double color = 0, alpha = 1;
    double highlightColor = 0xFFFFFF, highlightAlpha = 1; // bevels
    bool inner = false, knockout = false, hideObject = false;
    QString placement = QStringLiteral("inner"); // bevels and gradients: inner, outer or full
    std::vector<double> colors, alphas, ratios;  // gradient glows and bevels
    std::vector<double> matrix;                  // colour matrix, convolution
    double matrixX = 0, matrixY = 0, divisor = 1, bias = 0;
    bool preserveAlpha = true, clamp = true;
    // Displacement maps, kept but not drawn.
    double componentX = 0, componentY = 0, scaleX = 0, scaleY = 0;
    QString mode = QStringLiteral("wrap");
};

double number(Runtime& rt, const Value& v, double low, double high)
{
    const double n = rt.toNumber(v);
    return std::isnan(n) ? std::max(low, 0.0) : std::clamp(n, low, high);
}

double rgb(Runtime& rt, const Value& v) { return double(quint32(rt.toInt32(v)) & 0xFFFFFF); }

std::vector<double> numbers(Runtime& rt, const Value& v)
{
    std::vector<double> out;
    if (Object* array = v.object())
        for (const Value& item : arrayElements(rt, array))
            out.push_back(rt.toNumber(item));
    return out;
}

Value arrayOf(Runtime& rt, const std::vector<double>& values)
{
    std::vector<Value> items(values.begin(), values.end());
    return Value(rt.newArray(items));
}

// --- Properties: each one's reading, writing and its part in a constructor.

using Read = Value (*)(const FilterState&);
using Write = void (*)(Runtime&, FilterState&, const Value&);

struct Field {
    const char* name;
    NativeFunction get;
    NativeFunction set;
    Write write;
};

template <Read R>
Value getField(Runtime&, NativeCall& c)
{
    const FilterState* s = stateOf<FilterState>(c.self);
    return s ? R(*s) : Value();
}

template <Write W>
Value setField(Runtime& rt, NativeCall& c)
{
    if (auto* s = stateOf<FilterState>(c.self))
        W(rt, *s, c.arg(0));
    return {};
}

template <Read R, Write W>
constexpr Field field(const char* name)
{
    return {name, getField<R>, setField<W>, W};
}

template <double FilterState::*F>
Value readNumber(const FilterState& s)
{
    return Value(s.*F);
}
template <bool FilterState::*F>
Value readBool(const FilterState& s)
{
    return Value(s.*F);
}
template <QString FilterState::*F>
Value readString(const FilterState& s)
{
    return Value(s.*F);
}

template <double FilterState::*F, int Low, int High>
void writeNumber(Runtime& rt, FilterState& s, const Value& v)
{
    s.*F = number(rt, v, Low, High);
}
template <double FilterState::*F>
void writeAny(Runtime& rt, FilterState& s, const Value& v)
{
    s.*F = rt.toNumber(v);
}
template <double FilterState::*F>
void writeColor(Runtime& rt, FilterState& s, const Value& v)
{
    s.*F = rgb(rt, v);
}
template <double FilterState::*F>
void writeAlpha(Runtime& rt, FilterState& s, const Value& v)
{
    s.*F = number(rt, v, 0, 1);
}
template <bool FilterState::*F>
void writeBool(Runtime& rt, FilterState& s, const Value& v)
{
    s.*F = rt.toBoolean(v);
}

void writeQuality(Runtime& rt, FilterState& s, const Value& v) { s.quality = std::trunc(number(rt, v, 0, 15)); }

void writePlacement(Runtime& rt, FilterState& s, const Value& v)
{
    const QString name = rt.toString(v);
    if (name == QLatin1String("inner") || name == QLatin1String("outer") || name == QLatin1String("full"))
        s.placement = name;
}

void writeMode(Runtime& rt, FilterState& s, const Value& v)
{
    const QString name = rt.toString(v);
    for (const char* mode : {"wrap", "clamp", "ignore", "color"})
        if (name == QLatin1String(mode))
            s.mode = name;
}

// Gradient colours, alphas and ratios keep one count: the colours'.
void writeColors(Runtime& rt, FilterState& s, const Value& v)
{
    s.colors.clear();
    for (const double c : numbers(rt, v))
        s.colors.push_back(std::isnan(c) ? 0 : double(toUint32(c) & 0xFFFFFF));
    s.alphas.resize(s.colors.size(), 1);
    s.ratios.resize(s.colors.size(), 0);
}
// An array of numbers as long as the colours, within low..high.
std::vector<double> fitted(Runtime& rt, const Value& v, size_t count, double fallback, double low, double high)
{
    std::vector<double> given = numbers(rt, v);
    given.resize(count, fallback);
    for (double& n : given)
        n = std::isnan(n) ? 0 : std::clamp(n, low, high);
    return given;
}
void writeAlphas(Runtime& rt, FilterState& s, const Value& v) { s.alphas = fitted(rt, v, s.colors.size(), 1, 0, 1); }
void writeRatios(Runtime& rt, FilterState& s, const Value& v) { s.ratios = fitted(rt, v, s.colors.size(), 0, 0, 255); }

// A colour matrix has 20 numbers; a convolution matrixX * matrixY.
void writeColorMatrix(Runtime& rt, FilterState& s, const Value& v)
{
    if (!v.object())
        return;
    std::vector<double> given = numbers(rt, v);
    given.resize(20, 0);
    for (double& m : given)
        m = std::isnan(m) ? 0 : m;
    s.matrix = given;
}
void fitKernel(FilterState& s) { s.matrix.resize(size_t(s.matrixX * s.matrixY), 0); }
void writeKernel(Runtime& rt, FilterState& s, const Value& v)
{
    s.matrix = numbers(rt, v);
    fitKernel(s);
}
void writeMatrixX(Runtime& rt, FilterState& s, const Value& v)
{
    s.matrixX = std::trunc(number(rt, v, 0, limits::kMaxKernelSide));
    fitKernel(s);
}
void writeMatrixY(Runtime& rt, FilterState& s, const Value& v)
{
    s.matrixY = std::trunc(number(rt, v, 0, limits::kMaxKernelSide));
    fitKernel(s);
}
void writeDivisor(Runtime& rt, FilterState& s, const Value& v) { s.divisor = rt.toNumber(v); }

// Array properties are read as new arrays, each read.
template <std::vector<double> FilterState::*F>
Value getArray(Runtime& rt, NativeCall& c)
{
    const FilterState* s = stateOf<FilterState>(c.self);
    return s ? arrayOf(rt, s->*F) : Value();
}
template <Write W>
constexpr Field arrayField(const char* name, NativeFunction get)
{
    return {name, get, setField<W>, W};
}

constexpr Field kBlurX = field<readNumber<&FilterState::blurX>, writeNumber<&FilterState::blurX, 0, 255>>("blurX");
constexpr Field kBlurY = field<readNumber<&FilterState::blurY>, writeNumber<&FilterState::blurY, 0, 255>>("blurY");
constexpr Field kQuality = field<readNumber<&FilterState::quality>, writeQuality>("quality");
constexpr Field kDistance = field<readNumber<&FilterState::distance>, writeAny<&FilterState::distance>>("distance");
constexpr Field kAngle = field<readNumber<&FilterState::angle>, writeAny<&FilterState::angle>>("angle");
constexpr Field kColor = field<readNumber<&FilterState::color>, writeColor<&FilterState::color>>("color");
constexpr Field kAlpha = field<readNumber<&FilterState::alpha>, writeAlpha<&FilterState::alpha>>("alpha");
constexpr Field kStrength =
    field<readNumber<&FilterState::strength>, writeNumber<&FilterState::strength, 0, 255>>("strength");
constexpr Field kInner = field<readBool<&FilterState::inner>, writeBool<&FilterState::inner>>("inner");
constexpr Field kKnockout = field<readBool<&FilterState::knockout>, writeBool<&FilterState::knockout>>("knockout");
constexpr Field kHideObject =
    field<readBool<&FilterState::hideObject>, writeBool<&FilterState::hideObject>>("hideObject");
constexpr Field kHighlightColor =
    field<readNumber<&FilterState::highlightColor>, writeColor<&FilterState::highlightColor>>("highlightColor");
constexpr Field kHighlightAlpha =
    field<readNumber<&FilterState::highlightAlpha>, writeAlpha<&FilterState::highlightAlpha>>("highlightAlpha");
constexpr Field kShadowColor = field<readNumber<&FilterState::color>, writeColor<&FilterState::color>>("shadowColor");
constexpr Field kShadowAlpha = field<readNumber<&FilterState::alpha>, writeAlpha<&FilterState::alpha>>("shadowAlpha");
constexpr Field kType = field<readString<&FilterState::placement>, writePlacement>("type");
constexpr Field kColors = arrayField<writeColors>("colors", getArray<&FilterState::colors>);
constexpr Field kAlphas = arrayField<writeAlphas>("alphas", getArray<&FilterState::alphas>);
constexpr Field kRatios = arrayField<writeRatios>("ratios", getArray<&FilterState::ratios>);
constexpr Field kColorMatrix = arrayField<writeColorMatrix>("matrix", getArray<&FilterState::matrix>);
constexpr Field kKernel = arrayField<writeKernel>("matrix", getArray<&FilterState::matrix>);
constexpr Field kMatrixX = field<readNumber<&FilterState::matrixX>, writeMatrixX>("matrixX");
constexpr Field kMatrixY = field<readNumber<&FilterState::matrixY>, writeMatrixY>("matrixY");
constexpr Field kDivisor = field<readNumber<&FilterState::divisor>, writeDivisor>("divisor");
constexpr Field kBias = field<readNumber<&FilterState::bias>, writeAny<&FilterState::bias>>("bias");
constexpr Field kPreserveAlpha =
    field<readBool<&FilterState::preserveAlpha>, writeBool<&FilterState::preserveAlpha>>("preserveAlpha");
constexpr Field kClamp = field<readBool<&FilterState::clamp>, writeBool<&FilterState::clamp>>("clamp");
constexpr Field kComponentX =
    field<readNumber<&FilterState::componentX>, writeNumber<&FilterState::componentX, 0, 8>>("componentX");
constexpr Field kComponentY =
    field<readNumber<&FilterState::componentY>, writeNumber<&FilterState::componentY, 0, 8>>("componentY");
constexpr Field kScaleX = field<readNumber<&FilterState::scaleX>, writeAny<&FilterState::scaleX>>("scaleX");
constexpr Field kScaleY = field<readNumber<&FilterState::scaleY>, writeAny<&FilterState::scaleY>>("scaleY");
constexpr Field kMode = field<readString<&FilterState::mode>, writeMode>("mode");

// The fields of each class, in the order its constructor takes them.
std::vector<Field> fieldsOf(Type type)
{
    switch (type) {
    case Type::Blur:
        return {kBlurX, kBlurY, kQuality};
    case Type::DropShadow:
        return {kDistance, kAngle, kColor, kAlpha, kBlurX, kBlurY, kStrength, kQuality, kInner, kKnockout, kHideObject};
    case Type::Glow:
        return {kColor, kAlpha, kBlurX, kBlurY, kStrength, kQuality, kInner, kKnockout};
    case Type::Bevel:
        return {kDistance, kAngle, kHighlightColor, kHighlightAlpha, kShadowColor, kShadowAlpha,
                kBlurX,    kBlurY, kStrength,       kQuality,        kType,        kKnockout};
    case Type::GradientGlow:
    case Type::GradientBevel:
        return {kDistance, kAngle, kColors, kAlphas, kRatios, kBlurX, kBlurY, kStrength, kQuality, kType, kKnockout};
    case Type::ColorMatrix:
        return {kColorMatrix};
    case Type::Convolution:
        return {kMatrixX, kMatrixY, kKernel, kDivisor, kBias, kPreserveAlpha, kClamp, kColor, kAlpha};
    case Type::Displacement:
        return {kComponentX, kComponentY, kScaleX, kScaleY, kMode, kColor, kAlpha};
    }
    return {};
}

// The defaults that differ from FilterState's own.
FilterState defaults(Type type)
{
    FilterState s;
    s.type = type;
    switch (type) {
    case Type::Glow:
        s.color = 0xFF0000;
        s.blurX = s.blurY = 6;
        s.strength = 2;
        break;
    case Type::ColorMatrix:
        s.matrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
        break;
    case Type::Convolution:
    case Type::Displacement:
        s.alpha = 0;
        break;
    default:
        break;
    }
    return s;
}

// --- Constructors

template <Type T>
Value filterConstructor(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    auto state = std::make_shared<FilterState>(defaults(T));
    const std::vector<Field> fields = fieldsOf(T);
    // The displacement map's bitmap and point come first; they are not kept.
    const qsizetype skipped = T == Type::Displacement ? 2 : 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const Value v = c.arg(qsizetype(i) + skipped);
        if (!v.isUndefined())
            fields[i].write(rt, *state, v);
    }
    // A convolution given a colour and no alpha shows it opaque.
    if (T == Type::Convolution && !c.arg(7).isUndefined() && c.arg(8).isUndefined())
        state->alpha = 1;
    // Constructed a second time (a subclass calling super() again), an
    // object keeps the filter it was first made.
    if (!stateOf<FilterState>(c.self))
        c.self->state = std::move(state);
    return {};
}

Value bitmapFilterConstructor(Runtime&, NativeCall&) { return {}; }

Value filterClone(Runtime& rt, NativeCall& c)
{
    const FilterState* s = stateOf<FilterState>(c.self);
    if (!s)
        return {};
    Object* copy = rt.newObject(rt.protoOf(c.self));
    copy->state = std::make_shared<FilterState>(*s);
    return Value(copy);
}

// --- The renderer's filters

QColor colorOf(double rgb, double alpha)
{
    QColor c = QColor::fromRgb(quint32(rgb) & 0xFFFFFF);
    c.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return c;
}

// A number a script gave, fit to draw with: 0 unless finite.
double finite(double v) { return std::isfinite(v) ? v : 0; }

std::optional<Filter> rendered(const FilterState& s)
{
    Filter f;
    const bool blurs = s.quality >= 1;
    f.blurX = blurs ? s.blurX : 0;
    f.blurY = blurs ? s.blurY : 0;
    f.passes = std::clamp(int(s.quality), 1, limits::kMaxFilterPasses);
    f.angle = finite(s.angle) * std::numbers::pi / 180;
    f.distance = std::clamp(finite(s.distance), -double(limits::kMaxFilterReach), double(limits::kMaxFilterReach));
    f.strength = s.strength;
    f.knockout = s.knockout;
    f.inner = s.inner;
    switch (s.type) {
    case Type::Blur:
        f.kind = Filter::Kind::Blur;
        break;
    case Type::DropShadow:
        f.kind = Filter::Kind::DropShadow;
        f.color = colorOf(s.color, s.alpha);
        f.compositeSource = !s.hideObject;
        break;
    case Type::Glow:
        f.kind = Filter::Kind::Glow;
        f.color = colorOf(s.color, s.alpha);
        break;
    case Type::Bevel:
    case Type::GradientGlow:
    case Type::GradientBevel:
        f.kind = s.type == Type::Bevel     ? Filter::Kind::Bevel
            : s.type == Type::GradientGlow ? Filter::Kind::GradientGlow
                                           : Filter::Kind::GradientBevel;
        f.inner = s.placement == QLatin1String("inner");
        f.onTop = s.placement == QLatin1String("full");
        f.color = colorOf(s.color, s.alpha);
        f.highlight = colorOf(s.highlightColor, s.highlightAlpha);
        for (size_t i = 0; i < s.colors.size(); ++i) {
            f.colors.push_back(colorOf(s.colors[i], s.alphas[i]));
            f.ratios.push_back(s.ratios[i] / 255);
        }
        break;
    case Type::ColorMatrix:
        f.kind = Filter::Kind::ColorMatrix;
        for (size_t i = 0; i < f.matrix.size() && i < s.matrix.size(); ++i)
            f.matrix[i] = float(std::clamp(finite(s.matrix[i]), -1e6, 1e6));
        break;
    case Type::Convolution:
        f.kind = Filter::Kind::Convolution;
        f.columns = int(s.matrixX);
        f.rows = int(s.matrixY);
        for (const double k : s.matrix)
            f.kernel.push_back(float(std::clamp(finite(k), -1e6, 1e6)));
        f.divisor = float(std::clamp(finite(s.divisor), -1e6, 1e6));
        f.bias = float(std::clamp(finite(s.bias), -1e6, 1e6));
        f.preserveAlpha = s.preserveAlpha;
        f.clamp = s.clamp;
        f.color = colorOf(s.color, s.alpha);
        break;
    case Type::Displacement:
        return std::nullopt;
    }
    return f;
}

FilterState stateOf(const Filter& f)
{
    FilterState s;
    auto rgbOf = [](const QColor& c) { return double(c.rgb() & 0xFFFFFF); };
    s.blurX = f.blurX;
    s.blurY = f.blurY;
    s.quality = f.passes;
    s.angle = f.angle * 180 / std::numbers::pi;
    s.distance = f.distance;
    s.strength = f.strength;
    s.knockout = f.knockout;
    s.inner = f.inner;
    s.hideObject = !f.compositeSource;
    s.color = rgbOf(f.color);
    s.alpha = f.color.alphaF();
    s.highlightColor = rgbOf(f.highlight);
    s.highlightAlpha = f.highlight.alphaF();
    s.placement = f.inner ? QStringLiteral("inner") : f.onTop ? QStringLiteral("full") : QStringLiteral("outer");
    switch (f.kind) {
    case Filter::Kind::Blur:
        s.type = Type::Blur;
        break;
    case Filter::Kind::DropShadow:
        s.type = Type::DropShadow;
        break;
    case Filter::Kind::Glow:
        s.type = Type::Glow;
        break;
    case Filter::Kind::Bevel:
        s.type = Type::Bevel;
        break;
    case Filter::Kind::GradientGlow:
    case Filter::Kind::GradientBevel:
        s.type = f.kind == Filter::Kind::GradientGlow ? Type::GradientGlow : Type::GradientBevel;
        for (size_t i = 0; i < f.colors.size(); ++i) {
            s.colors.push_back(rgbOf(f.colors[i]));
            s.alphas.push_back(f.colors[i].alphaF());
            s.ratios.push_back(i < f.ratios.size() ? std::round(f.ratios[i] * 255) : 0);
        }
        break;
    case Filter::Kind::ColorMatrix:
        s.type = Type::ColorMatrix;
        s.matrix.assign(f.matrix.begin(), f.matrix.end());
        break;
    case Filter::Kind::Convolution:
        s.type = Type::Convolution;
        s.matrixX = f.columns;
        s.matrixY = f.rows;
        s.matrix.assign(f.kernel.begin(), f.kernel.end());
        s.divisor = f.divisor;
        s.bias = f.bias;
        s.preserveAlpha = f.preserveAlpha;
        s.clamp = f.clamp;
        break;
    }
    return s;
}

// --- MovieClip.filters

DisplayObject* placementOf(Runtime& rt, NativeCall& c)
{
    auto clip = rt.clipOf(c.self);
    return clip ? rt.host().placement(*clip) : nullptr;
}

Value clipFilters(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = placementOf(rt, c);
    if (!placed)
        return {};
    std::vector<Value> items;
    if (placed->filters)
        for (const Filter& f : *placed->filters)
            items.push_back(newFilterObject(rt, f));
    return Value(rt.newArray(items));
}

Value clipSetFilters(Runtime& rt, NativeCall& c)
{
    DisplayObject* placed = placementOf(rt, c);
    if (!placed)
        return {};
    auto list = std::make_shared<FilterList>();
    if (Object* array = c.arg(0).object())
        for (const Value& item : arrayElements(rt, array))
            if (const auto f = filterOf(item); f && list->size() < size_t(limits::kMaxFilters))
                list->push_back(*f);
    placed->filters = list->empty() ? nullptr : std::move(list);
    rt.host().displayChanged();
    return {};
}

} // namespace

std::optional<Filter> filterOf(const Value& v)
{
    const FilterState* s = stateOf<FilterState>(v.object());
    return s ? rendered(*s) : std::nullopt;
}

Value newFilterObject(Runtime& rt, const Filter& filter)
{
    auto state = std::make_shared<FilterState>(stateOf(filter));
    Object* cls =
        rt.get(flashPackage(rt, rt.global(), "filters"), QString::fromLatin1(kClassNames[int(state->type)])).object();
    Object* o = rt.newObject(cls ? rt.get(cls, QStringLiteral("prototype")).object() : nullptr);
    o->state = std::move(state);
    return Value(o);
}

void installFilterBuiltins(Runtime& rt, Object* global)
{
    Object* package = flashPackage(rt, global, "filters");
    Object* baseProto = rt.newObject();
    rt.define(package, QStringLiteral("BitmapFilter"), Value(rt.newClass(bitmapFilterConstructor, baseProto)),
              DontEnum);
    defineMethods(rt, baseProto, {{"clone", filterClone}});

    const NativeFunction constructors[] = {
        filterConstructor<Type::Blur>,         filterConstructor<Type::DropShadow>,
        filterConstructor<Type::Glow>,         filterConstructor<Type::Bevel>,
        filterConstructor<Type::GradientGlow>, filterConstructor<Type::GradientBevel>,
        filterConstructor<Type::ColorMatrix>,  filterConstructor<Type::Convolution>,
        filterConstructor<Type::Displacement>};
    for (int i = 0; i <= int(Type::Displacement); ++i) {
        Object* proto = rt.newObject(baseProto);
        rt.define(package, QString::fromLatin1(kClassNames[i]), Value(rt.newClass(constructors[i], proto)), DontEnum);
        defineMethods(rt, proto, {{"clone", filterClone}});
        for (const Field& f : fieldsOf(Type(i)))
            defineAccessors(rt, proto, {{f.name, f.get, f.set}});
    }

    defineAccessors(rt, rt.protos.movieClip, {{"filters", clipFilters, clipSetFilters, 8}});
}

} // namespace movie::avm1
