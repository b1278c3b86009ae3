// XMLNode and XML: a document tree that scripts build, parse from text,
// write back as text and load from a file beside the movie.

#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/draw/HtmlText.h"

namespace movie::avm1 {

namespace {

// XML.status after a parse.
enum Status {
    Parsed = 0,
    CdataOpen = -2,
    DeclarationOpen = -3,
    DoctypeOpen = -4,
    CommentOpen = -5,
    Malformed = -6,
    AttributeOpen = -8,
    StartTagOpen = -9,
    EndTagAlone = -10
};

enum NodeType { Element = 1, Text = 3 };

// A node's place in its tree. A document is an element without a name.
struct XmlNode final : NativeState {
    int type = Element;
    Value name;  // nodeName: a string, or null
    Value value; // nodeValue: a string, or null
    Object* parent = nullptr;
    std::vector<Object*> children;
    Object* attributes = nullptr;
    Object* childNodes = nullptr; // the array scripts see, kept in step

    void trace(Tracer& tracer) const override
    {
        tracer.mark(parent);
        for (Object* child : children)
            tracer.mark(child);
        tracer.mark(attributes);
        tracer.mark(childNodes);
    }
};

XmlNode* nodeOf(Object* o) { return o ? dynamic_cast<XmlNode*>(o->state.get()) : nullptr; }

Object* nodePrototype(Runtime& rt)
{
    return rt.get(rt.get(rt.global(), QStringLiteral("XMLNode")), QStringLiteral("prototype")).object();
}

// Makes `o` a node of the given type; the name of an element or the text
// of any other node.
XmlNode& makeNode(Object* o, int type, const Value& nameOrValue)
{
    auto node = std::make_unique<XmlNode>();
    node->type = type;
    node->name = type == Element ? nameOrValue : Value::null();
    node->value = type == Element ? Value::null() : nameOrValue;
    XmlNode& made = *node;
    o->state = std::move(node);
    return made;
}

Object* newNode(Runtime& rt, int type, const QString& nameOrValue)
{
    rt.spend();
    Object* o = rt.newObject(nodePrototype(rt));
    makeNode(o, type, Value(nameOrValue));
    return o;
}

Object* attributesOf(Runtime& rt, XmlNode& node)
{
    if (!node.attributes)
        node.attributes = rt.newObject();
    return node.attributes;
}

// childNodes follows every change of the children, from the first that
// changed on.
void syncChildNodes(Runtime& rt, XmlNode& node, size_t from = 0)
{
    if (!node.childNodes)
        return;
    const qint64 old = arrayLength(rt, node.childNodes);
    rt.spend(qint64(node.children.size() - std::min(from, node.children.size())));
    for (size_t i = from; i < node.children.size(); ++i)
        rt.set(node.childNodes, QString::number(i), Value(node.children[i]));
    for (auto i = qint64(node.children.size()); i < old; ++i)
        rt.deleteProperty(node.childNodes, QString::number(i));
    rt.set(node.childNodes, QStringLiteral("length"), Value(double(node.children.size())));
}

void detach(Runtime& rt, Object* child)
{
    XmlNode* node = nodeOf(child);
    XmlNode* parent = node ? nodeOf(node->parent) : nullptr;
    if (!parent)
        return;
    const auto at = std::find(parent->children.begin(), parent->children.end(), child);
    const auto index = size_t(at - parent->children.begin());
    parent->children.erase(at);
    node->parent = nullptr;
    syncChildNodes(rt, *parent, index);
}

// Puts `child` into `parent` before `before` (at the end when null). A node
// never goes into itself or its own descendants.
bool insert(Runtime& rt, Object* parent, Object* child, Object* before)
{
    XmlNode* p = nodeOf(parent);
    XmlNode* c = nodeOf(child);
    if (!p || !c || child == parent)
        return false;
    // Only a node with children can hold the parent.
    if (!c->children.empty())
        for (Object* at = parent; at; at = nodeOf(at)->parent) {
            rt.spend();
            if (at == child)
                return false;
        }
    detach(rt, child);
    const auto at = before ? std::find(p->children.begin(), p->children.end(), before) : p->children.end();
    const auto index = size_t(at - p->children.begin());
    p->children.insert(at, child);
    c->parent = parent;
    syncChildNodes(rt, *p, index);
    return true;
}

// --- Text

QString escapeXml(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&apos;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The node as text, written without recursion: a tree may be as deep as
// a script makes it.
QString nodeText(Runtime& rt, Object* root)
{
    QString out;
    struct Step {
        Object* node;
        bool closing;
    };
    std::vector<Step> todo{{root, false}};
    while (!todo.empty()) {
        const Step step = todo.back();
        todo.pop_back();
        XmlNode* node = nodeOf(step.node);
        if (!node)
            continue;
        rt.spend();
        const bool named = node->type == Element && node->name.isString();
        if (step.closing) {
            out += QLatin1String("</") + node->name.string() + u'>';
            continue;
        }
        if (node->type != Element) {
            out += escapeXml(rt.toString(node->value));
        } else {
            if (named) {
                out += u'<' + node->name.string();
                if (node->attributes)
                    node->attributes->properties.forEach([&](const Property& p) {
                        if (!(p.attributes & DontEnum) && !p.isVirtual())
                            out += u' ' + p.name + QLatin1String("=\"") + escapeXml(rt.toString(p.value)) + u'"';
                    });
                if (node->children.empty()) {
                    out += QLatin1String(" />");
                    continue;
                }
                out += u'>';
                todo.push_back({step.node, true});
            }
            for (size_t i = node->children.size(); i-- > 0;)
                todo.push_back({node->children[i], false});
        }
        if (out.size() > limits::kMaxStringLength)
            return rt.checkedString(out); // too long: the script ends
    }
    return out;
}

// Reads XML text into `doc`, the way the player's lenient parser does:
// comments are dropped, a declaration and a DOCTYPE are kept as text, and
// the first error ends the parse with what was read so far.
class XmlParser {
public:
    XmlParser(Runtime& rt, Object* doc, const QString& text, bool ignoreWhite)
        : rt_(rt), doc_(doc), s_(text), ignoreWhite_(ignoreWhite)
    {}

    int parse()
    {
        Object* current = doc_;
        qsizetype i = 0;
        while (i < s_.size()) {
            rt_.spend();
            if (s_[i] != u'<') {
                qsizetype end = s_.indexOf(u'<', i);
                if (end < 0)
                    end = s_.size();
                addText(current, decodeEntities(QStringView(s_).mid(i, end - i), false));
                i = end;
            } else if (starts(i, u"<!--")) {
                if (!skipPast(i, u"-->"))
                    return CommentOpen;
            } else if (starts(i, u"<![CDATA[")) {
                const qsizetype end = s_.indexOf(QLatin1String("]]>"), i);
                if (end < 0)
                    return CdataOpen;
                addText(current, s_.mid(i + 9, end - i - 9), true);
                i = end + 3;
            } else if (starts(i, u"<?")) {
                const qsizetype start = i;
                if (!skipPast(i, u"?>"))
                    return DeclarationOpen;
                xmlDecl += s_.mid(start, i - start);
            } else if (starts(i, u"<!")) {
                const qsizetype start = i;
                if (!skipDoctype(i))
                    return DoctypeOpen;
                docTypeDecl = s_.mid(start, i - start);
            } else if (starts(i, u"</")) {
                const qsizetype end = s_.indexOf(u'>', i);
                if (end < 0)
                    return Malformed;
                const QString name = s_.mid(i + 2, end - i - 2).trimmed();
                i = end + 1;
                XmlNode* node = nodeOf(current);
                if (current == doc_ || !node->name.isString())
                    return EndTagAlone;
                if (node->name.string() != name)
                    return StartTagOpen;
                current = node->parent;
            } else {
                const int status = element(i, current);
                if (status != Parsed)
                    return status;
            }
        }
        return current == doc_ ? Parsed : StartTagOpen;
    }

    QString xmlDecl, docTypeDecl;

private:
    bool starts(qsizetype i, QStringView what) const { return QStringView(s_).mid(i).startsWith(what); }

    bool skipPast(qsizetype& i, QStringView end)
    {
        const qsizetype at = QStringView(s_).indexOf(end, i + 2);
        if (at < 0)
            return false;
        i = at + end.size();
        return true;
    }

    // <!DOCTYPE ...>, with an internal subset in brackets.
    bool skipDoctype(qsizetype& i)
    {
        int brackets = 0;
        for (qsizetype j = i + 2; j < s_.size(); ++j) {
            if (s_[j] == u'[')
                ++brackets;
            else if (s_[j] == u']')
                --brackets;
            else if (s_[j] == u'>' && brackets <= 0) {
                i = j + 1;
                return true;
            }
        }
        return false;
    }

    void addText(Object* parent, const QString& text, bool cdata = false)
    {
        if (text.isEmpty() || (!cdata && ignoreWhite_ && text.trimmed().isEmpty()))
            return;
        insert(rt_, parent, newNode(rt_, Text, text), nullptr);
    }

    static bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

    // A start tag at `i`: its element goes into `current`, which becomes
    // the element unless the tag closes itself.
    int element(qsizetype& i, Object*& current)
    {
        qsizetype j = i + 1;
        while (j < s_.size() && !isSpace(s_[j]) && s_[j] != u'/' && s_[j] != u'>')
            ++j;
        const QString name = s_.mid(i + 1, j - i - 1);
        if (name.isEmpty())
            return Malformed;
        Object* element = newNode(rt_, Element, name);
        XmlNode& node = *nodeOf(element);
        insert(rt_, current, element, nullptr);
        for (;;) {
            rt_.spend();
            while (j < s_.size() && isSpace(s_[j]))
                ++j;
            if (j >= s_.size())
                return Malformed;
            if (s_[j] == u'>') {
                current = element;
                i = j + 1;
                return Parsed;
            }
            if (starts(j, u"/>")) {
                i = j + 2;
                return Parsed;
            }
            const qsizetype nameStart = j;
            while (j < s_.size() && !isSpace(s_[j]) && s_[j] != u'=' && s_[j] != u'>' && s_[j] != u'/')
                ++j;
            const QString attribute = s_.mid(nameStart, j - nameStart);
            while (j < s_.size() && isSpace(s_[j]))
                ++j;
            if (attribute.isEmpty() || j >= s_.size() || s_[j] != u'=')
                return Malformed;
            ++j;
            while (j < s_.size() && isSpace(s_[j]))
                ++j;
            if (j >= s_.size() || (s_[j] != u'"' && s_[j] != u'\''))
                return Malformed;
            const qsizetype close = s_.indexOf(s_[j], j + 1);
            if (close < 0)
                return AttributeOpen;
            rt_.set(attributesOf(rt_, node), attribute,
                    Value(decodeEntities(QStringView(s_).mid(j + 1, close - j - 1), false)));
            j = close + 1;
        }
    }

    Runtime& rt_;
    Object* doc_;
    const QString& s_;
    bool ignoreWhite_;
};

// The idMap of a document: its elements by their "id" attribute.
void mapIds(Runtime& rt, Object* doc, Object* map)
{
    std::vector<Object*> todo{doc};
    while (!todo.empty()) {
        XmlNode* node = nodeOf(todo.back());
        todo.pop_back();
        rt.spend();
        if (!node)
            continue;
        for (Object* child : node->children) {
            XmlNode* c = nodeOf(child);
            if (c && c->attributes) {
                const Value id = rt.get(c->attributes, QStringLiteral("id"));
                if (!id.isUndefined())
                    rt.set(map, rt.toString(id), Value(child));
            }
            todo.push_back(child);
        }
    }
}

// --- XMLNode

Value xmlNodeConstructor(Runtime& rt, NativeCall& c)
{
    if (!c.constructing || !c.self)
        return {};
    const int type = rt.toInt32(c.arg(0));
    makeNode(c.self, type, c.count() > 1 ? Value(rt.toString(c.arg(1))) : Value::null());
    return {};
}

// Node properties and methods answer undefined on an object that is none.
using NodeFunction = Value (*)(Runtime&, XmlNode&, NativeCall&);
template <NodeFunction f>
Value onNode(Runtime& rt, NativeCall& c)
{
    XmlNode* node = nodeOf(c.self);
    return node ? f(rt, *node, c) : Value();
}

Value nodeGetName(Runtime&, XmlNode& node, NativeCall&) { return node.name; }

Value nodeSetName(Runtime& rt, XmlNode& node, NativeCall& c)
{
    node.name = c.arg(0).isNullish() ? Value::null() : Value(rt.toString(c.arg(0)));
    return {};
}

Value nodeGetValue(Runtime&, XmlNode& node, NativeCall&) { return node.value; }

Value nodeSetValue(Runtime& rt, XmlNode& node, NativeCall& c)
{
    node.value = c.arg(0).isNullish() ? Value::null() : Value(rt.toString(c.arg(0)));
    return {};
}

Value nodeGetType(Runtime&, XmlNode& node, NativeCall&) { return Value(node.type); }

Value nodeGetAttributes(Runtime& rt, XmlNode& node, NativeCall&) { return Value(attributesOf(rt, node)); }

Value nodeSetAttributes(Runtime&, XmlNode& node, NativeCall& c)
{
    if (Object* o = c.arg(0).object())
        node.attributes = o;
    return {};
}

Value nodeGetChildNodes(Runtime& rt, XmlNode& node, NativeCall&)
{
    if (!node.childNodes) {
        node.childNodes = rt.newArray();
        syncChildNodes(rt, node);
    }
    return Value(node.childNodes);
}

Value nodeGetParent(Runtime&, XmlNode& node, NativeCall&) { return node.parent ? Value(node.parent) : Value::null(); }

Value nodeGetFirstChild(Runtime&, XmlNode& node, NativeCall&)
{
    return node.children.empty() ? Value::null() : Value(node.children.front());
}

Value nodeGetLastChild(Runtime&, XmlNode& node, NativeCall&)
{
    return node.children.empty() ? Value::null() : Value(node.children.back());
}

// The sibling `offset` places away, or null.
Value sibling(NativeCall& c, int offset)
{
    XmlNode* node = nodeOf(c.self);
    XmlNode* parent = node ? nodeOf(node->parent) : nullptr;
    if (!parent)
        return node ? Value::null() : Value();
    const auto it = std::find(parent->children.begin(), parent->children.end(), c.self);
    const qsizetype at = (it - parent->children.begin()) + offset;
    if (at < 0 || at >= qsizetype(parent->children.size()))
        return Value::null();
    return Value(parent->children[size_t(at)]);
}

Value nodeGetNextSibling(Runtime&, NativeCall& c) { return sibling(c, 1); }
Value nodeGetPreviousSibling(Runtime&, NativeCall& c) { return sibling(c, -1); }

// "prefix:local" names: the two halves.
QString namePart(const Value& name, bool prefix)
{
    if (!name.isString())
        return {};
    const qsizetype colon = name.string().indexOf(u':');
    if (prefix)
        return colon < 0 ? QString() : name.string().left(colon);
    return colon < 0 ? name.string() : name.string().mid(colon + 1);
}

Value nodeGetPrefix(Runtime&, XmlNode& node, NativeCall&)
{
    return node.name.isString() ? Value(namePart(node.name, true)) : Value::null();
}

Value nodeGetLocalName(Runtime&, XmlNode& node, NativeCall&)
{
    return node.name.isString() ? Value(namePart(node.name, false)) : Value::null();
}

// The URI an "xmlns" or "xmlns:prefix" attribute gives the prefix, from
// the node up; `byUri` looks for the prefix of a URI instead.
Value findNamespace(Runtime& rt, Object* from, const QString& wanted, bool byUri)
{
    for (Object* at = from; nodeOf(at); at = nodeOf(at)->parent) {
        rt.spend();
        XmlNode* node = nodeOf(at);
        if (!node->attributes)
            continue;
        Value found;
        node->attributes->properties.forEach([&](const Property& p) {
            if (!found.isUndefined() || p.isVirtual() || !p.name.startsWith(QLatin1String("xmlns")))
                return;
            const QString prefix = p.name.size() > 6 && p.name[5] == u':' ? p.name.mid(6) : QString();
            if (p.name.size() > 5 && prefix.isEmpty())
                return;
            const QString uri = rt.toString(p.value);
            if (byUri ? uri == wanted : prefix == wanted)
                found = Value(byUri ? prefix : uri);
        });
        if (!found.isUndefined())
            return found;
    }
    return Value::null();
}

Value nodeGetNamespaceUri(Runtime& rt, XmlNode& node, NativeCall& c)
{
    if (!node.name.isString())
        return Value::null();
    const Value uri = findNamespace(rt, c.self, namePart(node.name, true), false);
    return uri.isNull() ? Value(QString()) : uri;
}

Value nodeGetNamespaceForPrefix(Runtime& rt, XmlNode&, NativeCall& c)
{
    return findNamespace(rt, c.self, rt.toString(c.arg(0)), false);
}

Value nodeGetPrefixForNamespace(Runtime& rt, XmlNode&, NativeCall& c)
{
    return findNamespace(rt, c.self, rt.toString(c.arg(0)), true);
}

Value nodeAppendChild(Runtime& rt, NativeCall& c)
{
    insert(rt, c.self, c.arg(0).object(), nullptr);
    return {};
}

Value nodeInsertBefore(Runtime& rt, NativeCall& c)
{
    XmlNode* node = nodeOf(c.self);
    Object* before = c.arg(1).object();
    if (node && before && std::find(node->children.begin(), node->children.end(), before) != node->children.end())
        insert(rt, c.self, c.arg(0).object(), before);
    return {};
}

Value nodeRemoveNode(Runtime& rt, NativeCall& c)
{
    detach(rt, c.self);
    return {};
}

Value nodeHasChildNodes(Runtime&, XmlNode& node, NativeCall&) { return Value(!node.children.empty()); }

// A copy of the node, with its attributes, and with deep its descendants.
Value nodeCloneNode(Runtime& rt, NativeCall& c)
{
    if (!nodeOf(c.self))
        return {};
    const bool deep = rt.toBoolean(c.arg(0));
    auto copyOf = [&rt](Object* original) {
        const XmlNode& from = *nodeOf(original);
        rt.spend();
        Object* copy = rt.newObject(rt.protoOf(original));
        XmlNode& to = makeNode(copy, from.type, Value());
        to.name = from.name;
        to.value = from.value;
        if (from.attributes) {
            Object* attributes = attributesOf(rt, to);
            from.attributes->properties.forEach([&](const Property& p) {
                if (!p.isVirtual())
                    rt.set(attributes, p.name, p.value);
            });
        }
        return copy;
    };
    Object* root = copyOf(c.self);
    std::vector<std::pair<Object*, Object*>> todo{{c.self, root}}; // original, copy
    while (deep && !todo.empty()) {
        const auto [original, copy] = todo.back();
        todo.pop_back();
        for (Object* child : nodeOf(original)->children) {
            Object* childCopy = copyOf(child);
            insert(rt, copy, childCopy, nullptr);
            todo.emplace_back(child, childCopy);
        }
    }
    return Value(root);
}

Value nodeToString(Runtime& rt, NativeCall& c)
{
    if (!nodeOf(c.self))
        return Value(QStringLiteral("[object Object]"));
    return Value(rt.checkedString(nodeText(rt, c.self)));
}

// --- XML

Value xmlParse(Runtime& rt, NativeCall& c);

Value xmlConstructor(Runtime& rt, NativeCall& c)
{
    if (!c.constructing || !c.self)
        return {};
    makeNode(c.self, Element, Value::null());
    rt.define(c.self, QStringLiteral("status"), Value(0), DontEnum);
    if (!c.arg(0).isUndefined())
        xmlParse(rt, c);
    return {};
}

Value xmlParse(Runtime& rt, NativeCall& c)
{
    XmlNode* doc = nodeOf(c.self);
    if (!doc)
        return {};
    while (!doc->children.empty())
        detach(rt, doc->children.back());
    const QString text = rt.toString(c.arg(0));
    XmlParser parser(rt, c.self, text, rt.toBoolean(rt.get(c.self, QStringLiteral("ignoreWhite"))));
    const int status = parser.parse();
    rt.set(c.self, QStringLiteral("status"), Value(status));
    rt.set(c.self, QStringLiteral("xmlDecl"), parser.xmlDecl.isEmpty() ? Value() : Value(parser.xmlDecl));
    rt.set(c.self, QStringLiteral("docTypeDecl"), parser.docTypeDecl.isEmpty() ? Value() : Value(parser.docTypeDecl));
    Object* ids = rt.newObject();
    mapIds(rt, c.self, ids);
    rt.define(c.self, QStringLiteral("idMap"), Value(ids), DontEnum);
    return {};
}

Value xmlToString(Runtime& rt, NativeCall& c)
{
    if (!nodeOf(c.self))
        return nodeToString(rt, c);
    QString prolog;
    for (const char* part : {"xmlDecl", "docTypeDecl"}) {
        const Value v = rt.get(c.self, QString::fromLatin1(part));
        if (!v.isNullish())
            prolog += rt.toString(v);
    }
    return Value(rt.checkedString(prolog + nodeText(rt, c.self)));
}

Value xmlCreateElement(Runtime& rt, NativeCall& c) { return Value(newNode(rt, Element, rt.toString(c.arg(0)))); }

Value xmlCreateTextNode(Runtime& rt, NativeCall& c) { return Value(newNode(rt, Text, rt.toString(c.arg(0)))); }

Value xmlOnData(Runtime& rt, NativeCall& c) { return defaultOnData(rt, c, "parseXML"); }

} // namespace

void installXmlBuiltins(Runtime& rt, Object* global)
{
    Object* nodeProto = rt.newObject();
    Object* xmlNode = rt.newClass(xmlNodeConstructor, nodeProto, xmlNodeConstructor);
    defineMethods(rt, nodeProto,
                  {{"appendChild", nodeAppendChild},
                   {"insertBefore", nodeInsertBefore},
                   {"removeNode", nodeRemoveNode},
                   {"cloneNode", nodeCloneNode},
                   {"hasChildNodes", onNode<nodeHasChildNodes>},
                   {"toString", nodeToString},
                   {"getNamespaceForPrefix", onNode<nodeGetNamespaceForPrefix>, 8},
                   {"getPrefixForNamespace", onNode<nodeGetPrefixForNamespace>, 8}});
    defineAccessors(rt, nodeProto,
                    {{"nodeName", onNode<nodeGetName>, onNode<nodeSetName>},
                     {"nodeValue", onNode<nodeGetValue>, onNode<nodeSetValue>},
                     {"nodeType", onNode<nodeGetType>},
                     {"attributes", onNode<nodeGetAttributes>, onNode<nodeSetAttributes>},
                     {"childNodes", onNode<nodeGetChildNodes>},
                     {"parentNode", onNode<nodeGetParent>},
                     {"firstChild", onNode<nodeGetFirstChild>},
                     {"lastChild", onNode<nodeGetLastChild>},
                     {"nextSibling", nodeGetNextSibling},
                     {"previousSibling", nodeGetPreviousSibling},
                     {"prefix", onNode<nodeGetPrefix>},
                     {"localName", onNode<nodeGetLocalName>},
                     {"namespaceURI", onNode<nodeGetNamespaceUri>}});
    rt.define(global, QStringLiteral("XMLNode"), Value(xmlNode), DontEnum);

    Object* xmlProto = rt.newObject(nodeProto);
    Object* xml = rt.newClass(xmlConstructor, xmlProto, xmlConstructor);
    defineMethods(rt, xmlProto,
                  {{"parseXML", xmlParse},
                   {"toString", xmlToString},
                   {"createElement", xmlCreateElement},
                   {"createTextNode", xmlCreateTextNode},
                   {"onData", xmlOnData}});
    defineDataLoading(rt, xmlProto);
    rt.define(xmlProto, QStringLiteral("ignoreWhite"), Value(false), DontEnum);
    for (const char* unset : {"xmlDecl", "docTypeDecl", "idMap"})
        rt.define(xmlProto, QString::fromLatin1(unset), Value(), DontEnum);
    rt.define(global, QStringLiteral("XML"), Value(xml), DontEnum);
}

} // namespace movie::avm1
