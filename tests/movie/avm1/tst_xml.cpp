// XML documents and LoadVars variables that scripts parse, build and write
// back as text, without files.

#include "tests/support/MovieTestKit.h"

#include "movie/writer/ActionWriter.h"

using namespace kit;
using movie::writer::ActionWriter;
using A = ActionWriter;

namespace {

// The traces of a movie whose first frame runs `script`.
QStringList traces(const A& script)
{
    SwfWriter w = stage(kWhite, 10, 10);
    w.doAction(script.bytes());
    w.showFrame();
    return TracedPlayer(w.finish()).traces;
}

// variable = new Class(text)
A& construct(A& a, const QByteArray& variable, const QByteArray& cls, const QByteArray& text = {})
{
    if (text.isNull())
        return a.push({A::str(variable), A::num(0), A::str(cls)}).op(0x40).op(0x1D);
    return a.push({A::str(variable), A::str(text), A::num(1), A::str(cls)}).op(0x40).op(0x1D);
}

// variable = object.method(argument)
A& assignCall(A& a, const QByteArray& variable, const QByteArray& object, const QByteArray& method,
              const QList<A::Operand>& args)
{
    a.push({A::str(variable)});
    return a.callMethod(object, method, args).op(0x1D);
}

// object.method(the value of `variable`)
A& callWith(A& a, const QByteArray& object, const QByteArray& method, const QList<QByteArray>& variables)
{
    for (qsizetype i = variables.size(); i-- > 0;)
        a.getVariable(variables[i]);
    return a.push({A::num(double(variables.size()))}).getVariable(object).push({A::str(method)}).op(0x52).op(0x17);
}

} // namespace

class XmlTest : public QObject {
    Q_OBJECT

private slots:
    // A parsed document: its nodes, their names, values, types, attributes
    // and links, entities decoded; and written back, entities encoded and
    // empty elements closed as " />".
    void parsesAndWritesADocument()
    {
        A s;
        construct(s, "x", "XML", "<a b=\"1\" c='two'><d>text &lt;x&gt; &#65;</d><e/></a>");
        for (const char* path :
             {"x.nodeName", "x.nodeType", "x.status", "x.firstChild.nodeName", "x.firstChild.attributes.c",
              "x.firstChild.childNodes.length", "x.firstChild.firstChild.firstChild.nodeValue",
              "x.firstChild.firstChild.firstChild.nodeType", "x.firstChild.firstChild.firstChild.nodeName",
              "x.firstChild.firstChild.nextSibling.nodeName", "x.firstChild.lastChild.previousSibling.nodeName",
              "x.firstChild.lastChild.nextSibling", "x.firstChild.parentNode.nodeName"})
            s.getVariable(path).trace();
        s.getVariable("x").trace();
        QCOMPARE(traces(s),
                 QStringList({"null", "1", "0", "a", "two", "2", "text <x> A", "3", "null", "e", "d", "null", "null",
                              "<a b=\"1\" c=\"two\"><d>text &lt;x&gt; A</d><e /></a>"}));
    }

    // A document built node by node: createElement, createTextNode,
    // appendChild, insertBefore, removeNode and cloneNode; a node put into
    // its own child is refused, so the tree stays a tree.
    void buildsADocument()
    {
        A s;
        construct(s, "doc", "XML");
        assignCall(s, "item", "doc", "createElement", {A::str("item")});
        s.setVariable("item.attributes.id", A::str("7"));
        assignCall(s, "text", "doc", "createTextNode", {A::str("A & B")});
        callWith(s, "item", "appendChild", {"text"});
        callWith(s, "doc", "appendChild", {"item"});
        assignCall(s, "first", "doc", "createElement", {A::str("first")});
        callWith(s, "doc", "insertBefore", {"first", "item"});
        s.getVariable("doc").trace();
        assignCall(s, "copy", "item", "cloneNode", {A::boolean(true)});
        s.getVariable("copy").trace().getVariable("copy.parentNode").trace();
        callWith(s, "text", "appendChild", {"doc"}); // the document into its own grandchild
        s.callMethod("item", "removeNode").op(0x17);
        s.getVariable("doc")
            .trace()
            .getVariable("item.parentNode")
            .trace()
            .getVariable("doc.childNodes.length")
            .trace();
        QCOMPARE(traces(s),
                 QStringList({"<first /><item id=\"7\">A &amp; B</item>", "<item id=\"7\">A &amp; B</item>", "null",
                              "<first />", "null", "1"}));
    }

    // XML.status after parsing broken text: the first error found.
    void statusNamesTheFirstError()
    {
        const QList<std::pair<QByteArray, QString>> cases{
            {"<a><b/></a>", "0"}, {"<![CDATA[x", "-2"}, {"<?xml version", "-3"}, {"<!DOCTYPE a", "-4"},
            {"<a><!-- x", "-5"},  {"< a/>", "-6"},      {"<a b=\"1></a>", "-8"}, {"<a><b></a>", "-9"},
            {"<a>", "-9"},        {"</a>", "-10"},
        };
        A s;
        QStringList expected;
        for (const auto& [text, status] : cases) {
            construct(s, "x", "XML", text);
            s.getVariable("x.status").trace();
            expected << status;
        }
        QCOMPARE(traces(s), expected);
    }

    // ignoreWhite drops the text nodes that are only white space; the
    // declaration and DOCTYPE are kept as text and written first.
    void whiteSpaceAndProlog()
    {
        const QByteArray text = "<?xml version=\"1.0\"?><!DOCTYPE menu><menu>\n  <item/>\n</menu>";
        A s;
        construct(s, "x", "XML", text);
        s.getVariable("x.firstChild.childNodes.length").trace();
        construct(s, "y", "XML").setVariable("y.ignoreWhite", A::boolean(true));
        s.callMethod("y", "parseXML", {A::str(text)}).op(0x17);
        s.getVariable("y.firstChild.childNodes.length").trace().getVariable("y.xmlDecl").trace();
        s.getVariable("y.docTypeDecl").trace().getVariable("y").trace();
        QCOMPARE(traces(s),
                 QStringList({"3", "1", "<?xml version=\"1.0\"?>", "<!DOCTYPE menu>",
                              "<?xml version=\"1.0\"?><!DOCTYPE menu><menu><item /></menu>"}));
    }

    // A document nested 65536 deep (its text doubled up by the script) is
    // parsed and written without running out of stack.
    void aDeepDocumentIsNoDanger()
    {
        A s;
        s.setVariable("open", A::str("<a>")).setVariable("close", A::str("</a>")).setVariable("i", A::num(0));
        s.label("again");
        for (const char* name : {"open", "close"})
            s.push({A::str(name)}).getVariable(name).getVariable(name).op(0x47).op(0x1D); // name += name
        s.push({A::str("i")}).getVariable("i").op(0x50).op(0x1D);                         // i++
        s.getVariable("i").push({A::num(16)}).op(0x48).ifTrue("again");
        s.push({A::str("x")}).getVariable("open").getVariable("close").op(0x47);
        s.push({A::num(1), A::str("XML")}).op(0x40).op(0x1D); // x = new XML(open + close)
        s.getVariable("x.status").trace();
        s.push({A::str("x")}).op(0x1C).op(0x4B).push({A::str("length")}).op(0x4E).trace(); // String(x).length
        // The innermost element, empty, is written "<a />".
        QCOMPARE(traces(s), QStringList({"0", QString::number(65536 * 7 - 2)}));
    }

    // LoadVars: decode() reads URL-encoded variables; toString() writes
    // every variable in for..in order, escaped.
    void loadVarsReadsAndWritesVariables()
    {
        A s;
        construct(s, "v", "LoadVars");
        s.callMethod("v", "decode", {A::str("title=Summer+Disc&sign=%26&empty=")}).op(0x17);
        s.getVariable("v.title").trace().getVariable("v.sign").trace();
        construct(s, "my_lv", "LoadVars");
        s.setVariable("my_lv.name", A::str("Gary")).setVariable("my_lv.age", A::num(26));
        s.callMethod("my_lv", "toString").trace();
        construct(s, "w", "LoadVars").setVariable("w.text", A::str("a b&c"));
        s.callMethod("w", "toString").trace();
        QCOMPARE(traces(s), QStringList({"Summer Disc", "&", "age=26&name=Gary", "text=a%20b%26c"}));
    }
};

QTEST_MAIN(XmlTest)
#include "tst_xml.moc"
