#pragma once

#include <QByteArray>
#include <QList>
#include <map>
#include <vector>

namespace movie::writer {

// Writes a script action by action, as a DoAction tag or an event handler
// holds it. Jumps name labels that may come later; bytes() resolves them.
class ActionWriter {
public:
    // A value to push: a string, a number, a boolean, null, undefined or a register.
    struct Operand {
        enum class Kind { String, Number, Boolean, Null, Undefined, Register } kind = Kind::Undefined;
        QByteArray text;
        double number = 0;
        bool boolean = false;
        int reg = 0;
    };
    static Operand str(const QByteArray& s) { return {Operand::Kind::String, s, 0, false, 0}; }
    static Operand num(double n) { return {Operand::Kind::Number, {}, n, false, 0}; }
    static Operand boolean(bool b) { return {Operand::Kind::Boolean, {}, 0, b, 0}; }
    static Operand null() { return {Operand::Kind::Null, {}, 0, false, 0}; }
    static Operand undefined() { return {}; }
    static Operand reg(int r) { return {Operand::Kind::Register, {}, 0, false, r}; }

    ActionWriter& push(const QList<Operand>& values);
    // An action without a payload, by its code (0x06 play, 0x1C get variable, ...).
    ActionWriter& op(quint8 code);
    ActionWriter& trace() { return op(0x26); }
    ActionWriter& getVariable(const QByteArray& name) { return push({str(name)}).op(0x1C); }
    // name = the value on the stack
    ActionWriter& setVariable(const QByteArray& name, const Operand& value)
    {
        return push({str(name), value}).op(0x1D);
    }
    // object.method(args...) on the object named by `target`; the result stays on the stack.
    ActionWriter& callMethod(const QByteArray& target, const QByteArray& method, const QList<Operand>& args = {});

    ActionWriter& gotoFrame(int zeroBasedFrame);
    // gotoAndPlay / gotoAndStop of the frame (number or label) on the stack.
    ActionWriter& gotoFrame2(bool play);
    ActionWriter& gotoLabel(const QByteArray& label);
    ActionWriter& setTarget(const QByteArray& target);
    // GetURL: loadMovieNum(url, n) and unloadMovieNum(n) with target "_levelN".
    ActionWriter& getUrl(const QByteArray& url, const QByteArray& target);
    // GetURL2 with the URL and the target on the stack: 0x40 loads into a
    // clip (loadMovie, unloadMovie), 0x80 loads variables.
    ActionWriter& getUrl2(quint8 flags);
    ActionWriter& label(const QByteArray& name);
    ActionWriter& jump(const QByteArray& label) { return branch(0x99, label); }
    // Jumps when the value on the stack is true.
    ActionWriter& ifTrue(const QByteArray& label) { return branch(0x9D, label); }
    // function name(params) { body }, defined on the timeline.
    ActionWriter& defineFunction(const QByteArray& name, const QList<QByteArray>& params, const ActionWriter& body);

    // The actions, jumps resolved; without the End action a DoAction tag adds.
    QByteArray bytes() const;

private:
    ActionWriter& action(quint8 code, const QByteArray& payload);
    // An action whose 16-bit offset goes to `label`, resolved by bytes().
    ActionWriter& branch(quint8 code, const QByteArray& label);

    QByteArray bytes_;
    std::map<QByteArray, int> labels_;
    struct Branch {
        int offsetAt; // where the 16-bit offset goes
        QByteArray label;
    };
    std::vector<Branch> branches_;
};

} // namespace movie::writer
