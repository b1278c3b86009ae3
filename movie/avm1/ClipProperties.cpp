// The display properties of clips: _x, _alpha, _name and the rest, read
// and written by GetProperty/SetProperty and by member access.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/draw/Bounds.h"
#include "movie/draw/EditField.h"

#include <array>
#include <cmath>
#include <numbers>

namespace movie::avm1 {

namespace {

enum Index {
    X,
    Y,
    XScale,
    YScale,
    CurrentFrame,
    TotalFrames,
    Alpha,
    Visible,
    Width,
    Height,
    Rotation,
    Target,
    FramesLoaded,
    Name,
    DropTarget,
    Url,
    HighQuality,
    FocusRect,
    SoundBufTime,
    Quality,
    XMouse,
    YMouse,
    Count
};

constexpr std::array<const char*, Count> kNames = {
    "_x",          "_y",     "_xscale",      "_yscale",    "_currentframe", "_totalframes",  "_alpha",
    "_visible",    "_width", "_height",      "_rotation",  "_target",       "_framesloaded", "_name",
    "_droptarget", "_url",   "_highquality", "_focusrect", "_soundbuftime", "_quality",      "_xmouse",
    "_ymouse"};

constexpr double kDegrees = 180 / std::numbers::pi;

// Matrices keep single precision, as the player's do.
double single(double v) { return static_cast<double>(static_cast<float>(v)); }

// The twips a pixel value becomes: truncated, saturating.
double toTwips(double pixels)
{
    const double t = std::trunc(pixels * 20);
    if (std::isnan(t))
        return 0;
    return std::clamp(t, -2147483648.0, 2147483647.0);
}

void cacheTransform(ScriptTransform& clip, const Matrix& m)
{
    if (clip.transformCached)
        return;
    const double rx = std::atan2(m.b, m.a);
    const double ry = std::atan2(-m.c, m.d);
    clip.rotation = rx * kDegrees;
    clip.scaleX = std::sqrt(m.a * m.a + m.b * m.b) * 100;
    clip.scaleY = std::sqrt(m.c * m.c + m.d * m.d) * 100;
    clip.skew = (ry - rx) * kDegrees;
    clip.transformCached = true;
}

void applyTransform(ScriptTransform& clip, Matrix& m)
{
    const double rot = std::isnan(clip.rotation) ? 0 : clip.rotation / kDegrees;
    const double skew = clip.skew / kDegrees;
    const double sx = std::isnan(clip.scaleX) ? 0 : clip.scaleX / 100;
    const double sy = std::isnan(clip.scaleY) ? 0 : clip.scaleY / 100;
    m.a = single(sx * std::cos(rot));
    m.b = single(sx * std::sin(rot));
    m.c = single(-sy * std::sin(rot + skew));
    m.d = single(sy * std::cos(rot + skew));
}

// _alpha as the colour transform keeps it: 8.8 fixed point.
double alphaMultiplier(double percent)
{
    if (std::isinf(percent))
        percent = 0;
    return std::clamp(std::trunc(percent / 100 * 256), -32768.0, 32767.0) / 256;
}

double rotationInRange(double degrees)
{
    degrees = std::fmod(degrees, 360);
    if (degrees < -180)
        degrees += 360;
    else if (degrees > 180)
        degrees -= 360;
    return degrees;
}

// The properties clips and fields set alike: scale, rotation, alpha and
// visibility of `object`, which stands for `self`.
void setPlacement(Runtime& rt, DisplayObject& object, ScriptTransform& memory, Object* self, int index, double n)
{
    switch (index) {
    case XScale:
    case YScale:
        cacheTransform(memory, object.matrix);
        (index == XScale ? memory.scaleX : memory.scaleY) = n;
        applyTransform(memory, object.matrix);
        break;
    case Rotation:
        cacheTransform(memory, object.matrix);
        memory.rotation = rotationInRange(n);
        applyTransform(memory, object.matrix);
        break;
    case Alpha:
        object.colorTransform.am = alphaMultiplier(n);
        break;
    case Visible:
        object.visible = n != 0;
        if (!object.visible)
            rt.dropFocusWithin(self);
        break;
    default:
        break;
    }
}

} // namespace

int Runtime::propertyIndex(const QString& name)
{
    if (!name.startsWith(u'_'))
        return -1;
    for (int i = 0; i < Count; ++i)
        if (name.compare(QLatin1String(kNames[size_t(i)]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Runtime::isReadOnlyProperty(int index)
{
    return index == CurrentFrame || index == TotalFrames || index == Target || index == FramesLoaded
        || index == DropTarget || index == Url || index == XMouse || index == YMouse;
}

void Runtime::coerceProperty(int index, const Value& value)
{
    const bool number = index <= Rotation || index == FramesLoaded;
    if ((number && !value.isNullish()) || index == HighQuality || index == SoundBufTime || index == XMouse
        || index == YMouse)
        toNumber(value);
    else if (index == Name || index == Quality)
        toString(value);
}

Value Runtime::getProperty(SpriteInstance& clip, int index)
{
    DisplayObject* placed = host_.placement(clip);
    static const DisplayObject unplaced;
    const DisplayObject& object = placed ? *placed : unplaced;
    switch (index) {
    case X:
        return Value(object.matrix.tx / 20);
    case Y:
        return Value(object.matrix.ty / 20);
    case XScale:
        cacheTransform(clip, object.matrix);
        return Value(clip.scaleX);
    case YScale:
        cacheTransform(clip, object.matrix);
        return Value(clip.scaleY);
    case Rotation:
        cacheTransform(clip, object.matrix);
        return Value(clip.rotation);
    case CurrentFrame:
        return Value(clip.frame + 1); // 0 for a clip that has not entered a frame yet
    case TotalFrames:
        return Value(clip.timeline->declaredFrames);
    case FramesLoaded:
        return Value(std::min(host_.framesLoaded(clip), clip.timeline->declaredFrames));
    case Alpha:
        return Value(object.colorTransform.am * 100);
    case Visible:
        return Value(object.visible);
    case Width:
    case Height: {
        QRectF b = spriteBounds(clip, placed);
        if (b.isNull())
            return Value(0);
        b = object.matrix.toTransform().mapRect(b);
        return Value((index == Width ? b.width() : b.height()) / 20);
    }
    case Target:
        return Value(targetPath(clip, true));
    case Name:
        return Value(placed ? placed->name : QString());
    case DropTarget:
        return version_ < 6 ? Value() : Value(QString());
    case Url:
        return Value(QString());
    case HighQuality:
        return Value(settings.quality == PlayerSettings::Quality::Best       ? 2
                         : settings.quality == PlayerSettings::Quality::High ? 1
                                                                             : 0);
    case FocusRect:
        // A root's is the player's; version 5 gives it as a number.
        if (version_ <= 5 || !clip.parent.lock())
            return version_ <= 5 ? Value(settings.focusRect ? 1 : 0) : Value(settings.focusRect);
        return clip.focusRect == 0 ? Value::null() : Value(clip.focusRect > 0);
    case SoundBufTime:
        return Value(settings.soundBufferTime);
    case Quality: {
        static const char* names[] = {"LOW", "MEDIUM", "HIGH", "BEST"};
        return Value(QString::fromLatin1(names[int(settings.quality)]));
    }
    case XMouse:
    case YMouse:
        return Value(0);
    default:
        return {};
    }
}

void Runtime::setProperty(SpriteInstance& clip, int index, const Value& value)
{
    DisplayObject* placed = host_.placement(clip);
    if (!placed)
        return;
    DisplayObject& object = *placed;
    if (index == Name) {
        const Value v = value.isNumber() && std::isnan(value.number()) && version_ >= 7 ? Value(0) : value;
        // A reference made earlier keeps the path it was made with: once the
        // clip is gone it finds what stands at that path now.
        object.name = toString(v);
        return;
    }
    if (index >= HighQuality && index <= Quality) {
        setPlayerProperty(clip, index, value);
        return;
    }
    if (index > Rotation || index == CurrentFrame || index == TotalFrames)
        return; // read-only
    // Numbers only: undefined, null and NaN change nothing.
    if (value.isNullish())
        return;
    double n = toNumber(value);
    if (std::isnan(n))
        return;
    switch (index) {
    case X:
    case Y:
        if (std::isinf(n))
            n = -std::numeric_limits<double>::infinity();
        (index == X ? object.matrix.tx : object.matrix.ty) = toTwips(n);
        break;
    case XScale:
    case YScale:
    case Rotation:
    case Alpha:
    case Visible:
        setPlacement(*this, object, clip, clip.object, index, n);
        break;
    case Width:
    case Height: {
        const QRectF local = spriteBounds(clip, &object);
        const double size = (index == Width ? local.width() : local.height()) / 20;
        if (size <= 0)
            break;
        cacheTransform(clip, object.matrix);
        (index == Width ? clip.scaleX : clip.scaleY) = n / size * 100;
        applyTransform(clip, object.matrix);
        break;
    }
    default:
        break;
    }
    clip.transformedByScript = true;
    host_.displayChanged();
}

void Runtime::setPlayerProperty(SpriteInstance& clip, int index, const Value& value)
{
    using Q = PlayerSettings::Quality;
    switch (index) {
    case HighQuality: {
        if (value.isNullish())
            return;
        const double n = toNumber(value);
        if (!std::isnan(n))
            settings.quality = n > 1.5 ? Q::Best : n == 0 ? Q::Low : Q::High;
        return;
    }
    case FocusRect:
        if (version_ <= 5 || !clip.parent.lock()) {
            if (value.isNullish())
                return;
            const double n = value.isObject() ? 0 : toNumber(value);
            if (!std::isnan(n))
                settings.focusRect = n != 0;
        } else {
            clip.focusRect = value.isNullish() ? 0 : toBoolean(value) ? 1 : -1;
        }
        return;
    case SoundBufTime: {
        if (value.isNullish())
            return;
        const double n = toNumber(value);
        if (!std::isnan(n))
            settings.soundBufferTime = n >= -2147483648.0 && n <= 2147483647.0 ? qint32(n) : INT32_MIN;
        return;
    }
    case Quality: {
        const QString name = toString(value).toUpper();
        static const char* names[] = {"LOW", "MEDIUM", "HIGH", "BEST"};
        for (int i = 0; i < 4; ++i)
            if (name == QLatin1String(names[i]))
                settings.quality = Q(i);
        return;
    }
    default:
        return;
    }
}

// A text field's display properties: as a clip's, but its position is
// that of its bounds' corner, and its size is the size of its bounds.
Value Runtime::getFieldProperty(EditField& field, int index)
{
    DisplayObject* placed = fieldPlacement(field);
    static const DisplayObject unplaced;
    const DisplayObject& object = placed ? *placed : unplaced;
    const QTransform t = object.matrix.toTransform();
    switch (index) {
    case X:
    case Y: {
        const QPointF corner = t.map(field.bounds.topLeft());
        return Value((index == X ? corner.x() : corner.y()) / 20);
    }
    case XScale:
    case YScale:
    case Rotation:
        cacheTransform(field, object.matrix);
        return Value(index == XScale ? field.scaleX : index == YScale ? field.scaleY : field.rotation);
    case Alpha:
        return Value(object.colorTransform.am * 100);
    case Visible:
        return Value(object.visible);
    case Width:
    case Height: {
        // The corners land on whole twips.
        double low = std::numeric_limits<double>::infinity(), high = -low;
        for (const QPointF& corner :
             {field.bounds.topLeft(), field.bounds.topRight(), field.bounds.bottomLeft(), field.bounds.bottomRight()}) {
            const QPointF p = t.map(corner);
            const double v = std::round(index == Width ? p.x() : p.y());
            low = std::min(low, v);
            high = std::max(high, v);
        }
        return Value((high - low) / 20);
    }
    case Target:
        return Value(fieldPath(field, true));
    case Name:
        return Value(placed ? placed->name : QString());
    case HighQuality:
    case SoundBufTime:
    case Quality:
    case XMouse:
    case YMouse:
        if (auto parent = field.parent.lock())
            return getProperty(*parent, index);
        return {};
    default:
        return {};
    }
}

void Runtime::setFieldProperty(EditField& field, int index, const Value& value)
{
    DisplayObject* placed = fieldPlacement(field);
    if (!placed)
        return;
    DisplayObject& object = *placed;
    if (index == Name) {
        object.name = toString(value);
        return;
    }
    if (index == HighQuality || index == SoundBufTime || index == Quality) {
        if (auto parent = field.parent.lock())
            setPlayerProperty(*parent, index, value);
        return;
    }
    if (index > Rotation || index == CurrentFrame || index == TotalFrames || value.isNullish())
        return;
    double n = toNumber(value);
    if (std::isnan(n))
        return;
    switch (index) {
    case X:
    case Y: {
        if (std::isinf(n))
            n = -std::numeric_limits<double>::infinity();
        const QTransform linear(object.matrix.a, object.matrix.b, object.matrix.c, object.matrix.d, 0, 0);
        const QPointF corner = linear.map(field.bounds.topLeft());
        if (index == X)
            object.matrix.tx = toTwips(n - corner.x() / 20);
        else
            object.matrix.ty = toTwips(n - corner.y() / 20);
        break;
    }
    case XScale:
    case YScale:
    case Rotation:
    case Alpha:
    case Visible:
        setPlacement(*this, object, field, field.object, index, n);
        break;
    case Width:
    case Height: {
        // The field's own size changes, its scale left out; the scale stays.
        if (n < 0)
            break;
        const double size = toTwips(n);
        if (index == Width)
            field.bounds.setWidth(size);
        else
            field.bounds.setHeight(size);
        field.changed();
        break;
    }
    default:
        break;
    }
    field.transformedByScript = true;
    host_.displayChanged();
}

} // namespace movie::avm1
