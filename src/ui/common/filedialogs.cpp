#include "ui/common/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace kartevo {

namespace {

class QtFileDialogs final : public FileDialogs {
public:
    QString openFile(QWidget *owner, const QString &filter, const QString &defaultSuffix,
                     const QString &start) override
    {
        QFileDialog dialog(owner, QString(), QFileInfo(start).path(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(defaultSuffix.startsWith(u'.') ? defaultSuffix.mid(1) : defaultSuffix);
        if (!start.isEmpty())
            dialog.selectFile(start);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    QString chooseFolder(QWidget *owner, const QString &start) override
    {
        return QFileDialog::getExistingDirectory(owner, QString(), start);
    }
};

QtFileDialogs g_qtDialogs;
FileDialogs *g_dialogs = nullptr;

} // namespace

void SetFileDialogs(FileDialogs *dialogs)
{
    g_dialogs = dialogs;
}

FileDialogs &CurrentFileDialogs()
{
    return g_dialogs ? *g_dialogs : g_qtDialogs;
}

} // namespace kartevo
