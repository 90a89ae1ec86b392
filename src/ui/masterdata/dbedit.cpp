#include "ui/masterdata/dbedit.h"

#include "core/database.h"
#include "core/tableview.h"
#include "masterdata/masterdata.h"
#include "ui/common/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace kartevo {

namespace {

const char *const kSkipsValidation = "kartevoSkipsValidation";

} // namespace

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &DBEdit::written);
}

void DBEdit::SetSkipsValidation(QWidget *widget) { widget->setProperty(kSkipsValidation, true); }

void DBEdit::bind(TableView &table, const QString &field, Kind kind)
{
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = &table;
    m_field = field;
    m_kind = kind;
    if (kind == Kind::Text) {
        const int width = table.database().columnWidth(table.tableName(), field);
        if (width > 0)
            setMaxLength(width);
    }
    connect(&table, &DataSet::rowChanged, this, [this](int row) {
        if (m_table && row == m_table->currentRow())
            load();
    });
    connect(&table, &DataSet::afterScroll, this, &DBEdit::load);
    connect(&table, &DataSet::dataReset, this, &DBEdit::load);
    load();
}

QString DBEdit::shownText() const
{
    if (!m_table || !m_table->isOpen())
        return {};
    const QVariant value = m_table->value(m_field);
    if (value.isNull() || !value.isValid())
        return {};
    switch (m_kind) {
    case Kind::Text:
        return value.toString();
    // Numbers read as in the list: two decimals, a whole number none.
    case Kind::Real:
        return ListNumberText(m_table->asFloat(m_field), 2);
    case Kind::Integer:
        return ListNumberText(m_table->asFloat(m_field), 0);
    }
    return {};
}

void DBEdit::load()
{
    const QString shown = shownText();
    if (shown == text())
        return;
    m_loading = true;
    setText(shown);
    m_loading = false;
}

void DBEdit::written(const QString &text)
{
    if (m_loading || !m_table || m_kind != Kind::Text || m_table->state() == DataSet::State::Browse)
        return;
    m_table->setValue(m_field, text);
}

bool DBEdit::commit()
{
    if (m_kind == Kind::Text || !m_table || m_table->state() == DataSet::State::Browse)
        return true;
    const std::optional<QVariant> value = ParseNumberField(text(), m_kind == Kind::Integer);
    if (!value) {
        if (!m_refusing) {
            m_refusing = true;
            ShowError(NotANumberMessage(text()), window());
            m_refusing = false;
        }
        // The focus change that brought us here is still under way: come back after it.
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
        return false;
    }
    if (text() != shownText())
        m_table->setValue(m_field, *value);
    return true;
}

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_kind != Kind::Text && !isReadOnly()) {
        const QString typed = event->text();
        const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
        if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            for (QChar c : typed) {
                if (!IsNumberChar(c, m_kind == Kind::Integer)) {
                    event->accept();
                    QApplication::beep();
                    return;
                }
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (m_kind == Kind::Text || m_refusing)
        return;
    // Leaving the window (an error box, another program) is not leaving the field; nor is the
    // step to the cancel button, which drops the row anyway.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (QWidget *next = QApplication::focusWidget(); next && next->property(kSkipsValidation).toBool())
        return;
    commit();
}

} // namespace kartevo
