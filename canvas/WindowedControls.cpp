#include "canvas/WindowedControls.h"

namespace {

void makeBorderless(QAbstractScrollArea* control)
{
    control->setFrameShape(QFrame::NoFrame);
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

TMemo::TMemo(QWidget* parent)
    : QPlainTextEdit(parent), ColouredControl(this)
{
    makeBorderless(this);
    setColor(Colours::Window);
}

TTreeView::TTreeView(QWidget* parent)
    : QTreeWidget(parent), ColouredControl(this)
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

TListView::TListView(QWidget* parent)
    : QListWidget(parent), ColouredControl(this)
{
    makeBorderless(this);
    setColor(Colours::Window);
}
