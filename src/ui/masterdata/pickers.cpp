#include "ui/masterdata/pickers.h"

#include "ui/masterdata/frm_cimke.h"
#include "ui/masterdata/frm_csoport.h"
#include "ui/masterdata/frm_felado.h"
#include "ui/masterdata/frm_irsz.h"

namespace kartevo {

namespace {

// Opens the list on the start value and shows it; true when the user accepted a row, which
// is then the list's current row.
bool RunList(TListWindow &list, const QVariant &start)
{
    list.openList(start);
    return list.exec() == QDialog::Accepted && list.pickMode();
}

class WindowPickers final : public Pickers {
public:
    qint64 feladoValasztas(QWidget *owner, Session &session, qint64 start, bool pick) override
    {
        Tfrm_Felado list(owner, session, pick);
        if (!RunList(list, start))
            return -1;
        return list.table().asInteger(QStringLiteral("tulajdonos"));
    }

    QString irszVarosValasztas(QWidget *owner, Session &session, const QString &start, bool pick,
                               QString &varos) override
    {
        Tfrm_Irsz list(owner, session, pick);
        if (!RunList(list, start))
            return {};
        varos = list.table().asString(QStringLiteral("varos"));
        return list.table().asString(QStringLiteral("irsz"));
    }

    QString csoportValasztas(QWidget *owner, Session &session, const QString &start, bool pick) override
    {
        Tfrm_Csoport list(owner, session, pick);
        if (!RunList(list, start))
            return {};
        return list.table().asString(QStringLiteral("csoport"));
    }

    QString cimkeValasztas(QWidget *owner, Session &session, const QString &start, bool pick,
                           LabelFormat &format) override
    {
        Tfrm_Cimke list(owner, session, pick);
        if (!RunList(list, start))
            return {};
        format = LabelFormatOf(list.table());
        return list.table().asString(QStringLiteral("cimke"));
    }
};

WindowPickers g_windowPickers;
Pickers *g_pickers = nullptr;

} // namespace

void SetPickers(Pickers *pickers) { g_pickers = pickers; }

Pickers &CurrentPickers() { return g_pickers ? *g_pickers : g_windowPickers; }

qint64 FeladoValasztas(QWidget *owner, Session &session, qint64 start, bool pick)
{
    return CurrentPickers().feladoValasztas(owner, session, start, pick);
}

QString IrszVarosValasztas(QWidget *owner, Session &session, const QString &start, bool pick, QString &varos)
{
    return CurrentPickers().irszVarosValasztas(owner, session, start, pick, varos);
}

QString CsoportValasztas(QWidget *owner, Session &session, const QString &start, bool pick)
{
    return CurrentPickers().csoportValasztas(owner, session, start, pick);
}

QString CimkeValasztas(QWidget *owner, Session &session, const QString &start, bool pick, LabelFormat &format)
{
    return CurrentPickers().cimkeValasztas(owner, session, start, pick, format);
}

void ShowFeladoList(QWidget *owner, Session &session) { FeladoValasztas(owner, session, -1, false); }

void ShowIrszList(QWidget *owner, Session &session)
{
    QString ignored;
    IrszVarosValasztas(owner, session, QString(), false, ignored);
}

void ShowCsoportList(QWidget *owner, Session &session) { CsoportValasztas(owner, session, QString(), false); }

void ShowCimkeList(QWidget *owner, Session &session)
{
    LabelFormat ignored;
    CimkeValasztas(owner, session, QString(), false, ignored);
}

} // namespace kartevo
