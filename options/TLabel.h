#pragma once

#include <QLabel>

// A transparent one-line label that is always as wide as its text: change
// its text with setCaption so that its size follows. As in the form's other
// captions, "&" marks the next letter, which is shown underlined, and "&&"
// shows one "&".
class TLabel : public QLabel {
public:
    explicit TLabel(const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& caption);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
