// Warnings for the tools: what a movie asks of the player that this engine
// does not provide. The player's own names (its globals and the members of
// its built-in objects, as the language reference of its time lists them)
// are known here; a script that reads one of them and finds nothing, or
// calls a built-in that only answers, is noted once per name.

#include "movie/DisplayList.h"
#include "movie/avm1/Runtime.h"

#include <QHash>

namespace movie::avm1 {

namespace {

// The player's global functions, classes and objects; a version after a
// colon: only movies of that version on see the name.
constexpr const char* kGlobals =
    "Accessibility AsBroadcaster Array Boolean Button Camera Color ContextMenu ContextMenuItem CustomActions Date "
    "Error Function Key LoadVars LocalConnection Math Microphone Mouse MovieClip MovieClipLoader NetConnection "
    "NetStream Number Object PrintJob Selection SharedObject Sound Stage String System TextField TextFormat "
    "TextSnapshot Video XML XMLNode XMLSocket flash:8 ASSetPropFlags ASnative clearInterval clearTimeout escape "
    "unescape isFinite isNaN parseFloat parseInt setInterval setTimeout updateAfterEvent showRedrawRegions "
    "getVersion";

// The members of the built-in objects: methods and properties of their
// instances (or of the object itself, for Math, Key, Stage, ...), and with
// a dot those of the class (String.fromCharCode). Event handlers are the
// movie's to define and are not listed.
struct PlayerClass {
    const char* name;
    const char* members;
};
constexpr PlayerClass kClasses[] = {
    {"Object",
     "addProperty hasOwnProperty isPropertyEnumerable isPrototypeOf toString unwatch valueOf watch "
     ".registerClass"},
    {"Function", "apply call"},
    {"Array",
     "concat join pop push reverse shift slice sort sortOn splice toString unshift length "
     ".CASEINSENSITIVE .DESCENDING .NUMERIC .RETURNINDEXEDARRAY .UNIQUESORT"},
    {"String",
     "charAt charCodeAt concat indexOf lastIndexOf slice split substr substring toLowerCase "
     "toUpperCase length .fromCharCode"},
    {"Number", ".MAX_VALUE .MIN_VALUE .NaN .NEGATIVE_INFINITY .POSITIVE_INFINITY"},
    {"Math",
     "abs acos asin atan atan2 ceil cos exp floor log max min pow random round sin sqrt tan E LN10 LN2 "
     "LOG10E LOG2E PI SQRT1_2 SQRT2"},
    {"Date",
     "getDate getDay getFullYear getHours getMilliseconds getMinutes getMonth getSeconds getTime "
     "getTimezoneOffset getUTCDate getUTCDay getUTCFullYear getUTCHours getUTCMilliseconds getUTCMinutes "
     "getUTCMonth getUTCSeconds getUTCYear getYear setDate setFullYear setHours setMilliseconds setMinutes "
     "setMonth setSeconds setTime setUTCDate setUTCFullYear setUTCHours setUTCMilliseconds setUTCMinutes "
     "setUTCMonth setUTCSeconds setYear .UTC"},
    {"MovieClip",
     "attachAudio attachBitmap attachMovie beginBitmapFill beginFill beginGradientFill clear "
     "createEmptyMovieClip createTextField curveTo duplicateMovieClip endFill getBounds getBytesLoaded "
     "getBytesTotal getDepth getInstanceAtDepth getNextHighestDepth getRect getSWFVersion "
     "getTextSnapshot getURL globalToLocal gotoAndPlay gotoAndStop hitTest lineGradientStyle lineStyle "
     "lineTo loadMovie loadVariables localToGlobal moveTo nextFrame play prevFrame removeMovieClip "
     "setMask startDrag stop stopDrag swapDepths unloadMovie blendMode cacheAsBitmap enabled filters "
     "focusEnabled hitArea menu opaqueBackground scale9Grid scrollRect tabChildren tabEnabled tabIndex "
     "trackAsMenu transform useHandCursor"},
    {"Button",
     "getDepth blendMode cacheAsBitmap enabled filters menu scale9Grid tabEnabled tabIndex trackAsMenu "
     "useHandCursor"},
    {"TextField",
     "addListener getDepth getNewTextFormat getTextFormat removeListener removeTextField replaceSel "
     "replaceText setNewTextFormat setTextFormat antiAliasType autoSize background backgroundColor "
     "border borderColor bottomScroll condenseWhite embedFonts filters gridFitType hscroll html "
     "htmlText length maxChars maxhscroll maxscroll mouseWheelEnabled multiline password restrict "
     "scroll selectable sharpness styleSheet tabEnabled tabIndex text textColor textHeight textWidth "
     "thickness type variable wordWrap .StyleSheet .getFontList"},
    {"TextFormat",
     "getTextExtent align blockIndent bold bullet color font indent italic kerning leading leftMargin "
     "letterSpacing rightMargin size tabStops target underline url"},
    {"Sound",
     "attachSound getBytesLoaded getBytesTotal getPan getTransform getVolume loadSound setPan "
     "setTransform setVolume start stop duration id3 position"},
    {"Color", "getRGB getTransform setRGB setTransform"},
    {"Stage", "addListener removeListener align height scaleMode showMenu width"},
    {"Key",
     "addListener getAscii getCode isAccessible isDown isToggled removeListener BACKSPACE CAPSLOCK CONTROL "
     "DELETEKEY DOWN END ENTER ESCAPE HOME INSERT LEFT PGDN PGUP RIGHT SHIFT SPACE TAB UP"},
    {"Mouse", "addListener hide removeListener show"},
    {"Selection",
     "addListener getBeginIndex getCaretIndex getEndIndex getFocus removeListener setFocus "
     "setSelection"},
    {"System", "setClipboard showSettings capabilities security exactSettings useCodepage"},
    {"AsBroadcaster", ".initialize .addListener .removeListener .broadcastMessage"},
    {"XMLNode",
     "appendChild cloneNode getNamespaceForPrefix getPrefixForNamespace hasChildNodes insertBefore "
     "removeNode toString attributes childNodes firstChild lastChild localName namespaceURI nextSibling "
     "nodeName nodeType nodeValue parentNode prefix previousSibling"},
    {"XML",
     "addRequestHeader createElement createTextNode getBytesLoaded getBytesTotal load parseXML send "
     "sendAndLoad contentType ignoreWhite status"},
    {"LoadVars", "addRequestHeader decode getBytesLoaded getBytesTotal load send sendAndLoad toString contentType"},
    {"MovieClipLoader", "addListener getProgress loadClip removeListener unloadClip"},
};

struct Member {
    int playerClass;
    QString name;
    bool ofClass; // the class's own, not its instances'
};

struct Names {
    QHash<QString, std::pair<QString, int>> globals; // folded name: name, version
    QHash<QString, std::vector<Member>> members;     // by folded name
};

const Names& names()
{
    static const Names table = [] {
        Names n;
        for (const QString& entry : QString::fromLatin1(kGlobals).split(u' ')) {
            const qsizetype colon = entry.indexOf(u':');
            const QString name = colon < 0 ? entry : entry.left(colon);
            n.globals.insert(name.toLower(), {name, colon < 0 ? 0 : entry.mid(colon + 1).toInt()});
        }
        for (int c = 0; c < int(std::size(kClasses)); ++c)
            for (const QString& entry : QString::fromLatin1(kClasses[c].members).split(u' ')) {
                const bool ofClass = entry.startsWith(u'.');
                const QString name = ofClass ? entry.mid(1) : entry;
                n.members[name.toLower()].push_back({c, name, ofClass});
            }
        return n;
    }();
    return table;
}

} // namespace

void Runtime::warn(const QString& text)
{
    if (!warned_.contains(text)) {
        warned_.insert(text);
        warnings_ << text;
    }
}

void Runtime::noteMissingGlobal(const QString& name)
{
    const auto it = names().globals.constFind(name.toLower());
    if (it == names().globals.cend() || (caseSensitive() && it->first != name) || version_ < it->second)
        return;
    if (!global_->properties.find(key(name)))
        warn(QStringLiteral("not provided: %1").arg(it->first));
}

namespace {

int classIndex(const char* name)
{
    for (int c = 0; c < int(std::size(kClasses)); ++c)
        if (qstrcmp(kClasses[c].name, name) == 0)
            return c;
    return -1;
}

// The player's classes an object belongs to: a clip's, those whose
// prototype is on its chain, and the class or object it is itself (for
// names such as String.fromCharCode or Key.isDown); with whether the
// object is that class's constructor.
std::vector<std::pair<int, bool>> playerClasses(Runtime& rt, Object* o)
{
    std::vector<std::pair<int, bool>> found;
    if (!o)
        return found;
    std::vector<Object*> chain;
    for (Object* p = o; p && chain.size() < 64; p = rt.protoOf(p))
        chain.push_back(p);
    if (o->kind == Object::Kind::Clip)
        found.emplace_back(classIndex(rt.typeOf(Value(o)) == QLatin1String("object") ? "Button" : "MovieClip"), false);
    for (int c = 0; c < int(std::size(kClasses)); ++c) {
        const Property* p = rt.global()->properties.find(rt.key(QString::fromLatin1(kClasses[c].name)));
        Object* g = p && !p->isVirtual() ? p->value.object() : nullptr;
        if (!g)
            continue;
        const Property* proto = g->properties.find(rt.key(QStringLiteral("prototype")));
        Object* prototype = proto && !proto->isVirtual() ? proto->value.object() : nullptr;
        if (g == o)
            found.emplace_back(c, g->isFunction());
        else if (prototype && std::find(chain.begin(), chain.end(), prototype) != chain.end())
            found.emplace_back(c, false);
    }
    return found;
}

// The player's name for a member of the object: Class.member, or empty.
QString playerMember(Runtime& rt, Object* o, const QString& name)
{
    const auto it = names().members.constFind(name.toLower());
    if (it == names().members.cend())
        return {};
    for (const auto& [c, ofClass] : playerClasses(rt, o))
        for (const Member& m : *it)
            if (m.playerClass == c && m.ofClass == ofClass && (!rt.caseSensitive() || m.name == name))
                return QLatin1String(kClasses[c].name) + u'.' + m.name;
    return {};
}

// Whether the object has the name anywhere, whatever the version may see.
bool definedAnywhere(Runtime& rt, Object* o, const QString& name)
{
    if (rt.hasProperty(o, name))
        return true;
    const QString k = rt.key(name);
    for (Object* p = o; p; p = rt.protoOf(p))
        if (p->properties.find(k))
            return true;
    return false;
}

} // namespace

void Runtime::noteMissingMember(const Value& on, const QString& name)
{
    Object* o = on.object();
    if (!o || !names().members.contains(name.toLower()) || definedAnywhere(*this, o, name))
        return;
    if (const QString member = playerMember(*this, o, name); !member.isEmpty())
        warn(QStringLiteral("not provided: %1").arg(member));
}

void Runtime::noteInert(const NativeCall& call)
{
    if (!call.callee || !call.self || inertNoted_.contains(call.callee))
        return;
    inertNoted_.insert(call.callee);
    QString name;
    auto nameIn = [&](Object* o) {
        o->properties.forEach([&](const Property& property) {
            if (name.isEmpty() && property.value.object() == call.callee)
                name = property.name;
        });
    };
    // A class of the player's that does nothing (XMLSocket, ...).
    if (call.constructing) {
        nameIn(global_);
        if (!name.isEmpty())
            warn(QStringLiteral("does nothing here: %1").arg(name));
        return;
    }
    for (Object* p = call.self; p && name.isEmpty(); p = protoOf(p))
        nameIn(p);
    if (name.isEmpty())
        return;
    const QString member = playerMember(*this, call.self, name);
    warn(QStringLiteral("does nothing here: %1").arg(member.isEmpty() ? name : member));
}

} // namespace movie::avm1
