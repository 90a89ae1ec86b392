#pragma once

#include "core/clientlist.h"
#include "core/database.h"
#include "core/session.h"
#include "core/statement.h"
#include "fakeprompter.h"
#include "testfolders.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <memory>

namespace kartevo::test {

// The main window on the demo clients (30 clients in three groups, every mark "N").
struct DemoWindow {
    FakePrompter prompter;
    Installation inst;
    Folders folders;
    std::unique_ptr<Tfrm_Main> window;

    explicit DemoWindow(const QString &extraSql = {}, const QByteArray &ini = {})
    {
        folders = DemoFolders(inst, extraSql);
        if (!ini.isEmpty()) {
            QFile file(folders.IniFileName);
            file.open(QIODevice::WriteOnly);
            file.write(ini);
        }
        window = std::make_unique<Tfrm_Main>(folders);
    }

    Tfrm_Main &w() { return *window; }
    QTableView *grid() { return w().grid(); }
    QLineEdit *edit() { return w().findChild<QLineEdit *>(QStringLiteral("Edit1")); }
    QComboBox *groups() { return w().findChild<QComboBox *>(QStringLiteral("ComboBox1")); }
    QString panel(int index) { return w().findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(index))->text(); }
    ClientList &list() { return *w().clients(); }
    QString currentName() { return list().table().asString(QStringLiteral("ugyfel_nev")); }
    int rows() { return grid()->model()->rowCount(); }
    void trigger(const char *name) { w().action(QString::fromUtf8(name))->trigger(); }

    QVariant scalar(const QString &sql)
    {
        Statement statement(w().session().db(), sql);
        return statement.step() ? statement.column(0) : QVariant();
    }

    void showActive()
    {
        w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w()));
        w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w()));
    }

    void chooseGroup(const QString &text)
    {
        const int index = groups()->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        groups()->setCurrentIndex(index);
        Q_EMIT groups()->activated(index);
    }
};

} // namespace kartevo::test
