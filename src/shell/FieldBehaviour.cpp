#include "FieldBehaviour.h"

#include "Shared.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {
void setBackground(QWidget* field, const QColor& colour)
{
    QPalette p = field->palette();
    auto* combo = qobject_cast<QComboBox*>(field);
    // A drop-down list without a text field is drawn in the button colour. The disabled look
    // is left to the style: a field disabled after it lost the focus must not look usable.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, colour);
        if (combo && !combo->isEditable())
            p.setColor(group, QPalette::Button, colour);
    }
    field->setPalette(p);
    if (combo && combo->lineEdit())
        combo->lineEdit()->setPalette(p);
}

// A date or time field takes typed digits only into a selected section; with its whole
// text selected it would ignore them.
void selectOnFocus(QWidget* field)
{
    if (auto* dateTime = qobject_cast<QDateTimeEdit*>(field))
        dateTime->setSelectedSection(dateTime->sectionAt(0));
    else
        SelectAllText(field);
}

class EnterFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                SendTabKey(static_cast<QWidget*>(parent()));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

class FieldFilter : public QObject
{
public:
    FieldFilter(QWidget* field, bool selectAll, std::function<void()> onF1)
        : QObject(field), m_selectAll(selectAll), m_onF1(std::move(onF1))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* field = static_cast<QWidget*>(parent());
        switch (event->type()) {
        case QEvent::FocusIn:
            setBackground(field, shared().FocusColour);
            if (m_selectAll) {
                // After the focus event, or a mouse click would undo the selection.
                QTimer::singleShot(0, field, [field] { selectOnFocus(field); });
            }
            break;
        case QEvent::FocusOut:
            setBackground(field, Qt::white);
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                SendTabKey(field);
                return true;
            }
            if (key->key() == Qt::Key_F1 && m_onF1) {
                m_onF1();
                return true;
            }
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_selectAll;
    std::function<void()> m_onF1;
};

// One number of a date or time field's format, and how many digits fill it.
struct FormatNumber
{
    QDateTimeEdit::Section section;
    int width;
};

QList<FormatNumber> formatNumbers(const QDateTimeEdit* field)
{
    QList<FormatNumber> numbers;
    for (int i = 0; i < field->sectionCount(); ++i) {
        const QDateTimeEdit::Section section = field->sectionAt(i);
        const bool longYear = section == QDateTimeEdit::YearSection &&
                              field->displayFormat().contains(QLatin1String("yyyy"));
        if (section != QDateTimeEdit::AmPmSection)
            numbers.append({section, longYear ? 4 : section == QDateTimeEdit::MSecSection ? 3 : 2});
    }
    return numbers;
}

enum class Typed { Partial, Whole, Broken };

// Reads typed keys as a whole entry of the format: one group of digits per number, in the
// format's order. A group ends when it fills its number or at a separator; a separator right
// after a filled group only closes it.
Typed readTyped(const QString& keys, const QList<FormatNumber>& numbers, QList<int>& values)
{
    values.clear();
    int value = 0;
    int digits = 0;
    bool filled = false;
    for (const QChar c : keys) {
        if (values.size() == numbers.size())
            return Typed::Broken;
        if (c.isDigit()) {
            value = value * 10 + c.digitValue();
            filled = ++digits == numbers.at(values.size()).width;
            if (!filled)
                continue;
        } else if (digits == 0) {
            if (!std::exchange(filled, false))
                return Typed::Broken;
            continue;
        }
        values.append(value);
        value = digits = 0;
    }
    return values.size() == numbers.size() ? Typed::Whole : Typed::Partial;
}

// Qt fills typed digits into the section where the typing starts and clamps each section to
// the others as they stand. So a date typed after a click into the year, or reached by
// Shift+Tab, lands in the wrong sections; 02/29/2028 over a field showing 2026 loses its day;
// and 14:30 typed over a 12-hour clock reads 01:30. The keys still reach the field one by
// one, so a single section typed changes only that section; once they make a whole entry, it
// is set whole. A 12-hour field takes a 24-hour hour as that hour.
//
// Also: once typed digits fill a section, Qt moves on to the next one, and a separator typed
// then would move once more: "03/05/2026" would leave the day as it was. That separator
// closes the section just left and is dropped.
class DateTypingFilter : public QObject
{
public:
    explicit DateTypingFilter(QDateTimeEdit* field)
        : QObject(field), m_field(field),
          m_text(field->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
    {
        field->installEventFilter(this);
        m_text->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) {
            m_typedInSection = false;
            m_keys.clear();
        }
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const QString text = static_cast<QKeyEvent*>(event)->text();
        const bool typed = text.size() == 1 && text.at(0).isPrint();
        const bool separator = typed && !text.at(0).isLetterOrNumber();
        const bool digit = typed && text.at(0).isDigit();
        const int section = m_field->currentSectionIndex();
        const bool movedOn = m_typedInSection && section == m_sectionBeforeKey + 1;
        m_typedInSection = typed && !separator;
        m_sectionBeforeKey = section;
        if (!digit && !separator) {
            m_keys.clear();
            return false;
        }
        if (m_keys.isEmpty()) {
            m_firstSection = m_field->currentSection();
            // A click leaves the cursor in a section; its digits replace the section's.
            if (digit && !m_text->hasSelectedText())
                m_field->setSelectedSection(m_firstSection);
        }
        m_keys += text;
        return takeWhole() || takeHour() || (separator && movedOn);
    }

private:
    bool takeWhole()
    {
        const QList<FormatNumber> numbers = formatNumbers(m_field);
        QList<int> values;
        const Typed read = readTyped(m_keys, numbers, values);
        if (read != Typed::Partial)
            m_keys.clear();
        if (read != Typed::Whole)
            return false;
        QMap<QDateTimeEdit::Section, int> typed;
        for (int i = 0; i < numbers.size(); ++i)
            typed.insert(numbers.at(i).section, values.at(i));
        const QDate day = m_field->date();
        const QTime shown = m_field->time();
        int year = typed.value(QDateTimeEdit::YearSection, day.year());
        if (year < 100 && !m_field->displayFormat().contains(QLatin1String("yyyy")))
            year += day.year() / 100 * 100; // two digits: the century shown
        const QDate date(year, typed.value(QDateTimeEdit::MonthSection, day.month()),
                         typed.value(QDateTimeEdit::DaySection, day.day()));
        const QTime time(hourOf(typed.value(QDateTimeEdit::HourSection, shown.hour())),
                         typed.value(QDateTimeEdit::MinuteSection, shown.minute()),
                         typed.value(QDateTimeEdit::SecondSection, shown.second()),
                         typed.value(QDateTimeEdit::MSecSection, shown.msec()));
        // Not a date or time at all: Qt reads the keys as it would.
        if (!date.isValid() || !time.isValid())
            return false;
        m_field->setDateTime(QDateTime(date, time));
        // What may follow (AM or PM) goes to the last section.
        m_field->setSelectedSection(m_field->sectionAt(m_field->sectionCount() - 1));
        return true;
    }

    // Two digits typed into a 12-hour field's hour that no 12-hour clock shows (00, 13 to 23).
    // The keys begin with a digit: a separator first breaks them off.
    bool takeHour()
    {
        if (!twelveHour() || m_firstSection != QDateTimeEdit::HourSection || m_keys.size() != 2 ||
            !m_keys.at(1).isDigit())
            return false;
        const int hour = m_keys.at(0).digitValue() * 10 + m_keys.at(1).digitValue();
        if ((hour >= 1 && hour <= 12) || hour > 23)
            return false;
        m_field->setTime(QTime(hour, m_field->time().minute(), m_field->time().second()));
        m_field->setSelectedSection(QDateTimeEdit::MinuteSection);
        return true;
    }

    // A whole time's hour: 1 to 12 on a 12-hour field keeps the half of the day it shows;
    // 0 and 13 to 23 are the 24-hour clock's.
    int hourOf(int typed) const
    {
        if (!twelveHour() || typed < 1 || typed > 12)
            return typed;
        return typed % 12 + (m_field->time().hour() >= 12 ? 12 : 0);
    }

    bool twelveHour() const { return m_field->displayedSections() & QDateTimeEdit::AmPmSection; }

    QDateTimeEdit* m_field;
    QLineEdit* m_text; // the text inside the field, where the mouse meets it
    // The keys typed since the typing last started (focus, a click, another key).
    QString m_keys;
    QDateTimeEdit::Section m_firstSection = QDateTimeEdit::NoSection;
    // The last key typed a character into a section, which was then the current one.
    bool m_typedInSection = false;
    int m_sectionBeforeKey = -1;
};
}  // namespace

void installFieldBehaviour(QWidget* field, bool selectAll, std::function<void()> onF1)
{
    auto* filter = new FieldFilter(field, selectAll, std::move(onF1));
    field->installEventFilter(filter);
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
    if (auto* dateTime = qobject_cast<QDateTimeEdit*>(field))
        installDateTyping(dateTime);
}

void installDateTyping(QDateTimeEdit* field)
{
    new DateTypingFilter(field);
}

void installEnterToTab(QWidget* field) { field->installEventFilter(new EnterFilter(field)); }

void SendTabKey(QWidget* from)
{
    QWidget* field = from ? from : QApplication::focusWidget();
    if (!field)
        return;
    // The window's tab order decides the next field, as a Tab key press would.
    QWidget* next = field->nextInFocusChain();
    while (next && next != field &&
           (!(next->focusPolicy() & Qt::TabFocus) || !next->isEnabled() || !next->isVisible() ||
            next->focusProxy()))
        next = next->nextInFocusChain();
    if (next && next != field)
        next->setFocus(Qt::TabFocusReason);
}

void SelectAllText(QWidget* form)
{
    QWidget* active = form ? (form->focusWidget() ? form->focusWidget() : form) : nullptr;
    if (!active)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(active))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(active); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(active))
        spin->selectAll();
    else if (auto* text = qobject_cast<QTextEdit*>(active))
        text->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(active))
        plain->selectAll();
}

QPushButton* makeCommandButton(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}
