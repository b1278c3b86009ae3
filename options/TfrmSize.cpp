#include "options/TfrmSize.h"

#include "canvas/TForm1.h"

TfrmSize::TfrmSize(TForm1& form1)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint), Form1(form1)
{
    setObjectName(QStringLiteral("frmSize"));
    setWindowTitle(QStringLiteral("....::::Corvadine::::...."));
    setFixedSize(426, 204);
}

void TfrmSize::FormCreate()
{
}
