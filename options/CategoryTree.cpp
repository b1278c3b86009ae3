#include "options/CategoryTree.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Hot tracking: the node under the pointer is drawn underlined in the link
// colour.
class HotTrackDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_MouseOver) {
            option->font.setUnderline(true);
            if (!(option->state & QStyle::State_Selected))
                option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Link));
        }
        // No hover fill: only the text shows the tracking.
        option->state &= ~QStyle::State_MouseOver;
        option->backgroundBrush = Qt::NoBrush;
    }
};

void drawDottedLine(QPainter* painter, int x1, int y1, int x2, int y2)
{
    // Every other pixel, as the classic tree lines are drawn.
    if (x1 == x2) {
        for (int y = y1 + (y1 & 1); y <= y2; y += 2)
            painter->drawPoint(x1, y);
    } else {
        for (int x = x1 + (x1 & 1); x <= x2; x += 2)
            painter->drawPoint(x, y1);
    }
}

bool hasNextSibling(const QModelIndex& index) { return index.sibling(index.row() + 1, index.column()).isValid(); }

} // namespace

CategoryTree::CategoryTree(QWidget* parent) : QTreeWidget(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRootIsDecorated(true);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    setItemDelegate(new HotTrackDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeView::collapsed, this, &CategoryTree::selectCollapsedAncestor);
}

void CategoryTree::selectCollapsedAncestor(const QModelIndex& collapsed)
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    for (QModelIndex ancestor = selected.first().parent(); ancestor.isValid(); ancestor = ancestor.parent()) {
        if (ancestor == collapsed) {
            setCurrentIndex(collapsed);
            return;
        }
    }
}

void CategoryTree::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    // Only the left button selects; a press below the nodes keeps the
    // selection as it is (the view itself would clear it).
    if (!pressed_ || !indexAt(event->position().toPoint()).isValid())
        return;
    QTreeWidget::mousePressEvent(event);
}

void CategoryTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    const bool click = pressed_ && event->button() == Qt::LeftButton;
    pressed_ = false;
    if (click)
        emit clicked();
}

void CategoryTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    const int step = indentation();
    int level = 0;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        ++level;

    painter->save();
    painter->setPen(palette().color(QPalette::Dark));
    const int midY = rect.top() + rect.height() / 2;

    // The node's own column: a line from its parent's line to the node, and
    // on down to its next sibling.
    const int ownLeft = rect.left() + level * step;
    const int midX = ownLeft + step / 2;
    const bool first = !index.parent().isValid() && index.row() == 0;
    drawDottedLine(painter, midX, first ? midY : rect.top(), midX, hasNextSibling(index) ? rect.bottom() : midY);
    drawDottedLine(painter, midX, midY, ownLeft + step - 2, midY);

    // The columns of the ancestors: a line where an ancestor has a sibling
    // still to come below.
    QModelIndex ancestor = index.parent();
    for (int column = level - 1; column >= 0 && ancestor.isValid(); --column, ancestor = ancestor.parent()) {
        if (hasNextSibling(ancestor)) {
            const int x = rect.left() + column * step + step / 2;
            drawDottedLine(painter, x, rect.top(), x, rect.bottom());
        }
    }

    // The expand button: a small box with a plus or a minus.
    if (model()->hasChildren(index)) {
        const QRect box(midX - 4, midY - 4, 8, 8);
        painter->fillRect(box, palette().color(QPalette::Base));
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawRect(box);
        painter->setPen(palette().color(QPalette::Text));
        painter->drawLine(midX - 2, midY, midX + 2, midY);
        if (!isExpanded(index))
            painter->drawLine(midX, midY - 2, midX, midY + 2);
    }
    painter->restore();
}
