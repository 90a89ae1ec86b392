#include "ui/common/filedialogs.h"

#include <QFileDialog>

namespace kartevo {

namespace {

QString RunDialog(QWidget *owner, QFileDialog::AcceptMode mode, const QString &start, const QString &filter,
                  const QString &defaultSuffix)
{
    QFileDialog dialog(owner, QString(), start, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QString suffix = defaultSuffix;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

class SystemFileDialogs final : public FileDialogs {
public:
    QString openFileName(QWidget *owner, const QString &start, const QString &filter,
                         const QString &defaultSuffix) override
    {
        return RunDialog(owner, QFileDialog::AcceptOpen, start, filter, defaultSuffix);
    }
    QString saveFileName(QWidget *owner, const QString &start, const QString &filter,
                         const QString &defaultSuffix) override
    {
        return RunDialog(owner, QFileDialog::AcceptSave, start, filter, defaultSuffix);
    }
};

FileDialogs *g_dialogs = nullptr;

} // namespace

void SetFileDialogs(FileDialogs *dialogs)
{
    g_dialogs = dialogs;
}

FileDialogs &CurrentFileDialogs()
{
    static SystemFileDialogs system;
    return g_dialogs ? *g_dialogs : system;
}

} // namespace kartevo
