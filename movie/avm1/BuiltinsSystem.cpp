// System and its capabilities, answering as the Windows player of the
// movie's time, and the player's objects a title has no use for in the
// editor (camera, network, printing, context menus), which do nothing.

#include "movie/avm1/Builtins.h"

namespace movie::avm1 {

namespace {

// Built-ins that answer without doing anything; the tools say so.
Value inert(Runtime& rt, NativeCall& c)
{
    rt.noteInert(c);
    return {};
}

Value inertConstructor(Runtime& rt, NativeCall& c)
{
    rt.noteInert(c);
    return c.constructing ? Value(c.self) : Value();
}

Value alwaysFalse(Runtime&, NativeCall&) { return Value(false); }

// The version text of the player a movie of `version` was made for.
QString playerVersion(int version)
{
    if (version <= 6)
        return QStringLiteral("WIN 6,0,79,0");
    if (version == 7)
        return QStringLiteral("WIN 7,0,19,0");
    if (version == 8)
        return QStringLiteral("WIN 8,0,24,0");
    if (version == 9)
        return QStringLiteral("WIN 9,0,115,0");
    return QStringLiteral("WIN 10,0,45,2");
}

Object* capabilities(Runtime& rt)
{
    Object* o = rt.newObject();
    auto text = [&](const char* name, const QString& value) { rt.set(o, QString::fromLatin1(name), Value(value)); };
    auto flag = [&](const char* name, bool value) { rt.set(o, QString::fromLatin1(name), Value(value)); };
    auto number = [&](const char* name, double value) { rt.set(o, QString::fromLatin1(name), Value(value)); };
    flag("avHardwareDisable", false);
    flag("hasAccessibility", true);
    flag("hasAudio", true);
    flag("hasAudioEncoder", true);
    flag("hasEmbeddedVideo", true);
    flag("hasMP3", true);
    flag("hasPrinting", true);
    flag("hasScreenBroadcast", false);
    flag("hasScreenPlayback", false);
    flag("hasStreamingAudio", true);
    flag("hasStreamingVideo", true);
    flag("hasVideoEncoder", true);
    flag("isDebugger", false);
    flag("localFileReadDisable", false);
    text("language", QStringLiteral("en"));
    text("manufacturer", rt.version() <= 8 ? QStringLiteral("Macromedia Windows") : QStringLiteral("Adobe Windows"));
    text("os", QStringLiteral("Windows XP"));
    text("playerType", QStringLiteral("ActiveX"));
    text("screenColor", QStringLiteral("color"));
    number("pixelAspectRatio", 1);
    number("screenDPI", 96);
    number("screenResolutionX", 1024);
    number("screenResolutionY", 768);
    text("version", playerVersion(rt.version()));
    return o;
}

void defineInertClass(Runtime& rt, Object* global, const char* name)
{
    Object* cls = rt.newClass(inertConstructor, rt.newObject());
    rt.define(global, QString::fromLatin1(name), Value(cls), DontEnum);
}

} // namespace

void installSystemBuiltins(Runtime& rt, Object* global)
{
    Object* system = rt.newObject();
    rt.define(system, QStringLiteral("capabilities"), Value(capabilities(rt)), DontEnum);
    Object* security = rt.newObject();
    defineMethods(rt, security, {{"allowDomain", inert}, {"allowInsecureDomain", inert}, {"loadPolicyFile", inert}});
    rt.define(system, QStringLiteral("security"), Value(security), DontEnum);
    Object* ime = rt.newObject();
    initializeBroadcaster(rt, ime);
    defineMethods(rt, ime, {{"getEnabled", alwaysFalse}, {"setEnabled", alwaysFalse}});
    rt.define(system, QStringLiteral("IME"), Value(ime), DontEnum);
    rt.set(system, QStringLiteral("useCodepage"), Value(false));
    rt.set(system, QStringLiteral("exactSettings"), Value(true));
    defineMethods(rt, system, {{"setClipboard", alwaysFalse}, {"showSettings", inert}});
    rt.define(global, QStringLiteral("System"), Value(system), DontEnum);

    Object* accessibility = rt.newObject();
    defineMethods(rt, accessibility, {{"isActive", alwaysFalse}, {"updateProperties", inert}});
    rt.define(global, QStringLiteral("Accessibility"), Value(accessibility), DontEnum);
    for (const char* name : {"Camera", "ContextMenu", "ContextMenuItem", "LocalConnection", "Microphone",
                             "NetConnection", "NetStream", "PrintJob", "SharedObject", "Video", "XMLSocket"})
        defineInertClass(rt, global, name);
    for (const auto& [package, name] : {std::pair{"external", "ExternalInterface"}, std::pair{"net", "FileReference"},
                                        std::pair{"net", "FileReferenceList"}, std::pair{"text", "TextRenderer"}})
        defineInertClass(rt, flashPackage(rt, global, package), name);
}

} // namespace movie::avm1
