#include "movie/writer/ActionWriter.h"

#include "movie/writer/BitWriter.h"
#include "movie/writer/SwfWriter.h"

#include <cstring>

namespace movie::writer {

ActionWriter& ActionWriter::action(quint8 code, const QByteArray& payload)
{
    BitWriter w;
    w.u8(code);
    if (code >= 0x80) {
        w.u16(static_cast<quint32>(payload.size()));
        w.bytes(payload);
    }
    bytes_ += w.data();
    return *this;
}

ActionWriter& ActionWriter::op(quint8 code) { return action(code, {}); }

ActionWriter& ActionWriter::push(const QList<Operand>& values)
{
    BitWriter w;
    for (const Operand& v : values) {
        switch (v.kind) {
        case Operand::Kind::String:
            w.u8(0);
            w.string(v.text);
            break;
        case Operand::Kind::Number: {
            // Doubles keep their high word first.
            quint64 bits = 0;
            std::memcpy(&bits, &v.number, sizeof bits);
            w.u8(6);
            w.u32(static_cast<quint32>(bits >> 32));
            w.u32(static_cast<quint32>(bits));
            break;
        }
        case Operand::Kind::Boolean:
            w.u8(5);
            w.u8(v.boolean ? 1 : 0);
            break;
        case Operand::Kind::Null:
            w.u8(2);
            break;
        case Operand::Kind::Undefined:
            w.u8(3);
            break;
        case Operand::Kind::Register:
            w.u8(4);
            w.u8(static_cast<quint32>(v.reg));
            break;
        }
    }
    return action(0x96, w.data());
}

ActionWriter& ActionWriter::callMethod(const QByteArray& target, const QByteArray& method, const QList<Operand>& args)
{
    QList<Operand> reversed(args.crbegin(), args.crend()); // the last argument is pushed first
    reversed.append(num(args.size()));
    push(reversed);
    getVariable(target);
    return push({str(method)}).op(0x52);
}

ActionWriter& ActionWriter::gotoFrame(int frame)
{
    BitWriter w;
    w.u16(static_cast<quint32>(frame));
    return action(0x81, w.data());
}

ActionWriter& ActionWriter::getUrl(const QByteArray& url, const QByteArray& target)
{
    BitWriter w;
    w.string(url);
    w.string(target);
    return action(0x83, w.data());
}

ActionWriter& ActionWriter::getUrl2(quint8 flags) { return action(0x9A, QByteArray(1, char(flags))); }

ActionWriter& ActionWriter::gotoFrame2(bool play) { return action(0x9F, QByteArray(1, play ? '\x01' : '\0')); }

ActionWriter& ActionWriter::setTarget(const QByteArray& target)
{
    BitWriter w;
    w.string(target);
    return action(0x8B, w.data());
}

ActionWriter& ActionWriter::gotoLabel(const QByteArray& label)
{
    BitWriter w;
    w.string(label);
    return action(0x8C, w.data());
}

ActionWriter& ActionWriter::label(const QByteArray& name)
{
    labels_[name] = static_cast<int>(bytes_.size());
    return *this;
}

ActionWriter& ActionWriter::branch(quint8 code, const QByteArray& label)
{
    action(code, QByteArray(2, '\0'));
    branches_.push_back({static_cast<int>(bytes_.size()) - 2, label});
    return *this;
}

ActionWriter& ActionWriter::defineFunction(const QByteArray& name, const QList<QByteArray>& params,
                                           const ActionWriter& body)
{
    const QByteArray code = body.bytes();
    BitWriter w;
    w.string(name);
    w.u16(static_cast<quint32>(params.size()));
    for (const QByteArray& p : params)
        w.string(p);
    w.u16(static_cast<quint32>(code.size()));
    action(0x9B, w.data());
    bytes_ += code;
    return *this;
}

QByteArray ActionWriter::bytes() const
{
    QByteArray out = bytes_;
    for (const Branch& b : branches_) {
        const auto it = labels_.find(b.label);
        const int target = it == labels_.end() ? static_cast<int>(out.size()) : it->second;
        const int offset = target - (b.offsetAt + 2); // from the next action
        out[b.offsetAt] = static_cast<char>(offset & 0xFF);
        out[b.offsetAt + 1] = static_cast<char>((offset >> 8) & 0xFF);
    }
    return out;
}

namespace actions {
QByteArray stop() { return ActionWriter().op(0x07).bytes(); }
QByteArray play() { return ActionWriter().op(0x06).bytes(); }
QByteArray nextFrame() { return ActionWriter().op(0x04).bytes(); }
QByteArray previousFrame() { return ActionWriter().op(0x05).bytes(); }
QByteArray gotoFrame(int frame) { return ActionWriter().gotoFrame(frame).bytes(); }
QByteArray gotoLabel(const QByteArray& label) { return ActionWriter().gotoLabel(label).bytes(); }
QByteArray setTarget(const QByteArray& target) { return ActionWriter().setTarget(target).bytes(); }
} // namespace actions

} // namespace movie::writer
