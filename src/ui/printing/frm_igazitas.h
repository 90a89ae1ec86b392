#pragma once

#include "core/calibration.h"

#include <QDialog>

#include <functional>

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace kartevo {

class Session;

// The printer alignment dialog (frm_Igazitas, "Nyomtatás igazítása"): the stationery families
// with their horizontal and vertical offsets; the selected family's two offsets are edited
// beside the list, "Kalibráló lap" prints that family's calibration sheet. The dialog edits its
// own copy: OK gives it back through calibration(), Mégsem leaves it unused.
class Tfrm_Igazitas final : public QDialog {
    Q_OBJECT
public:
    // iniFileName: where the dialog keeps its position (empty: nowhere); fontSize: the FontSize
    // setting (0 keeps the design sizes).
    Tfrm_Igazitas(QWidget *parent, const Calibration &calibration, const QString &iniFileName, int fontSize);

    const Calibration &calibration() const { return m_calibration; }
    PrintFamily selectedFamily() const;

    // Prints a calibration sheet; the default prints it on the default printer (or into
    // KARTEVO_PRINT_DIR). Errors are shown and the dialog stays open.
    std::function<void(PrintFamily)> printSheet;

    QListWidget *familyList() const { return ListBox1; }
    QDoubleSpinBox *horizontalEdit() const { return Edit1; }
    QDoubleSpinBox *verticalEdit() const { return Edit2; }
    QPushButton *sheetButton() const { return Button3; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void showFamily(int row);
    void storeEdits();
    void updateRow(int row);

    Calibration m_calibration;
    QString m_iniFileName;
    int m_fontSize;
    bool m_loading = false;

    QLabel *Label1 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QLabel *Label2 = nullptr;
    QDoubleSpinBox *Edit1 = nullptr;
    QLabel *Label3 = nullptr;
    QDoubleSpinBox *Edit2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
};

// The command of the Rendszer menu: the dialog over the settings' offsets; OK puts them in the
// settings and writes the Calibration section of the configuration file at once.
void NyomtatasIgazitasa(QWidget *owner, Session &session);

} // namespace kartevo
