#include "canvas/WindowedControls.h"

namespace {

// Canvas controls only stand for the menu's controls: no frame, the arrow
// pointer, and no context menu (a right press resizes them instead).
void makeBorderless(QAbstractScrollArea* control)
{
    control->setFrameShape(QFrame::NoFrame);
    control->setContextMenuPolicy(Qt::NoContextMenu);
    control->viewport()->setContextMenuPolicy(Qt::NoContextMenu);
    control->setCursor(Qt::ArrowCursor);
    control->viewport()->setCursor(Qt::ArrowCursor);
}

} // namespace

void ColouredControl::setPaletteColour(QPalette::ColorRole role, TColor color)
{
    QPalette palette = control_->palette();
    palette.setColor(role, displayColour(color));
    control_->setPalette(palette);
}

void ColouredControl::setColor(TColor color)
{
    color_ = color;
    setPaletteColour(QPalette::Base, color);
    setPaletteColour(QPalette::Window, color);
}

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent), ColouredControl(this)
{
    makeBorderless(this);
    setColor(Colours::Window);
}

TTreeView::TTreeView(QWidget* parent) : QTreeWidget(parent), ColouredControl(this)
{
    makeBorderless(this);
    setHeaderHidden(true);
    setColor(Colours::Window);
    setFontColor(Colours::WindowText);
}

void TTreeView::setFontColor(TColor color)
{
    fontColor_ = color;
    setPaletteColour(QPalette::Text, color);
}

TListView::TListView(QWidget* parent) : QListWidget(parent), ColouredControl(this)
{
    makeBorderless(this);
    setColor(Colours::Window);
}
