#pragma once

#include <QWidget>

class TForm1;

// The options window (being built).
class TfrmSize : public QWidget {
    Q_OBJECT

public:
    explicit TfrmSize(TForm1& form1);

    void FormCreate();

private:
    TForm1& Form1;
};
