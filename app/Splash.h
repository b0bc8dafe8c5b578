#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The main menu: the program's main window, from which both editors open.
// Closing it ends the program.
class TfrmSplash : public QWidget {
    Q_OBJECT

public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    QLabel* lblTitle;
    QLabel* JPEGImage1;
    QPushButton* btnExit;
};

extern TfrmSplash* frmSplash;
