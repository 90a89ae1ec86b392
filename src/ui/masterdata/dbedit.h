#pragma once

#include <QLineEdit>
#include <QPointer>

namespace kartevo {

class TableView;

// A one-line edit field bound to a column of a table view's current row. It shows the column
// and writes what is typed back into the row being edited (the opener posts or cancels the
// row). Text fields are limited to the column's declared width. Numeric fields show their value
// as the lists do (ListNumberText: two decimals for a real, none for a whole number), take only
// the characters of a number and write their value when left; a text that is no number is
// refused with an error and the focus stays in the field.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Text, Real, Integer };

    explicit DBEdit(QWidget *parent = nullptr);

    void bind(TableView &table, const QString &field, Kind kind = Kind::Text);
    const QString &field() const { return m_field; }
    Kind kind() const { return m_kind; }

    // Shows the column's current value.
    void load();
    // Writes a numeric field's text into the row. A text that is no number shows the error,
    // keeps the focus in the field and gives false. Text fields are always written already.
    bool commit();

    // A widget that may take the focus from a numeric field without the check (the dialog's
    // buttons: cancelling drops the row, accepting checks every field itself).
    static void SetSkipsValidation(QWidget *widget);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void written(const QString &text);
    QString shownText() const;

    QPointer<TableView> m_table;
    QString m_field;
    Kind m_kind = Kind::Text;
    bool m_loading = false;
    bool m_refusing = false;
};

} // namespace kartevo
