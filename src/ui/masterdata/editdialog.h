#pragma once

#include "ui/masterdata/dbedit.h"

#include <QDialog>
#include <QList>
#include <QLabel>
#include <QPointer>

class QPushButton;

namespace kartevo {

class Session;
class TableView;

// The common ground of the program's edit dialogs: a fixed-size dialog whose controls sit at
// their design positions, "OK" and "Mégsem" buttons, Enter moving to the next control (and
// pressing a focused button), Esc pressing "Mégsem", the focus colour on every edit field, the
// font-size setting, and the position kept in the configuration file under the window's name.
class TEditDialog : public QDialog {
    Q_OBJECT
public:
    TEditDialog(QWidget *owner, Session &session, const QString &name, const QString &caption,
                const QSize &clientArea);

    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // OK first writes the numeric fields; one that holds no number keeps the dialog open.
    void accept() override;
    void done(int result) override;

protected:
    QLabel *addLabel(QWidget *parent, const QString &text, int left, int top);
    DBEdit *addEdit(QWidget *parent, const QString &name, TableView &table, const QString &field,
                    const QRect &geometry, DBEdit::Kind kind = DBEdit::Kind::Text);
    // "OK" (Button1) and "Mégsem" (Button2), 75 × 25 pixels.
    void addButtons(QWidget *parent, const QPoint &ok, const QPoint &cancel);

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Runs once each time the dialog is shown, after position and font are restored.
    virtual void FormShow() {}

    Session &session() { return m_session; }

private:
    void installKeyPreview();

    Session &m_session;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QList<QPointer<QLabel>> m_labels;
};

} // namespace kartevo
