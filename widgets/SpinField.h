#pragma once

#include <QAbstractSpinBox>

// An integer field with a lower and an upper limit and up and down arrows.
// Its value is the whole number in its text, brought within the limits, or
// the lower limit when the text is no whole number. A value set by the
// program is shown within the limits at once; a number typed outside them
// stays as typed until the field loses the focus, then shows the nearest
// limit. Equal limits mean no limits. valueChanged is emitted exactly when
// the value changes, whether the user or the program changed it. The typing
// room limits only what the user types: a wider value set by the program is
// shown whole.
class SpinField : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)

public:
    explicit SpinField(QWidget* parent = nullptr);
    // A field of the editors: its control name, limits and typing room.
    SpinField(const QString& name, int minimum, int maximum, int typingRoom, QWidget* parent = nullptr);

    int value() const;
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    // New limits bring the shown value within them.
    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, maximum_); }
    void setMaximum(int maximum) { setRange(minimum_, maximum); }
    void setIncrement(int increment) { increment_ = increment; }
    void setMaxLength(int characters);
    // Room for every whole number within the limits, its sign included.
    void fitTypingRoom();
    // Strict limits hold even when equal, and a number outside them cannot
    // be typed: for fields whose value must name something that exists.
    void setStrictLimits(bool strict) { strict_ = strict; }

    // Shows value without emitting valueChanged: for showing stored data
    // where that is not an edit.
    void setValueSilently(int value);

    void stepBy(int steps) override;
    QSize sizeHint() const override;

public slots:
    void setValue(int value);

signals:
    void valueChanged(int value);

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int bounded(qint64 value) const;
    void textChanged();

    int minimum_ = 0;
    int maximum_ = 0;
    int increment_ = 1;
    int lastValue_ = 0;
    int typingRoom_ = 32767;
    // The text as it stood before the edit being validated.
    int shownLength_ = 1;
    bool silent_ = false;
    bool strict_ = false;
};
