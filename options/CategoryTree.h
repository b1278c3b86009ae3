#pragma once

#include <QTreeWidget>

// The category tree of the options window: no border, no in-place editing,
// dotted lines and expand buttons, and hot tracking (the node under the
// pointer is underlined). Every left click anywhere in it emits clicked()
// once the click has taken effect (a node is selected on the press), so the
// selected node is the one after the click. Moving the selection with the
// keyboard emits nothing; the right and middle buttons select nothing.
// Collapsing a node that holds the selected node selects the collapsed node,
// as the platform's tree does, so a node that can be seen stays selected
// (and a click on the expand button shows that node's panel).
class CategoryTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit CategoryTree(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void selectCollapsedAncestor(const QModelIndex& collapsed);

    bool pressed_ = false;
};
