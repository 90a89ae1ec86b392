#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace kartevo {

class Session;

// The language choice: the language files of DataFolder/Lang, the current one selected. OK (also
// Enter) or a double click on an entry accepts; any other way out cancels. Keeps its position.
class Tfrm_Lang final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Lang(const QStringList &choices, int current, const QString &iniFileName, int fontSize,
              QWidget *parent = nullptr);

    // The chosen file name, empty when no entry is selected.
    QString choice() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QListWidget *ListBox1 = nullptr;
    QPushButton *Button1 = nullptr;
    QString m_iniFileName;
    int m_fontSize;
};

// The first entry of the language list: the program's own Hungarian texts, no language file.
QString BuiltInLanguageChoice();

// aNyelv: shows the choice; on OK with an entry the Lang setting names that file (or nothing, for
// the built-in texts) and true is returned (the caller translates the main window again). Cancel
// changes nothing.
bool NyelvValasztas(QWidget *owner, Session &session);

} // namespace kartevo
