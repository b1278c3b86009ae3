#pragma once

#include <QString>

namespace movie::avm1 {

class Object;

// A script value: undefined, null, a boolean, a number, a string or an
// object (movie clips, functions and arrays are objects too).
class Value {
public:
    enum class Type : quint8 { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    explicit Value(bool b) : type_(Type::Boolean), bool_(b) {}
    Value(double n) : type_(Type::Number), number_(n) {}
    Value(int n) : type_(Type::Number), number_(n) {}
    Value(QString s) : type_(Type::String), string_(std::move(s)) {}
    // A null pointer is undefined.
    Value(Object* o) : type_(o ? Type::Object : Type::Undefined), object_(o) {}
    Value(const char*) = delete; // would silently become a boolean

    static Value null()
    {
        Value v;
        v.type_ = Type::Null;
        return v;
    }
    static Value text(const char* latin1) { return Value(QString::fromLatin1(latin1)); }

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNullish() const { return type_ == Type::Undefined || type_ == Type::Null; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isObject() const { return type_ == Type::Object; }
    bool isPrimitive() const { return type_ != Type::Object; }

    bool boolean() const { return bool_; }
    double number() const { return number_; }
    const QString& string() const { return string_; }
    Object* object() const { return type_ == Type::Object ? object_ : nullptr; }

private:
    Type type_ = Type::Undefined;
    bool bool_ = false;
    double number_ = 0;
    Object* object_ = nullptr;
    QString string_;
};

} // namespace movie::avm1
