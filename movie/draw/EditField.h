#pragma once

#include "movie/DisplayList.h"
#include "movie/draw/FieldText.h"
#include "movie/draw/ShapeDef.h"
#include "movie/draw/TextLayout.h"

#include <QRectF>
#include <memory>
#include <optional>

namespace movie {

struct EditTextDef;
class FontSet;

// A live edit field: its formatted text, the properties scripts read and
// set, and its picture, drawn from its current state. Placed from the file
// or made by a script; its script object and its place in a parent are
// kept here as a sprite keeps its own.
class EditField : public std::enable_shared_from_this<EditField>, public ScriptTransform {
public:
    enum class AutoSize : quint8 { None, Left, Center, Right };

    // A field as the file defines it, with its text.
    EditField(const EditTextDef& def, const FontSet& fonts, int movieVersion);
    // A new empty field of a script, `bounds` in twips.
    EditField(const QRectF& bounds, const FontSet& fonts, int movieVersion);

    // --- Text. Line breaks are "\r".
    const QString& text() const { return content_.text(); }
    const FieldText& content() const { return content_; }
    // The new text in the new-text format.
    void setText(const QString& text);
    // HTML when the field is an HTML field, else its text.
    QString htmlText() const;
    void setHtmlText(const QString& text);
    void replaceText(qsizetype begin, qsizetype end, const QString& text);
    // What [begin, end) has alike; nothing of an empty range.
    TextFormat format(qsizetype begin, qsizetype end) const { return content_.formatOf(begin, end, {}); }
    void setFormat(qsizetype begin, qsizetype end, const TextFormat& format);
    // The format of text a script or the user adds.
    const TextFormat& newFormat() const { return newFormat_; }
    void setNewFormat(const TextFormat& format);
    // Every character's colour and the new-text format's.
    void setTextColor(quint32 rgb);

    // --- Properties: set them, then call changed().
    QRectF bounds; // twips, in the field's own coordinates
    bool html = false;
    bool multiline = false;
    bool wordWrap = false;
    bool password = false;
    bool border = false;
    bool background = false;
    quint32 borderColor = 0;
    quint32 backgroundColor = 0xFFFFFF;
    bool selectable = true;
    bool editable = false; // type "input"
    bool embedFonts = false;
    bool condenseWhite = false;
    bool mouseWheelEnabled = true;
    AutoSize autoSize = AutoSize::None;
    std::optional<int> maxChars;
    std::optional<QString> restrict;
    QString variable; // empty: none
    int scroll = 1;   // the first line shown, from 1
    int hscroll = 0;  // pixels
    QString antiAliasType = QStringLiteral("normal");
    QString gridFitType = QStringLiteral("pixel");
    double sharpness = 0, thickness = 0;

    // Lays the text out anew when it is next needed; an auto-sized field
    // takes the size of its text.
    void changed();
    // Changes with every change of what the field shows.
    quint64 revision() const { return revision_; }
    const TextLayout& layout() const;
    // Scrolling, in lines from 1 and in pixels.
    int maxScroll() const;
    int bottomScroll() const;
    int maxHScroll() const;

    // The field's text as scrolled (to be clipped to the bounds), in the
    // field's coordinates.
    const ShapeDef& textPicture() const;

    // --- Scripting: where the field stands and its script object (owned
    // by the player's script runtime).
    std::weak_ptr<SpriteInstance> parent;
    int depth = 0;
    avm1::Object* object = nullptr;
    bool removed = false;
    // Selection and caret, when the field has the focus.
    qsizetype selectionBegin = 0, selectionEnd = 0;
    int movieVersion() const { return version_; }

private:
    void fitToText();

    const FontSet& fonts_;
    int version_;
    FieldText content_;
    TextFormat newFormat_;
    mutable std::optional<TextLayout> layout_;
    mutable std::optional<ShapeDef> text_;
    quint64 revision_ = 0;
};

} // namespace movie
