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
    QPushButton* btnUEdit;
    QPushButton* btnSGEdit;
    QPushButton* btnExit;

public slots:
    // Each editor opens modally; the menu waits until it is closed.
    void btnUEditClick();
    void btnSGEditClick();
    void btnExitClick();
};

extern TfrmSplash* frmSplash;
