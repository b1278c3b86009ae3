#pragma once

#include "base/Colour.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTreeWidget>

// The windowed elements of the canvas: a memo, a tree and a list used as a
// plain coloured box. Each keeps its colour as the skin stores it.

// Keeps a control's background colour as a stored colour and paints with it.
class ColouredControl {
public:
    explicit ColouredControl(QAbstractScrollArea* control) : control_(control) {}
    TColor color() const { return color_; }
    void setColor(TColor color);

protected:
    void setPaletteColour(QPalette::ColorRole role, TColor color);

private:
    QAbstractScrollArea* control_;
    TColor color_ = Colours::Window;
};

// A memo without a border (the info box and the logo area).
class TMemo : public QPlainTextEdit, public ColouredControl {
public:
    explicit TMemo(QWidget* parent = nullptr);
};

// The folder tree, with its own font colour.
class TTreeView : public QTreeWidget, public ColouredControl {
public:
    explicit TTreeView(QWidget* parent = nullptr);
    TColor fontColor() const { return fontColor_; }
    void setFontColor(TColor color);

private:
    TColor fontColor_ = Colours::WindowText;
};

// A list view without columns or items: the coloured Flash area.
class TListView : public QListWidget, public ColouredControl {
public:
    explicit TListView(QWidget* parent = nullptr);
};
