// The action interpreter: reads a block of actions and runs it on the
// runtime's stack, one action at a time, each from the step's budget.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/Operators.h"
#include "movie/avm1/Runtime.h"
#include "movie/format/FileText.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace movie::avm1 {

namespace {

enum Op : quint8 {
    End = 0x00,
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    ToggleQuality = 0x08,
    StopSounds = 0x09,
    Add = 0x0A,
    Subtract = 0x0B,
    Multiply = 0x0C,
    Divide = 0x0D,
    Equals = 0x0E,
    Less = 0x0F,
    And = 0x10,
    Or = 0x11,
    Not = 0x12,
    StringEquals = 0x13,
    StringLength = 0x14,
    StringExtract = 0x15,
    Pop = 0x17,
    ToInteger = 0x18,
    GetVariable = 0x1C,
    SetVariable = 0x1D,
    SetTarget2 = 0x20,
    StringAdd = 0x21,
    GetProperty = 0x22,
    SetProperty = 0x23,
    CloneSprite = 0x24,
    RemoveSprite = 0x25,
    Trace = 0x26,
    StartDrag = 0x27,
    EndDrag = 0x28,
    StringLess = 0x29,
    Throw = 0x2A,
    CastOp = 0x2B,
    ImplementsOp = 0x2C,
    RandomNumber = 0x30,
    MBStringLength = 0x31,
    CharToAscii = 0x32,
    AsciiToChar = 0x33,
    GetTime = 0x34,
    MBStringExtract = 0x35,
    MBCharToAscii = 0x36,
    MBAsciiToChar = 0x37,
    Delete = 0x3A,
    Delete2 = 0x3B,
    DefineLocal = 0x3C,
    CallFunction = 0x3D,
    Return = 0x3E,
    Modulo = 0x3F,
    NewObject = 0x40,
    DefineLocal2 = 0x41,
    InitArray = 0x42,
    InitObject = 0x43,
    TypeOf = 0x44,
    TargetPath = 0x45,
    Enumerate = 0x46,
    Add2 = 0x47,
    Less2 = 0x48,
    Equals2 = 0x49,
    ToNumber = 0x4A,
    ToString = 0x4B,
    PushDuplicate = 0x4C,
    StackSwap = 0x4D,
    GetMember = 0x4E,
    SetMember = 0x4F,
    Increment = 0x50,
    Decrement = 0x51,
    CallMethod = 0x52,
    NewMethod = 0x53,
    InstanceOf = 0x54,
    Enumerate2 = 0x55,
    BitAnd = 0x60,
    BitOr = 0x61,
    BitXor = 0x62,
    BitLShift = 0x63,
    BitRShift = 0x64,
    BitURShift = 0x65,
    StrictEquals = 0x66,
    Greater = 0x67,
    StringGreater = 0x68,
    Extends = 0x69,
    GotoFrame = 0x81,
    GetURL = 0x83,
    StoreRegister = 0x87,
    ConstantPool = 0x88,
    WaitForFrame = 0x8A,
    SetTarget = 0x8B,
    GotoLabel = 0x8C,
    WaitForFrame2 = 0x8D,
    DefineFunction2 = 0x8E,
    Try = 0x8F,
    With = 0x94,
    Push = 0x96,
    Jump = 0x99,
    GetURL2 = 0x9A,
    DefineFunction = 0x9B,
    If = 0x9D,
    Call = 0x9E,
    GotoFrame2 = 0x9F,
};

// DefineFunction2's flags.
enum FunctionFlag : quint16 {
    PreloadThis = 0x0001,
    SuppressThis = 0x0002,
    PreloadArguments = 0x0004,
    SuppressArguments = 0x0008,
    PreloadSuper = 0x0010,
    SuppressSuper = 0x0020,
    PreloadRoot = 0x0040,
    PreloadParent = 0x0080,
    PreloadGlobal = 0x0100,
};

// Reads an action's payload, bounded by it.
class Payload {
public:
    Payload(const QByteArray& code, int begin, int end) : data_(code.constData()), pos_(begin), end_(end) {}
    bool atEnd() const { return pos_ >= end_; }
    int pos() const { return pos_; }
    quint8 u8() { return pos_ < end_ ? static_cast<quint8>(data_[pos_++]) : 0; }
    quint16 u16()
    {
        const quint16 lo = u8();
        return static_cast<quint16>(lo | (u8() << 8));
    }
    qint16 s16() { return static_cast<qint16>(u16()); }
    quint32 u32()
    {
        const quint32 lo = u16();
        return lo | (quint32(u16()) << 16);
    }
    QByteArrayView string()
    {
        const int start = pos_;
        while (pos_ < end_ && data_[pos_] != 0)
            ++pos_;
        const QByteArrayView s(data_ + start, pos_ - start);
        if (pos_ < end_)
            ++pos_; // the terminator
        return s;
    }

private:
    const char* data_;
    int pos_;
    int end_;
};

enum class Flow { Normal, Return };

// One activation's run: the loop and the actions that need more than a line.
class Machine {
public:
    Machine(Runtime& rt, Activation& a) : rt_(rt), a_(a) {}

    Flow run(int begin, int end, Value& result);

private:
    Value pop()
    {
        auto& s = rt_.stack();
        if (s.empty())
            return {};
        Value v = std::move(s.back());
        s.pop_back();
        return v;
    }
    void push(Value v)
    {
        auto& s = rt_.stack();
        if (qsizetype(s.size()) >= limits::kMaxStackValues)
            throw ScriptAbort{};
        rt_.heap().charge(v);
        s.push_back(std::move(v));
    }
    QString text(QByteArrayView bytes) const { return decodeFileText(bytes, a_.version); }
    std::vector<Value> popArgs();
    Value& registerAt(int index, bool& ok);
    // The clip timeline actions steer: tellTarget's, else the code's own;
    // a target taken away gives way as the scope's timeline does.
    std::shared_ptr<SpriteInstance> target() { return rt_.clipOf(rt_.liveTimeline(a_, a_.target)); }
    std::shared_ptr<SpriteInstance> targetOrRoot();
    // Whether the clip this code belongs to has been taken away: then the
    // code ends after any call it makes (not after a goto).
    bool baseClipGone() const
    {
        if (!a_.baseClip || a_.baseClip->kind != Object::Kind::Clip)
            return false;
        const auto clip = a_.baseClip->clip.lock();
        return !clip || clip->removed;
    }

    void doPush(Payload p);
    void doCall(const Value& frame);
    void setTarget(const QString& path);
    void setTarget2(const Value& target);
    Object* defineFunction(Payload p, int bodyBegin, bool two, int& bodySize);
    void callFunction();
    // The object and method of a CallMethod or NewMethod, and its arguments;
    // null (and undefined pushed) for a call on undefined or null.
    Object* methodCall(QString& method, std::vector<Value>& args);
    // These two tell whether they made a call.
    bool callMethod();
    void newObject();
    bool newMethod();
    void defineLocal(const QString& name, const Value& value, bool onlyIfMissing);
    bool deleteVariable(const QString& name);
    void enumerate(const Value& on);
    Flow doTry(Payload p, int blocksBegin, int& next, Value& result);
    Flow doWith(int begin, int size, Value& result);
    void extends();
    // GetURL and GetURL2: fscommand, or a file to load or unload.
    void getUrl(const QString& url, const Value& target, quint8 flags);
    bool frameLoaded(const Value& frame);

    Runtime& rt_;
    Activation& a_;
};

std::vector<Value> Machine::popArgs()
{
    const double n = rt_.toNumber(pop());
    const qsizetype count = std::isnan(n) || n < 0 ? 0 : qsizetype(std::min<double>(n, double(rt_.stack().size())));
    std::vector<Value> args;
    args.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        args.push_back(pop());
    return args;
}

Value& Machine::registerAt(int index, bool& ok)
{
    static Value scratch;
    ok = true;
    // A function's own registers first; past them, the four shared ones.
    if (index < int(a_.registers.size()))
        return a_.registers[size_t(index)];
    if (index < 4)
        return rt_.registers[index];
    ok = false;
    scratch = Value();
    return scratch;
}

std::shared_ptr<SpriteInstance> Machine::targetOrRoot()
{
    if (auto t = target())
        return t;
    auto base = rt_.clipOf(a_.baseClip);
    SpriteInstance* root = rootOf(base ? base.get() : rt_.host().level(0));
    return root ? root->shared_from_this() : nullptr;
}

void Machine::doPush(Payload p)
{
    while (!p.atEnd()) {
        const quint8 type = p.u8();
        switch (type) {
        case 0:
            push(Value(text(p.string())));
            break;
        case 1: {
            const quint32 bits = p.u32();
            float f = 0;
            std::memcpy(&f, &bits, sizeof f);
            push(Value(double(f)));
            break;
        }
        case 2:
            push(Value::null());
            break;
        case 3:
            push(Value());
            break;
        case 4: {
            bool ok = false;
            push(registerAt(p.u8(), ok));
            break;
        }
        case 5:
            push(Value(p.u8() != 0));
            break;
        case 6: {
            // The high word comes first.
            const quint64 high = p.u32();
            const quint64 bits = (high << 32) | p.u32();
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            push(Value(d));
            break;
        }
        case 7:
            push(Value(double(qint32(p.u32()))));
            break;
        case 8:
        case 9: {
            const int index = type == 8 ? p.u8() : p.u16();
            const auto& pool = a_.constants;
            push(pool && index < pool->size() ? Value(pool->at(index)) : Value());
            break;
        }
        default:
            return; // an unknown type: nothing after it can be read
        }
    }
}

Flow Machine::run(int begin, int end, Value& result)
{
    const QByteArray& code = a_.code;
    const auto* bytes = reinterpret_cast<const uchar*>(code.constData());
    end = std::min(end, int(code.size()));
    int pc = begin;
    while (pc >= begin && pc < end) {
        rt_.spend();
        const quint8 op = bytes[pc];
        if (op == End)
            return Flow::Normal;
        int payload = pc + 1;
        int length = 0;
        if (op >= 0x80) {
            if (pc + 3 > end)
                return Flow::Normal;
            length = bytes[pc + 1] | (bytes[pc + 2] << 8);
            payload = pc + 3;
        }
        int next = payload + length;
        if (next > end)
            return Flow::Normal; // cut off
        Payload p(code, payload, next);

        switch (op) {
        case NextFrame:
        case PreviousFrame:
            if (auto clip = target())
                rt_.stepFrame(*clip, op == NextFrame ? 1 : -1);
            break;
        case Play:
            if (auto clip = target())
                clip->playing = true;
            break;
        case Stop:
            if (auto clip = target())
                clip->playing = false;
            break;
        case ToggleQuality:
            break;
        case StopSounds:
            rt_.host().stopSounds();
            break;
        case Add:
        case Multiply:
        case Less: {
            // The left operand converts first for these three.
            const Value right = pop();
            const double x = rt_.toNumber(pop());
            const double b = rt_.toNumber(right);
            push(op == Add ? Value(x + b) : op == Multiply ? Value(x * b) : Value(x < b));
            break;
        }
        case Subtract:
        case Divide:
        case Modulo:
        case Equals: {
            const double b = rt_.toNumber(pop());
            const double x = rt_.toNumber(pop());
            if (op == Divide && b == 0 && a_.version < 5)
                push(Value(QStringLiteral("#ERROR#")));
            else if (op == Equals)
                push(Value(x == b));
            else
                push(Value(op == Subtract ? x - b : op == Divide ? x / b : std::fmod(x, b)));
            break;
        }
        case And:
        case Or: {
            const bool b = rt_.toBoolean(pop());
            const bool x = rt_.toBoolean(pop());
            push(Value(op == And ? (x && b) : (x || b)));
            break;
        }
        case Not:
            push(Value(!rt_.toBoolean(pop())));
            break;
        case StringEquals:
        case StringLess:
        case StringGreater: {
            const QString b = rt_.toString(pop());
            const QString x = rt_.toString(pop());
            push(Value(op == StringEquals ? x == b : op == StringLess ? x < b : x > b));
            break;
        }
        case StringLength:
        case MBStringLength:
            push(Value(int(rt_.toString(pop()).size())));
            break;
        case StringExtract:
        case MBStringExtract: {
            const qint32 count = rt_.toInt32(pop());
            const qint32 index = rt_.toInt32(pop());
            const QString s = rt_.toString(pop());
            const qsizetype start = std::min<qsizetype>(index >= 1 ? index - 1 : 0, s.size());
            qsizetype stop = s.size();
            if (count >= 0 && start + count <= s.size())
                stop = start + count;
            push(Value(s.mid(start, stop - start)));
            break;
        }
        case Pop:
            pop();
            break;
        case ToInteger:
            push(Value(double(rt_.toInt32(pop()))));
            break;
        case GetVariable: {
            const QString name = rt_.toString(pop());
            Value v = rt_.getVariable(a_, name);
            if (v.isUndefined())
                rt_.noteMissingGlobal(name);
            if (a_.version <= 4 && v.object() && v.object()->kind == Object::Kind::Clip)
                v = Value();
            push(v);
            break;
        }
        case SetVariable: {
            const Value v = pop();
            rt_.setVariable(a_, rt_.toString(pop()), v);
            break;
        }
        case SetTarget2:
            setTarget2(pop());
            break;
        case StringAdd: {
            const QString b = rt_.toString(pop());
            const QString x = rt_.toString(pop());
            push(Value(rt_.checkedString(x + b)));
            break;
        }
        case GetProperty: {
            const double index = rt_.toNumber(pop());
            const Value path = pop();
            std::shared_ptr<SpriteInstance> clip = rt_.targetClip(a_, path);
            Value v;
            if (clip && std::isfinite(index) && index > -1)
                v = rt_.getProperty(*clip, int(index));
            else if (auto field = clip ? nullptr : rt_.targetField(a_, path); field && index > -1 && index < 22)
                v = rt_.getFieldProperty(*field, int(index));
            push(v);
            break;
        }
        case SetProperty: {
            const Value v = pop();
            const double index = rt_.toNumber(pop());
            const Value path = pop();
            std::shared_ptr<SpriteInstance> clip = rt_.targetClip(a_, path);
            const int property = std::isfinite(index) && index > -1 && index < 22 ? int(index) : -1;
            // Without a clip or a setter the value is still converted, as it would be.
            if (property >= 0 && (!clip || Runtime::isReadOnlyProperty(property)))
                rt_.coerceProperty(property, v);
            if (clip && property >= 0)
                rt_.setProperty(*clip, property, v);
            else if (auto field = clip ? nullptr : rt_.targetField(a_, path); field && property >= 0)
                rt_.setFieldProperty(*field, property, v);
            break;
        }
        case CloneSprite: {
            const int depth = rt_.toInt32(pop());
            const QString name = rt_.toString(pop());
            const Value target = pop();
            if (auto clip = rt_.targetClip(a_, target))
                rt_.duplicateClip(*clip, name, depth, nullptr);
            else if (auto field = rt_.targetField(a_, target); field && depth >= 0)
                rt_.host().duplicateTextField(*field, name, depth);
            break;
        }
        case RemoveSprite: {
            const Value target = pop();
            if (auto clip = rt_.targetClip(a_, target))
                rt_.removeClip(*clip);
            else if (auto field = rt_.targetField(a_, target))
                rt_.removeField(*field);
            break;
        }
        case Trace: {
            const Value v = pop();
            rt_.host().trace(v.isUndefined() ? QStringLiteral("undefined") : rt_.toString(v));
            break;
        }
        case StartDrag: {
            pop();
            pop();
            if (rt_.toBoolean(pop()))
                for (int i = 0; i < 4; ++i)
                    pop();
            break;
        }
        case EndDrag:
            break;
        case Throw:
            throw ScriptThrow{pop()};
        case CastOp: {
            const Value object = pop();
            const Value constructor = pop();
            push(rt_.instanceOf(object, constructor) ? object : Value::null());
            break;
        }
        case ImplementsOp: {
            // The class's prototype keeps the interfaces for instanceof.
            const Value constructor = pop();
            const std::vector<Value> interfaces = popArgs();
            Object* c = constructor.object();
            Object* prototype = c ? rt_.get(c, QStringLiteral("prototype")).object() : nullptr;
            if (prototype) {
                prototype->interfaces.clear();
                for (const Value& i : interfaces)
                    if (Object* o = i.object())
                        prototype->interfaces.push_back(o);
            }
            break;
        }
        case RandomNumber: {
            const qint32 max = rt_.toInt32(pop());
            push(Value(max > 0 ? double(rt_.nextRandom() % quint32(max)) : 0.0));
            break;
        }
        case CharToAscii:
        case MBCharToAscii: {
            // Half a surrogate pair reads as the replacement character.
            const QString s = rt_.toString(pop());
            push(Value(s.isEmpty() ? 0 : s[0].isSurrogate() ? 0xFFFD : int(s[0].unicode())));
            break;
        }
        case AsciiToChar:
        case MBAsciiToChar: {
            const quint32 c = toUint32(rt_.toNumber(pop())) & 0xFFFF;
            push(c == 0 ? Value(QString()) : Value(QString(QChar(char16_t(c)))));
            break;
        }
        case GetTime:
            push(Value(rt_.elapsedMs()));
            break;
        case Delete: {
            const QString name = rt_.toString(pop());
            Object* o = pop().object();
            push(Value(o && rt_.deleteProperty(o, name)));
            break;
        }
        case Delete2:
            push(Value(deleteVariable(rt_.toString(pop()))));
            break;
        case DefineLocal: {
            const Value v = pop();
            defineLocal(rt_.toString(pop()), v, false);
            break;
        }
        case DefineLocal2:
            defineLocal(rt_.toString(pop()), Value(), true);
            break;
        case CallFunction:
            callFunction();
            if (baseClipGone())
                return Flow::Normal;
            break;
        case Return:
            result = pop();
            return Flow::Return;
        case NewObject:
            newObject();
            if (baseClipGone())
                return Flow::Normal;
            break;
        case InitArray: {
            const double n = rt_.toNumber(pop());
            if (!(n >= 0 && n <= 2147483647.0)) {
                push(Value());
                break;
            }
            const qsizetype count = std::min<qsizetype>(qsizetype(n), qsizetype(rt_.stack().size()));
            std::vector<Value> items;
            items.reserve(size_t(count));
            for (qsizetype i = 0; i < count; ++i)
                items.push_back(pop());
            push(Value(rt_.newArray(items)));
            break;
        }
        case InitObject: {
            const double n = rt_.toNumber(pop());
            if (!(n >= 0 && n <= 2147483647.0)) {
                push(Value());
                break;
            }
            Object* o = rt_.newObject();
            const qsizetype count = std::min<qsizetype>(qsizetype(n), qsizetype(rt_.stack().size() / 2 + 1));
            for (qsizetype i = 0; i < count; ++i) {
                const Value v = pop();
                rt_.set(o, rt_.toString(pop()), v);
            }
            push(Value(o));
            break;
        }
        case TypeOf:
            push(Value(rt_.typeOf(pop())));
            break;
        case TargetPath: {
            const Value v = pop();
            auto clip = rt_.clipOf(v);
            push(clip ? Value(rt_.targetPath(*clip)) : Value());
            break;
        }
        case Enumerate: {
            const QString name = rt_.toString(pop());
            enumerate(rt_.getVariable(a_, name));
            break;
        }
        case Enumerate2:
            enumerate(pop());
            break;
        case Add2: {
            const Value b = pop();
            push(add(rt_, pop(), b));
            break;
        }
        case Less2: {
            const Value b = pop();
            push(lessThan(rt_, pop(), b));
            break;
        }
        case Greater: {
            const Value b = pop();
            const Value x = pop();
            push(lessThan(rt_, b, x));
            break;
        }
        case Equals2: {
            const Value b = pop();
            push(Value(looseEquals(rt_, pop(), b)));
            break;
        }
        case StrictEquals: {
            const Value b = pop();
            push(Value(strictEquals(rt_, pop(), b)));
            break;
        }
        case ToNumber:
            push(Value(rt_.toNumber(pop())));
            break;
        case ToString:
            push(Value(rt_.toString(pop())));
            break;
        case PushDuplicate: {
            const Value v = pop();
            push(v);
            push(v);
            break;
        }
        case StackSwap: {
            const Value b = pop();
            const Value x = pop();
            push(b);
            push(x);
            break;
        }
        case GetMember: {
            const QString name = rt_.toString(pop());
            const Value on = pop();
            Value v = rt_.get(on, name);
            if (v.isUndefined())
                rt_.noteMissingMember(on, name);
            push(std::move(v));
            break;
        }
        case SetMember: {
            const Value v = pop();
            const QString name = rt_.toString(pop());
            if (Object* o = pop().object())
                rt_.set(o, name, v);
            break;
        }
        case Increment:
            push(Value(rt_.toNumber(pop()) + 1));
            break;
        case Decrement:
            push(Value(rt_.toNumber(pop()) - 1));
            break;
        case CallMethod:
        case NewMethod:
            // A call on undefined or null does nothing, and checks nothing.
            if ((op == CallMethod ? callMethod() : newMethod()) && baseClipGone())
                return Flow::Normal;
            break;
        case InstanceOf: {
            const Value constructor = pop();
            push(Value(rt_.instanceOf(pop(), constructor)));
            break;
        }
        case BitAnd:
        case BitOr:
        case BitXor:
        case BitLShift:
        case BitRShift:
        case BitURShift: {
            const qint32 b = rt_.toInt32(pop());
            const qint32 x = rt_.toInt32(pop());
            double r = 0;
            if (op == BitAnd)
                r = x & b;
            else if (op == BitOr)
                r = x | b;
            else if (op == BitXor)
                r = x ^ b;
            else if (op == BitLShift)
                r = qint32(quint32(x) << (b & 31));
            else if (op == BitRShift)
                r = x >> (b & 31);
            else if (a_.version == 8 || a_.version == 9)
                r = qint32(quint32(x) >> (b & 31)); // these versions give the bits back signed
            else
                r = quint32(x) >> (b & 31);
            push(Value(r));
            break;
        }
        case Extends:
            extends();
            break;
        case GotoFrame: {
            const int frame = p.u16();
            if (auto clip = target())
                rt_.gotoFrame(*clip, frame, true);
            break;
        }
        case GetURL: {
            const QString url = text(p.string());
            getUrl(url, Value(text(p.string())), 0);
            break;
        }
        case StoreRegister: {
            bool ok = false;
            Value& r = registerAt(p.u8(), ok);
            const auto& s = rt_.stack();
            if (ok)
                r = s.empty() ? Value() : s.back();
            break;
        }
        case ConstantPool: {
            auto pool = std::make_shared<QStringList>();
            const int count = p.u16();
            for (int i = 0; i < count && !p.atEnd(); ++i)
                pool->append(text(p.string()));
            a_.constants = pool;
            rt_.setConstants(pool);
            break;
        }
        case WaitForFrame: {
            const int frame = p.u16();
            const int skip = p.u8();
            if (frame > 16000)
                for (int i = 0; i < skip && next < end; ++i)
                    next += 1
                        + (bytes[next] >= 0x80 && next + 2 < end ? 2 + (bytes[next + 1] | (bytes[next + 2] << 8)) : 0);
            break;
        }
        case WaitForFrame2: {
            const int skip = p.u8();
            if (!frameLoaded(pop()))
                for (int i = 0; i < skip && next < end; ++i)
                    next += 1
                        + (bytes[next] >= 0x80 && next + 2 < end ? 2 + (bytes[next + 1] | (bytes[next + 2] << 8)) : 0);
            break;
        }
        case SetTarget:
            setTarget(text(p.string()));
            break;
        case GotoLabel: {
            const QString label = text(p.string());
            if (auto clip = target()) {
                const int frame = clip->timeline->findLabel(a_.version >= 6 ? label.toUtf8() : label.toLatin1());
                if (frame >= 0)
                    rt_.gotoFrame(*clip, frame, true);
            }
            break;
        }
        case DefineFunction:
        case DefineFunction2: {
            int size = 0;
            Object* f = defineFunction(p, next, op == DefineFunction2, size);
            if (f && !f->script->name.isEmpty())
                defineLocal(f->script->name, Value(f), false);
            else if (f)
                push(Value(f));
            next += size;
            break;
        }
        case Try: {
            if (doTry(p, next, next, result) == Flow::Return)
                return Flow::Return;
            break;
        }
        case With: {
            const int size = p.u16();
            if (doWith(next, std::min(size, end - next), result) == Flow::Return)
                return Flow::Return;
            next += size;
            break;
        }
        case Push:
            doPush(p);
            break;
        case Jump:
            next += p.s16();
            break;
        case If: {
            const int offset = p.s16();
            if (rt_.toBoolean(pop()))
                next += offset;
            break;
        }
        case GetURL2: {
            const quint8 flags = p.u8();
            const Value window = pop();
            getUrl(rt_.toString(pop()), window, flags);
            break;
        }
        case Call:
            doCall(pop());
            if (baseClipGone())
                return Flow::Normal;
            break;
        case GotoFrame2: {
            const quint8 flags = p.u8();
            const int bias = (flags & 2) ? p.u16() : 0;
            if (auto clip = targetOrRoot())
                rt_.gotoFrameValue(clip, pop(), !(flags & 1), bias);
            break;
        }
        default:
            break; // unknown or inert: skipped on purpose
        }
        pc = next;
    }
    return Flow::Normal;
}

// Restores the scope of an activation when a block ends, however it ends.
struct ScopeRestore {
    Activation& a;
    Scope* saved;
    ~ScopeRestore() { a.scope = saved; }
};

void Machine::doCall(const Value& frame)
{
    auto clip = targetOrRoot();
    if (!clip)
        return;
    bool found = false;
    const int number = rt_.frameOf(a_, clip, frame, found);
    if (!found || !clip || number < 1 || number > clip->timeline->frameCount())
        return;
    // The frame's scripts run now, as calls on that clip.
    const Frame& f = clip->timeline->frames[size_t(number - 1)];
    for (const ActionList& script : f.scripts) {
        CallDepth depth(rt_);
        Object* self = rt_.clipObject(*clip);
        Activation child;
        child.code = script;
        child.end = int(script.size());
        child.scope = rt_.timelineScope(self);
        child.thisValue = Value(self);
        child.baseClip = self;
        child.target = self;
        child.version = a_.version;
        child.constants = rt_.constants();
        rt_.execute(child);
    }
}

Scope* withTarget(Runtime& rt, Scope* scope, Object* clip, int guard = 0)
{
    if (!scope || guard > 1000)
        return scope;
    if (scope->kind == Scope::Kind::Target)
        return rt.heap().make<Scope>(Scope::Kind::Target, clip, scope->parent);
    return rt.heap().make<Scope>(scope->kind, scope->values, withTarget(rt, scope->parent, clip, guard + 1));
}

void Machine::setTarget(const QString& path)
{
    auto base = rt_.clipOf(a_.baseClip);
    Object* target = nullptr;
    if (path.isEmpty()) {
        target = a_.baseClip;
    } else if (base) {
        Object* found = rt_.resolveTargetPath(a_, a_.baseClip, path, true, false);
        if (rt_.clipOf(found))
            target = found;
    }
    // A clip taken away is no target: then names resolve on the root.
    if (target && target->kind == Object::Kind::Clip) {
        const auto clip = target->clip.lock();
        if (!clip || clip->removed)
            target = nullptr;
    }
    a_.target = target;
    Object* scopeClip = target;
    if (!scopeClip) {
        auto root = targetOrRoot();
        scopeClip = root ? rt_.clipObject(*root) : a_.baseClip;
    }
    a_.scope = withTarget(rt_, a_.scope, scopeClip);
}

void Machine::setTarget2(const Value& target)
{
    if (!rt_.clipOf(a_.baseClip)) {
        a_.target = nullptr;
        return;
    }
    if (!target.isUndefined()) {
        setTarget(rt_.toString(target));
        return;
    }
    a_.target = a_.version > 6 ? nullptr : a_.baseClip;
    a_.scope = withTarget(rt_, a_.scope, a_.target ? a_.target : a_.baseClip);
}

Object* Machine::defineFunction(Payload p, int bodyBegin, bool two, int& bodySize)
{
    auto f = std::make_unique<ScriptFunction>();
    f->name = text(p.string());
    const int params = p.u16();
    if (two) {
        f->two = true;
        f->registerCount = p.u8();
        f->flags = p.u16();
    }
    for (int i = 0; i < params && !p.atEnd(); ++i) {
        ScriptFunction::Param param;
        if (two)
            param.reg = p.u8();
        param.name = text(p.string());
        f->params.push_back(param);
    }
    bodySize = p.u16();
    f->code = a_.code;
    f->begin = bodyBegin;
    f->end = std::min(bodyBegin + bodySize, a_.end);
    f->scope = a_.scope;
    f->constants = a_.constants;
    f->baseClip = a_.baseClip;
    Object* function = rt_.newFunction(nullptr);
    function->script = std::move(f);
    Object* prototype = rt_.newObject();
    rt_.define(prototype, QStringLiteral("constructor"), Value(function), DontEnum);
    rt_.define(function, QStringLiteral("prototype"), Value(prototype), DontEnum | DontDelete);
    return function;
}

void Machine::callFunction()
{
    const QString name = rt_.toString(pop());
    const std::vector<Value> args = popArgs();
    Object* owner = nullptr;
    const Value function = rt_.getVariable(a_, name, &owner);
    if (function.isUndefined())
        rt_.noteMissingGlobal(name);
    Value self;
    if (owner) {
        self = Value(owner);
    } else if (auto clip = targetOrRoot()) {
        self = Value(rt_.clipObject(*clip));
    }
    push(rt_.call(function, self, args));
}

Object* Machine::methodCall(QString& method, std::vector<Value>& args)
{
    const Value name = pop();
    const Value on = pop();
    args = popArgs();
    if (on.isNullish()) {
        push(Value());
        return nullptr;
    }
    method = name.isUndefined() ? QString() : rt_.toString(name);
    Object* object = rt_.toObject(on);
    if (!object)
        push(Value()); // a value its type's global no longer boxes
    return object;
}

bool Machine::callMethod()
{
    QString method;
    std::vector<Value> args;
    Object* object = methodCall(method, args);
    if (!object)
        return false;
    if (object->kind == Object::Kind::Super) {
        Object* base = rt_.superBaseOf(object);
        if (method.isEmpty()) {
            const Value constructor = rt_.get(base, QStringLiteral("__constructor__"));
            Object* f = constructor.object();
            push(f && f->isFunction() ? rt_.invoke(f, Value(object->superThis), args, true, rt_.protoOf(base))
                                      : Value());
            return true;
        }
        Object* holder = nullptr;
        const Value f = rt_.findMethod(rt_.protoOf(base), method, holder);
        Object* fo = f.object();
        push(fo && fo->isFunction() ? rt_.invoke(fo, Value(object->superThis), args, false, holder) : Value());
        return true;
    }
    if (method.isEmpty()) {
        push(rt_.call(Value(object), Value(), args));
        return true;
    }
    Object* holder = nullptr;
    const Value f = rt_.findMethod(object, method, holder);
    if (f.isUndefined())
        rt_.noteMissingMember(Value(object), method);
    Object* fo = f.object();
    push(fo && fo->isFunction() ? rt_.invoke(fo, Value(object), args, false, holder) : Value());
    return true;
}

void Machine::newObject()
{
    const QString name = rt_.toString(pop());
    const std::vector<Value> args = popArgs();
    const Value constructor = rt_.getVariable(a_, name);
    if (constructor.isUndefined())
        rt_.noteMissingGlobal(name);
    push(rt_.construct(constructor, args));
}

bool Machine::newMethod()
{
    QString method;
    std::vector<Value> args;
    Object* object = methodCall(method, args);
    if (!object)
        return false;
    const Value constructor = method.isEmpty() ? Value(object) : rt_.get(object, method);
    if (constructor.isUndefined())
        rt_.noteMissingMember(Value(object), method);
    push(rt_.construct(constructor, args));
    return true;
}

bool inLocalScope(const Activation& a)
{
    for (Scope* s = a.scope; s; s = s->parent) {
        if (s->kind == Scope::Kind::Local)
            return true;
        if (s->kind == Scope::Kind::Target)
            return false;
    }
    return false;
}

void Machine::defineLocal(const QString& name, const Value& value, bool onlyIfMissing)
{
    const bool path = rt_.variableSplit(name) >= 0;
    if (!inLocalScope(a_) && path) {
        if (!onlyIfMissing || rt_.getVariable(a_, name).isUndefined())
            rt_.setVariable(a_, name, value);
        return;
    }
    Scope* scope = a_.scope;
    if (onlyIfMissing && scope && rt_.hasProperty(scope->values, name))
        return;
    // A with block defines on its object only what the object has.
    while (scope && scope->kind == Scope::Kind::With && scope->parent) {
        if (rt_.hasOwnProperty(scope->values, name))
            break;
        scope = scope->parent;
    }
    if (scope)
        rt_.set(scope->values, name, value);
}

bool Machine::deleteVariable(const QString& name)
{
    const qsizetype split = rt_.variableSplit(name);
    if (split >= 0) {
        const Value on = rt_.getVariable(a_, name.left(split));
        if (!on.isObject() && !on.isNullish())
            rt_.host().trace(QStringLiteral("Parameters of primitive types are no longer coerced into the required "
                                            "type - Object."));
        Object* o = on.object();
        return o && rt_.deleteProperty(o, name.mid(split + 1));
    }
    for (Scope* s = a_.scope; s; s = s->parent)
        if (rt_.hasProperty(s->values, name))
            return rt_.deleteProperty(s->values, name);
    return false;
}

void Machine::enumerate(const Value& on)
{
    push(Value()); // the end of the names
    Object* o = on.object();
    if (!o)
        return;
    const QStringList names = rt_.enumerate(o);
    rt_.spend(names.size());
    for (qsizetype i = names.size(); i-- > 0;)
        push(Value(names[i]));
}

Flow Machine::doTry(Payload p, int blocksBegin, int& next, Value& result)
{
    const quint8 flags = p.u8();
    const int trySize = p.u16();
    const int catchSize = p.u16();
    const int finallySize = p.u16();
    QString catchName;
    int catchRegister = -1;
    if (flags & 4)
        catchRegister = p.u8();
    else
        catchName = text(p.string());
    const int tryBegin = blocksBegin;
    const int catchBegin = tryBegin + trySize;
    const int finallyBegin = catchBegin + catchSize;
    next = finallyBegin + finallySize;
    const auto stackSize = qsizetype(rt_.stack().size());
    CallDepth depth(rt_); // blocks nest like calls

    Flow flow = Flow::Normal;
    std::optional<ScriptThrow> pending;
    try {
        flow = run(tryBegin, catchBegin, result);
    } catch (const ScriptThrow& thrown) {
        if (flags & 1) {
            if (qsizetype(rt_.stack().size()) > stackSize)
                rt_.stack().resize(size_t(stackSize));
            if (catchRegister >= 0) {
                bool ok = false;
                Value& r = registerAt(catchRegister, ok);
                if (ok)
                    r = thrown.value;
            } else {
                rt_.setVariable(a_, catchName, thrown.value);
            }
            try {
                flow = run(catchBegin, finallyBegin, result);
            } catch (const ScriptThrow& again) {
                pending = again;
            }
        } else {
            pending = thrown;
        }
    }
    if (flags & 2) {
        Value finallyResult;
        if (run(finallyBegin, next, finallyResult) == Flow::Return) {
            result = finallyResult;
            return Flow::Return;
        }
    }
    if (pending)
        throw *pending;
    return flow;
}

Flow Machine::doWith(int begin, int size, Value& result)
{
    const Value v = pop();
    if (v.isNullish())
        return Flow::Normal; // the block is skipped
    Object* o = rt_.toObject(v);
    if (!o)
        return Flow::Normal;
    CallDepth depth(rt_); // blocks nest like calls
    ScopeRestore restore{a_, a_.scope};
    a_.scope = rt_.heap().make<Scope>(Scope::Kind::With, o, a_.scope);
    return run(begin, begin + size, result);
}

void Machine::extends()
{
    Object* superclass = rt_.toObject(pop());
    Object* subclass = rt_.toObject(pop());
    if (!superclass || !subclass)
        return;
    Object* prototype = rt_.newObject(rt_.get(superclass, QStringLiteral("prototype")).object());
    rt_.define(prototype, QStringLiteral("constructor"), Value(superclass), DontEnum);
    rt_.define(prototype, QStringLiteral("__constructor__"), Value(superclass), DontEnum);
    rt_.set(subclass, QStringLiteral("prototype"), Value(prototype));
}

void Machine::getUrl(const QString& url, const Value& target, quint8 flags)
{
    // Of the projector's commands only fscommand("quit") does anything:
    // the movie stops for good.
    static const QLatin1String prefix("FSCommand:");
    if (url.startsWith(prefix, Qt::CaseInsensitive)) {
        if (url.mid(prefix.size()).compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0) {
            rt_.host().quit();
            rt_.abort();
        }
        return;
    }
    rt_.urlAction(a_, url, target, flags);
}

bool Machine::frameLoaded(const Value& frame)
{
    // An integral number counts as it is, wrapping at 32 bits; anything
    // else is read as text, and what is no whole number there is frame 0.
    qint32 n = 0;
    if (frame.isNumber() && std::isfinite(frame.number()) && frame.number() == std::trunc(frame.number())) {
        n = avm1::toInt32(frame.number());
    } else {
        bool ok = false;
        const double d = rt_.toString(frame).toDouble(&ok);
        if (ok && std::isfinite(d) && d == std::trunc(d))
            n = avm1::toInt32(d);
    }
    // The player counts from 0 here, wrapping, and back with a ceiling.
    const auto below = static_cast<qint32>(static_cast<quint32>(n) - 1u);
    n = below == INT32_MAX ? below : below + 1;
    // Every frame is loaded: only frames beyond what a timeline can hold are not.
    return n <= 16001;
}

} // namespace

Scope* Runtime::timelineScope(Object* clip)
{
    if (!globalScope_)
        globalScope_ = heap_.make<Scope>(Scope::Kind::Global, global_, nullptr);
    return heap_.make<Scope>(Scope::Kind::Target, clip, globalScope_);
}

Value Runtime::execute(Activation& a)
{
    Activation* outer = current_;
    a.outer = outer;
    current_ = &a;
    struct Restore {
        Runtime& rt;
        Activation* outer;
        ~Restore() { rt.setCurrent(outer); }
    } restore{*this, outer};
    if (!a.constants)
        a.constants = constants_;
    Machine m(*this, a);
    Value result;
    m.run(a.pc, a.end, result);
    return result;
}

Value Runtime::findMethod(Object* o, const QString& name, Object*& holder)
{
    holder = nullptr;
    const QString k = key(name);
    Object* p = o;
    for (int depth = 0; p && depth < kMaxProtoDepth; ++depth, p = protoOf(p)) {
        spend();
        if (const Property* prop = p->properties.find(k); prop && prop->minVersion <= version_) {
            holder = p;
            return prop->isVirtual() ? call(Value(prop->getter), Value(o), {}) : prop->value;
        }
        if (p->kind == Object::Kind::Clip && hasOwnProperty(p, name)) {
            holder = p;
            return get(p, name);
        }
    }
    return {};
}

void Runtime::abort()
{
    aborted_ = true;
    throw ScriptAbort{};
}

Value Runtime::invoke(Object* function, const Value& thisValue, std::span<const Value> args, bool constructing,
                      Object* superBase)
{
    CallDepth depth(*this);
    spend();
    if (!function->script) {
        NativeFunction body =
            constructing && function->nativeConstructor ? function->nativeConstructor : function->native;
        if (!body)
            return {};
        NativeCall c;
        c.thisValue = thisValue;
        c.self = thisValue.object();
        c.args = args;
        c.callee = function;
        c.constructing = constructing;
        return body(*this, c);
    }
    const ScriptFunction& f = *function->script;
    Activation* caller = current_;
    Object* self = thisValue.object();

    // From version 6 on a function closes over the scope it was defined in;
    // before, it runs on the timeline of the clip it is called on.
    const bool closure = version_ >= 6;
    Object* baseClip = nullptr;
    Object* thisClip = self && self->kind == Object::Kind::Clip ? self : nullptr;
    if (!thisClip && caller) {
        if (caller->target && clipOf(caller->target))
            thisClip = caller->target;
        else if (auto root = host_.level(0))
            thisClip = clipObject(*root);
    }
    if (closure)
        baseClip = f.baseClip && clipOf(f.baseClip) ? f.baseClip : thisClip;
    else
        baseClip = thisClip;
    if (!baseClip)
        baseClip = f.baseClip;
    Scope* parentScope = closure ? f.scope : timelineScope(baseClip ? baseClip : global_);

    Activation a;
    a.code = f.code;
    a.pc = f.begin;
    a.end = f.end;
    a.scope = heap_.make<Scope>(Scope::Kind::Local, newObject(nullptr), parentScope);
    const bool inheritThis = f.flags & (PreloadThis | SuppressThis);
    a.thisValue = inheritThis && caller ? caller->thisValue : thisValue;
    a.baseClip = baseClip;
    a.target = baseClip;
    a.callee = function;
    a.constants = f.constants;
    a.version = version_;
    if (f.two)
        a.registers.resize(f.registerCount);

    Object* locals = a.scope->values;
    int reg = 1;
    auto preload = [&](const Value& v) {
        if (reg < int(a.registers.size()))
            a.registers[size_t(reg)] = v;
        ++reg;
    };
    if (f.flags & PreloadThis)
        preload((f.flags & SuppressThis) ? Value() : thisValue);
    if (!(f.flags & SuppressArguments) || (f.flags & PreloadArguments)) {
        Object* arguments = newArray(args);
        define(arguments, QStringLiteral("callee"), Value(function), DontEnum);
        define(arguments, QStringLiteral("caller"), caller && caller->callee ? Value(caller->callee) : Value::null(),
               DontEnum);
        if (f.flags & PreloadArguments)
            preload(Value(arguments));
        else
            define(locals, QStringLiteral("arguments"), Value(arguments));
    }
    if (!(f.flags & SuppressSuper) || (f.flags & PreloadSuper)) {
        Value zuper;
        // An object constructed without a prototype has no class above it.
        if (self && !(f.flags & SuppressSuper) && !(constructing && !superBase)) {
            Object* s = newObject(nullptr);
            s->kind = Object::Kind::Super;
            s->superThis = self;
            s->superBase = !superBase ? self : superBase == protoOf(self) ? nullptr : superBase;
            zuper = Value(s);
        }
        if (f.flags & PreloadSuper)
            preload(zuper);
        else if (!zuper.isUndefined())
            define(locals, QStringLiteral("super"), zuper);
    }
    auto rootValue = [&]() -> Value {
        auto clip = clipOf(baseClip);
        SpriteInstance* root = rootClip(clip ? clip.get() : host_.level(0));
        return root ? Value(clipObject(*root)) : Value();
    };
    if (f.flags & PreloadRoot)
        preload(rootValue());
    if (f.flags & PreloadParent) {
        // A root has no parent, and then nothing is loaded: the next
        // preload takes the register.
        auto clip = clipOf(baseClip);
        if (auto parent = clip ? clip->parent.lock() : nullptr)
            preload(Value(clipObject(*parent)));
    }
    if (f.flags & PreloadGlobal)
        preload(Value(global_));
    for (size_t i = 0; i < f.params.size(); ++i) {
        const Value v = i < args.size() ? args[i] : Value();
        if (f.params[i].reg != 0) {
            if (f.params[i].reg < a.registers.size())
                a.registers[f.params[i].reg] = v;
        } else {
            define(locals, f.params[i].name, v);
        }
    }
    return execute(a);
}

} // namespace movie::avm1
