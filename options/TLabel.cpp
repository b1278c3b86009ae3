#include "options/TLabel.h"

#include <QPainter>
#include <QStyle>

namespace {

// The caption as it reads: marks taken out, "&&" as one "&".
QString withoutMarks(const QString& caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        plain.append(caption[i]);
    }
    return plain;
}

} // namespace

TLabel::TLabel(const QString& caption, QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCaption(caption);
}

void TLabel::setCaption(const QString& caption)
{
    setText(caption);
    setAccessibleName(withoutMarks(caption));
    adjustSize();
}

QSize TLabel::sizeHint() const { return fontMetrics().size(Qt::TextShowMnemonic, text()); }

void TLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextShowMnemonic, palette(), isEnabled(),
                          text(), foregroundRole());
}
