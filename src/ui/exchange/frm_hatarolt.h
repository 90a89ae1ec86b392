#pragma once

#include "exchange/exportfields.h"

#include <QDialog>
#include <QHash>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kartevo {

class DataSet;
class Session;

// The export window (frm_Hatarolt) over any open data set: the fields to export, separator,
// quote and three switches, and a file name. A name ending in .xls (any case) becomes a
// worksheet, any other delimited text. The data set is neither opened, closed nor moved.
// labels gives the titles grids show for fields (by field name); the others are named as they
// are.
class Tfrm_Hatarolt final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Hatarolt(QWidget *owner, Session &session, DataSet &dataSet, const QHash<QString, QString> &labels = {},
                  const QString &fileName = {});

    QListWidget *CheckListBox1 = nullptr;
    QPushButton *Button4 = nullptr; // összes
    QPushButton *Button5 = nullptr; // egyik sem
    QGroupBox *RadioGroup2 = nullptr;
    QRadioButton *SeparatorButtons[4] = {};
    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *QuoteButtons[3] = {};
    QCheckBox *CheckBox1 = nullptr; // long texts
    QCheckBox *CheckBox2 = nullptr; // field names in the header
    QCheckBox *CheckBox3 = nullptr; // no header
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QPushButton *Button3 = nullptr; // Megállít
    QPushButton *Button1 = nullptr; // Export indítás
    QPushButton *Button2 = nullptr; // Bezár
    QProgressBar *ProgressBar1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    bool chooseFile();
    // The ticked fields in data set order.
    QList<ExportField> tickedFields() const;
    void Button1Click();
    void textExport(const QString &fileName);
    void worksheetExport(const QString &fileName);

    Session &m_session;
    DataSet &m_dataSet;
    QList<ExportField> m_fields; // one per entry of the field list
    bool m_stop = false;
};

// Shows the export window modally over a data set (the aExcelbe command, the SQL console's export).
void ShowExport(QWidget *owner, Session &session, DataSet &dataSet, const QHash<QString, QString> &labels = {});

} // namespace kartevo
