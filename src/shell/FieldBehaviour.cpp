#include "FieldBehaviour.h"

#include "Shared.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
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

// Once typed digits fill a section, Qt moves on to the next one, and a separator typed then
// would move once more: "03/05/2026" would leave the day as it was. That separator closes
// the section just left and is dropped.
class DateTypingFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_typedInSection = false;
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const QString text = static_cast<QKeyEvent*>(event)->text();
        const bool typed = text.size() == 1 && text.at(0).isPrint();
        const bool separator = typed && !text.at(0).isLetterOrNumber();
        const int section = static_cast<QDateTimeEdit*>(parent())->currentSectionIndex();
        const bool movedOn = m_typedInSection && section == m_sectionBeforeKey + 1;
        m_typedInSection = typed && !separator;
        m_sectionBeforeKey = section;
        return separator && movedOn;
    }

private:
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
    field->installEventFilter(new DateTypingFilter(field));
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
