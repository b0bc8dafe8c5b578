#pragma once

#include <QLabel>

// The one text panel of a status bar. A long text (a deep path) never
// widens the window: it is shortened in the middle, whole in the tool tip.
// User input and paths in it show as plain text, never as markup.
class StatusPanel : public QLabel {
    Q_OBJECT

public:
    explicit StatusPanel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString shown() const;
};
