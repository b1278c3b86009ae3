#include "platform/TCheckBox.h"

#include "base/Application.h"

TCheckBox::TCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    // clicked() comes only from the user, never from setChecked().
    connect(this, &QCheckBox::clicked, this, [this] {
        if (onClick_)
            Application::runBehaviour(onClick_);
    });
}

void TCheckBox::setState(bool checked)
{
    if (isChecked() == checked)
        return;
    setChecked(checked);
    if (onClick_)
        onClick_();
}
