#pragma once

#include <QLabel>

// A transparent one-line label that is always as wide as its text: change
// its text with setCaption so that its size follows.
class TLabel : public QLabel {
public:
    explicit TLabel(const QString& caption, QWidget* parent = nullptr) : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
        setCaption(caption);
    }

    void setCaption(const QString& caption)
    {
        setText(caption);
        adjustSize();
    }
};
