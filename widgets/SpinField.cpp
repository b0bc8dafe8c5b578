#include "widgets/SpinField.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QStyleOptionSpinBox>
#include <algorithm>

SpinField::SpinField(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAccelerated(true);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinField::textChanged);
}

SpinField::SpinField(const QString& name, int minimum, int maximum, int typingRoom, QWidget* parent)
    : SpinField(parent)
{
    setObjectName(name);
    setRange(minimum, maximum);
    setMaxLength(typingRoom);
}

int SpinField::bounded(qint64 value) const
{
    if (minimum_ == maximum_ && !strict_)
        return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
    return static_cast<int>(std::clamp<qint64>(value, minimum_, maximum_));
}

int SpinField::value() const
{
    bool ok = false;
    const qint64 typed = text().toLongLong(&ok);
    return ok ? bounded(typed) : minimum_;
}

void SpinField::setValue(int value)
{
    const QString shown = QString::number(bounded(value));
    // Before the text: the line edit validates it too.
    shownLength_ = static_cast<int>(shown.size());
    if (lineEdit()->text() != shown)
        lineEdit()->setText(shown);
}

void SpinField::setValueSilently(int value)
{
    silent_ = true;
    setValue(value);
    lastValue_ = this->value();
    silent_ = false;
}

void SpinField::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setValue(value());
    textChanged();
}

void SpinField::setMaxLength(int characters)
{
    typingRoom_ = characters;
    updateGeometry();
}

void SpinField::fitTypingRoom()
{
    setMaxLength(static_cast<int>(std::max(QString::number(minimum_).size(), QString::number(maximum_).size())));
}

void SpinField::textChanged()
{
    shownLength_ = static_cast<int>(text().size());
    const int now = value();
    if (now == lastValue_)
        return;
    lastValue_ = now;
    if (!silent_)
        emit valueChanged(now);
}

void SpinField::stepBy(int steps)
{
    setValue(bounded(static_cast<qint64>(value()) + static_cast<qint64>(steps) * increment_));
    selectAll();
}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State SpinField::validate(QString& input, int&) const
{
    // Any whole number the field has room for may be typed; the limits
    // apply when the field is left. A wider value the program showed may
    // still be shortened or overtyped, never lengthened.
    static const QRegularExpression wholeNumber(QStringLiteral("^-?[0-9]*$"));
    if (!wholeNumber.match(input).hasMatch())
        return QValidator::Invalid;
    if (input.size() > std::max(typingRoom_, shownLength_))
        return QValidator::Invalid;
    bool ok = false;
    const qint64 typed = input.toLongLong(&ok);
    if (ok && strict_ && (typed < minimum_ || typed > maximum_))
        return QValidator::Invalid;
    return ok ? QValidator::Acceptable : QValidator::Intermediate;
}

void SpinField::fixup(QString& input) const
{
    input = QString::number(value());
}

void SpinField::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    setValue(value());
}

QSize SpinField::sizeHint() const
{
    ensurePolished();
    const int characters = typingRoom_ < 32767 ? typingRoom_ : 6;
    const QFontMetrics metrics(font());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize text(metrics.horizontalAdvance(QString(std::max(characters, 2) + 1, QLatin1Char('0'))),
                     lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}
